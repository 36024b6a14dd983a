#pragma once

#include <chrono>

#include "SlicedWork.h"

class QString;
class QWidget;

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

  bool Busy() const { return m_busy; }
  // Gives up the running work at its next step, as its Cancel button does.
  void Cancel() { m_cancelRequested = true; }
  void SetTiming(ProgressTiming timing) { m_timing = timing; }

 private:
  ProgressTiming m_timing;
  bool m_busy = false;
  bool m_cancelRequested = false;
};

}  // namespace zephyl
