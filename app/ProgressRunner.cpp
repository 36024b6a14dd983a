#include "ProgressRunner.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <memory>

namespace zephyl {

namespace {
constexpr int kProgressSteps = 1000;
}

bool ProgressRunner::Run(QWidget* parent, const QString& label, SlicedWork& work) {
  using Clock = std::chrono::steady_clock;
  m_busy = true;
  m_cancelRequested = false;
  struct BusyReset {
    bool& busy;
    ~BusyReset() { busy = false; }
  } reset{m_busy};

  const Clock::time_point start = Clock::now();
  Clock::time_point lastEvents = start;
  std::unique_ptr<QProgressDialog> dialog;
  while (!work.Step()) {
    const Clock::time_point now = Clock::now();
    if (now - lastEvents < m_timing.eventInterval) continue;
    lastEvents = now;
    if (!dialog && now - start >= m_timing.showAfter) {
      dialog = std::make_unique<QProgressDialog>(label, QObject::tr("Cancel"), 0, kProgressSteps,
                                                 parent);
      dialog->setWindowTitle(QStringLiteral("Zephyl"));
      dialog->setWindowModality(Qt::WindowModal);
      dialog->setMinimumDuration(0);
      dialog->setAutoClose(false);
      dialog->setAutoReset(false);
      dialog->show();
    }
    if (dialog) {
      const double fraction = work.Fraction();
      // A busy bar while the end cannot be told.
      dialog->setMaximum(fraction < 0 ? 0 : kProgressSteps);
      dialog->setValue(fraction < 0 ? 0 : static_cast<int>(fraction * kProgressSteps));
    }
    QCoreApplication::processEvents(dialog ? QEventLoop::AllEvents
                                           : QEventLoop::ExcludeUserInputEvents);
    if (m_cancelRequested || (dialog && dialog->wasCanceled())) return false;
  }
  return true;
}

}  // namespace zephyl
