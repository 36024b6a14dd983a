#include "CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

#include "CQuensetView.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "MenuTable.h"
#include "QtText.h"
#include "RecoveryFile.h"
#include "ZephylIcon.h"

namespace zephyl {

namespace {

QKeySequence Keys(std::string_view keys) {
  return QKeySequence(FromUtf8(keys), QKeySequence::PortableText);
}

// A menu item's text with its key beside it, as the menu shows it.
QString ItemText(std::string_view text, std::string_view keys) {
  return keys.empty() ? FromUtf8(text) : FromUtf8(text) + QLatin1Char('\t') + FromUtf8(keys);
}

// "&" in a step's name (a file's) would otherwise become a mnemonic.
QString Escaped(const std::string& name) {
  return QString::fromStdString(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString BankLine(const CQuensetDoc& doc, std::size_t b) {
  const std::filesystem::path& file = doc.FilePath(b);
  return QStringLiteral("Bank %1: %2")
      .arg(b + 1)
      .arg(file.empty() ? QStringLiteral("Untitled") : ToQString(file.filename()));
}

std::vector<std::filesystem::path> LocalFiles(const QMimeData* data) {
  std::vector<std::filesystem::path> files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files.push_back(ToPath(url.toLocalFile()));
  }
  return files;
}

}  // namespace

CMainFrame::CMainFrame(CQuensetDoc& doc, UserPrompts& prompts, MidiLibrary& midi,
                       std::uint32_t seed, ProgressTiming timing)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint),
      m_doc(doc),
      m_runner(timing),
      m_files(doc, m_history, prompts, m_runner, this),
      m_prompts(prompts),
      m_deviceMenus(
          *menuBar(), [this](CommandId id) { OnCommand(id); },
          [this] { m_view->RebuildDeviceMenus(); }) {
  setFixedSize(kFrameWidth, kFrameHeight);
  setWindowIcon(ProgramIcon());
  setAcceptDrops(true);
  m_view = new CQuensetView(doc, m_history, prompts, m_runner, midi, seed, this);
  setCentralWidget(m_view);
  BuildMenus();
  BuildKeys();
  m_files.onNameChanged = [this] {
    Refresh();
    UpdateRecentItems();
  };
  m_files.onDocumentReplaced = [this] { m_view->OnInitialUpdate(); };
  m_view->onChanged = [this] { Refresh(); };
  m_recoveryTimer.setSingleShot(true);
  m_recoveryTimer.setInterval(kRecoveryDelay);
  connect(&m_recoveryTimer, &QTimer::timeout, this, [this] { UpdateRecovery(); });
  m_recoverySignature = RecoverySignature();
  Refresh();
  UpdateRecentItems();
  m_view->setFocus();
  m_view->OnCreate(m_deviceMenus);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::BuildMenus() {
  for (const MenuPopup& popup : MainMenu()) {
    QMenu* menu = menuBar()->addMenu(FromUtf8(popup.title));
    if (m_fileMenu == nullptr) m_fileMenu = menu;
    for (const MenuItem& item : popup.items) {
      if (item.IsSeparator()) {
        menu->addSeparator();
        continue;
      }
      // The key is shown beside the text only: each key is bound once, by the key actions.
      QAction* action = menu->addAction(ItemText(item.text, item.keys));
      action->setData(item.id);
      action->setEnabled(!item.grey);
      action->setCheckable(item.checkable);
      const int id = item.id;
      m_menuItems[id] = item;
      connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
      m_menuActions[id] = action;
      // The receive item's text follows the receiver, which MIDI may change at any time.
      if (id == cmd::kReceive) {
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateReceiveItem(); });
      }
    }
  }
  m_recentPlaceholder = m_menuActions.at(cmd::kFileRecentFirst);
  UpdateReceiveItem();
  m_menuActions.at(cmd::kSendOnEdit)->setChecked(m_view->SendOnEditOn());
}

void CMainFrame::BuildKeys() {
  for (const KeyBinding& binding : Accelerators()) {
    auto* action = new QAction(this);
    action->setShortcut(Keys(binding.key));
    action->setShortcutContext(Qt::WindowShortcut);
    const int id = binding.id;
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    addAction(action);
  }
}

