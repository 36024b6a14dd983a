#include "CliCommands.h"

#include <algorithm>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <ostream>

#include "BankFile.h"
#include "BankInput.h"
#include "CQuensetDoc.h"
#include "CliSupport.h"
#include "Explode.h"
#include "FileError.h"
#include "ParameterNames.h"
#include "Procreation.h"
#include "RandomSource.h"

namespace zephyl::cli {

namespace {

constexpr int kNameWidth = 28;  // the longest name, "Oscillators semitones morph", and a gap

// Runs `change` on every patch of the current bank.
template <typename Change>
void ForEachPatch(CQuensetDoc& doc, Change change) {
  const std::size_t bank = doc.CurrentBank();
  for (std::size_t i = 0; i < doc.PatchCount(bank); ++i) {
    doc.SetCurrentIndex(bank, i);
    change(doc.CurrentPatch());
  }
}

void PrintPatchText(std::size_t number, const CPatch& patch, std::ostream& out) {
  out << "Patch " << number << '\n';
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    out << std::setw(4) << i << "  " << std::left << std::setw(kNameWidth) << DisplayName(i)
        << std::right << std::setw(5) << DisplayValue(i, patch.m_values[i]) << '\n';
  }
}

nlohmann::json PatchJson(std::size_t number, const CPatch& patch) {
  nlohmann::json values = nlohmann::json::array();
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    values.push_back(
        {{"index", i}, {"name", DisplayName(i)}, {"value", DisplayValue(i, patch.m_values[i])}});
  }
  return {{"patch", number}, {"values", std::move(values)}};
}

}  // namespace

int Info(const std::vector<Path>& files, Console console) {
  int status = kExitOk;
  for (const Path& file : files) {
    try {
      // Headers are kept as the scan finds them: a stream cannot be read twice.
      BankInput input(file);
      DumpScanner& scanner = input.Scanner();
      std::vector<std::array<std::uint8_t, kHeaderSize>> headers;
      CPatch patch;
      while (scanner.Next(patch)) headers.push_back(scanner.DumpHeader());
      console.out << file.string() << ": " << Counted(headers.size(), "patch", "patches") << ", "
                  << Counted(scanner.BytesSkipped(), "byte", "bytes") << " skipped\n";
      // As for every command: a file without a patch is a failure.
      if (headers.empty()) {
        console.err << NamedInput(file) << " holds no complete program dump\n";
        status = kExitFailed;
      }
      for (std::size_t n = 0; n < headers.size(); ++n) {
        const auto& header = headers[n];
        // A dump that begins at its manufacturer id has no start byte to show.
        const bool hasStart = header[0] == kSysExStart;
        console.out << std::setw(6) << n + 1 << "  " << (hasStart ? Hex(header[0]) : "--");
        const std::size_t first = hasStart ? 1 : 0;
        for (std::size_t i = first; i < first + kHeaderSize - 1; ++i) {
          console.out << ' ' << Hex(header[i]);
        }
        console.out << '\n';
      }
    } catch (const FileError& error) {
      console.err << error.what() << '\n';
      status = kExitFailed;
    }
  }
  return status;
}

int Dump(const Path& file, const DumpOptions& options, Console console) {
  CQuensetDoc doc;
  if (!LoadNonEmpty(doc, file, console)) return kExitFailed;
  const auto& bank = doc.Bank(kWorkBank);
  std::size_t first = 0;
  std::size_t last = bank.size();
  if (options.patch) {
    if (!HoldsPatch(*options.patch, bank.size(), NamedInput(file), console)) return kExitBadUsage;
    first = *options.patch - 1;
    last = first + 1;
  }
  if (options.json) {
    nlohmann::json patches = nlohmann::json::array();
    for (std::size_t i = first; i < last; ++i) patches.push_back(PatchJson(i + 1, bank[i]));
    console.out << patches.dump(2) << '\n';
  } else {
    for (std::size_t i = first; i < last; ++i) {
      if (i != first) console.out << '\n';
      PrintPatchText(i + 1, bank[i], console.out);
    }
  }
  return kExitOk;
}

