#include "RecoveryFile.h"

#include <algorithm>
#include <concepts>
#include <fstream>
#include <string>
#include <string_view>

#include "AtomicFileWriter.h"

namespace zephyl {

namespace {

// Layout: magic, version, payload length, payload, checksum of the payload. The payload is the
// current bank, then per bank: flags, placeholder position, current position, file name,
// patch count and the patches. Numbers are little-endian.
constexpr std::string_view kMagic = "ZPHYLREC";
constexpr std::uint32_t kVersion = 1;
constexpr std::uint8_t kPlaceholderFlag = 1;
constexpr std::uint8_t kUnsavedFlag = 2;
constexpr std::size_t kPatchBytes = kHeaderSize + kParameterCount + 1;
constexpr std::size_t kFrontBytes = kMagic.size() + sizeof(std::uint32_t) + sizeof(std::uint64_t);
constexpr std::size_t kChecksumBytes = sizeof(std::uint64_t);

// FNV-1a over eight bytes at a time: enough to tell a damaged file, which is all it is for,
// and quick on the window's thread.
std::uint64_t Checksum(std::span<const std::uint8_t> bytes) {
  constexpr std::uint64_t kOffset = 0xcbf29ce484222325;
  constexpr std::uint64_t kPrime = 0x100000001b3;
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  std::uint64_t hash = kOffset;
  std::size_t i = 0;
  for (; i + kWord <= bytes.size(); i += kWord) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < kWord; ++k) word |= std::uint64_t{bytes[i + k]} << (8 * k);
    hash = (hash ^ word) * kPrime;
  }
  for (; i < bytes.size(); ++i) hash = (hash ^ bytes[i]) * kPrime;
  return hash;
}

class Writer {
 public:
  template <std::integral Number>
  void Put(Number n) {
    for (std::size_t i = 0; i < sizeof(Number); ++i) {
      m_bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) >> (8 * i)));
    }
  }
  void Put(std::span<const std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  }
  void Reserve(std::size_t size) { m_bytes.reserve(size); }
  std::vector<std::uint8_t>& Bytes() { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  template <std::integral Number>
  Number Get() {
    const auto bytes = Take(sizeof(Number));
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < sizeof(Number); ++i) n |= std::uint64_t{bytes[i]} << (8 * i);
    return static_cast<Number>(n);
  }
  std::span<const std::uint8_t> Take(std::size_t count) {
    if (count > Left()) throw RecoveryError("is damaged");
    const auto out = m_bytes.subspan(m_pos, count);
    m_pos += count;
    return out;
  }
  std::size_t Left() const { return m_bytes.size() - m_pos; }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
};

void PutPatch(Writer& out, const CPatch& patch) {
  out.Put(patch.m_header);
  out.Put(patch.m_values);
  out.Put(patch.m_terminator);
}

CPatch GetPatch(Reader& in) {
  CPatch patch;
  const auto bytes = in.Take(kPatchBytes);
  std::copy_n(bytes.begin(), kHeaderSize, patch.m_header.begin());
  std::copy_n(bytes.begin() + kHeaderSize, kParameterCount, patch.m_values.begin());
  patch.m_terminator = bytes.back();
  return patch;
}

RecoveredBank GetBank(Reader& in) {
  RecoveredBank bank;
  const auto flags = in.Get<std::uint8_t>();
  bank.marks.placeholder = (flags & kPlaceholderFlag) != 0;
  bank.unsaved = (flags & kUnsavedFlag) != 0;
  bank.marks.placeholderIndex = in.Get<std::uint64_t>();
  bank.marks.current = in.Get<std::uint64_t>();
  const auto name = in.Take(in.Get<std::uint32_t>());
  bank.file = std::string(name.begin(), name.end());
  const auto count = in.Get<std::uint64_t>();
  // Checked before anything is reserved: a damaged count must not ask for all memory.
  if (count == 0 || count > in.Left() / kPatchBytes) throw RecoveryError("is damaged");
  if (bank.marks.current >= count ||
      (bank.marks.placeholder && bank.marks.placeholderIndex >= count)) {
    throw RecoveryError("is damaged");
  }
  bank.patches.reserve(count);
  for (std::uint64_t i = 0; i < count; ++i) bank.patches.push_back(GetPatch(in));
  return bank;
}

}  // namespace

