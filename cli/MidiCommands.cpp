#include "MidiCommands.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iomanip>
#include <ostream>

#include "BankFile.h"
#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "CliSupport.h"
#include "DeviceNames.h"
#include "FileError.h"
#include "InterruptWatch.h"
#include "MainLoop.h"
#include "OutputFile.h"
#include "RtMidiLibrary.h"
#include "StandardStream.h"

namespace zephyl::cli {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kProgressWidth = 30;
// Long enough for any wait a command makes; the commands wake on their own conditions.
constexpr std::chrono::hours kForever{24 * 365};
// The name of the input port receive opens when it listens.
constexpr const char* kListeningPort = "receive";
// Panic is 96 bytes, a few hundredths of a second on a cable: a port that takes nothing for
// this long is stuck.
constexpr std::chrono::seconds kPanicTimeout{5};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The library on the MIDI system asked for; null, with the reason on `err`, when --api names a
// system that is not there.
std::unique_ptr<RtMidiLibrary> OpenLibrary(MainLoop& loop, const MidiOptions& options,
                                           Console console, const Pacing& pacing = {}) {
  std::optional<MidiApi> api;
  if (options.api) api = ParseMidiApi(*options.api);
  auto library = std::make_unique<RtMidiLibrary>(loop, api, pacing);
  if (api && library->Api() != *api) {
    console.err << library->LastError() << '\n';
    return nullptr;
  }
  return library;
}

void ListPorts(const std::vector<std::string>& names, std::ostream& out) {
  if (names.empty()) out << "  (none)\n";
  for (std::size_t n = 0; n < names.size(); ++n) {
    out << std::setw(4) << n + 1 << "  " << names[n] << '\n';
  }
}

// The device the name stands for: an exact match, else the one port whose name holds it in
// any case, else the first port when no name is given. Explains on `err` when there is none.
std::optional<MidiDevice> ChoosePort(RtMidiLibrary& library, bool input,
                                     const std::optional<std::string>& wanted, Console console) {
  const std::vector<std::string> names = DeviceNames(library, input);
  const char* kind = input ? "input" : "output";
  if (names.empty()) {
    console.err << "There is no MIDI " << kind << " port (API " << MidiApiName(library.Api())
                << ")";
    if (!library.LastError().empty()) console.err << ": " << library.LastError();
    console.err << '\n';
    return std::nullopt;
  }
  if (!wanted) return 0;
  std::vector<std::size_t> matches;
  for (std::size_t n = 0; n < names.size(); ++n) {
    if (names[n] == *wanted) return static_cast<MidiDevice>(n);
    if (Lower(names[n]).find(Lower(*wanted)) != std::string::npos) matches.push_back(n);
  }
  if (matches.size() == 1) return static_cast<MidiDevice>(matches.front());
  console.err << (matches.empty() ? "No MIDI " : "More than one MIDI ") << kind
              << " port matches \"" << *wanted << "\". The " << kind << " ports are:\n";
  ListPorts(names, console.err);
  return std::nullopt;
}

int CannotOpen(const char* kind, const std::string& port, const RtMidiLibrary& library,
               Console console) {
  console.err << "Cannot open the MIDI " << kind << " port \"" << port << '"';
  if (!library.LastError().empty()) console.err << ": " << library.LastError();
  console.err << '\n';
  return kExitFailed;
}

void ShowProgress(std::size_t done, std::size_t total, std::ostream& err) {
  const auto filled = static_cast<int>(done * kProgressWidth / total);
  err << "\rSending [" << std::string(static_cast<std::size_t>(filled), '#')
      << std::string(static_cast<std::size_t>(kProgressWidth - filled), '.') << "] " << done << '/'
      << total << std::flush;
  if (done == total) err << '\n';
}

// Prints each dump as the receiver makes it the current patch, and ends receive mode at the
// dump that makes `limit`, though more may be queued behind it.
class ReceivePrinter final : public PatchView {
 public:
  ReceivePrinter(const CQuensetDoc& doc, CPatchReceiver& receiver, std::optional<std::size_t> limit,
                 std::ostream& out)
      : m_doc(doc), m_receiver(receiver), m_limit(limit), m_out(out) {}
  void InvalidateAll() override {
    const CPatch& patch = m_doc.CurrentPatch();
    m_out << "Received patch " << ++m_count << ':';
    for (const std::uint8_t byte : patch.m_header) m_out << ' ' << Hex(byte);
    m_out << std::endl;
    if (Full()) m_receiver.StopReceiving();
  }
  std::size_t Count() const { return m_count; }
  bool Full() const { return m_limit && m_count >= *m_limit; }

