#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "BankFile.h"
#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "CPrefsDlg.h"
#include "CQuensetApp.h"
#include "CQuensetView.h"
#include "CommandIds.h"
#include "FakeMidiLibrary.h"
#include "ScriptedPrompts.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

constexpr std::uint32_t kSeed = 1234;

// Every popup as one line: items by text, [keys shown], (grey), "-" for separators.
QStringList MenuLines(QMenuBar* bar) {
  QStringList lines;
  for (QAction* popup : bar->actions()) {
    QStringList items;
    for (QAction* a : popup->menu()->actions()) {
      if (!a->isVisible()) continue;
      QString item = a->isSeparator() ? QStringLiteral("-") : a->text();
      if (!a->shortcut().isEmpty()) item += " [" + a->shortcut().toString() + "]";
      if (!a->isEnabled()) item += " (grey)";
      items << item;
    }
    lines << popup->text() + ": " + items.join(", ");
  }
  return lines;
}

class AppWindowTest : public ::testing::Test {
 protected:
  AppWindowTest() { ClearRecent(); }

  CMainFrame& Frame(ProgressTiming timing = {}) {
    if (!m_frame) {
      m_frame = std::make_unique<CMainFrame>(m_doc, m_prompts, m_midi, kSeed, timing);
      m_frame->onCommand = [this](int id) { m_ran.push_back(id); };
    }
    return *m_frame;
  }
  void Show() {
    Frame().show();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    Frame().View().setFocus();
  }
  std::filesystem::path Bank(const std::string& name, std::initializer_list<int> marks) {
    const auto path = m_folder / name;
    WriteFile(path, DumpsOf(marks));
    return path;
  }
  static void ClearRecent() { QSettings("zephyl", "zephyl").clear(); }

  TempFolder m_folder;
  FakeMidiLibrary m_midi;
  CQuensetDoc m_doc;
  ScriptedPrompts m_prompts;
  std::unique_ptr<CMainFrame> m_frame;
  std::vector<int> m_ran;
};

TEST_F(AppWindowTest, MenuTreeTextsKeysAndGreyItems) {
  const QStringList expected = {
      "&File: &Clear Bank [Ctrl+N], &Open... [Ctrl+O], &Save [Ctrl+S], Save &As..., -, "
      "Explode Bank, -, Recent File (grey), -, E&xit",
      "&Edit: &Undo [Ctrl+Z] (grey), -, Cu&t [Ctrl+X], &Copy [Ctrl+C], &Paste [Ctrl+V], "
      "Insert (grey), -, New Patch, Clear Morph, -, Configure",
      "&Run: &Procreate, -, Evolve Patch (grey), -, Invert Patch, -, Modify Patch, -, "
      "Random Patch, Random Bank (grey), -",
      "&Patch: Next [Up], Prev [Down], Next 50 [Shift+Up], Prev 50 [Shift+Down], "
      "Next and Send [PgUp], Prev and Send [PgDown], -, Next bank [Right], Prev bank [Left]",
      "&SysEx: &Send [Return], &Receive",
      "&Input Device: ",
      "&Output Device: ",
      "&Help: &About Zephyl...",
  };
  EXPECT_EQ(MenuLines(Frame().menuBar()), expected);
  EXPECT_EQ(Frame().windowTitle(), "Untitled - Zephyl");
}

