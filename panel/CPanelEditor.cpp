#include "CPanelEditor.h"

#include <algorithm>
#include <cassert>

#include "PanelDisplays.h"
#include "PanelLamps.h"

namespace zephyl {

namespace {

constexpr int kHoverTop = 0;  // hovering picks knobs strictly inside
constexpr int kHoverBottom = 200;
constexpr int kMorphMin = -127;
constexpr int kMorphMax = 127;
constexpr std::uint8_t kSyncBits = 0x03;
constexpr std::uint8_t kOctaveShiftCount = CPatch::Range(kOctaveParameter);

// "arp/dest" steps through two cycles, 0 1 2 5 6 (arpeggio modes) and 3 4 7 (destinations);
// 8, where "arp" enters the destinations, leads into the second.
constexpr std::uint8_t kArpDestNext[] = {1, 2, 5, 4, 7, 6, 0, 3, 7};

int Signed(std::uint8_t value) {
  return static_cast<std::int8_t>(value);
}

}  // namespace

CPanelEditor::CPanelEditor(CQuensetDoc& doc, PanelHost& host)
    : m_doc(doc), m_host(host), m_tables(PanelTables::Build()) {}

void CPanelEditor::SetMorphMode(bool on) {
  m_tables.controls[kMorphButton].m_state = on ? 1 : 0;
}

void CPanelEditor::SelectSlot(int slot) {
  assert(slot >= 0 && slot < static_cast<int>(kSlotCount));
  m_nSlot = slot;
}

void CPanelEditor::SetCurrentParameter(int parameter) {
  assert(parameter >= 0 && parameter < static_cast<int>(kParameterCount));
  m_nCurParam = parameter;
}

void CPanelEditor::InvalidatePanel() {
  const auto& c = m_tables.controls;
  for (std::size_t k = 0; k < kKnobCount; ++k) m_host.Invalidate(c[k].m_hitRect);
  m_host.Invalidate(c[kSemitonesParameter].m_indicatorRect);
  for (std::size_t b = kFirstButton; b <= kTrigButton; ++b) m_host.Invalidate(c[b].m_indicatorRect);
  for (const CPanelControl& slot : m_tables.slotButtons) {
    m_host.Invalidate(SlotRedrawRect(slot));
    m_host.Invalidate(LampRect(LampAbove(slot)));  // its light reaches above that area
  }
  for (const PanelDisplay& display : {kValueDisplay, kBankDisplay, kPatchDisplay}) {
    m_host.Invalidate(display.area);
  }
  // Lights that reach beyond the areas above; without these their edges would stay stale.
  m_host.Invalidate(LampRect(SemitoneOctaveLamp(c[kSemitonesParameter])));
  m_host.Invalidate(LampRect(SyncLamp(c[kSyncParameter], 0)));
  for (int shift = 0; shift < kOctaveShiftLampCount; ++shift) {
    m_host.Invalidate(LampRect(OctaveShiftLamp(c[kOctaveParameter], shift)));
  }
}

bool CPanelEditor::EditsValues(PanelPoint point) const {
  const auto& c = m_tables.controls;
  for (std::size_t k = 0; k < kKnobCount; ++k) {
    if (c[k].m_hitRect.Contains(point)) return true;
  }
  for (std::size_t b = kFirstButton; b <= kOctaveDownButton; ++b) {
    if (c[b].m_hitRect.Contains(point)) return true;
  }
  return false;
}

bool CPanelEditor::OnLButtonDown(PanelPoint point) {
  const auto& c = m_tables.controls;
  const int morph = MorphMode() ? 1 : 0;
  // Before the placeholder flag goes: the edit takes it back too.
  const bool edits = EditsValues(point);
  if (edits) m_host.PatchEditStarted();
  for (std::size_t k = 0; k < kKnobCount; ++k) {
    if (!c[k].m_hitRect.Contains(point)) continue;
    ClearPlaceholder();
    m_bDragging = true;
    m_nLastY = point.y;
    m_nCurParam = static_cast<int>(k + kKnobCount * morph);
    m_host.CapturePointer();
    break;
  }
  if (PressButtons(point)) m_host.PatchValuesChanged();
  for (std::size_t s = 0; s < kSlotCount; ++s) {
    if (!m_tables.slotButtons[s].m_hitRect.Contains(point)) continue;
    m_nSlot = static_cast<int>(s);
    InvalidatePanel();
  }
  // A knob's edit lasts until it is released.
  if (edits && !m_bDragging) m_host.PatchEditFinished();
  return true;
}

bool CPanelEditor::PressButtons(PanelPoint point) {
  const auto& c = m_tables.controls;
  const auto before = m_doc.CurrentPatch().m_values;
  for (std::size_t b = kFirstButton; b <= kLastSteppedButton; ++b) {
    if (!c[b].m_hitRect.Contains(point)) continue;
    ClearPlaceholder();
    m_nCurParam = static_cast<int>(b);
    std::uint8_t& v = Value(b);
    if (b == kSyncParameter) {
      v = static_cast<std::uint8_t>((v & ~kSyncBits) | ((v + 1) & kSyncBits));
    } else {
      v = static_cast<std::uint8_t>(static_cast<std::uint8_t>(v + 1) % CPatch::Range(b));
    }
    InvalidatePanel();
    break;
  }
  if (c[kArpDestButton].m_hitRect.Contains(point)) {
    ClearPlaceholder();
    m_nCurParam = kArpParameter;
    std::uint8_t& v = Value(kArpParameter);
    if (v < std::size(kArpDestNext)) v = kArpDestNext[v];
    InvalidatePanel();
  }
  if (c[kArpButton].m_hitRect.Contains(point)) {
    ClearPlaceholder();
    m_nCurParam = kArpParameter;
    std::uint8_t& v = Value(kArpParameter);
    v = IsArpeggioMode(v) ? static_cast<std::uint8_t>(std::size(kArpDestNext) - 1) : 0;
    InvalidatePanel();
  }
  if (c[kDistButton].m_hitRect.Contains(point)) {
    ClearPlaceholder();
    m_nCurParam = kSyncParameter;
    Value(kSyncParameter) ^= kDistBit;
    InvalidatePanel();
  }
  if (c[kOctaveDownButton].m_hitRect.Contains(point)) {
    ClearPlaceholder();
    m_nCurParam = kOctaveParameter;
    std::uint8_t& v = Value(kOctaveParameter);
    v = static_cast<std::uint8_t>((v + kOctaveShiftCount - 1) % kOctaveShiftCount);
    InvalidatePanel();
  }
  if (c[kMorphButton].m_hitRect.Contains(point)) {
    ClearPlaceholder();
    SetMorphMode(!MorphMode());
    InvalidatePanel();
  }
  if (c[kTrigButton].m_hitRect.Contains(point)) {
    m_bNoteOn = true;
    m_tables.controls[kTrigButton].m_state = 1;
    const ShortMessage on = m_testNote.On(m_doc, m_nSlot);
    m_host.SendShortMessage(on.status, on.data1, on.data2);
    InvalidatePanel();
  }
  if (c[kSendButton].m_hitRect.Contains(point)) m_host.SendPatch();
  return m_doc.CurrentPatch().m_values != before;
}

bool CPanelEditor::OnMouseMove(PanelPoint point) {
  if (m_bDragging) {
    Drag(point.y);
    return false;
  }
  if (point.y <= kHoverTop || point.y >= kHoverBottom) return true;
  for (std::size_t k = 0; k < kKnobCount; ++k) {
    if (!m_tables.controls[k].m_hitRect.Contains(point)) continue;
    m_nCurParam = static_cast<int>(k + (MorphMode() ? kKnobCount : 0));
    m_host.Invalidate(kValueDisplay.area);
    return false;
  }
  return true;
}

void CPanelEditor::Drag(int y) {
  const auto p = static_cast<std::size_t>(m_nCurParam);
  // Pointer positions come from the platform; widen before subtracting.
  const long long down = static_cast<long long>(y) - m_nLastY;
  m_nLastY = y;
  const auto& c = m_tables.controls;
  if (p < kKnobCount) {
    std::uint8_t& value = Value(p);
    const std::uint8_t old = value;
    const int v = Signed(value);
    const int range = CPatch::Range(p);
    // Knobs stop at 0 and at their range; a stored byte above 127 counts as negative.
    if (down > 0 && v > 0) value = static_cast<std::uint8_t>(std::max<long long>(v - down, 0));
    if (down < 0 && v < range) {
      value = static_cast<std::uint8_t>(std::min<long long>(v - down, range));
    }
    if (p == kSemitonesParameter) {
      m_host.Invalidate(c[p].m_indicatorRect);
      m_host.Invalidate(LampRect(SemitoneOctaveLamp(c[p])));
    }
    m_host.Invalidate(c[p].m_hitRect);
    m_host.Invalidate(kValueDisplay.area);
    if (value != old) m_host.PatchValuesChanged();
  } else if (p < kSwitchFirst) {
    std::uint8_t& value = Value(p);
    const int v = Signed(value);
    const bool moves = (down > 0 && v > kMorphMin) || (down < 0 && v < kMorphMax);
    if (!moves) return;
    value = static_cast<std::uint8_t>(std::clamp<long long>(v - down, kMorphMin, kMorphMax));
    m_host.Invalidate(c[p - kMorphFirst].m_hitRect);
    m_host.Invalidate(kValueDisplay.area);
    m_host.PatchValuesChanged();
  }
}

bool CPanelEditor::OnLButtonUp() {
  if (m_bDragging) {
    m_host.ReleasePointer();
    m_bDragging = false;
    m_host.PatchEditFinished();
    return false;
  }
  if (m_bNoteOn) {
    const ShortMessage off = m_testNote.Off();
    m_host.SendShortMessage(off.status, off.data1, off.data2);
    m_bNoteOn = false;
    m_tables.controls[kTrigButton].m_state = 0;
    InvalidatePanel();
  }
  return true;
}

bool CPanelEditor::OnLButtonDblClk(PanelPoint point) {
  OnLButtonDown(point);
  return true;
}

bool CPanelEditor::OnMouseWheel(int delta) {
  if (delta > 0) m_host.Execute(BankCommand::Next);
  if (delta < 0) m_host.Execute(BankCommand::Prev);
  return true;
}

bool CPanelEditor::OnTimer(unsigned id) {
  if (id == kBlinkTimerId) {
    m_nBlinkPhase = m_nBlinkPhase != 1 ? 1 : 0;
    m_host.Invalidate(m_tables.controls[kMorphButton].m_indicatorRect);
  }
  return true;
}

}  // namespace zephyl
