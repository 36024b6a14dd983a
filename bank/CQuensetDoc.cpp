#include "CQuensetDoc.h"

#include <cassert>
#include <iterator>

namespace zephyl {

CQuensetDoc::CQuensetDoc() {
  for (std::size_t b = 0; b < kBankCount; ++b) ClearBank(b);
}

void CQuensetDoc::OnNewDocument() {
  ClearBank(m_currentBank);
}

void CQuensetDoc::ClearBank(std::size_t b) {
  m_banks[b].assign(1, CPatch{});
  m_currentIndex[b] = 0;
  m_bPlaceholder[b] = true;
  m_placeholderIndex[b] = 0;
}

void CQuensetDoc::DeletePatch(std::size_t b) {
  auto& bank = m_banks[b];
  const std::size_t index = m_currentIndex[b];
  bank.erase(bank.begin() + static_cast<std::ptrdiff_t>(index));
  if (bank.empty()) {
    // The fresh patch of an emptied bank keeps the bank's flag, and stands where it stood.
    bank.emplace_back();
    m_placeholderIndex[b] = 0;
  } else if (m_bPlaceholder[b]) {
    if (index == m_placeholderIndex[b]) {
      m_bPlaceholder[b] = false;
    } else if (index < m_placeholderIndex[b]) {
      --m_placeholderIndex[b];
    }
  }
  if (m_currentIndex[b] >= bank.size()) m_currentIndex[b] = 0;
}

void CQuensetDoc::AppendNewPatch() {
  auto& bank = m_banks[m_currentBank];
  bank.emplace_back();
  m_currentIndex[m_currentBank] = bank.size() - 1;
}

void CQuensetDoc::InsertCopyBefore(const CPatch& patch) {
  InsertCopyAt(m_currentIndex[m_currentBank], patch);
}

void CQuensetDoc::InsertCopyAfter(const CPatch& patch) {
  InsertCopyAt(m_currentIndex[m_currentBank] + 1, patch);
}

void CQuensetDoc::InsertCopyAt(std::size_t index, const CPatch& patch) {
  CPatch copy;
  copy.CopyFrom(patch);
  auto& bank = m_banks[m_currentBank];
  bank.insert(bank.begin() + static_cast<std::ptrdiff_t>(index), copy);
  m_currentIndex[m_currentBank] = index;
  if (index <= m_placeholderIndex[m_currentBank]) ++m_placeholderIndex[m_currentBank];
}

void CQuensetDoc::AppendPatches(std::size_t b, std::vector<CPatch>&& patches) {
  if (patches.empty()) return;
  auto& bank = m_banks[b];
  if (m_bPlaceholder[b]) {
    bank.erase(bank.begin() + static_cast<std::ptrdiff_t>(m_placeholderIndex[b]));
    m_bPlaceholder[b] = false;
  }
  if (bank.empty()) {
    bank = std::move(patches);
  } else {
    bank.insert(bank.end(), std::make_move_iterator(patches.begin()),
                std::make_move_iterator(patches.end()));
  }
  m_currentIndex[b] = bank.size() - 1;
}

void CQuensetDoc::SetCurrentIndex(std::size_t b, std::size_t index) {
  assert(index < m_banks[b].size());
  m_currentIndex[b] = index;
}

void CQuensetDoc::SetCurrentBank(std::size_t b) {
  assert(b < kBankCount);
  m_currentBank = b;
}

}  // namespace zephyl
