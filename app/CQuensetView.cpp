#include "CQuensetView.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QWheelEvent>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <new>
#include <utility>

#include "PanelDrawing.h"
#include "Preferences.h"
#include "ProcreationJob.h"
#include "QtPanelSurface.h"
#include "QtText.h"
#include "Settings.h"
#include "SlicedWork.h"

namespace zephyl {

namespace {

// One notch of a common mouse wheel; finer wheels and touchpads step once per notch turned.
constexpr int kWheelNotch = 120;
// Where the ports chosen are remembered for the next run.
const QString kInputKey = QStringLiteral("midi/input");
const QString kOutputKey = QStringLiteral("midi/output");
const QString kSendOnEditKey = QStringLiteral("midi/sendOnEdit");

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

// Why breeding from the current bank would give no children.
QString NothingToBreed(const CQuensetDoc& doc, int perParent) {
  const std::size_t source = doc.CurrentBank();
  if (doc.PatchCount(source) >= 2) {
    return QStringLiteral("\"Nr of children per parent\" is %1: no child would be bred.")
        .arg(perParent);
  }
  if (doc.IsEmpty(source)) {
    return QStringLiteral("Bank %1 holds only its empty patch: there is nothing to breed from.")
        .arg(source + 1);
  }
  return QStringLiteral("Bank %1 holds one patch: Procreate needs two or more to breed from.")
      .arg(source + 1);
}

PanelPoint At(const QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  return {p.x(), p.y()};
}

}  // namespace

CQuensetView::CQuensetView(CQuensetDoc& doc, UndoHistory& history, UserPrompts& prompts,
                           ProgressRunner& runner, MidiLibrary& midi, std::uint32_t seed,
                           QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_history(history),
      m_prompts(prompts),
      m_runner(runner),
      m_random(seed),
      m_editor(doc, m_random, history),
      m_sender(midi),
      m_receiver(midi),
      m_watch(midi, m_inputMenu, m_outputMenu, m_receiver, m_sender,
              [this](const std::string& news) { m_prompts.ShowNotice(this, FromUtf8(news)); }),
      m_sendOnEdit([this] { SendEdited(); }),
      m_panel(doc, *this),
      m_edit(doc, history) {
  m_sendOnEdit.SetOn(Settings().value(kSendOnEditKey, false).toBool());
  m_editSendTimer.setSingleShot(true);
  connect(&m_editSendTimer, &QTimer::timeout, this, [this] {
    m_sendOnEdit.Tick(std::chrono::steady_clock::now());
    ArmEditSend();
  });
  setFocusPolicy(Qt::StrongFocus);
  // Repaints draw every pixel of what they cover: nothing is erased first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
  // Hovering over a knob shows its value.
  setMouseTracking(true);
}

CQuensetView::~CQuensetView() {
  // A test note still sounding ends before its port closes.
  if (m_panel.IsNoteOn()) m_panel.OnLButtonUp();
}

void CQuensetView::OnCreate(DeviceMenuHost& menus) {
  QSettings settings = Settings();
  const auto remembered = [&settings](const QString& key) -> std::optional<std::string> {
    const QString name = settings.value(key).toString();
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
  };
  m_watch.Start(menus, {remembered(kInputKey), remembered(kOutputKey)});
  m_nTimerId = startTimer(CPanelEditor::kBlinkPeriod);
}

void CQuensetView::OnInitialUpdate() {
  update();
  m_panel.SetMorphMode(false);
  m_pictures.AttachAll(*this);
}

void CQuensetView::OfferToDeviceMenus(int id) {
  const bool input = m_inputMenu.Select(id);
  const bool output = m_outputMenu.Select(id);
  if (!input && !output) return;
  QSettings settings = Settings();
  const auto remember = [&settings](const QString& key, const DeviceMenu& menu) {
    if (menu.Chosen()) settings.setValue(key, FromUtf8(*menu.Chosen()));
  };
  remember(kInputKey, m_inputMenu);
  remember(kOutputKey, m_outputMenu);
}

void CQuensetView::OnBankCommand(BankCommand command) {
  EndEdit();
  if (command == BankCommand::Procreate) {
    OnProcreate();
  } else {
    const CommandEffect effect = m_editor.Execute(command);
    if (effect.repaint) InvalidatePanel();
    if (effect.send) OnSend();
  }
  ResumeEdit();
  Changed();
}

void CQuensetView::OnProcreate() {
  const std::size_t source = m_doc.CurrentBank();
  const std::size_t target = (source + 1) % kBankCount;
  const std::size_t parents = m_doc.PatchCount(source);
  const int perParent = m_doc.m_childrenPerParent;
  // Asked before the parents are copied; the next bank holds what the user bred last time.
  const GenerationPlan plan = PlanGeneration(parents, perParent);
  const std::uint64_t children = plan.children;
  switch (plan.refusal) {
    case GenerationRefusal::None:
      break;
    case GenerationRefusal::NoChildren:
      m_prompts.ShowError(this, NothingToBreed(m_doc, perParent) +
                                    QStringLiteral("\nBank %1 is as it was.").arg(target + 1));
      return;
    case GenerationRefusal::TooLarge:
      m_prompts.ShowError(
          this, QStringLiteral("Procreate would breed %1 children (%2 parents with %3 each), more "
                               "than the %4 one generation may hold.\nLower \"Nr of children "
                               "per parent\" in Edit > Configure.")
                    .arg(Count(children), Count(parents),
                         Count(static_cast<std::uint64_t>(perParent)), Count(kMaxGenerationSize)));
      return;
  }
  try {
    // The parents are copied: patches may arrive from MIDI while the work runs.
    const std::vector<CPatch> snapshot = m_doc.Bank(source);
    ProcreationJob job(snapshot, perParent, m_doc.m_mutationChance, m_random);
    BreedWork work(job);
    if (!m_runner.Run(this, QStringLiteral("Breeding %1 children...").arg(Count(children)), work)) {
      return;
    }
    m_history.Push(job.Apply(m_doc, source));
  } catch (const std::bad_alloc&) {
    // Within the limit, yet more than this machine has free: nothing was applied.
    m_prompts.ShowError(this, QStringLiteral("There is not enough memory to breed %1 children; "
                                             "the banks are as they were.")
                                  .arg(Count(children)));
  }
}

void CQuensetView::OnSend() {
  if (const std::string why = m_watch.WhyNotSent(); !why.empty()) {
    m_prompts.ShowNotice(this, FromUtf8(why));
    return;
  }
  m_sender.OnSend(m_doc, m_panel.Slot());
}

void CQuensetView::OnReceive() {
  m_receiver.OnReceive(m_doc, *this);
}

void CQuensetView::OnPanic() {
  m_sender.SendPanic();
}

void CQuensetView::SetSendOnEdit(bool on) {
  m_sendOnEdit.SetOn(on);
  m_editSendTimer.stop();
  Settings().setValue(kSendOnEditKey, on);
}

void CQuensetView::PatchValuesChanged() {
  m_sendOnEdit.Changed(std::chrono::steady_clock::now());
  ArmEditSend();
}

void CQuensetView::PatchEditFinished() {
  EndEdit();
  Changed();
  m_sendOnEdit.Finished(std::chrono::steady_clock::now());
  ArmEditSend();
}

void CQuensetView::ArmEditSend() {
  const auto due = m_sendOnEdit.Due();
  if (!due) {
    m_editSendTimer.stop();
    return;
  }
  if (m_editSendTimer.isActive()) return;
  const auto wait =
      std::chrono::ceil<std::chrono::milliseconds>(*due - std::chrono::steady_clock::now());
  m_editSendTimer.start(std::max(wait, std::chrono::milliseconds(0)));
}

void CQuensetView::SendEdited() {
  // A port that is missing has been told of already; edits go nowhere meanwhile, silently.
  if (!m_watch.WhyNotSent().empty()) return;
  // The newest values win over a dump that has not left yet.
  if (!m_sender.IsDone()) m_sender.Reset();
  m_sender.OnSend(m_doc, m_panel.Slot());
}

void CQuensetView::OnConfigure() {
  Preferences prefs = Preferences::From(m_doc);
  if (m_prompts.EditPreferences(this, prefs)) prefs.ApplyTo(m_doc);
}

void CQuensetView::InvalidatePanel() {
  m_panel.InvalidatePanel();
}

void CQuensetView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), QColor(kPanelGrey.r, kPanelGrey.g, kPanelGrey.b));
  QtPanelSurface surface(painter);
  DrawPanel(surface, m_panel, m_pictures);
  if (!m_painted) {
    m_painted = true;
    ReportFirstPaint();
  }
}

