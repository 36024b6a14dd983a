#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "CPatch.h"

namespace zephyl {

inline constexpr std::size_t kBankCount = 5;
inline constexpr std::size_t kSlotCount = 4;
inline constexpr int kMidiChannelCount = 16;

// What a bank holds besides its patches: the placeholder flag with the placeholder's position,
// and the position of the current patch.
struct BankMarks {
  bool placeholder = false;
  std::size_t placeholderIndex = 0;
  std::size_t current = 0;

  bool operator==(const BankMarks&) const = default;
};

// The single document: five banks of patches, each never empty and with its own current patch,
// the breeding and MIDI settings of the run, and the buffer in which program dumps are built
// and collected for MIDI. Banks are vectors, so every positional lookup is constant time.
class CQuensetDoc {
 public:
  static constexpr int kDefaultMutationChance = 1;
  static constexpr int kDefaultChildrenPerParent = 5;
  static constexpr std::array<int, kSlotCount> kDefaultSlotChannels = {11, 12, 13, 14};
  static constexpr int kDefaultGlobalChannel = 16;

  CQuensetDoc();

  // "Clear Bank": only the current bank is cleared.
  void OnNewDocument();
  // Destroys every patch of bank b and leaves one placeholder patch.
  void ClearBank(std::size_t b);
  // Removes the current patch of bank b; the next one, or the first, becomes current.
  void DeletePatch(std::size_t b);
  // A default patch at the end of the current bank, made current.
  void AppendNewPatch();
  // A copy of `patch` next to the current patch of the current bank, made current.
  void InsertCopyBefore(const CPatch& patch);
  void InsertCopyAfter(const CPatch& patch);
  // Appends `patches` to bank b as loading and breeding do: the placeholder goes away, and the
  // last one appended becomes current. Nothing changes when `patches` is empty.
  void AppendPatches(std::size_t b, std::vector<CPatch>&& patches);

  std::size_t CurrentIndex(std::size_t b) const { return m_currentIndex[b]; }
  void SetCurrentIndex(std::size_t b, std::size_t index);
  std::size_t CurrentBank() const { return m_currentBank; }
  void SetCurrentBank(std::size_t b);

  std::size_t PatchCount(std::size_t b) const { return m_banks[b].size(); }
  const CPatch& PatchAt(std::size_t b, std::size_t index) const { return m_banks[b][index]; }
  const std::vector<CPatch>& Bank(std::size_t b) const { return m_banks[b]; }
  bool IsPlaceholder(std::size_t b) const { return m_bPlaceholder[b]; }
  // Editing the current patch on the panel makes it a real patch.
  void ClearPlaceholder(std::size_t b) { m_bPlaceholder[b] = false; }

  // The file bank b was opened from or last saved to; empty when it has none.
  const std::filesystem::path& FilePath(std::size_t b) const { return m_files[b]; }
  void SetFilePath(std::size_t b, std::filesystem::path path) { m_files[b] = std::move(path); }
  // Nothing but the untouched placeholder: a bank with nothing in it to lose.
  bool IsEmpty(std::size_t b) const;

  // For undoing and redoing. Each exchanges what the document holds with what the caller holds.
  BankMarks Marks(std::size_t b) const;
  void SwapMarks(std::size_t b, BankMarks& marks);
  void SwapFilePath(std::size_t b, std::filesystem::path& path) { m_files[b].swap(path); }
  // The `count` patches of bank b from `index` on change places with `patches`; a whole bank is
  // exchanged without moving a single patch. The bank may be empty in between exchanges.
  void ExchangePatches(std::size_t b, std::size_t index, std::size_t count,
                       std::vector<CPatch>& patches);

  CPatch& CurrentPatch() { return m_banks[m_currentBank][m_currentIndex[m_currentBank]]; }
  const CPatch& CurrentPatch() const {
    return m_banks[m_currentBank][m_currentIndex[m_currentBank]];
  }

  // Settings of the run, edited in the preferences; channels are 1-based.
  bool m_bExplodeSyx = false;
  std::array<int, kSlotCount> m_slotChannel = kDefaultSlotChannels;
  int m_globalChannel = kDefaultGlobalChannel;
  int m_mutationChance = kDefaultMutationChance;
  int m_childrenPerParent = kDefaultChildrenPerParent;

  // Where outgoing dumps are built and incoming System Exclusive bytes collected; its size is
  // the capacity, m_transferCount the bytes in use.
  std::vector<std::uint8_t> m_transferBuf = std::vector<std::uint8_t>(kDumpSize);
  std::size_t m_transferCount = 0;

 private:
  void InsertCopyAt(std::size_t index, const CPatch& patch);

  std::array<bool, kBankCount> m_bPlaceholder{};
  // Where the placeholder stands while its flag is set: patches pasted or received in front of
  // it must survive when loading or breeding removes it.
  std::array<std::size_t, kBankCount> m_placeholderIndex{};
  std::array<std::size_t, kBankCount> m_currentIndex{};
  std::size_t m_currentBank = 0;
  std::array<std::vector<CPatch>, kBankCount> m_banks;
  std::array<std::filesystem::path, kBankCount> m_files;
};

}  // namespace zephyl