QAction* CMainFrame::MenuAction(int id) const {
  for (QAction* action : m_recentActions) {
    if (action->data().toInt() == id) return action;
  }
  const auto it = m_menuActions.find(id);
  return it == m_menuActions.end() ? m_deviceMenus.Item(id) : it->second;
}

void CMainFrame::OnCommand(int id) {
  // Long work keeps the window alive; commands wait until it is over.
  if (m_runner.Busy()) return;
  if (onCommand) onCommand(id);
  m_view->OfferToDeviceMenus(id);
  const std::optional<Command> command = CommandFor(id);
  if (!command) return;
  switch (command->action) {
    case Action::Bank:
      m_view->OnBankCommand(command->bank);
      break;
    case Action::Send:
      m_view->OnSend();
      break;
    case Action::Receive:
      m_view->OnReceive();
      UpdateReceiveItem();
      break;
    case Action::Panic:
      m_view->OnPanic();
      break;
    case Action::SendOnEdit:
      m_view->SetSendOnEdit(!m_view->SendOnEditOn());
      m_menuActions.at(cmd::kSendOnEdit)->setChecked(m_view->SendOnEditOn());
      break;
    case Action::Configure:
      m_view->OnConfigure();
      break;
    case Action::Explode:
      m_files.Explode();
      break;
    case Action::NewDocument:
      m_view->OnBankCommand(BankCommand::ClearBank);
      m_view->OnInitialUpdate();
      break;
    case Action::Open:
      m_files.OpenWithDialog();
      break;
    case Action::Save:
      m_files.Save();
      break;
    case Action::SaveAs:
      m_files.SaveAs();
      break;
    case Action::OpenRecent:
      m_files.OpenRecent(command->recent);
      break;
    case Action::Exit:
      close();
      break;
    case Action::About:
      m_prompts.ShowAbout(this);
      break;
    case Action::Nothing:
      break;
  }
  Refresh();
  CloseIfAsked();
}

void CMainFrame::UpdateRecentItems() {
  for (QAction* action : m_recentActions) {
    m_fileMenu->removeAction(action);
    action->deleteLater();
  }
  m_recentActions.clear();
  const RecentFileList& recent = m_files.Recent();
  for (std::size_t i = 0; i < recent.Items().size(); ++i) {
    auto* action = new QAction(QString::fromStdString(recent.MenuText(i)), m_fileMenu);
    const int id = cmd::kFileRecentFirst + static_cast<int>(i);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_fileMenu->insertAction(m_recentPlaceholder, action);
    m_recentActions.push_back(action);
  }
  m_recentPlaceholder->setVisible(m_recentActions.empty());
}

void CMainFrame::UpdateReceiveItem() {
  if (QAction* receive = m_menuActions.at(cmd::kReceive)) {
    receive->setText(FromUtf8(m_view->ReceiveItemText()));
  }
}

void CMainFrame::Refresh() {
  // Qt shows "[*]" as a star while the current bank has changes its file does not hold.
  setWindowTitle(m_files.Title() + QStringLiteral("[*] - Zephyl"));
  setWindowModified(m_history.HasUnsavedChanges(m_doc, m_doc.CurrentBank()));
  UpdateUndoItems();
  if (!m_recoveryTimer.isActive() && RecoverySignature() != m_recoverySignature) {
    m_recoveryTimer.start();
  }
}

void CMainFrame::UpdateUndoItems() {
  const std::pair<int, std::string> items[] = {{cmd::kEditUndo, m_history.UndoName()},
                                               {cmd::kEditRedo, m_history.RedoName()}};
  for (const auto& [id, step] : items) {
    const MenuItem& item = m_menuItems.at(id);
    QString text = FromUtf8(item.text);
    if (!step.empty()) text += QLatin1Char(' ') + Escaped(step);
    m_menuActions.at(id)->setText(text + QLatin1Char('\t') + FromUtf8(item.keys));
    m_menuActions.at(id)->setEnabled(!step.empty());
  }
}

CMainFrame::Signature CMainFrame::RecoverySignature() const {
  Signature signature{m_history.Revision(), m_doc.CurrentBank()};
  for (std::size_t b = 0; b < kBankCount; ++b) signature[b + 2] = m_doc.CurrentIndex(b);
  return signature;
}