 private:
  const CQuensetDoc& m_doc;
  CPatchReceiver& m_receiver;
  std::optional<std::size_t> m_limit;
  std::ostream& m_out;
  std::size_t m_count = 0;
};

// Saves what arrived where nothing can go wrong any more: a new file in the temporary folder.
// Its name, or nothing when even that fails.
std::optional<Path> SaveFallback(const CQuensetDoc& doc) {
  std::error_code error;
  const Path folder = std::filesystem::temp_directory_path(error);
  if (error) return std::nullopt;
  constexpr std::string_view kSuffix = ".zpf";
  std::string pattern = (folder / "zephyl-received-XXXXXX").string() + std::string(kSuffix);
  const int fd = ::mkstemps(pattern.data(), static_cast<int>(kSuffix.size()));
  if (fd < 0) return std::nullopt;
  ::close(fd);
  try {
    SaveBankFile(doc, pattern);
  } catch (const FileError&) {
    return std::nullopt;
  }
  return Path(pattern);
}

// Notes when anything arrives, for the timeout that restarts with every byte.
class WatchedReceiver final : public CPatchReceiver {
 public:
  using CPatchReceiver::CPatchReceiver;
  Clock::time_point lastArrival = Clock::now();

 protected:
  bool OnMidiEvent(const MidiEvent& event) override {
    lastArrival = Clock::now();
    return CPatchReceiver::OnMidiEvent(event);
  }
};

}  // namespace

int Ports(const MidiOptions& options, Console console) {
  MainLoop loop;
  const auto library = OpenLibrary(loop, options, console);
  if (!library) return kExitFailed;
  console.out << "API: " << MidiApiName(library->Api()) << '\n';
  if (!library->LastError().empty()) console.err << library->LastError() << '\n';
  console.out << "Inputs:\n";
  ListPorts(DeviceNames(*library, true), console.out);
  console.out << "Outputs:\n";
  ListPorts(DeviceNames(*library, false), console.out);
  return kExitOk;
}

int Send(const Path& file, const SendOptions& options, Console console) {
  CQuensetDoc doc;
  if (!LoadNonEmpty(doc, file, console, "Standard input")) return kExitFailed;
  const std::size_t patches = doc.PatchCount(kWorkBank);
  std::size_t first = 0;
  std::size_t last = patches;
  if (options.patch) {
    if (!HoldsPatch(*options.patch, patches, Named(file, "\"-\""), console)) return kExitBadUsage;
    first = *options.patch - 1;
    last = first + 1;
  }
  doc.m_globalChannel = options.channel;
  const int slot = std::toupper(static_cast<unsigned char>(options.slot)) - 'A';

  Pacing pacing;
  if (options.noPacing) pacing.byteTime = 0ns;
  if (options.gapMs) pacing.gap = std::chrono::milliseconds(*options.gapMs);
  MainLoop loop;
  bool interrupted = false;
  InterruptWatch interrupts(loop, [&interrupted] { interrupted = true; });
  const auto library = OpenLibrary(loop, options.midi, console, pacing);
  if (!library) return kExitFailed;
  const auto device = ChoosePort(*library, false, options.midi.port, console);
  if (!device) return kExitFailed;
  const std::string name = *library->GetMidiOutDescription(*device);
  CPatchSender sender(*library);
  if (!sender.Open(*device, kMenuOpenOptions)) {
    return CannotOpen("output", name, *library, console);
  }
  const std::size_t total = last - first;
  const bool progress = total > 1;
  std::string error;
  auto stopped = [&] {
    error = sender.DeviceError();
    return interrupted || !error.empty();
  };
  std::size_t sent = 0;
  for (std::size_t i = first; i < last && !stopped(); ++i) {
    doc.SetCurrentIndex(kWorkBank, i);
    sender.OnSend(doc, slot);
    loop.RunUntil([&] { return stopped() || !sender.IsSending(); }, kForever);
    if (!sender.IsSending()) ++sent;
    if (progress) ShowProgress(sent, total, console.err);
  }
  loop.RunUntil([&] { return sender.IsDone() || stopped(); }, kForever);
  if (progress && sent < total) console.err << '\n';
  // A port that goes away once everything has left it (a receiver that has what it wanted)
  // is no failure.
  if (sent == total && sender.IsDone()) error.clear();
  if (!error.empty()) {
    console.err << error << " (after " << sent << " of " << total << " dumps)\n";
    return kExitFailed;
  }
  if (interrupted) {
    sender.Reset();
    console.err << "Interrupted after " << sent << " of " << total << " dumps\n";
    return kExitFailed;
  }
  console.err << "Sent " << sent << (sent == 1 ? " dump" : " dumps") << " to \"" << name << "\"\n";
  return kExitOk;
}

