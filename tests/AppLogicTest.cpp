#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "BankLoadJob.h"
#include "CommandLine.h"
#include "CommandTable.h"
#include "MemoryByteSource.h"
#include "MenuTable.h"
#include "Preferences.h"
#include "Procreation.h"
#include "ProcreationJob.h"
#include "RecentFileList.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

// What each key does is checked where the keys are pressed; here, that the menus agree.
TEST(CommandTableTest, MenuItemsHaveOneIdEachAndDoWhatTheKeysTheyShowDo) {
  std::set<int> ids;
  for (const MenuPopup& popup : MainMenu()) {
    for (const MenuItem& item : popup.items) {
      if (item.IsSeparator()) continue;
      SCOPED_TRACE(item.text);
      EXPECT_TRUE(ids.insert(item.id).second);
      const std::optional<Command> command = CommandFor(item.id);
      EXPECT_TRUE(command || item.grey);
      if (item.keys.empty()) continue;
      const auto keys = Accelerators();
      const auto key = std::find_if(keys.begin(), keys.end(),
                                    [&](const KeyBinding& k) { return k.key == item.keys; });
      ASSERT_NE(key, keys.end());
      const std::optional<Command> bound = CommandFor(key->id);
      ASSERT_TRUE(command && bound);
      EXPECT_EQ(command->action, bound->action);
      EXPECT_EQ(command->bank, bound->bank);
    }
  }
}

TEST(PreferencesTest, WholeNumbersAreReadAsTyped) {
  // clang-format off
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"5", 5}, {" 42 ", 42}, {"-3", -3}, {"+7", 7}, {"0", 0}, {"", {}}, {"  ", {}}, {"1.5", {}},
      {"12a", {}}, {"+-2", {}}, {"2147483647", 2147483647}, {"2147483648", {}},
      {"-2147483648", -2147483647 - 1},
  };
  // clang-format on
  for (auto [text, expected] : cases) EXPECT_EQ(ParseWholeNumber(text), expected) << text;
}

TEST(PreferencesTest, FieldsAreCheckedInOrderAndTheFirstRefusalWins) {
  using Texts = std::array<std::string, kPrefFieldCount>;
  const Texts good = {"1", "5", "11", "12", "13", "14", "16"};
  struct Case {
    Texts texts;
    std::optional<PrefField> refused;
  };
  const Case cases[] = {
      {good, {}},
      {{"100", "4000", "1", "16", "1", "16", "1"}, {}},
      {{"100", "0", "1", "16", "1", "16", "1"}, PrefField::Children},  // would only wipe a bank
      {{"0", "5", "11", "12", "13", "14", "16"}, {}},                  // crossovers alone
      {{"-1", "5", "11", "12", "13", "14", "16"}, PrefField::Mutation},
      {{"101", "x", "0", "12", "13", "14", "16"}, PrefField::Mutation},
      {{"1", "five", "0", "12", "13", "14", "16"}, PrefField::Children},
      {{"1", "5", "17", "12", "13", "14", "16"}, PrefField::SlotA},
      {{"1", "5", "11", "12", "13", "0", "16"}, PrefField::SlotD},
      {{"1", "5", "11", "12", "13", "14", "17"}, PrefField::Global},
  };
  for (const Case& c : cases) {
    Preferences prefs;
    prefs.explodeSyx = true;
    const auto refusal = CheckPreferenceTexts(c.texts, prefs);
    ASSERT_EQ(refusal.has_value(), c.refused.has_value()) << c.texts[0] << c.texts[1];
    if (refusal) {
      EXPECT_EQ(refusal->field, *c.refused);
      EXPECT_EQ(prefs.numbers, Preferences{}.numbers) << "a refusal changes nothing";
    } else {
      EXPECT_EQ(prefs[PrefField::Mutation], std::stoi(c.texts[0]));
      EXPECT_EQ(prefs[PrefField::Children], std::stoi(c.texts[1]));
      EXPECT_TRUE(prefs.explodeSyx);
    }
  }
  Preferences prefs;
  EXPECT_EQ(CheckPreferenceTexts(Texts{"1", "5", "11", "12", "13", "14", "99"}, prefs)->message,
            "\"Global MIDI channel\" must be a whole number from 1 to 16.");
  EXPECT_EQ(CheckPreferenceTexts(Texts{"1", "-1", "11", "12", "13", "14", "16"}, prefs)->message,
            "\"Nr of children per parent\" must be a whole number of 1 or more.");
  EXPECT_EQ(CheckPreferenceTexts(Texts{"101", "5", "11", "12", "13", "14", "16"}, prefs)->message,
            "\"Chance of mutation (percent)\" must be a whole number from 0 to 100.");
}

