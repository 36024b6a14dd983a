// The window: menus, keys, dialogs, files and long work.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <thread>

#include "AppFixture.h"
#include "CPrefsDlg.h"
#include "CQuensetApp.h"
#include "CommandTable.h"

namespace zephyl::test {
namespace {

using AppWindowTest = AppFixture;

TEST_F(AppWindowTest, MenusTitleAndSize) {
  m_midi.inputs = {"In A", "R&B"};
  Show();
  // No item binds its key itself: the key actions do, each key once.
  QStringList titles;
  for (QAction* popup : Frame().menuBar()->actions()) {
    titles << popup->text();
    for (QAction* item : popup->menu()->actions())
      EXPECT_TRUE(item->shortcut().isEmpty()) << item->text();
  }
  EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&Run", "&Patch", "&SysEx", "&Input Device",
                                 "&Output Device", "&Help"}));
  // The ports by their names, an ampersand as itself, the open ones checked.
  const auto items = [&](int popup) {
    QStringList texts;
    for (QAction* a : Frame().menuBar()->actions()[popup]->menu()->actions())
      texts << a->text() + (a->isChecked() ? " *" : "");
    return texts;
  };
  EXPECT_EQ(items(5), (QStringList{"In A *", "R&&B"}));
  EXPECT_EQ(items(6), QStringList{"Out A *"});
  EXPECT_EQ(Title(), "Untitled - Zephyl");
  // Fixed in size, as the drawn panel does not scale; its size is checked on a real screen.
  EXPECT_EQ(Frame().minimumSize(), Frame().maximumSize());
  EXPECT_EQ(View().height(), Frame().height() - Frame().menuBar()->height());
}

TEST_F(AppWindowTest, EveryKeyReachesItsCommandWhileTheViewHasFocus) {
  // Menus by their mnemonics are driven on a real screen.
  Show();
  using enum Action;
  using B = BankCommand;
  struct Case {
    const char* keys;
    Action action;
    BankCommand bank = B::Next;
  };
  // clang-format off
  const Case cases[] = {
      {"Ctrl+N", NewDocument}, {"Ctrl+O", Open}, {"Ctrl+S", Save}, {"Ctrl+C", Bank, B::Copy},
      {"Ctrl+Ins", Bank, B::Copy}, {"Ctrl+X", Bank, B::Cut}, {"Shift+Del", Bank, B::Cut},
      {"Ctrl+V", Bank, B::Paste}, {"Shift+Ins", Bank, B::Paste}, {"Ctrl+Z", Bank, B::Undo},
      {"Alt+Backspace", Bank, B::Undo}, {"Ctrl+Shift+Z", Bank, B::Redo}, {"Ctrl+Y", Bank, B::Redo},
      {"F6", Nothing}, {"Shift+F6", Nothing}, {"Up", Bank, B::Next},
      {"Down", Bank, B::Prev}, {"Shift+Up", Bank, B::Next50}, {"Shift+Down", Bank, B::Prev50},
      {"PgUp", Bank, B::NextAndSend}, {"PgDown", Bank, B::PrevAndSend},
      {"Right", Bank, B::NextBank}, {"Left", Bank, B::PrevBank}, {"Del", Bank, B::Delete},
      {"Return", Send}, {"Enter", Send},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    m_ran.clear();
    const QKeyCombination key = QKeySequence(c.keys, QKeySequence::PortableText)[0];
    // The keypad's Enter, which is the main one's twin.
    const auto pad = key.key() == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(&View(), key.key(), key.keyboardModifiers() | pad);
    ASSERT_EQ(m_ran.size(), 1u);
    const std::optional<Command> command = CommandFor(m_ran[0]);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->action, c.action);
    EXPECT_EQ(command->bank, c.bank);
  }
}

TEST_F(AppWindowTest, PreferencesRefuseABadFieldAndFocusIt) {
  QStringList messages;
  CPrefsDlg dialog(nullptr, [&](QWidget*, const QString& m) { messages << m; });
  dialog.SetValues(Preferences::From(m_doc));
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  // Refused with the focus elsewhere: the field refused takes it.
  dialog.Field(PrefField::Children)->setText("0");
  dialog.Field(PrefField::Global)->setFocus();
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.Field(PrefField::Children)->hasFocus());
  EXPECT_EQ(messages,
            QStringList{"\"Nr of children per parent\" must be a whole number of 1 or more."});

  dialog.Field(PrefField::Children)->setText("30");
  dialog.ExplodeSyxBox()->setChecked(true);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Values()[PrefField::Children], 30);
  EXPECT_TRUE(dialog.Values().explodeSyx);
}

