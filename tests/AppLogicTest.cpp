#include <gtest/gtest.h>

#include <set>

#include "CommandTable.h"
#include "MenuTable.h"
#include "Preferences.h"
#include "Procreation.h"
#include "ProcreationJob.h"
#include "TestPatches.h"

namespace zephyl {
namespace {

using namespace test;

// What each key does is checked where the keys are pressed; here, that every item does something.
TEST(CommandTableTest, MenuItemsHaveOneIdEachAndACommandUnlessGrey) {
  std::set<int> ids;
  for (const MenuPopup& popup : MainMenu()) {
    for (const MenuItem& item : popup.items) {
      if (item.IsSeparator()) continue;
      EXPECT_TRUE(ids.insert(item.id).second) << item.text;
      EXPECT_TRUE(CommandFor(item.id) || item.grey) << item.text;
    }
  }
}

TEST(PreferencesTest, WholeNumbersAreReadAsTyped) {
  // clang-format off
  const std::pair<const char*, std::optional<int>> cases[] = {
      {" 42 ", 42}, {"-3", -3}, {"+7", 7}, {"0", 0}, {"  ", {}}, {"1.5", {}}, {"12a", {}},
      {"+-2", {}}, {"2147483647", 2147483647}, {"2147483648", {}}, {"-2147483648", -2147483647 - 1},
  };
  // clang-format on
  for (auto [text, expected] : cases) EXPECT_EQ(ParseWholeNumber(text), expected) << text;
}

TEST(PreferencesTest, FieldsAreCheckedInOrderAndTheFirstRefusalWins) {
  using Texts = std::array<std::string, kPrefFieldCount>;
  struct Case {
    Texts texts;
    std::optional<PrefField> refused;
  };
  const Case cases[] = {
      {{"100", "4000", "1", "16", "1", "16", "1"}, {}},
      {{"0", "5", "11", "12", "13", "14", "16"}, {}},                  // crossovers alone
      {{"100", "0", "1", "16", "1", "16", "1"}, PrefField::Children},  // would only wipe a bank
      {{"101", "x", "0", "12", "13", "14", "16"}, PrefField::Mutation},
      {{"1", "5", "17", "12", "13", "14", "16"}, PrefField::SlotA},
      {{"1", "5", "11", "12", "13", "14", "17"}, PrefField::Global},
  };
  for (const Case& c : cases) {
    Preferences prefs;
    const auto refusal = CheckPreferenceTexts(c.texts, prefs);
    ASSERT_EQ(refusal.has_value(), c.refused.has_value()) << c.texts[0] << c.texts[1];
    if (refusal) {
      EXPECT_EQ(refusal->field, *c.refused);
      EXPECT_EQ(prefs.numbers, Preferences{}.numbers) << "a refusal changes nothing";
    } else {
      EXPECT_EQ(prefs[PrefField::Children], std::stoi(c.texts[1]));
    }
  }
  // The children's message is checked in the dialog.
  Preferences prefs;
  EXPECT_EQ(CheckPreferenceTexts(Texts{"1", "5", "11", "12", "13", "14", "99"}, prefs)->message,
            "\"Global MIDI channel\" must be a whole number from 1 to 16.");
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
  // Too few parents or children are refused where breeding is; here, the count and its limit.
  const std::tuple<std::size_t, int, std::uint64_t, GenerationRefusal> cases[] = {
      {2, 5'000'000, 10'000'000, None},
      {2, 5'000'001, 10'000'002, TooLarge},
      {100'000, 2'000'000'000, 200'000'000'000'000, TooLarge}};
  for (auto [parents, perParent, size, refusal] : cases) {
    const GenerationPlan plan = PlanGeneration(parents, perParent);
    EXPECT_EQ(plan.children, size) << parents << " x " << perParent;
    EXPECT_EQ(plan.refusal, refusal) << parents << " x " << perParent;
  }
}

}  // namespace
}  // namespace zephyl
