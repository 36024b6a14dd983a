#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CQuensetDoc.h"

namespace zephyl {

// One undoable change of one bank. A step holds only what the document does not: the patches
// the change took out while it is done, those it put in while it is undone, and the bank's
// marks and file of the other side. Undoing and redoing are the same exchange, so neither
// copies a patch, and a change of one patch in a bank of any size costs the same.
class BankStep {
 public:
  // Each carries out a change of the current bank and returns the step that takes it back;
  // `name` says what the change was ("Delete Patch").
  static BankStep InsertBefore(CQuensetDoc& doc, const CPatch& patch, std::string name);
  static BankStep InsertAfter(CQuensetDoc& doc, const CPatch& patch, std::string name);
  static BankStep AppendNew(CQuensetDoc& doc, std::string name);
  static BankStep DeleteCurrent(CQuensetDoc& doc, std::string name);
  // Nothing when the change left the current patch as it was.
  template <typename Change>
  static std::optional<BankStep> ChangeCurrent(CQuensetDoc& doc, std::string name, Change change);

  // For a change already made to the patch at `index` of bank `b`, which held `before` with
  // the bank's marks `marksBefore`; nothing when the patch is as it was.
  static std::optional<BankStep> Changed(const CQuensetDoc& doc, std::size_t b, std::size_t index,
                                         const CPatch& before, const BankMarks& marksBefore,
                                         std::string name);
  // Appends `patches` to bank b as loading does (the placeholder goes, the last one appended
  // becomes current); with `file`, the bank takes that file as its own.
  static BankStep Append(CQuensetDoc& doc, std::size_t b, std::vector<CPatch>&& patches,
                         std::string name, std::optional<std::filesystem::path> file = {});
  // Bank b holds `patches` and nothing else, or a fresh placeholder when there are none, with
  // the last one current; the bank no longer has a file.
  static BankStep Replace(CQuensetDoc& doc, std::size_t b, std::vector<CPatch>&& patches,
                          std::string name);

  const std::string& Name() const { return m_name; }
  std::size_t Bank() const { return m_bank; }
  // Undoes the change when it is done, redoes it when it is undone.
  void Toggle(CQuensetDoc& doc);
  // What the step keeps in memory, itself included.
  std::size_t MemoryBytes() const { return m_bytes; }

 private:
  // `inBank` patches of the bank from `index` on, which change places with `held`.
  struct Splice {
    std::size_t index = 0;
    std::size_t inBank = 0;
    std::vector<CPatch> held;
  };

  BankStep(std::string name, std::size_t bank, BankMarks marks, bool done);
  static BankStep Inserted(const CQuensetDoc& doc, const BankMarks& before, std::string name);
  void CountBytes();

  std::string m_name;
  std::size_t m_bank;
  // Applied in order when redoing, in reverse when undoing.
  std::vector<Splice> m_splices;
  BankMarks m_marks;
  std::optional<std::filesystem::path> m_file;
  bool m_done;
  std::size_t m_bytes = 0;
};

template <typename Change>
std::optional<BankStep> BankStep::ChangeCurrent(CQuensetDoc& doc, std::string name, Change change) {
  const std::size_t b = doc.CurrentBank();
  const CPatch before = doc.CurrentPatch();
  const BankMarks marks = doc.Marks(b);
  change(doc.CurrentPatch());
  return Changed(doc, b, doc.CurrentIndex(b), before, marks, std::move(name));
}

}  // namespace zephyl