TEST_F(AppWindowTest, ConfigureShowsTheDocumentsSettingsAndChangesThemOnlyOnOk) {
  const std::array<int, kPrefFieldCount> defaults = {1, 5, 11, 12, 13, 14, 16};
  m_prompts.prefsTyped = Preferences{{50, 7, 1, 2, 3, 4, 5}, true};
  Frame().OnCommand(cmd::kConfigure);  // Cancel
  ASSERT_TRUE(m_prompts.prefsShown);
  EXPECT_EQ(m_prompts.prefsShown->numbers, defaults);
  EXPECT_EQ(Preferences::From(m_doc).numbers, defaults);
  EXPECT_FALSE(m_doc.m_bExplodeSyx);

  m_prompts.prefsOk = true;
  Frame().OnCommand(cmd::kConfigure);
  EXPECT_EQ(m_doc.m_mutationChance, 50);
  EXPECT_EQ(m_doc.m_childrenPerParent, 7);
  EXPECT_EQ(m_doc.m_slotChannel, (std::array<int, kSlotCount>{1, 2, 3, 4}));
  EXPECT_EQ(m_doc.m_globalChannel, 5);
  EXPECT_TRUE(m_doc.m_bExplodeSyx);
}

TEST_F(AppWindowTest, EachBankKeepsItsOwnFileAndTheTitleMarksUnsavedChanges) {
  const auto first = Bank("first.zpf", {1, 2, 3});
  const auto second = Bank("second.syx", {4});
  m_prompts.openAnswer = ToQString(first);
  Frame().OnCommand(cmd::kFileOpen);
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Title(), "first.zpf - Zephyl");

  // A dropped file appends; the bank keeps its own file, which it now differs from.
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(ToQString(second))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &drop);
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Title(), "first.zpf* - Zephyl");

  // Failures name the file and change neither the banks nor the title.
  WriteFile(m_folder / "notes.txt", Junk(500));
  const std::tuple<int, std::filesystem::path, const char*> failures[] = {
      {cmd::kFileOpen, m_folder / "missing.zpf", "No such file"},
      {cmd::kFileOpen, m_folder / "notes.txt", "holds no complete program dump"},
      {cmd::kFileSaveAs, m_folder / "no" / "such" / "folder.zpf", ""},
  };
  for (const auto& [id, path, why] : failures) {
    SCOPED_TRACE(path);
    m_prompts.errors.clear();
    m_prompts.openAnswer = m_prompts.saveAnswer = ToQString(path);
    Frame().OnCommand(id);
    ASSERT_EQ(m_prompts.errors.size(), 1);
    EXPECT_TRUE(m_prompts.errors[0].contains(ToQString(path))) << m_prompts.errors[0];
    EXPECT_TRUE(m_prompts.errors[0].contains(why)) << m_prompts.errors[0];
    EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Title(), "first.zpf* - Zephyl");
  }

  Frame().OnCommand(cmd::kFileSave);
  EXPECT_EQ(ReadFile(first), DumpsOf({1, 2, 3, 4}));
  EXPECT_EQ(Title(), "first.zpf - Zephyl");
  Frame().OnCommand(cmd::kEditUndo);
  EXPECT_EQ(Title(), "first.zpf* - Zephyl");

  // The next bank has no file: saving it asks for a name, and cancelled writes nothing.
  Frame().OnCommand(cmd::kProcreate);
  Frame().OnCommand(cmd::kNextBank);
  EXPECT_EQ(Title(), "Untitled* - Zephyl");
  m_prompts.saveAnswer.clear();
  Frame().OnCommand(cmd::kFileSave);
  EXPECT_EQ(m_prompts.saveSuggestions.last(), ToQString(m_folder / "Untitled.zpf"));
  EXPECT_EQ(ReadFile(first), DumpsOf({1, 2, 3, 4}));
  m_prompts.saveAnswer = ToQString(m_folder / "named.zpf");
  Frame().OnCommand(cmd::kFileSave);
  EXPECT_EQ(ReadFile(m_folder / "named.zpf").size(), 15 * kDumpSize);
  EXPECT_EQ(Title(), "named.zpf - Zephyl");
}

