#pragma once

#include "BankCommand.h"
#include "CQuensetDoc.h"
#include "RandomSource.h"

namespace zephyl {

// Carries out the editor's bank commands on the document; holds the editor's private
// clipboard patch, which only ever receives copies.
class CBankEditor {
 public:
  static constexpr std::size_t kLongStep = 50;

  CBankEditor(CQuensetDoc& doc, RandomSource& random) : m_doc(doc), m_random(random) {}

  CommandEffect Execute(BankCommand command);

  const CPatch& Clipboard() const { return m_clipboard; }

 private:
  void Step(bool forward);
  void LongStep(bool forward);

  CQuensetDoc& m_doc;
  RandomSource& m_random;
  CPatch m_clipboard;
};

}  // namespace zephyl