TEST(RecentFileListTest, NewestFirstEachOnceAtMostFour) {
  RecentFileList list;
  for (const char* name :
       {"/a/1.zpf", "/a/2.zpf", "/a/3.zpf", "/a/1.zpf", "/a/4.zpf", "/a/5.zpf"}) {
    list.Add(name);
  }
  EXPECT_EQ(list.Items(),
            (std::vector<std::filesystem::path>{"/a/5.zpf", "/a/4.zpf", "/a/1.zpf", "/a/3.zpf"}));
  list.Remove(1);
  list.Remove(7);
  EXPECT_EQ(list.Items().size(), 3u);
  list.Add("/a/x/../5.zpf");  // the same file, written another way
  EXPECT_EQ(list.Items().front(), "/a/5.zpf");
  EXPECT_EQ(list.Items().size(), 3u);

  list.Assign({"/b/R&B.zpf", "", "/b/" + std::string(60, 'n') + ".zpf"});
  EXPECT_EQ(list.MenuText(0), "&1 /b/R&&B.zpf");
  EXPECT_EQ(list.MenuText(1), "&2 /b/nnnnnnnnnnnnn.../" + std::string(60, 'n') + ".zpf");
}

TEST(CommandLineTest, OneOptionalFile) {
  struct Case {
    std::vector<std::string_view> args;
    std::optional<std::filesystem::path> file;
    bool help, version, error;
  };
  // clang-format off
  const Case cases[] = {
      {{}, {}, false, false, false}, {{"bank.zpf"}, "bank.zpf", false, false, false},
      {{"-"}, "-", false, false, false}, {{"--", "-odd.zpf"}, "-odd.zpf", false, false, false},
      {{"--help"}, {}, true, false, false}, {{"-v"}, {}, false, true, false},
      {{"--frobnicate"}, {}, false, false, true}, {{"a.zpf", "b.zpf"}, "a.zpf", false, false, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
    const CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.file, c.file);
    EXPECT_EQ(line.help, c.help);
    EXPECT_EQ(line.version, c.version);
    EXPECT_EQ(!line.error.empty(), c.error);
  }
}

TEST(StagedJobTest, BreedingInSlicesDrawsExactlyAsOneRun) {
  const std::vector<CPatch> parents = FilledPatches({10, 20, 30, 40, 50, 60, 70});
  CQuensetDoc once, sliced;
  for (CQuensetDoc* doc : {&once, &sliced}) {
    doc->AppendPatches(2, std::vector<CPatch>(parents));
    doc->SetCurrentBank(2);
    doc->m_childrenPerParent = 3;
    doc->m_mutationChance = 30;
  }
  SeededRandom a(99), b(99);
  Procreate(once, a);

  sliced.AppendPatches(3, FilledPatches({1}));
  ProcreationJob job(sliced.Bank(2), 3, 30, b);
  EXPECT_EQ(job.Total(), 21u);
  std::size_t steps = 0;
  while (!job.Breed(4)) ++steps;
  EXPECT_EQ(steps, 5u);
  EXPECT_EQ(Marks(sliced.Bank(3)), std::vector<int>{1}) << "nothing changes before Apply";
  job.Apply(sliced, 2);
  ASSERT_EQ(sliced.PatchCount(3), 21u);
  for (std::size_t i = 0; i < 21; ++i)
    EXPECT_EQ(sliced.PatchAt(3, i).m_values, once.PatchAt(3, i).m_values);
  EXPECT_EQ(sliced.CurrentIndex(3), 20u);
  EXPECT_FALSE(sliced.IsPlaceholder(3));
  EXPECT_EQ(a.Draw(), b.Draw());
}

TEST(StagedJobTest, AGenerationCountsOnlyWhatIsBredAndStopsAtTenMillion) {
  using enum GenerationRefusal;
  // clang-format off
  const std::tuple<std::size_t, int, std::uint64_t, GenerationRefusal> cases[] = {
      {1, 5, 0, NoChildren}, {3, 0, 0, NoChildren}, {3, -7, 0, NoChildren}, {3, 5, 15, None},
      {2, 5'000'000, 10'000'000, None}, {2, 5'000'001, 10'000'002, TooLarge},
      {100'000, 2'000'000'000, 200'000'000'000'000, TooLarge}};
  // clang-format on
  for (auto [parents, perParent, size, refusal] : cases) {
    const GenerationPlan plan = PlanGeneration(parents, perParent);
    EXPECT_EQ(plan.children, size) << parents << " x " << perParent;
    EXPECT_EQ(plan.refusal, refusal) << parents << " x " << perParent;
  }
}

TEST(StagedJobTest, LoadingInSlicesFindsWhatOneLoadFindsAndChangesNothingUntilApplied) {
  const Bytes bytes = Concat({Junk(20), DumpsOf({1, 2, 3}), Junk(50), DumpsOf({4}), Junk(100)});
  MemoryByteSource source(bytes);
  DumpScanner scanner(source);
  BankLoadJob job(scanner);
  CQuensetDoc doc;
  std::size_t steps = 1;
  while (!job.Scan(kDumpSize)) ++steps;
  EXPECT_GE(steps, 3u);
  EXPECT_TRUE(doc.IsPlaceholder(0));
  const LoadResult result = job.Apply(doc);
  EXPECT_EQ(result.patchesAdded, 4u);
  EXPECT_EQ(result.bytesSkipped, 170u);
  EXPECT_EQ(Marks(doc.Bank(0)), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(doc.CurrentIndex(0), 3u);
}

}  // namespace
}  // namespace zephyl