TEST_F(AppWindowTest, FixedSizeWithoutMaximize) {
  Show();
  EXPECT_EQ(Frame().size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_EQ(Frame().minimumSize(), Frame().maximumSize());
  EXPECT_FALSE(Frame().windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(Frame().windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(Frame().View().height(), kFrameHeight - Frame().menuBar()->height());
}

TEST_F(AppWindowTest, EveryKeyReachesItsCommandWhileTheViewHasFocus) {
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int id;
  };
  const Case cases[] = {
      {Qt::Key_N, Qt::ControlModifier, cmd::kFileNew},
      {Qt::Key_S, Qt::ControlModifier, cmd::kFileSave},
      {Qt::Key_C, Qt::ControlModifier, cmd::kEditCopy},
      {Qt::Key_Insert, Qt::ControlModifier, cmd::kEditCopy},
      {Qt::Key_X, Qt::ControlModifier, cmd::kEditCut},
      {Qt::Key_Delete, Qt::ShiftModifier, cmd::kEditCut},
      {Qt::Key_V, Qt::ControlModifier, cmd::kEditPaste},
      {Qt::Key_Insert, Qt::ShiftModifier, cmd::kEditPaste},
      {Qt::Key_Z, Qt::ControlModifier, cmd::kEditUndo},
      {Qt::Key_Backspace, Qt::AltModifier, cmd::kEditUndo},
      {Qt::Key_F6, Qt::NoModifier, cmd::kNextPane},
      {Qt::Key_F6, Qt::ShiftModifier, cmd::kPrevPane},
      {Qt::Key_Up, Qt::NoModifier, cmd::kNext},
      {Qt::Key_Down, Qt::NoModifier, cmd::kPrev},
      {Qt::Key_Up, Qt::ShiftModifier, cmd::kNext50},
      {Qt::Key_Down, Qt::ShiftModifier, cmd::kPrev50},
      {Qt::Key_PageUp, Qt::NoModifier, cmd::kNextAndSend},
      {Qt::Key_PageDown, Qt::NoModifier, cmd::kPrevAndSend},
      {Qt::Key_Right, Qt::NoModifier, cmd::kNextBank},
      {Qt::Key_Left, Qt::NoModifier, cmd::kPrevBank},
      {Qt::Key_Delete, Qt::NoModifier, cmd::kDelete},
      {Qt::Key_Return, Qt::NoModifier, cmd::kSendKey},
      {Qt::Key_Enter, Qt::KeypadModifier, cmd::kSendKey},
  };
  Show();
  for (const Case& c : cases) {
    m_ran.clear();
    QTest::keyClick(&Frame().View(), c.key, c.mods);
    EXPECT_EQ(m_ran, std::vector<int>{c.id})
        << QKeySequence(c.key | c.mods).toString().toStdString();
  }
  // Ctrl+O asks for a file; the script cancels.
  m_ran.clear();
  QTest::keyClick(&Frame().View(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(m_ran, std::vector<int>{cmd::kFileOpen});
}

TEST_F(AppWindowTest, AltRThenPProcreatesAndGreyItemsDoNothing) {
  m_doc.AppendPatches(0, FilledPatches({1, 2}));
  Show();
  QTest::keyClick(&Frame(), Qt::Key_R, Qt::AltModifier);
  QMenu* run = Frame().menuBar()->actions()[2]->menu();
  ASSERT_TRUE(QTest::qWaitFor([run] { return run->isVisible(); }));
  QTest::keyClick(run, Qt::Key_P);
  EXPECT_EQ(m_ran, std::vector<int>{cmd::kProcreate});
  EXPECT_EQ(m_doc.PatchCount(1), 10u);
  EXPECT_EQ(m_doc.CurrentBank(), 0u);

  m_ran.clear();
  for (int grey : {cmd::kRandomBank, cmd::kEvolvePatch, cmd::kEditInsert, cmd::kEditUndo}) {
    Frame().MenuAction(grey)->trigger();
  }
  EXPECT_TRUE(m_ran.empty());
  Frame().MenuAction(cmd::kRandomPatch)->trigger();
  EXPECT_EQ(m_ran, std::vector<int>{cmd::kRandomPatch});
}

TEST_F(AppWindowTest, PreferencesRefuseTheFirstBadFieldAndFocusIt) {
  QStringList messages;
  CPrefsDlg dialog(nullptr, [&](QWidget*, const QString& m) { messages << m; });
  dialog.SetValues(Preferences::From(m_doc));
  EXPECT_EQ(dialog.windowTitle(), "Preferences");
  EXPECT_EQ(dialog.Field(PrefField::Global)->text(), "16");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("field1013")->text(), "11");
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

  const std::pair<PrefField, const char*> bad[] = {
      {PrefField::Mutation, "101"}, {PrefField::Mutation, "0"},    {PrefField::SlotC, "17"},
      {PrefField::Global, "0"},     {PrefField::Children, "many"},
  };
  for (auto [field, text] : bad) {
    dialog.SetValues(Preferences::From(m_doc));
    dialog.Field(field)->setText(text);
    dialog.Field(PrefField::Global)->setFocus();
    if (field == PrefField::Global) dialog.Field(PrefField::Mutation)->setFocus();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << text;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Field(field)->hasFocus()) << text;
  }
  EXPECT_EQ(messages.size(), 5);
  EXPECT_EQ(messages.last(), "\"Nr of children per parent\" must be a whole number.");

  dialog.SetValues(Preferences::From(m_doc));
  dialog.Field(PrefField::Children)->setText("-3");
  dialog.ExplodeSyxBox()->setChecked(true);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Values()[PrefField::Children], -3);
  EXPECT_TRUE(dialog.Values().explodeSyx);
}

TEST_F(AppWindowTest, ConfigureChangesTheDocumentOnlyOnOk) {
  Frame().OnCommand(cmd::kConfigure);  // the script cancels
  EXPECT_EQ(Preferences::From(m_doc).numbers, Preferences::From(CQuensetDoc{}).numbers);
  Preferences changed = Preferences::From(m_doc);
  changed[PrefField::Global] = 3;
  changed.explodeSyx = true;
  m_prompts.prefsAnswer = changed;
  Frame().OnCommand(cmd::kConfigure);
  EXPECT_EQ(m_doc.m_globalChannel, 3);
  EXPECT_TRUE(m_doc.m_bExplodeSyx);
}

TEST_F(AppWindowTest, OpenSaveAndDropGoThroughTheDocument) {
  const auto first = Bank("first.zpf", {1, 2, 3});
  const auto second = Bank("second.syx", {4});
  m_prompts.openAnswer = ToQString(first);
  Frame().OnCommand(cmd::kFileOpen);
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(m_doc.CurrentIndex(0), 2u);
  EXPECT_EQ(Frame().windowTitle(), "first.zpf - Zephyl");

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(ToQString(second))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &drop);
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Frame().windowTitle(), "second.syx - Zephyl");

  // Failures name the file and leave everything as it was.
  const std::pair<int, std::filesystem::path> failures[] = {
      {cmd::kFileOpen, m_folder / "missing.zpf"},
      {cmd::kFileOpen, m_folder.Path()},
      {cmd::kFileSaveAs, m_folder / "no" / "such" / "folder.zpf"},
  };
  for (const auto& [id, path] : failures) {
    m_prompts.errors.clear();
    m_prompts.openAnswer = m_prompts.saveAnswer = ToQString(path);
    Frame().OnCommand(id);
    ASSERT_EQ(m_prompts.errors.size(), 1);
    EXPECT_TRUE(m_prompts.errors[0].contains(ToQString(path))) << m_prompts.errors[0].toStdString();
    EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Frame().windowTitle(), "second.syx - Zephyl");
  }

  Frame().OnCommand(cmd::kFileSave);  // over the file opened last
  EXPECT_EQ(ReadFile(second), DumpsOf({1, 2, 3, 4}));

  Frame().OnCommand(cmd::kFileNew);
  EXPECT_EQ(Frame().windowTitle(), "Untitled - Zephyl");
  EXPECT_EQ(Marks(m_doc.Bank(0)), std::vector<int>{0});
  m_doc.AppendPatches(0, FilledPatches({7}));
  m_prompts.saveAnswer = ToQString(m_folder / "named.zpf");
  Frame().OnCommand(cmd::kFileSave);  // untitled: asks for a name
  EXPECT_EQ(m_prompts.saveSuggestions.last(), ToQString(m_folder / "Untitled.zpf"));
  EXPECT_EQ(ReadFile(m_folder / "named.zpf"), DumpsOf({7}));
  EXPECT_EQ(Frame().windowTitle(), "named.zpf - Zephyl");
}

