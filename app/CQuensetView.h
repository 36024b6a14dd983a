#pragma once

#include <QWidget>
#include <cstdint>

#include "BankCommand.h"
#include "CBankEditor.h"
#include "CQuensetDoc.h"
#include "ProgressRunner.h"
#include "RandomSource.h"
#include "UserPrompts.h"

namespace zephyl {

inline const QColor kPanelGrey(82, 82, 82);

// The editor's only view: the front panel of the current patch, and the commands that work on
// the banks. It seeds the run's random generator once, when it is made.
class CQuensetView : public QWidget {
 public:
  CQuensetView(CQuensetDoc& doc, UserPrompts& prompts, ProgressRunner& runner, std::uint32_t seed,
               QWidget* parent = nullptr);

  // After the window exists and before the first document: MIDI and the panel's timer.
  void OnCreate();
  // At start and after every new or opened document.
  void OnInitialUpdate();

  void OnBankCommand(BankCommand command);
  void OnProcreate();
  void OnSend();
  void OnReceive();
  bool IsReceiving() const { return m_bReceiving; }
  void OnConfigure();

  // Repaints every part of the panel an edit or a command may change.
  void InvalidatePanel();

  CQuensetDoc& Doc() { return m_doc; }
  const CBankEditor& Editor() const { return m_editor; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CQuensetDoc& m_doc;
  UserPrompts& m_prompts;
  ProgressRunner& m_runner;
  SeededRandom m_random;
  CBankEditor m_editor;
  bool m_bReceiving = false;
  bool m_painted = false;
};

}  // namespace zephyl
