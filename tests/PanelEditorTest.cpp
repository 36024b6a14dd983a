#include <gtest/gtest.h>

#include <functional>

#include "CPanelEditor.h"
#include "PatchEditRecorder.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

using Message = std::array<std::uint8_t, 3>;

// Records every platform operation the panel asks for.
class RecordingPanelHost final : public PanelHost {
 public:
  void Invalidate(const PanelRect& area) override { invalidated.push_back(area); }
  void CapturePointer() override { ++captures; }
  void ReleasePointer() override { ++releases; }
  void SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override {
    messages.push_back({status, data1, data2});
  }
  void SendPatch() override { ++patchesSent; }
  void Execute(BankCommand command) override { commands.push_back(command); }
  void PatchEditStarted() override { onStarted(); }
  void PatchValuesChanged() override { ++valueChanges; }
  void PatchEditFinished() override { onFinished(); }

  // Whole-panel repaints, told apart by the patch display, which only they include.
  int PanelRepaints() const {
    return static_cast<int>(
        std::count(invalidated.begin(), invalidated.end(), PanelRect{10, 220, 150, 246}));
  }
  bool Covers(PanelPoint p) const {
    return std::any_of(invalidated.begin(), invalidated.end(),
                       [&](const PanelRect& r) { return r.Contains(p); });
  }

  std::vector<PanelRect> invalidated;
  int captures = 0, releases = 0, patchesSent = 0;
  std::vector<Message> messages;
  std::vector<BankCommand> commands;
  std::function<void()> onStarted = [] {}, onFinished = [] {};
  int valueChanges = 0;
};

class PanelEditorTest : public ::testing::Test {
 protected:
  std::uint8_t& Value(std::size_t p) { return m_doc.CurrentPatch().m_values[p]; }
  const CPanelControl& Control(std::size_t i) const { return m_editor.Tables().controls[i]; }
  // The middle of a control, where a musician clicks.
  PanelPoint Centre(std::size_t control) const {
    const PanelRect& r = Control(control).m_hitRect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Click(PanelPoint p) {
    m_editor.OnLButtonDown(p);
    m_editor.OnLButtonUp();
  }

  CQuensetDoc m_doc;
  RecordingPanelHost m_host;
  CPanelEditor m_editor{m_doc, m_host};
};

TEST_F(PanelEditorTest, TablesGiveEveryControlItsPlaceAndNoTwoMeet) {
  const auto meet = [](const PanelRect& a, const PanelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
  };
  for (std::size_t i = 0; i < kControlCount; ++i) {
    SCOPED_TRACE(i);
    const CPanelControl& c = Control(i);
    const char kind = i < kKnobCount ? 'k' : i >= kFirstButton && i <= kLastButton ? 'b' : 0;
    const PanelRect& r = c.m_hitRect;
    EXPECT_EQ(c.m_kind, kind);
    EXPECT_EQ((PanelPoint{r.right - r.left, r.bottom - r.top}),
              (PanelPoint{kind ? 21 : 0, kind == 'k' ? 21
                                         : kind      ? 10
                                                     : 0}));
    EXPECT_EQ((PanelPoint{c.m_x, c.m_y}), (PanelPoint{r.left, r.top}));
    EXPECT_EQ(c.m_label.empty(), kind == 0 || i == 68) << "only the octave-down button is bare";
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_EQ(meet(r, Control(j).m_hitRect), i == 68 && j == 64) << "with " << j;
  }
  EXPECT_EQ(Control(0).m_hitRect, (PanelRect{250, 18, 271, 39}));
  EXPECT_EQ(Control(0).m_indicatorRect, (PanelRect{250, -2, 270, 17}));
  EXPECT_EQ(Control(69).m_indicatorRect, (PanelRect{-6, -1, 35, 19}));
  EXPECT_EQ(Control(64).m_label, "octshift       ");
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(m_editor.Tables().slotButtons[s].m_hitRect,
              (PanelRect{50 + 20 * s, 180, 70 + 20 * s, 190}));
  }
}

