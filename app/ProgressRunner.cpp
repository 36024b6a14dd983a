#include "ProgressRunner.h"

#include <QCoreApplication>

namespace zephyl {

namespace {
constexpr int kProgressSteps = 1000;
}

bool ProgressRunner::Run(QWidget* parent, const QString& label, SlicedWork& work) {
  m_cancelRequested = false;
  m_parent = parent;
  m_label = &label;
  m_work = &work;
  m_start = m_lastEvents = Clock::now();
  struct Finish {
    ProgressRunner& runner;
    ~Finish() {
      runner.m_dialog.reset();
      runner.m_work = nullptr;
    }
  } finish{*this};
  while (!work.Step()) {
    if (!Pump()) return false;
  }
  return true;
}

bool ProgressRunner::Pump() {
  if (m_work == nullptr) return true;
  const Clock::time_point now = Clock::now();
  if (now - m_lastEvents >= m_timing.eventInterval) {
    m_lastEvents = now;
    if (!m_dialog && now - m_start >= m_timing.showAfter) {
      m_dialog = std::make_unique<QProgressDialog>(*m_label, QObject::tr("Cancel"), 0,
                                                   kProgressSteps, m_parent);
      m_dialog->setWindowTitle(QStringLiteral("Zephyl"));
      m_dialog->setWindowModality(Qt::WindowModal);
      m_dialog->setMinimumDuration(0);
      m_dialog->setAutoClose(false);
      m_dialog->setAutoReset(false);
      m_dialog->show();
    }
    if (m_dialog) {
      const double fraction = m_work->Fraction();
      // A busy bar while the end cannot be told.
      m_dialog->setMaximum(fraction < 0 ? 0 : kProgressSteps);
      m_dialog->setValue(fraction < 0 ? 0 : static_cast<int>(fraction * kProgressSteps));
    }
    QCoreApplication::processEvents(m_dialog ? QEventLoop::AllEvents
                                             : QEventLoop::ExcludeUserInputEvents);
  }
  return !m_cancelRequested && !(m_dialog && m_dialog->wasCanceled());
}

}  // namespace zephyl
