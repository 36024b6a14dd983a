#pragma once

#include <QProgressDialog>
#include <chrono>
#include <memory>

#include "SlicedWork.h"

namespace zephyl {

struct ProgressTiming {
  // Work that ends sooner shows no dialog at all.
  std::chrono::milliseconds showAfter{500};
  // Events are handled at least this often, so the window repaints and Cancel answers.
  std::chrono::milliseconds eventInterval{20};
};

// Runs sliced work on the user-interface thread, with a progress dialog once it takes long.
// Until the dialog shows, user input waits in the queue; once it shows, the dialog is modal
// to the window, so nothing but Cancel reaches the program while the work runs.
class ProgressRunner {
 public:
  explicit ProgressRunner(ProgressTiming timing = {}) : m_timing(timing) {}

  // False when the work was cancelled; exceptions of the work pass through.
  bool Run(QWidget* parent, const QString& label, SlicedWork& work);
  // While Run runs, keeps the window alive as Run does between steps, for work whose step
  // waits (a read of a stream); false once the work is to be given up.
  bool Pump();

  bool Busy() const { return m_work != nullptr; }
  // Gives up the running work at its next step, as its Cancel button does.
  void Cancel() { m_cancelRequested = true; }

 private:
  using Clock = std::chrono::steady_clock;

  ProgressTiming m_timing;
  bool m_cancelRequested = false;
  // Of the work running.
  QWidget* m_parent = nullptr;
  const QString* m_label = nullptr;
  SlicedWork* m_work = nullptr;
  Clock::time_point m_start;
  Clock::time_point m_lastEvents;
  std::unique_ptr<QProgressDialog> m_dialog;
};

}  // namespace zephyl