TEST_F(PanelEditorTest, ButtonPressesStepTheirParameterAndWrap) {
  struct Case {
    const char* name;
    PanelPoint point;
    std::size_t parameter;
    std::uint8_t before, after;
    int currentParameter, repaints;
  };
  // clang-format off
  const Case cases[] = {
      {"wave wraps", {215, 35}, 50, 3, 0, 50, 1},
      {"wave steps", {295, 35}, 51, 1, 2, 51, 1},
      {"out of range wraps", {295, 85}, 54, 7, 0, 54, 1},
      {"filter", {505, 85}, 53, 4, 0, 53, 1},
      {"sync keeps dist", {255, 135}, 52, 0x13, 0x10, 52, 1},
      {"sync steps", {255, 135}, 52, 0x11, 0x12, 52, 1},
      {"dist on", {510, 135}, 52, 0x03, 0x13, 52, 1},
      {"dist off", {510, 135}, 52, 0x13, 0x03, 52, 1},
      {"octave up wraps", {100, 215}, 64, 4, 0, 64, 1},
      {"octave down wraps", {75, 215}, 64, 0, 4, 64, 1},
      {"both octave buttons", {90, 215}, 64, 2, 2, 64, 2},
      {"arp/dest leaves 8", {125, 85}, 65, 8, 7, 65, 1},
      {"arp/dest closes cycle", {125, 85}, 65, 6, 0, 65, 1},
      {"arp/dest second cycle", {125, 85}, 65, 7, 3, 65, 1},
      {"arp/dest keeps 9", {125, 85}, 65, 9, 9, 65, 1},
      {"arp off", {85, 85}, 65, 6, 8, 65, 1},
      {"arp on from 9", {85, 85}, 65, 9, 0, 65, 1},
      {"arp on from 4", {85, 85}, 65, 4, 0, 65, 1},
      {"voice", {275, 185}, 58, 2, 0, 58, 1},
      {"edge is outside", {231, 35}, 50, 1, 1, 7, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_doc.ClearBank(0);
    m_host = {};
    m_editor.SetCurrentParameter(7);
    Value(c.parameter) = c.before;
    EXPECT_TRUE(m_editor.OnLButtonDown(c.point));
    EXPECT_EQ(Value(c.parameter), c.after);
    EXPECT_EQ(m_editor.CurrentParameter(), c.currentParameter);
    EXPECT_EQ(m_host.PanelRepaints(), c.repaints);
    EXPECT_EQ(m_doc.IsPlaceholder(0), c.repaints == 0) << "an edit makes the patch real";
    EXPECT_EQ(m_host.captures, 0);
  }
}

TEST_F(PanelEditorTest, SpecialButtonsAndEmptyPlaces) {
  // Knob press: drag starts, the patch becomes real, the value stays.
  Value(3) = 40;
  EXPECT_TRUE(m_editor.OnLButtonDown(Centre(3)));
  EXPECT_TRUE(m_editor.IsDragging());
  EXPECT_EQ(m_host.captures, 1);
  EXPECT_EQ(Value(3), 40);
  EXPECT_FALSE(m_doc.IsPlaceholder(0));
  EXPECT_FALSE(m_editor.OnLButtonUp()) << "a drag's release stays with the panel";
  EXPECT_EQ(m_host.releases, 1);
  EXPECT_FALSE(m_editor.IsDragging());

  // "send" sends and leaves the placeholder; nothing happens on empty ground or on "perf".
  m_doc.ClearBank(0);
  m_host = {};
  for (PanelPoint p : {Centre(72), PanelPoint{0, 0}, PanelPoint{271, 18}, Centre(71)}) {
    EXPECT_TRUE(m_editor.OnLButtonDown(p));
    EXPECT_TRUE(m_editor.OnLButtonUp());
  }
  EXPECT_EQ(m_host.patchesSent, 1);
  EXPECT_TRUE(m_doc.IsPlaceholder(0));
  EXPECT_TRUE(m_host.invalidated.empty());

  // "morph" toggles without touching the current parameter; knobs then pick morph amounts.
  m_editor.SetCurrentParameter(58);
  Click(Centre(69));
  EXPECT_TRUE(m_editor.MorphMode());
  EXPECT_EQ(m_editor.CurrentParameter(), 58);
  Click(Centre(3));
  EXPECT_EQ(m_editor.CurrentParameter(), 28);
  Click(Centre(69));
  EXPECT_FALSE(m_editor.MorphMode());

  // The second click of a double click steps a button again.
  Value(50) = 0;
  Click(Centre(50));
  m_editor.OnLButtonDblClk(Centre(50));
  EXPECT_EQ(Value(50), 2);

  // Slot selectors, edges included.
  for (auto [point, slot] : {std::pair{PanelPoint{90, 180}, 2},
                             {PanelPoint{129, 189}, 3},
                             {PanelPoint{50, 185}, 0},
                             {PanelPoint{130, 185}, 0}}) {
    m_editor.OnLButtonDown(point);
    EXPECT_EQ(m_editor.Slot(), slot);
  }
}

TEST_F(PanelEditorTest, DragsClampKnobsAndMorphAmountsAndRedrawWhatMoved) {
  const PanelRect value{10, 160, 50, 186};  // the value display, its caption and number
  struct Case {
    const char* name;
    std::size_t knob;
    bool morph;
    std::uint8_t before;
    std::vector<int> moves;  // pointer y relative to the press, one move each
    std::uint8_t after;
  };
  // clang-format off
  const Case cases[] = {
      {"up to the range", 5, false, 120, {-30}, 127},
      {"semitones up to 121", 0, false, 115, {-10}, 121},
      {"down to zero", 5, false, 3, {10}, 0},
      {"zero stays", 5, false, 0, {5}, 0},
      {"up and back", 5, false, 60, {-10, -6}, 66},
      {"one pixel a step", 12, false, 60, {-1, -2, -3, -2}, 62},
      {"high byte reads negative, down stays", 5, false, 250, {10}, 250},
      {"high byte reads negative, up adds", 5, false, 250, {-10}, 4},
      {"outside the view", 3, false, 0, {-1000}, 127},
      {"morph down to -127", 5, true, 0x88, {20}, 0x81},
      {"morph up stops at 127", 5, true, 127, {-3}, 127},
      {"morph on freq", 3, true, 0, {-5}, 5},
      {"morph below zero", 3, true, 2, {6}, 0xFC},
      {"morph from -128 up", 3, true, 0x80, {-1}, 0x81},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_editor.SetMorphMode(c.morph);
    const std::size_t p = c.knob + (c.morph ? kKnobCount : 0);
    Value(p) = c.before;
    const PanelPoint start = Centre(c.knob);
    m_editor.OnLButtonDown(start);
    m_host = {};
    for (int dy : c.moves) EXPECT_FALSE(m_editor.OnMouseMove({start.x + 40, start.y + dy}));
    EXPECT_EQ(Value(p), c.after);
    // Each step redraws the knob and the value, even when a knob's value stays; the
    // semitones knob its octave light too; a morph amount that stays redraws nothing.
    const PanelRect& hit = Control(c.knob).m_hitRect;
    std::vector<PanelRect> steps = {hit, value};
    if (c.knob == 0) steps = {Control(0).m_indicatorRect, {254, 9, 267, 19}, hit, value};
    if (c.morph && c.before == c.after) steps.clear();
    std::vector<PanelRect> expected;
    for (std::size_t i = 0; i < c.moves.size(); ++i)
      expected.insert(expected.end(), steps.begin(), steps.end());
    EXPECT_EQ(m_host.invalidated, expected);
    m_editor.OnLButtonUp();
  }
}

TEST_F(PanelEditorTest, APressToItsReleaseIsOneStepOfTheHistory) {
  UndoHistory history;
  PatchEditRecorder recorder(m_doc, history);
  m_host.onStarted = [&] {
    recorder.End(m_editor.CurrentParameter());
    recorder.Begin();
  };
  m_host.onFinished = [&] { recorder.End(m_editor.CurrentParameter()); };
  const auto drag = [&](std::size_t knob, std::vector<int> moves) {
    return [&, knob, moves] {
      const PanelPoint at = Centre(knob);
      m_editor.OnLButtonDown(at);
      for (int dy : moves) m_editor.OnMouseMove({at.x, at.y + dy});
      m_editor.OnLButtonUp();
    };
  };
  struct Case {
    const char* name;
    std::function<void()> edit;
    const char* step;  // none: no step
    int changes;
  };
  const Case cases[] = {
      {"a drag of many moves", drag(5, {-3, -9, -11, -7}), "Edit Filter env am", 4},
      {"a knob pressed, not moved", drag(5, {}), nullptr, 0},
      {"a click", [&] { Click(Centre(51)); }, "Edit Oscillators wave (right)", 1},
      {"send", [&] { Click(Centre(kSendButton)); }, nullptr, 0},
      {"a morph drag", [&] { m_editor.SetMorphMode(true), drag(3, {-5})(); },
       "Edit Filter freq morph", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto before = Snapshot(m_doc);
    const std::size_t steps = history.StepCount();
    m_host.valueChanges = 0;
    c.edit();
    EXPECT_EQ(m_host.valueChanges, c.changes);
    if (!c.step) {
      EXPECT_EQ(history.StepCount(), steps);
      continue;
    }
    ASSERT_EQ(history.StepCount(), steps + 1);
    EXPECT_EQ(history.UndoName(), c.step);
    const auto after = Snapshot(m_doc);
    history.Undo(m_doc);
    EXPECT_EQ(Snapshot(m_doc), before) << "the placeholder flag too";
    history.Redo(m_doc);
    EXPECT_EQ(Snapshot(m_doc), after);
  }
}

TEST_F(PanelEditorTest, HoverPicksKnobsOnlyInTheirBand) {
  // clang-format off
  const std::tuple<PanelPoint, bool, int> cases[] = {  // point, morph, current parameter
      {{170, 170}, false, 16}, {{170, 188}, false, 16}, {{345, 120}, true, 28},
      {{95, 215}, false, 7}, {{200, 225}, false, 7}, {{250, 0}, false, 7}, {{5, 5}, false, 7},
  };
  // clang-format on
  for (const auto& [point, morph, parameter] : cases) {
    SCOPED_TRACE(testing::Message() << point.x << "," << point.y);
    m_editor.SetMorphMode(morph);
    m_editor.SetCurrentParameter(7);
    m_host = {};
    const bool picked = parameter != 7;
    EXPECT_EQ(m_editor.OnMouseMove(point), !picked) << "events not taken go on";
    EXPECT_EQ(m_editor.CurrentParameter(), parameter);
    EXPECT_EQ(m_host.invalidated.size(), picked ? 1u : 0u);
  }
}

TEST_F(PanelEditorTest, TrigSoundsATestNoteOnTheSlotsChannel) {
  m_doc.m_slotChannel[2] = 10;
  Click({95, 185});  // "Slot C"
  m_host = {};
  m_editor.OnLButtonDown(Centre(70));
  EXPECT_TRUE(m_editor.IsNoteOn());
  EXPECT_EQ(Control(70).m_state, 1);
  EXPECT_TRUE(m_editor.OnLButtonUp());
  EXPECT_EQ(Control(70).m_state, 0);
  EXPECT_EQ(m_host.PanelRepaints(), 2);
  EXPECT_TRUE(m_doc.IsPlaceholder(0));
  // A double click sounds it twice. When the release went elsewhere and a slot was chosen
  // meanwhile, the note still ends where it sounds.
  Click(Centre(70));
  EXPECT_TRUE(m_editor.OnLButtonDblClk(Centre(70)));
  m_editor.OnLButtonUp();
  m_editor.OnLButtonDown(Centre(70));
  m_editor.OnLButtonDown({55, 185});  // "Slot A", channel 11
  m_editor.OnLButtonUp();
  const Message on = {0x99, 64, 64}, off = {0x89, 64, 64};
  EXPECT_EQ(m_host.messages, (std::vector<Message>{on, off, on, off, on, off, on, off}));
  EXPECT_EQ(m_editor.Slot(), 0);
}

TEST_F(PanelEditorTest, WheelStepsOnePatchPerEventAndTheTimerBlinksTheMorphLight) {
  for (int delta : {240, 1, -120, 0, -1}) EXPECT_TRUE(m_editor.OnMouseWheel(delta));
  EXPECT_EQ(m_host.commands, (std::vector<BankCommand>{BankCommand::Next, BankCommand::Next,
                                                       BankCommand::Prev, BankCommand::Prev}));
  EXPECT_EQ(m_editor.BlinkPhase(), 2);
  std::vector<int> phases;
  for (unsigned id : {2u, 2u, 2u, 5u}) {
    EXPECT_TRUE(m_editor.OnTimer(id));
    phases.push_back(m_editor.BlinkPhase());
  }
  EXPECT_EQ(phases, (std::vector<int>{1, 0, 1, 1}));
  EXPECT_EQ(m_host.invalidated, std::vector<PanelRect>(3, PanelRect{-6, -1, 35, 19}));
  static_assert(CPanelEditor::kBlinkPeriod == std::chrono::milliseconds(250));
}

TEST_F(PanelEditorTest, PanelRepaintCoversEveryLightAndPicture) {
  m_editor.InvalidatePanel();
  std::vector<PanelRect> drawn = {
      {254, 9, 267, 19},     // octave light above "semitones"
      {253, 120, 266, 130},  // sync bit 0
      {253, 110, 266, 120},  // sync bit 1
      {7, 8, 20, 18},        // morph
      {7, 48, 20, 58},       // trig
      {10, 160, 50, 186},    // value display: "-128  " at its widest
      {10, 190, 50, 216},    // bank display
      {10, 220, 80, 246},    // patch display, up to patch 9999
  };
  for (int k = 0; k < 5; ++k) drawn.push_back({55 + 15 * k, 197, 68 + 15 * k, 207});
  for (int s = 0; s < 4; ++s) drawn.push_back({53 + 20 * s, 168, 66 + 20 * s, 178});
  for (std::size_t b = 50; b <= 67; ++b) {
    const CPanelControl& c = Control(b);
    drawn.push_back({c.m_x + 3, c.m_y - 12, c.m_x + 16, c.m_y - 2});
    drawn.push_back({c.m_x - 6, c.m_y - 15, c.m_x + 27, c.m_y - 2});
  }
  for (std::size_t k = 0; k < 25; ++k) {
    const CPanelControl& c = Control(k);
    drawn.push_back({c.m_x, c.m_y, c.m_x + 21, c.m_y + 21});
  }
  for (const PanelRect& r : drawn) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) ASSERT_TRUE(m_host.Covers({x, y})) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace zephyl::test