TEST_F(AppWindowTest, RecentFilesShowNewestFirstSurviveARestartAndDropWhatWentAway) {
  std::vector<std::filesystem::path> banks;
  for (int i = 1; i <= 5; ++i) {
    // Appended: GCC 12 at -O3 sees a false overlap (-Wrestrict) in "literal" + string.
    banks.push_back(Bank(std::string("b").append(std::to_string(i)).append(".zpf"), {i}));
    Frame().Files().Open(banks.back());
  }
  const auto recentTexts = [](CMainFrame& frame) {
    QStringList texts;
    for (int i = 0; i < 5; ++i) {
      if (QAction* a = frame.MenuAction(cmd::kFileRecentFirst + i); a && a->isVisible())
        texts << a->text().section('/', -1);
    }
    return texts;
  };
  // Newest first and at most four, as the next run shows them.
  CQuensetDoc doc;
  CMainFrame restarted(doc, m_prompts, m_midi, 1);
  EXPECT_EQ(recentTexts(restarted), (QStringList{"b5.zpf", "b4.zpf", "b3.zpf", "b2.zpf"}));
  std::filesystem::remove(banks[3]);
  restarted.OnCommand(cmd::kFileRecentFirst + 1);
  EXPECT_EQ(m_prompts.errors.size(), 1);
  EXPECT_EQ(recentTexts(restarted), (QStringList{"b5.zpf", "b3.zpf", "b2.zpf"}));
  restarted.OnCommand(cmd::kFileRecentFirst + 2);
  EXPECT_EQ(Marks(doc.Bank(0)), std::vector<int>{2});
  EXPECT_EQ(recentTexts(restarted), (QStringList{"b2.zpf", "b5.zpf", "b3.zpf"}));
}

TEST_F(AppWindowTest, ExplodeAsksForTheFolderOncePerRunAndAgainAfterAFailure) {
  Frame().Files().Open(Bank("bank.zpf", {1, 2}));
  Frame().OnCommand(cmd::kExplodeBank);  // the script cancels
  EXPECT_EQ(m_prompts.folderStarts, QStringList{ToQString(m_folder.Path())});
  const auto out = m_folder / "out";
  m_prompts.folderAnswer = ToQString(out);
  Frame().OnCommand(cmd::kExplodeBank);
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains("nord1.zpf")) << m_prompts.errors[0];
  std::filesystem::create_directory(out);
  Frame().OnCommand(cmd::kExplodeBank);
  m_doc.m_bExplodeSyx = true;
  Frame().OnCommand(cmd::kExplodeBank);
  EXPECT_EQ(m_prompts.folderStarts.size(), 3);
  EXPECT_EQ(ReadFile(out / "nord1.zpf"), DumpsOf({2}));
  EXPECT_EQ(ReadFile(out / "nord0.syx"), DumpsOf({1}));
}

// Clicks Cancel as soon as the progress dialog shows.
void CancelWhenProgressShows() {
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QProgressDialog*>(w); dialog && dialog->isVisible()) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
        return;
      }
    }
    CancelWhenProgressShows();
  });
}

TEST_F(AppWindowTest, BreedingBeyondTheLimitOrFromTooFewIsRefusedAndLeavesTheNextBank) {
  m_doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  m_doc.AppendPatches(1, FilledPatches({9}));
  m_doc.m_childrenPerParent = 4'000'000;
  Frame().OnCommand(cmd::kProcreate);
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains("12,000,000 children")) << m_prompts.errors[0];
  EXPECT_TRUE(m_prompts.errors[0].contains("10,000,000"));
  EXPECT_EQ(Marks(m_doc.Bank(1)), std::vector<int>{9});
  // Nothing to breed from: said, and the next bank stays as it is.
  m_doc.SetCurrentBank(1);
  Frame().OnCommand(cmd::kProcreate);
  ASSERT_EQ(m_prompts.errors.size(), 2);
  EXPECT_TRUE(m_prompts.errors[1].contains("Bank 2 holds one patch")) << m_prompts.errors[1];
  EXPECT_TRUE(m_prompts.errors[1].endsWith("Bank 3 is as it was.")) << m_prompts.errors[1];
  EXPECT_EQ(Marks(m_doc.Bank(2)), std::vector<int>{0});
}

// Long work shows its progress at once.
class LongWorkTest : public AppFixture {
 protected:
  LongWorkTest() {
    m_doc.AppendPatches(0, FilledPatches({1, 2, 3}));
    m_doc.AppendPatches(1, FilledPatches({9}));
    Frame({std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
  }
};

TEST_F(LongWorkTest, BreedingCancelledLeavesTheNextBankAndUncancelledCompletes) {
  m_doc.m_childrenPerParent = static_cast<int>(kBreedStepChildren);
  CancelWhenProgressShows();
  Frame().OnCommand(cmd::kProcreate);
  EXPECT_EQ(Marks(m_doc.Bank(1)), std::vector<int>{9});
  m_doc.m_childrenPerParent = 2;
  Frame().OnCommand(cmd::kProcreate);
  EXPECT_EQ(m_doc.PatchCount(1), 6u);
  EXPECT_TRUE(m_prompts.errors.isEmpty());
}

TEST_F(LongWorkTest, OpeningCancelledLeavesTheBankWhileAFifoThatIsWrittenToOpens) {
  WriteFile(m_folder / "big.syx",
            DumpsOf(std::vector<CPatch>(kLoadStepBytes * 3 / kDumpSize, FilledPatch(5))));
  // A FIFO nobody writes to and an endless device wait with the window alive, until Cancel.
  ASSERT_EQ(::mkfifo((m_folder / "fifo").c_str(), 0600), 0);
  for (const std::filesystem::path& file :
       {m_folder / "big.syx", m_folder / "fifo", std::filesystem::path("/dev/zero")}) {
    CancelWhenProgressShows();
    EXPECT_EQ(Frame().Files().Open(file), DocumentFiles::OpenResult::Cancelled) << file;
  }
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Title(), "Untitled - Zephyl");
  EXPECT_TRUE(m_prompts.errors.isEmpty());

  std::thread writer([&] { WriteFile(m_folder / "fifo", DumpsOf({7})); });
  EXPECT_EQ(Frame().Files().Open(m_folder / "fifo"), DocumentFiles::OpenResult::Opened);
  writer.join();
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3, 7}));
}

