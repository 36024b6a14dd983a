#include "CQuensetDoc.h"

#include <algorithm>
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

bool CQuensetDoc::IsEmpty(std::size_t b) const {
  return m_bPlaceholder[b] && m_banks[b].size() == 1 && m_banks[b].front() == CPatch{};
}

BankMarks CQuensetDoc::Marks(std::size_t b) const {
  return {m_bPlaceholder[b], m_placeholderIndex[b], m_currentIndex[b]};
}

void CQuensetDoc::SwapMarks(std::size_t b, BankMarks& marks) {
  const BankMarks mine = Marks(b);
  m_bPlaceholder[b] = marks.placeholder;
  m_placeholderIndex[b] = marks.placeholderIndex;
  m_currentIndex[b] = marks.current;
  marks = mine;
}

void CQuensetDoc::ExchangePatches(std::size_t b, std::size_t index, std::size_t count,
                                  std::vector<CPatch>& patches) {
  auto& bank = m_banks[b];
  assert(index + count <= bank.size());
  if (index == 0 && count == bank.size()) {
    bank.swap(patches);
    return;
  }
  const std::size_t common = std::min(count, patches.size());
  const auto at = bank.begin() + static_cast<std::ptrdiff_t>(index);
  std::swap_ranges(at, at + static_cast<std::ptrdiff_t>(common), patches.begin());
  if (count > common) {
    const auto from = at + static_cast<std::ptrdiff_t>(common);
    const auto to = at + static_cast<std::ptrdiff_t>(count);
    patches.insert(patches.end(), std::make_move_iterator(from), std::make_move_iterator(to));
    bank.erase(from, to);
  } else if (patches.size() > common) {
    const auto from = patches.begin() + static_cast<std::ptrdiff_t>(common);
    bank.insert(at + static_cast<std::ptrdiff_t>(common), std::make_move_iterator(from),
                std::make_move_iterator(patches.end()));
    patches.erase(from, patches.end());
    // What a step holds is counted against the history's memory: no room kept for nothing.
    patches.shrink_to_fit();
  }
}

}  // namespace zephyl