int Panic(const MidiOptions& options, Console console) {
  MainLoop loop;
  const auto library = OpenLibrary(loop, options, console);
  if (!library) return kExitFailed;
  const auto device = ChoosePort(*library, false, options.port, console);
  if (!device) return kExitFailed;
  const std::string name = *library->GetMidiOutDescription(*device);
  CPatchSender sender(*library);
  if (!sender.Open(*device, kMenuOpenOptions)) return CannotOpen("output", name, *library, console);
  sender.SendPanic();
  std::string error;
  loop.RunUntil(
      [&] {
        error = sender.DeviceError();
        return sender.IsDone() || !error.empty();
      },
      kPanicTimeout);
  if (!sender.IsDone()) {
    console.err << (error.empty() ? "The MIDI port \"" + name + "\" took nothing" : error) << '\n';
    return kExitFailed;
  }
  console.err << "Sent All Notes Off and All Sound Off on all " << kMidiChannelCount
              << " channels to \"" << name << "\"\n";
  return kExitOk;
}

int Receive(const ReceiveOptions& options, Console console) {
  // The destination is opened first: hours of dumps must not arrive for a file that cannot be
  // written. Nothing is final before the save at the end.
  std::unique_ptr<OutputFile> file;
  try {
    file = OpenOutputFile(options.output);
  } catch (const FileError& error) {
    console.err << error.what() << '\n';
    return kExitFailed;
  }
  MainLoop loop;
  bool interrupted = false;
  InterruptWatch interrupts(loop, [&interrupted] { interrupted = true; });
  const auto library = OpenLibrary(loop, options.midi, console);
  if (!library) return kExitFailed;
  // With nothing to read from, a sender can still come to us.
  const bool listen = library->Api() != MidiApi::None &&
                      (options.listen || (!options.midi.port && library->GetNumInDevices() <= 0));
  const auto device = listen ? library->OfferOwnInput(kListeningPort)
                             : ChoosePort(*library, true, options.midi.port, console);
  if (!device) return kExitFailed;
  std::string name = *library->GetMidiInDescription(*device);
  WatchedReceiver receiver(*library);
  if (!receiver.Open(*device, kMenuOpenOptions)) {
    return CannotOpen("input", name, *library, console);
  }
  // Our own port is named by the system as it opens.
  name = *library->GetMidiInDescription(*device);
  receiver.Start();
  CQuensetDoc doc;
  // A bank written to standard output keeps it to itself.
  const bool toStandardOutput = IsStandardStream(options.output);
  ReceivePrinter printer(doc, receiver, options.count,
                         toStandardOutput ? console.err : console.out);
  receiver.OnReceive(doc, printer);
  console.err << (listen ? "Receiving on our own port \"" : "Receiving from \"") << name << '"';
  if (options.count) console.err << " until " << *options.count << " dumps are in";
  if (listen) console.err << " (connect a sender to it)";
  console.err << "; Ctrl+C saves and stops\n";

  std::string error;
  auto done = [&] {
    error = receiver.DeviceError();
    return interrupted || !error.empty() || printer.Full();
  };
  bool timedOut = false;
  for (;;) {
    if (!options.timeoutSeconds) {
      loop.RunUntil(done, kForever);
      break;
    }
    const auto quiet = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(*options.timeoutSeconds));
    const auto deadline = receiver.lastArrival + quiet;
    if (loop.RunUntil(done, deadline - Clock::now())) break;
    if (Clock::now() >= receiver.lastArrival + quiet) {
      timedOut = true;
      break;
    }
  }
  receiver.StopReceiving();
  if (const std::uint64_t dropped = receiver.DroppedMessages(); dropped > 0) {
    console.err << Counted(dropped, "message was", "messages were")
                << " lost: they came faster than they could be taken\n";
  }
  if (const std::uint64_t oversize = receiver.OversizeMessages(); oversize > 0) {
    console.err << Counted(oversize, "System Exclusive message", "System Exclusive messages")
                << " longer than a program dump " << (oversize == 1 ? "was" : "were")
                << " skipped\n";
  }
  if (!error.empty()) console.err << error << '\n';
  if (timedOut) console.err << "Nothing arrived for " << *options.timeoutSeconds << " s\n";

  // The received patches without the placeholder they were inserted behind.
  const auto& bank = doc.Bank(kWorkBank);
  std::vector<CPatch> received(bank.begin() + 1, bank.end());
  if (received.empty()) {
    console.err << "No program dump arrived from \"" << name << "\"; nothing written\n";
    return kExitFailed;
  }
  CQuensetDoc out;
  out.AppendPatches(kWorkBank, std::move(received));
  const std::string patches = Counted(out.PatchCount(kWorkBank), "patch", "patches");
  try {
    SaveBank(out, *file);
    file->Commit();
  } catch (const FileError& failure) {
    console.err << failure.what() << '\n';
    if (const auto fallback = SaveFallback(out)) {
      console.err << "The " << patches << " received are in \"" << fallback->string() << "\"\n";
    } else {
      console.err << "The " << patches << " received could not be saved anywhere\n";
    }
    return kExitFailed;
  }
  console.err << "Wrote " << patches << " to " << Named(options.output, "standard output") << '\n';
  const bool shortOfCount = options.count && out.PatchCount(kWorkBank) < *options.count;
  return error.empty() && !shortOfCount ? kExitOk : kExitFailed;
}

}  // namespace zephyl::cli
