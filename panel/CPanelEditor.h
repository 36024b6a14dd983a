#pragma once

#include <chrono>
#include <cstdint>

#include "CQuensetDoc.h"
#include "PanelHost.h"
#include "PanelTables.h"
#include "TestNote.h"

namespace zephyl {

// Editing the current patch on the drawn panel: knobs are dragged, buttons clicked, slot
// selectors chosen; the wheel steps through the bank and a timer blinks the "morph" light.
// Owns the control tables and the editing state; every platform operation goes through the host.
//
// Each handler takes a point in panel coordinates and returns whether the event goes on to the
// window's default handling.
class CPanelEditor {
 public:
  static constexpr unsigned kBlinkTimerId = 2;
  static constexpr std::chrono::milliseconds kBlinkPeriod{250};
  // Blink phases: 0 dark, 1 lit, 2 held lit.
  static constexpr int kSteadyPhase = 2;

  CPanelEditor(CQuensetDoc& doc, PanelHost& host);

  bool OnLButtonDown(PanelPoint point);
  bool OnLButtonUp();
  bool OnMouseMove(PanelPoint point);
  bool OnLButtonDblClk(PanelPoint point);
  // One patch per event, whatever the size of `delta`.
  bool OnMouseWheel(int delta);
  bool OnTimer(unsigned id);

  // Repaints everything an edit or a bank command may change.
  void InvalidatePanel();

  const PanelTables& Tables() const { return m_tables; }
  CQuensetDoc& Doc() { return m_doc; }
  const CQuensetDoc& Doc() const { return m_doc; }

  // Morph mode: knobs edit and show the morph amounts. The view's initial update turns it off.
  bool MorphMode() const { return m_tables.controls[kMorphButton].m_state != 0; }
  void SetMorphMode(bool on);
  // The instrument slot (0 to 3 for A to D) that sent patches and test notes go to.
  int Slot() const { return m_nSlot; }
  void SelectSlot(int slot);
  // The parameter in the value display, 0 to 65.
  int CurrentParameter() const { return m_nCurParam; }
  void SetCurrentParameter(int parameter);
  int BlinkPhase() const { return m_nBlinkPhase; }
  // The drawing pass keeps the "morph" light lit while a morph amount is set.
  void HoldMorphLight() { m_nBlinkPhase = kSteadyPhase; }
  bool IsDragging() const { return m_bDragging; }
  bool IsNoteOn() const { return m_bNoteOn; }

 private:
  std::uint8_t& Value(std::size_t parameter) { return m_doc.CurrentPatch().m_values[parameter]; }
  void ClearPlaceholder() { m_doc.ClearPlaceholder(m_doc.CurrentBank()); }
  void Drag(int y);
  // Whether a press there takes a knob or clicks a button that steps a value.
  bool EditsValues(PanelPoint point) const;
  // True when the buttons pressed changed a value.
  bool PressButtons(PanelPoint point);

  CQuensetDoc& m_doc;
  PanelHost& m_host;
  PanelTables m_tables;
  bool m_bNoteOn = false;
  int m_nBlinkPhase = kSteadyPhase;
  int m_nSlot = 0;
  int m_nLastY = 0;
  bool m_bDragging = false;
  int m_nCurParam = 0;
  TestNote m_testNote;
};

}  // namespace zephyl