TEST_F(AppWindowTest, StartUpOpensTheNamedFileOrFailsBeforeShowing) {
  WriteFile(m_folder / "notes.txt", Junk(200));
  const std::string junk = (m_folder / "notes.txt").string();
  CQuensetApp failing(m_prompts);
  EXPECT_FALSE(failing.InitInstance(ParseCommandLine(std::vector<std::string_view>{junk})));
  EXPECT_FALSE(failing.MainFrame().isVisible());
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains(QString::fromStdString(junk)));
  EXPECT_TRUE(m_prompts.errors[0].contains("holds no complete program dump"));
  m_prompts.errors.clear();

  const std::string path = Bank("start.zpf", {5, 6}).string();
  CQuensetApp app(m_prompts);
  ASSERT_TRUE(app.InitInstance(ParseCommandLine(std::vector<std::string_view>{path})));
  EXPECT_TRUE(app.MainFrame().isVisible());
  EXPECT_EQ(Marks(app.Doc().Bank(0)), (std::vector<int>{5, 6}));
  EXPECT_EQ(app.MainFrame().windowTitle(), "start.zpf[*] - Zephyl");
  EXPECT_FALSE(app.MainFrame().isWindowModified());

  // Saving into a FIFO whose reader went away is an error, not the end of the program.
  app.Doc().AppendPatches(0, std::vector<CPatch>(1000, FilledPatch(3)));  // more than it holds
  const auto fifo = m_folder / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread reader([&] {
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    char byte = 0;
    EXPECT_EQ(::read(fd, &byte, 1), 1);
    ::close(fd);
  });
  m_prompts.saveAnswer = ToQString(fifo);
  app.MainFrame().OnCommand(cmd::kFileSaveAs);
  reader.join();
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains(ToQString(fifo))) << m_prompts.errors[0];
}

TEST_F(AppWindowTest, UnsavedBanksComeBackAfterACrashButNotAfterQuittingWithoutSaving) {
  Frame().OnCommand(cmd::kNewPatch);
  const std::filesystem::path file = Frame().Recovery().File();
  ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(file); }, 10'000))
      << "the recovery file is written a little after a change";

  // An editor started meanwhile leaves a running editor's file alone.
  CQuensetDoc other;
  std::make_unique<CMainFrame>(other, m_prompts, m_midi, 1)->OfferRecovery();
  EXPECT_TRUE(m_prompts.restoreQuestions.isEmpty());

  // This one ends without cleaning up; the next one restores its banks, which are unsaved.
  m_frame.reset();
  CQuensetDoc restored;
  auto next = std::make_unique<CMainFrame>(restored, m_prompts, m_midi, 1);
  next->OfferRecovery();
  ASSERT_EQ(m_prompts.restoreQuestions.size(), 1);
  EXPECT_TRUE(m_prompts.restoreQuestions[0].endsWith("\nBank 1: Untitled, 2 patches"))
      << m_prompts.restoreQuestions[0];
  EXPECT_EQ(restored.PatchCount(0), 2u);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(std::filesystem::exists(next->Recovery().File()));

  // Quitting without saving leaves nothing to recover.
  m_prompts.quitAnswer = true;
  EXPECT_TRUE(next->close());
  EXPECT_FALSE(std::filesystem::exists(next->Recovery().File()));

  // A file that is no recovery file is refused, with the reason, and kept aside.
  WriteFile(next->Recovery().Folder() / "session-1-1.zrec", DumpsOf({1}));
  CQuensetDoc third;
  std::make_unique<CMainFrame>(third, m_prompts, m_midi, 1)->OfferRecovery();
  EXPECT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(std::filesystem::exists(next->Recovery().Folder() / "session-1-1.unreadable"));
}

}  // namespace
}  // namespace zephyl::test
