#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <vector>

#include "CQuensetDoc.h"

namespace zephyl {

// A session as a recovery file keeps it: the five banks with their marks, files and whether
// they held unsaved changes, and the current bank.
struct RecoveredBank {
  std::vector<CPatch> patches;
  BankMarks marks;
  std::filesystem::path file;
  bool unsaved = false;
};

struct RecoveredSession {
  std::array<RecoveredBank, kBankCount> banks;
  std::size_t currentBank = 0;
};

// Why recovery bytes were refused: "ends early", "is not a Zephyl recovery file", ...
class RecoveryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The session in bytes, each patch exactly as it stands in its bank.
std::vector<std::uint8_t> EncodeRecovery(const CQuensetDoc& doc,
                                         const std::array<bool, kBankCount>& unsaved);
// Replaces `path` whole with `bytes`, or leaves it as it was; throws FileError.
void WriteRecoveryFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// Throws RecoveryError for bytes that are not a whole, intact session.
RecoveredSession DecodeRecovery(std::span<const std::uint8_t> bytes);
// The same from a file, which is also refused when it cannot be read.
RecoveredSession ReadRecoveryFile(const std::filesystem::path& path);
// The banks, their marks and files and the current bank become the session's.
void Restore(CQuensetDoc& doc, RecoveredSession&& session);

}  // namespace zephyl