std::vector<std::uint8_t> EncodeRecovery(const CQuensetDoc& doc,
                                         const std::array<bool, kBankCount>& unsaved) {
  Writer out;
  constexpr std::size_t kBankFront =
      1 + 2 * sizeof(std::uint64_t) + sizeof(std::uint32_t) + sizeof(std::uint64_t);
  std::size_t size = kFrontBytes + sizeof(std::uint32_t) + kChecksumBytes;
  for (std::size_t b = 0; b < kBankCount; ++b) {
    size += kBankFront + doc.FilePath(b).native().size() + doc.PatchCount(b) * kPatchBytes;
  }
  out.Reserve(size);
  out.Put(std::span(reinterpret_cast<const std::uint8_t*>(kMagic.data()), kMagic.size()));
  out.Put(kVersion);
  out.Put(std::uint64_t{0});  // the payload's length, once known
  out.Put(static_cast<std::uint32_t>(doc.CurrentBank()));
  for (std::size_t b = 0; b < kBankCount; ++b) {
    const BankMarks marks = doc.Marks(b);
    out.Put(static_cast<std::uint8_t>((marks.placeholder ? kPlaceholderFlag : 0) |
                                      (unsaved[b] ? kUnsavedFlag : 0)));
    out.Put(static_cast<std::uint64_t>(marks.placeholderIndex));
    out.Put(static_cast<std::uint64_t>(marks.current));
    const std::string& name = doc.FilePath(b).native();
    out.Put(static_cast<std::uint32_t>(name.size()));
    out.Put(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
    out.Put(static_cast<std::uint64_t>(doc.PatchCount(b)));
    for (const CPatch& patch : doc.Bank(b)) PutPatch(out, patch);
  }
  std::vector<std::uint8_t>& bytes = out.Bytes();
  const std::uint64_t length = bytes.size() - kFrontBytes;
  Writer front;
  front.Put(length);
  std::copy(front.Bytes().begin(), front.Bytes().end(),
            bytes.begin() + kMagic.size() + sizeof(std::uint32_t));
  out.Put(Checksum(std::span(bytes).subspan(kFrontBytes)));
  return std::move(bytes);
}

RecoveredSession DecodeRecovery(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  if (bytes.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) {
    throw RecoveryError("is not a Zephyl recovery file");
  }
  in.Take(kMagic.size());
  if (in.Left() < kFrontBytes - kMagic.size()) throw RecoveryError("ends early");
  if (in.Get<std::uint32_t>() != kVersion) {
    throw RecoveryError("was written by another version of Zephyl");
  }
  const auto length = in.Get<std::uint64_t>();
  if (in.Left() < kChecksumBytes || length > in.Left() - kChecksumBytes) {
    throw RecoveryError("ends early");
  }
  if (length != in.Left() - kChecksumBytes) throw RecoveryError("is damaged");
  const auto payload = in.Take(length);
  if (in.Get<std::uint64_t>() != Checksum(payload)) throw RecoveryError("is damaged");

  Reader body(payload);
  RecoveredSession session;
  session.currentBank = body.Get<std::uint32_t>();
  if (session.currentBank >= kBankCount) throw RecoveryError("is damaged");
  for (RecoveredBank& bank : session.banks) bank = GetBank(body);
  if (body.Left() != 0) throw RecoveryError("is damaged");
  return session;
}

void WriteRecoveryFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  AtomicFileWriter writer(path);
  writer.Write(bytes);
  writer.Commit();
}

RecoveredSession ReadRecoveryFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!in || error) throw RecoveryError("cannot be read");
  std::vector<std::uint8_t> bytes(size);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  if (!in) throw RecoveryError("cannot be read");
  return DecodeRecovery(bytes);
}

void Restore(CQuensetDoc& doc, RecoveredSession&& session) {
  for (std::size_t b = 0; b < kBankCount; ++b) {
    RecoveredBank& bank = session.banks[b];
    doc.ExchangePatches(b, 0, doc.PatchCount(b), bank.patches);
    doc.SwapMarks(b, bank.marks);
    doc.SwapFilePath(b, bank.file);
  }
  doc.SetCurrentBank(session.currentBank);
}

}  // namespace zephyl