// The panel's answers say whether the platform's own handling should follow; on this platform
// that handling would do nothing the panel needs (or, for a double click, press once more), so
// the view takes every pointer event itself.
void CQuensetView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_panel.OnLButtonDown(At(event));
}

void CQuensetView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_panel.OnLButtonUp();
}

void CQuensetView::mouseMoveEvent(QMouseEvent* event) {
  // A release the window never saw (a popup took the pointer) is made good here, so that no
  // knob follows a pointer with no button held and no test note sounds on.
  const bool held = m_panel.IsDragging() || m_panel.IsNoteOn();
  if (held && !(event->buttons() & Qt::LeftButton)) m_panel.OnLButtonUp();
  m_panel.OnMouseMove(At(event));
}

void CQuensetView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_panel.OnLButtonDblClk(At(event));
}

void CQuensetView::wheelEvent(QWheelEvent* event) {
  m_wheelDelta += event->angleDelta().y();
  if (std::abs(m_wheelDelta) < kWheelNotch) {
    event->accept();
    return;
  }
  const int delta = m_wheelDelta;
  m_wheelDelta = 0;
  m_panel.OnMouseWheel(delta);
}

void CQuensetView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != m_nTimerId) {
    QWidget::timerEvent(event);
    return;
  }
  m_panel.OnTimer(CPanelEditor::kBlinkTimerId);
}

void CQuensetView::Invalidate(const PanelRect& area) {
  update(QRect(area.left, area.top, area.right - area.left, area.bottom - area.top));
}

// Qt holds the pointer for the widget that took the press until the last button is released,
// which is the capture the panel asks for.
void CQuensetView::CapturePointer() {}

void CQuensetView::ReleasePointer() {}

void CQuensetView::SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
  m_sender.SendShortMessage(status, data1, data2);
}

void CQuensetView::SendPatch() {
  OnSend();
}

void CQuensetView::Execute(BankCommand command) {
  OnBankCommand(command);
}

void CQuensetView::PatchEditStarted() {
  EndEdit();
  m_edit.Begin();
}

void CQuensetView::EndEdit() {
  m_edit.End(static_cast<std::size_t>(m_panel.CurrentParameter()));
}

void CQuensetView::ResumeEdit() {
  if (m_panel.IsDragging()) m_edit.Begin();
}

void CQuensetView::Changed() {
  if (onChanged) onChanged();
}

void CQuensetView::InsertReceived(CQuensetDoc& doc, const CPatch& patch) {
  EndEdit();
  m_history.Push(BankStep::InsertAfter(doc, patch, "Receive Patch"));
  ResumeEdit();
  Changed();
}

void CQuensetView::InvalidateAll() {
  update();
}

void CQuensetView::Show(std::string_view message) {
  m_prompts.ShowError(this, FromUtf8(message));
}

}  // namespace zephyl