void CMainFrame::UpdateRecovery() {
  m_recoveryTimer.stop();
  m_recoverySignature = RecoverySignature();
  const std::vector<std::size_t> unsaved = m_history.UnsavedBanks(m_doc);
  if (unsaved.empty()) {
    m_recovery.Remove();
    return;
  }
  std::array<bool, kBankCount> flags{};
  for (std::size_t b : unsaved) flags[b] = true;
  ReportRecoveryError(m_recovery.Write(EncodeRecovery(m_doc, flags)));
}

void CMainFrame::ReportRecoveryError(const std::optional<std::string>& error) {
  if (!error || m_recoveryErrorShown) return;
  m_recoveryErrorShown = true;
  m_prompts.ShowNotice(this, QString::fromStdString(*error) +
                                 QStringLiteral(".\nUnsaved banks cannot be recovered after a "
                                                "crash until it can be written."));
}

void CMainFrame::OfferRecovery() {
  std::optional<SessionRecovery::Orphan> orphan = m_recovery.TakeOrphan();
  if (!orphan) return;
  RecoveredSession session;
  try {
    session = ReadRecoveryFile(orphan->file);
  } catch (const RecoveryError& e) {
    const std::filesystem::path aside = SessionRecovery::SetAside(*orphan);
    m_prompts.ShowError(
        this, QStringLiteral("The recovery file \"%1\" %2: the banks of the "
                             "last session cannot be restored. It was kept as "
                             "\"%3\".")
                  .arg(ToQString(orphan->file), QString::fromUtf8(e.what()), ToQString(aside)));
    return;
  }
  QStringList lines{QStringLiteral("Not saved when Zephyl last ended:")};
  for (std::size_t b = 0; b < kBankCount; ++b) {
    if (!session.banks[b].unsaved) continue;
    const std::filesystem::path& file = session.banks[b].file;
    lines << QStringLiteral("Bank %1: %2, %3 patches")
                 .arg(b + 1)
                 .arg(file.empty() ? QStringLiteral("Untitled") : ToQString(file.filename()))
                 .arg(session.banks[b].patches.size());
  }
  if (!m_prompts.AskRestore(this, lines.join(QLatin1Char('\n')))) {
    SessionRecovery::Remove(*orphan);
    return;
  }
  std::array<bool, kBankCount> unsaved{};
  for (std::size_t b = 0; b < kBankCount; ++b) unsaved[b] = session.banks[b].unsaved;
  Restore(m_doc, std::move(session));
  m_history.Clear();
  for (std::size_t b = 0; b < kBankCount; ++b) {
    if (unsaved[b]) m_history.MarkUnsaved(b);
  }
  // The banks are safe in this editor's own file before the old one goes.
  UpdateRecovery();
  const std::optional<std::string> error = m_recovery.Wait();
  ReportRecoveryError(error);
  if (!error && m_recovery.Written()) SessionRecovery::Remove(*orphan);
  m_view->OnInitialUpdate();
  Refresh();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const std::vector<std::filesystem::path> files = LocalFiles(event->mimeData());
  if (files.empty() || m_runner.Busy()) return;
  event->acceptProposedAction();
  // Each file opens as if chosen with "Open...", so their patches follow one another.
  for (const std::filesystem::path& file : files) {
    m_files.Open(file);
    if (m_closeAsked) break;
  }
  Refresh();
  CloseIfAsked();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (m_runner.Busy()) {
    // The work stops at its next step, and the window closes once it has.
    m_runner.Cancel();
    m_closeAsked = true;
    event->ignore();
    return;
  }
  const std::vector<std::size_t> unsaved = m_history.UnsavedBanks(m_doc);
  if (!unsaved.empty()) {
    QStringList lines{unsaved.size() == 1 ? QStringLiteral("This bank has changes that are not "
                                                           "saved:")
                                          : QStringLiteral("These banks have changes that are "
                                                           "not saved:")};
    for (std::size_t b : unsaved) lines << BankLine(m_doc, b);
    lines << QString() << QStringLiteral("Quit and lose them?");
    if (!m_prompts.AskQuitWithoutSaving(this, lines.join(QLatin1Char('\n')))) {
      event->ignore();
      return;
    }
  }
  // Nothing is left to recover.
  m_recoveryTimer.stop();
  m_recovery.Remove();
  QMainWindow::closeEvent(event);
}

void CMainFrame::CloseIfAsked() {
  if (!m_closeAsked) return;
  m_closeAsked = false;
  close();
}

}  // namespace zephyl