int Merge(const std::vector<Path>& files, const Path& output, Console console) {
  CQuensetDoc doc;
  for (const Path& file : files) {
    try {
      const LoadResult result = LoadBankFile(doc, file);
      if (result.patchesAdded == 0) {
        console.err << NamedInput(file) << " holds no complete program dump\n";
      }
    } catch (const FileError& error) {
      console.err << error.what() << '\n';
      return kExitFailed;
    }
  }
  if (doc.IsPlaceholder(kWorkBank)) {
    console.err << "Nothing to write: no input holds a complete program dump\n";
    return kExitFailed;
  }
  return Save(doc, output, console) ? kExitOk : kExitFailed;
}

int Procreate(const Path& file, const Path& output, const BreedOptions& options, std::uint32_t seed,
              Console console) {
  CQuensetDoc doc;
  if (!LoadNonEmpty(doc, file, console)) return kExitFailed;
  doc.m_childrenPerParent = options.children;
  doc.m_mutationChance = options.mutation;
  SeededRandom random(seed);
  const std::size_t parents = doc.PatchCount(kWorkBank);
  switch (zephyl::Procreate(doc, random)) {
    case GenerationRefusal::None:
      break;
    case GenerationRefusal::NoChildren:
      // The children per parent are checked with the command line: the file holds one patch.
      console.err << "Breeding needs at least 2 patches; " << NamedInput(file) << " holds 1\n";
      return kExitFailed;
    case GenerationRefusal::TooLarge:
      console.err << NamedInput(file) << " holds " << parents << " patches: with "
                  << options.children << " children each, more than the " << kMaxGenerationSize
                  << " children one generation may hold\n";
      return kExitFailed;
  }
  doc.SetCurrentBank((kWorkBank + 1) % kBankCount);
  return Save(doc, output, console) ? kExitOk : kExitFailed;
}

int Random(const Path& output, std::size_t count, std::uint32_t seed, Console console) {
  CQuensetDoc doc;
  SeededRandom random(seed);
  std::vector<CPatch> patches(count);
  for (CPatch& patch : patches) patch.Randomize(random);
  doc.AppendPatches(kWorkBank, std::move(patches));
  return Save(doc, output, console) ? kExitOk : kExitFailed;
}

int Invert(const Path& file, const Path& output, Console console) {
  CQuensetDoc doc;
  if (!LoadNonEmpty(doc, file, console)) return kExitFailed;
  ForEachPatch(doc, [](CPatch& patch) { patch.Invert(); });
  return Save(doc, output, console) ? kExitOk : kExitFailed;
}

int Modify(const Path& file, const Path& output, std::uint32_t seed, Console console) {
  CQuensetDoc doc;
  if (!LoadNonEmpty(doc, file, console)) return kExitFailed;
  SeededRandom random(seed);
  ForEachPatch(doc, [&random](CPatch& patch) { patch.Modify(CPatch::kModifyStep, random); });
  return Save(doc, output, console) ? kExitOk : kExitFailed;
}

int Explode(const Path& file, bool syx, const Path& folder, Console console) {
  CQuensetDoc doc;
  if (!LoadNonEmpty(doc, file, console)) return kExitFailed;
  doc.m_bExplodeSyx = syx;
  try {
    if (!folder.empty()) std::filesystem::create_directories(folder);
    for (const Path& written : ExplodeBank(doc, folder)) console.out << written.string() << '\n';
  } catch (const FileError& error) {
    console.err << error.what() << '\n';
    return kExitFailed;
  } catch (const std::filesystem::filesystem_error& error) {
    console.err << "Cannot create the folder \"" << folder.string()
                << "\": " << error.code().message() << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace zephyl::cli
