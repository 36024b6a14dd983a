#include "CQuensetView.h"

#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "Preferences.h"
#include "ProcreationJob.h"
#include "SlicedWork.h"

namespace zephyl {

namespace {

// With ZEPHYL_TRACE_STARTUP set, the first paint is reported on the steady clock, which other
// processes on the machine share, so a test can time start-up from outside.
void ReportFirstPaint() {
  if (std::getenv("ZEPHYL_TRACE_STARTUP") == nullptr) return;
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::cerr << "zephyl: first paint at "
            << std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() << " ns"
            << std::endl;
}

QString Count(std::uint64_t n) {
  return QLocale(QLocale::English).toString(static_cast<qulonglong>(n));
}

}  // namespace

CQuensetView::CQuensetView(CQuensetDoc& doc, UserPrompts& prompts, ProgressRunner& runner,
                           std::uint32_t seed, QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_prompts(prompts),
      m_runner(runner),
      m_random(seed),
      m_editor(doc, m_random) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void CQuensetView::OnCreate() {}

void CQuensetView::OnInitialUpdate() {
  update();
}

void CQuensetView::OnBankCommand(BankCommand command) {
  if (command == BankCommand::Procreate) {
    OnProcreate();
    return;
  }
  const CommandEffect effect = m_editor.Execute(command);
  if (effect.repaint) InvalidatePanel();
  if (effect.send) OnSend();
}

void CQuensetView::OnProcreate() {
  const std::size_t source = m_doc.CurrentBank();
  const std::size_t parents = m_doc.PatchCount(source);
  const int perParent = m_doc.m_childrenPerParent;
  const std::uint64_t children = GenerationSize(parents, perParent);
  // Refused before the next bank is touched: that bank holds what the user bred last time.
  if (children > kMaxGenerationSize) {
    m_prompts.ShowError(
        this, QStringLiteral("Procreate would breed %1 children (%2 parents with %3 each), more "
                             "than the %4 one generation may hold.\nLower \"Nr of children per "
                             "parent\" in Edit > Configure.")
                  .arg(Count(children), Count(parents),
                       Count(static_cast<std::uint64_t>(perParent)), Count(kMaxGenerationSize)));
    return;
  }
  // The parents are copied: patches may arrive from MIDI while the work runs.
  const std::vector<CPatch> snapshot = m_doc.Bank(source);
  ProcreationJob job(snapshot, perParent, m_doc.m_mutationChance, m_random);
  BreedWork work(job);
  if (!m_runner.Run(this, QStringLiteral("Breeding %1 children...").arg(Count(children)), work)) {
    return;
  }
  job.Apply(m_doc, source);
}

void CQuensetView::OnSend() {}

void CQuensetView::OnReceive() {
  m_bReceiving = !m_bReceiving;
}

void CQuensetView::OnConfigure() {
  Preferences prefs = Preferences::From(m_doc);
  if (m_prompts.EditPreferences(this, prefs)) prefs.ApplyTo(m_doc);
}

void CQuensetView::InvalidatePanel() {
  update();
}

void CQuensetView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), kPanelGrey);
  const std::size_t bank = m_doc.CurrentBank();
  painter.setPen(Qt::white);
  painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignLeft | Qt::AlignBottom,
                   QStringLiteral("Bank %1   Patch %2 of %3")
                       .arg(bank + 1)
                       .arg(m_doc.CurrentIndex(bank) + 1)
                       .arg(m_doc.PatchCount(bank)));
  if (!m_painted) {
    m_painted = true;
    ReportFirstPaint();
  }
}

}  // namespace zephyl
