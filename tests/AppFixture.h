#pragma once

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSettings>
#include <QTest>

#include "CMainFrame.h"
#include "CQuensetView.h"
#include "CommandIds.h"
#include "FakeMidiLibrary.h"
#include "ScriptedPrompts.h"
#include "TestPatches.h"

namespace zephyl::test {

inline QPoint Centre(const PanelRect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The editor's window on Qt's offscreen platform, with one MIDI input and output in memory,
// scripted answers, and every command it carries out recorded.
class AppFixture : public ::testing::Test {
 protected:
  static constexpr MidiHandle kInput = 100;  // the fake's handles, in the order ports open
  static constexpr MidiHandle kOutput = 101;

  AppFixture() {
    QSettings("zephyl", "zephyl").clear();  // an earlier test's recent files
    m_midi.inputs = {"In A"};
    m_midi.outputs = {"Out A"};
  }
  // As a clean exit does: no recovery file is left for the next test's editor to offer.
  ~AppFixture() override {
    if (m_frame) m_frame->Recovery().Remove();
  }

  CMainFrame& Frame(ProgressTiming timing = {}) {
    if (!m_frame) {
      m_frame = std::make_unique<CMainFrame>(m_doc, m_prompts, m_midi, 1234, timing);
      m_frame->onCommand = [this](int id) { m_ran.push_back(id); };
      m_frame->View().OnInitialUpdate();
    }
    return *m_frame;
  }
  CQuensetView& View() { return Frame().View(); }
  QString Title() {
    return Frame().windowTitle().replace("[*]", Frame().isWindowModified() ? "*" : "");
  }
  CPanelEditor& Panel() { return View().Panel(); }
  // Shown and active, with the keys going to the view.
  void Show() {
    Frame().show();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    View().setFocus();
  }
  // A bank file of patches marked `marks` in the test's folder.
  std::filesystem::path Bank(const std::string& name, std::initializer_list<int> marks) {
    WriteFile(m_folder / name, DumpsOf(marks));
    return m_folder / name;
  }

  QPoint At(std::size_t control) { return Centre(Panel().Tables().controls[control].m_hitRect); }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), View().mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&View(), &event);
  }
  void Click(QPoint at) {
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
  }

  TempFolder m_folder;
  FakeMidiLibrary m_midi;
  CQuensetDoc m_doc;
  ScriptedPrompts m_prompts;
  std::unique_ptr<CMainFrame> m_frame;
  std::vector<int> m_ran;
};

}  // namespace zephyl::test
