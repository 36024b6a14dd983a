#pragma once

#include "BankCommand.h"
#include "CQuensetDoc.h"
#include "RandomSource.h"
#include "UndoHistory.h"

namespace zephyl {

// Carries out the editor's bank commands on the document, each change as one step of the
// history; holds the editor's private clipboard patch, which only ever receives copies and is
// no part of what is undone.
class CBankEditor {
 public:
  static constexpr std::size_t kLongStep = 50;

  CBankEditor(CQuensetDoc& doc, RandomSource& random, UndoHistory& history)
      : m_doc(doc), m_random(random), m_history(history) {}

  CommandEffect Execute(BankCommand command);

  const CPatch& Clipboard() const { return m_clipboard; }

 private:
  void Step(bool forward);
  void LongStep(bool forward);
  template <typename Change>
  void ChangeCurrent(const char* name, Change change);
  void Procreate();

  CQuensetDoc& m_doc;
  RandomSource& m_random;
  UndoHistory& m_history;
  CPatch m_clipboard;
};

}  // namespace zephyl
