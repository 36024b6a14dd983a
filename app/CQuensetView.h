#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "BankCommand.h"
#include "CBankEditor.h"
#include "CInputDeviceMenu.h"
#include "COutputDeviceMenu.h"
#include "CPanelEditor.h"
#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "CQuensetDoc.h"
#include "DibMessages.h"
#include "PanelHost.h"
#include "PanelPictures.h"
#include "PatchEditRecorder.h"
#include "PatchView.h"
#include "ProgressRunner.h"
#include "RandomSource.h"
#include "UndoHistory.h"
#include "UserPrompts.h"

namespace zephyl {

// The editor's only view: the front panel of the current patch, the commands that work on the
// banks, and the MIDI ports and device menus. Every change it makes to the banks (a command, an
// edit on the panel from press to release, a received dump) is one step of the history. It
// seeds the run's random generator once, when it is made. Everything here runs on the
// user-interface thread.
class CQuensetView : public QWidget, private PanelHost, private PatchView, private DibMessages {
 public:
  CQuensetView(CQuensetDoc& doc, UndoHistory& history, UserPrompts& prompts, ProgressRunner& runner,
               MidiLibrary& midi, std::uint32_t seed, QWidget* parent = nullptr);
  ~CQuensetView() override;

  // After the window exists and before the first document: the device menus go into `menus`
  // and open their first devices, then the blink timer starts.
  void OnCreate(DeviceMenuHost& menus);
  // At start and after every new or opened document: pictures attached, morph mode off.
  void OnInitialUpdate();
  // Every command carried out is offered to the input menu, then to the output menu; it goes
  // on to the view's own commands whatever they answer.
  void OfferToDeviceMenus(int id);

  void OnBankCommand(BankCommand command);
  void OnProcreate();
  void OnSend();
  void OnReceive();
  std::string_view ReceiveItemText() const { return m_receiver.ReceiveItemText(); }
  void OnConfigure();

  // Repaints every part of the panel an edit or a command may change.
  void InvalidatePanel();

  CPanelEditor& Panel() { return m_panel; }

  // After the banks or the current bank or patch may have changed.
  std::function<void()> onChanged;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  // The panel's host.
  void Invalidate(const PanelRect& area) override;
  void CapturePointer() override;
  void ReleasePointer() override;
  void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
  void SendPatch() override;
  void Execute(BankCommand command) override;
  void PatchEditStarted() override;
  void PatchEditFinished() override;
  // A received dump.
  void InsertReceived(CQuensetDoc& doc, const CPatch& patch) override;
  void InvalidateAll() override;
  // A picture that cannot be attached.
  void Show(std::string_view message) override;

  // Tells the user, once each, of a MIDI device that stopped working.
  void ReportDeviceErrors();
  // An edit on the panel, from its press to now, becomes a step; while a knob is held, what
  // follows is a new edit, so that a command or a dump between goes into the history between.
  void EndEdit();
  void ResumeEdit();
  void Changed();

  CQuensetDoc& m_doc;
  UndoHistory& m_history;
  UserPrompts& m_prompts;
  ProgressRunner& m_runner;
  SeededRandom m_random;
  CBankEditor m_editor;  // holds the clipboard patch
  PanelPictures m_pictures;
  MidiLibrary& m_midi;
  // The receiver goes before the sender.
  CPatchSender m_sender;
  CPatchReceiver m_receiver;
  CInputDeviceMenu m_inputMenu;
  COutputDeviceMenu m_outputMenu;
  CPanelEditor m_panel;
  int m_nTimerId = 0;
  int m_wheelDelta = 0;  // wheel turned since the last step, in Qt's eighths of a degree
  PatchEditRecorder m_edit;
  std::set<std::string> m_reportedErrors;
  bool m_painted = false;
};

}  // namespace zephyl
