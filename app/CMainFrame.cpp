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
#include "ZephylIcon.h"

namespace zephyl {

namespace {

QKeySequence Keys(std::string_view keys) {
  return QKeySequence(FromUtf8(keys), QKeySequence::PortableText);
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
      m_runner(timing),
      m_files(doc, prompts, m_runner, this),
      m_prompts(prompts),
      m_deviceMenus(
          *menuBar(), [this](CommandId id) { OnCommand(id); },
          [this] { m_view->RebuildDeviceMenus(); }) {
  setFixedSize(kFrameWidth, kFrameHeight);
  setWindowIcon(ProgramIcon());
  setAcceptDrops(true);
  m_view = new CQuensetView(doc, prompts, m_runner, midi, seed, this);
  setCentralWidget(m_view);
  BuildMenus();
  BuildKeys();
  m_files.onNameChanged = [this] {
    UpdateTitle();
    UpdateRecentItems();
  };
  m_files.onDocumentReplaced = [this] { m_view->OnInitialUpdate(); };
  UpdateTitle();
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
      QAction* action = menu->addAction(FromUtf8(item.text));
      action->setData(item.id);
      action->setEnabled(!item.grey);
      action->setCheckable(item.checkable);
      if (!item.keys.empty()) {
        // Shown beside the text only: the keys are bound by the key actions, and a menu
        // item's own shortcut would compete with them.
        action->setShortcut(Keys(item.keys));
        action->setShortcutContext(Qt::WidgetShortcut);
      }
      const int id = item.id;
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
      m_files.New();
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

void CMainFrame::UpdateTitle() {
  setWindowTitle(m_files.Title() + QStringLiteral(" - Zephyl"));
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
  QMainWindow::closeEvent(event);
}

void CMainFrame::CloseIfAsked() {
  if (!m_closeAsked) return;
  m_closeAsked = false;
  close();
}

}  // namespace zephyl