TEST_F(AppWindowTest, RecentFilesShowNewestFirstSurviveARestartAndDropWhatWentAway) {
  std::vector<std::filesystem::path> banks;
  for (int i = 1; i <= 5; ++i) banks.push_back(Bank("b" + std::to_string(i) + ".zpf", {i}));
  for (const auto& bank : banks) Frame().Files().Open(bank);
  const auto recentTexts = [](CMainFrame& frame) {
    QStringList texts;
    for (int i = 0; i < 5; ++i) {
      if (QAction* a = frame.MenuAction(cmd::kFileRecentFirst + i)) {
        if (a->isVisible()) texts << a->text().section('/', -1);
      }
    }
    return texts;
  };
  EXPECT_EQ(recentTexts(Frame()), (QStringList{"b5.zpf", "b4.zpf", "b3.zpf", "b2.zpf"}));

  CQuensetDoc doc;
  CMainFrame restarted(doc, m_prompts, m_midi, kSeed);
  EXPECT_EQ(recentTexts(restarted), (QStringList{"b5.zpf", "b4.zpf", "b3.zpf", "b2.zpf"}));
  std::filesystem::remove(banks[3]);
  restarted.OnCommand(cmd::kFileRecentFirst + 1);
  EXPECT_EQ(m_prompts.errors.size(), 1);
  EXPECT_EQ(recentTexts(restarted), (QStringList{"b5.zpf", "b3.zpf", "b2.zpf"}));
  restarted.OnCommand(cmd::kFileRecentFirst + 2);
  EXPECT_EQ(Marks(doc.Bank(0)), std::vector<int>{2});
  EXPECT_EQ(recentTexts(restarted), (QStringList{"b2.zpf", "b5.zpf", "b3.zpf"}));
}

