#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "BankCommand.h"
#include "CBankEditor.h"
#include "CInputDeviceMenu.h"
#include "COutputDeviceMenu.h"
#include "CPanelEditor.h"
#include "CPatchReceiver.h"
#include "CPatchSender.h"
#include "CQuensetDoc.h"
#include "DeviceWatch.h"
#include "DibMessages.h"
#include "PanelHost.h"
#include "PanelPictures.h"
#include "PatchEditRecorder.h"
#include "PatchView.h"
#include "ProgressRunner.h"
#include "RandomSource.h"
#include "SendOnEdit.h"
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
  // on to the view's own commands whatever they answer. A port chosen is remembered.
  void OfferToDeviceMenus(int id);
  // The device menus list the ports as they are now.
  void RebuildDeviceMenus() { m_watch.Rebuild(); }

  void OnBankCommand(BankCommand command);
  void OnProcreate();
  void OnSend();
  void OnReceive();
  // All Notes Off and All Sound Off on every channel of the output.
  void OnPanic();
  // "Send on Edit", remembered for the next run.
  bool SendOnEditOn() const { return m_sendOnEdit.IsOn(); }
  void SetSendOnEdit(bool on);
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
  void PatchValuesChanged() override;
  void PatchEditFinished() override;
  // Sends the current patch for Send on Edit, in place of any dump still waiting.
  void SendEdited();
  // Runs the send Send on Edit holds back when it is due.
  void ArmEditSend();
  // A received dump.
  void InsertReceived(CQuensetDoc& doc, const CPatch& patch) override;
  // After a received dump.
  void InvalidateAll() override;
  // A picture that cannot be attached.
  void Show(std::string_view message) override;

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
  // The receiver goes before the sender.
  CPatchSender m_sender;
  CPatchReceiver m_receiver;
  CInputDeviceMenu m_inputMenu;
  COutputDeviceMenu m_outputMenu;
  DeviceWatch m_watch;
  SendOnEdit m_sendOnEdit;
  QTimer m_editSendTimer;
  CPanelEditor m_panel;
  int m_nTimerId = 0;
  int m_wheelDelta = 0;  // wheel turned since the last step, in Qt's eighths of a degree
  PatchEditRecorder m_edit;
  bool m_painted = false;
};

}  // namespace zephyl