TEST_F(AppWindowTest, ExplodeAsksForTheFolderOncePerRun) {
  const auto bank = Bank("bank.zpf", {1, 2});
  Frame().Files().Open(bank);
  Frame().OnCommand(cmd::kExplodeBank);  // the script cancels: nothing written
  EXPECT_EQ(m_prompts.folderStarts, QStringList{ToQString(m_folder.Path())});
  const auto out = m_folder / "out";
  std::filesystem::create_directory(out);
  m_prompts.folderAnswer = ToQString(out);
  Frame().OnCommand(cmd::kExplodeBank);
  EXPECT_EQ(ReadFile(out / "nord1.zpf"), DumpsOf({2}));
  m_doc.m_bExplodeSyx = true;
  Frame().OnCommand(cmd::kExplodeBank);
  EXPECT_EQ(ReadFile(out / "nord0.syx"), DumpsOf({1}));
  EXPECT_EQ(m_prompts.folderStarts.size(), 2);

  std::filesystem::remove_all(out);
  Frame().OnCommand(cmd::kExplodeBank);
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains("nord1.syx"));
}

TEST_F(AppWindowTest, AGenerationTooLargeIsRefusedBeforeTheNextBankIsCleared) {
  m_doc.AppendPatches(0, FilledPatches({1, 2, 3}));
  m_doc.AppendPatches(1, FilledPatches({9}));
  m_doc.m_childrenPerParent = 4'000'000;
  Frame().OnCommand(cmd::kProcreate);
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains("12,000,000 children"))
      << m_prompts.errors[0].toStdString();
  EXPECT_TRUE(m_prompts.errors[0].contains("10,000,000"));
  EXPECT_EQ(Marks(m_doc.Bank(1)), std::vector<int>{9});
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

TEST_F(AppWindowTest, CancellingLongWorkLeavesTheBanksAsTheyWere) {
  constexpr ProgressTiming kAtOnce{std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
  m_doc.AppendPatches(0, FilledPatches({1, 2}));
  m_doc.AppendPatches(1, FilledPatches({9}));
  m_doc.m_childrenPerParent = static_cast<int>(kBreedStepChildren) * 2;
  Frame(kAtOnce);
  CancelWhenProgressShows();
  Frame().OnCommand(cmd::kProcreate);
  EXPECT_EQ(Marks(m_doc.Bank(1)), std::vector<int>{9});

  const auto big = m_folder / "big.syx";
  Bytes dumps;
  for (std::size_t i = 0; i < kLoadStepBytes * 3 / kDumpSize; ++i) {
    const Bytes dump = DumpOf(FilledPatch(5));
    dumps.insert(dumps.end(), dump.begin(), dump.end());
  }
  WriteFile(big, dumps);
  CancelWhenProgressShows();
  EXPECT_FALSE(Frame().Files().Open(big));
  EXPECT_EQ(Marks(m_doc.Bank(0)), (std::vector<int>{1, 2}));
  EXPECT_EQ(Frame().windowTitle(), "Untitled - Zephyl");
  EXPECT_TRUE(m_prompts.errors.isEmpty());

  // Uncancelled, the same work completes.
  m_doc.m_childrenPerParent = 3;
  Frame().OnCommand(cmd::kProcreate);
  EXPECT_EQ(m_doc.PatchCount(1), 6u);
}

TEST_F(AppWindowTest, StartUpOpensTheNamedFileOrFailsBeforeShowing) {
  CQuensetApp failing(m_prompts);
  EXPECT_FALSE(
      failing.InitInstance(ParseCommandLine(std::vector<std::string_view>{"/no/such.zpf"})));
  EXPECT_FALSE(failing.MainFrame().isVisible());
  ASSERT_EQ(m_prompts.errors.size(), 1);
  EXPECT_TRUE(m_prompts.errors[0].contains("/no/such.zpf"));

  const std::string path = Bank("start.zpf", {5, 6}).string();
  CQuensetApp app(m_prompts);
  ASSERT_TRUE(app.InitInstance(ParseCommandLine(std::vector<std::string_view>{path})));
  EXPECT_TRUE(app.MainFrame().isVisible());
  EXPECT_EQ(Marks(app.Doc().Bank(0)), (std::vector<int>{5, 6}));
  EXPECT_EQ(app.MainFrame().windowTitle(), "start.zpf - Zephyl");
  app.MainFrame().OnCommand(cmd::kAbout);
  EXPECT_EQ(m_prompts.aboutShown, 1);
}

TEST_F(AppWindowTest, AboutBoxTexts) {
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), "About quenset");
  QStringList texts;
  for (QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
  EXPECT_TRUE(texts.contains("Zephyl 0.65"));
  EXPECT_TRUE(texts.contains("A patch editor and patch generator for the NordLead and NordLead2"));
  EXPECT_EQ(about.findChildren<QLabel*>().size() - texts.filter(QRegularExpression(".")).size(), 2)
      << "two icons";
}

}  // namespace
}  // namespace zephyl
