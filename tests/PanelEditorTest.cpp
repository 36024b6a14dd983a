#include <gtest/gtest.h>

#include "CPanelEditor.h"
#include "RecordingPanelHost.h"

namespace zephyl::test {
namespace {

using Message = RecordingPanelHost::Message;

class PanelEditorTest : public ::testing::Test {
 protected:
  std::uint8_t& Value(std::size_t p) { return m_doc.CurrentPatch().m_values[p]; }
  // The middle of a control, where a musician clicks.
  PanelPoint Centre(std::size_t control) const {
    const PanelRect& r = m_editor.Tables().controls[control].m_hitRect;
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

TEST_F(PanelEditorTest, TablesPlaceEveryKindOfControl) {
  const auto t = m_editor.Tables();
  struct Case {
    std::size_t index;
    char kind;
    const char* label;
    PanelRect hit;
    PanelRect indicator;
  };
  // clang-format off
  const Case cases[] = {
      {0, 'k', "semitones", {250, 18, 271, 39}, {250, -2, 270, 17}},
      {16, 'k', "portam", {160, 168, 181, 189}, {}},
      {24, 'k', "amount", {160, 68, 181, 89}, {}},
      {25, 0, "", {}, {}},
      {52, 'b', "sync", {250, 130, 271, 140}, {240, 109, 281, 129}},
      {58, 'b', "voice", {270, 180, 291, 190}, {260, 159, 301, 179}},
      {59, 'b', "modwheel", {190, 220, 211, 230}, {180, 199, 221, 219}},
      {64, 'b', "octshift       ", {90, 210, 111, 220}, {80, 189, 121, 209}},
      {66, 'b', "arp", {80, 80, 101, 90}, {70, 59, 111, 79}},
      {67, 'b', "dist", {504, 130, 525, 140}, {494, 109, 535, 129}},
      {68, 'b', "", {70, 210, 91, 220}, {60, 189, 101, 209}},
      {69, 'b', "morph", {4, 20, 25, 30}, {-6, -1, 35, 19}},
      {72, 'b', "send", {4, 130, 25, 140}, {-6, 109, 35, 129}},
      {131, 0, "", {}, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    const CPanelControl& control = t.controls[c.index];
    EXPECT_EQ(control.m_kind, c.kind);
    EXPECT_EQ(control.m_label, c.label);
    EXPECT_EQ(control.m_hitRect, c.hit);
    EXPECT_EQ(control.m_indicatorRect, c.indicator);
    if (c.kind) {
      EXPECT_EQ((PanelPoint{control.m_x, control.m_y}), (PanelPoint{c.hit.left, c.hit.top}));
    }
  }
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(t.slotButtons[s].m_hitRect, (PanelRect{50 + 20 * s, 180, 70 + 20 * s, 190}));
  }
  EXPECT_EQ(t.Origin(Section::Portamento), (PanelPoint{160, 170}));
}

TEST_F(PanelEditorTest, ButtonPressesStepTheirParameterAndWrap) {
  struct Case {
    const char* name;
    PanelPoint point;
    std::size_t parameter;
    std::uint8_t before;
    std::uint8_t after;
    int currentParameter;
    int repaints;
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
    m_host.Clear();
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

  // "send" sends and leaves the placeholder; nothing happens on empty ground.
  m_doc.ClearBank(0);
  m_host.Clear();
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
  m_editor.OnLButtonDown(Centre(3));
  EXPECT_EQ(m_editor.CurrentParameter(), 28);
  m_editor.OnLButtonUp();
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

TEST_F(PanelEditorTest, DragsClampKnobsAndMorphAmounts) {
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
    m_host.Clear();
    for (int dy : c.moves) EXPECT_FALSE(m_editor.OnMouseMove({start.x + 40, start.y + dy}));
    EXPECT_EQ(Value(p), c.after);
    m_editor.OnLButtonUp();
  }
}

TEST_F(PanelEditorTest, DragsRedrawTheKnobAndTheValue) {
  const PanelRect value{0, 160, 50, 200};
  const auto& c = m_editor.Tables().controls;
  struct Case {
    std::size_t knob;
    bool morph;
    std::uint8_t before;
    int dy;
    std::vector<PanelRect> expected;
  };
  const Case cases[] = {
      {5, false, 0, 5, {c[5].m_hitRect, value}},  // redrawn even when the value stays
      {0, false, 0, -5, {c[0].m_indicatorRect, {254, 9, 267, 19}, c[0].m_hitRect, value}},
      {5, true, 0, -5, {c[5].m_hitRect, value}},
      {5, true, 127, -5, {}},
  };
  for (const Case& k : cases) {
    m_editor.SetMorphMode(k.morph);
    Value(k.knob + (k.morph ? kKnobCount : 0)) = k.before;
    m_editor.OnLButtonDown(Centre(k.knob));
    m_host.Clear();
    m_editor.OnMouseMove({Centre(k.knob).x, Centre(k.knob).y + k.dy});
    EXPECT_EQ(m_host.invalidated, k.expected) << k.knob << (k.morph ? " morph" : "");
    m_editor.OnLButtonUp();
  }
}

TEST_F(PanelEditorTest, HoverPicksKnobsOnlyInTheirBand) {
  struct Case {
    PanelPoint point;
    bool morph;
    int currentParameter;
    bool passedOn;
  };
  // clang-format off
  const Case cases[] = {
      {{170, 170}, false, 16, false},
      {{170, 188}, false, 16, false},
      {{345, 120}, true, 28, false},
      {{95, 215}, false, 7, true},
      {{200, 225}, false, 7, true},
      {{250, 0}, false, 7, true},
      {{5, 5}, false, 7, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    m_editor.SetMorphMode(c.morph);
    m_editor.SetCurrentParameter(7);
    m_host.Clear();
    EXPECT_EQ(m_editor.OnMouseMove(c.point), c.passedOn) << c.point.x << "," << c.point.y;
    EXPECT_EQ(m_editor.CurrentParameter(), c.currentParameter);
    EXPECT_EQ(m_host.invalidated.size(), c.passedOn ? 0u : 1u);
  }
}

TEST_F(PanelEditorTest, TrigSoundsATestNoteOnTheSlotsChannel) {
  m_doc.m_slotChannel[2] = 10;
  m_editor.OnLButtonDown({95, 185});  // "Slot C"
  m_editor.OnLButtonUp();
  m_host.Clear();
  m_editor.OnLButtonDown(Centre(70));
  EXPECT_TRUE(m_editor.IsNoteOn());
  EXPECT_EQ(m_editor.Tables().controls[70].m_state, 1);
  EXPECT_TRUE(m_editor.OnLButtonUp());
  EXPECT_EQ(m_editor.Tables().controls[70].m_state, 0);
  EXPECT_EQ(m_host.messages, (std::vector<Message>{{0x99, 64, 64}, {0x89, 64, 64}}));
  EXPECT_EQ(m_host.PanelRepaints(), 2);
  EXPECT_TRUE(m_doc.IsPlaceholder(0));

  // A double click sounds it twice.
  m_host.Clear();
  m_editor.OnLButtonDown(Centre(70));
  m_editor.OnLButtonUp();
  EXPECT_TRUE(m_editor.OnLButtonDblClk(Centre(70)));
  m_editor.OnLButtonUp();
  EXPECT_EQ(m_host.messages.size(), 4u);
  EXPECT_EQ(m_host.messages[2], (Message{0x99, 64, 64}));
  EXPECT_EQ(m_host.messages[3], (Message{0x89, 64, 64}));

  // When the release went elsewhere and a slot is chosen meanwhile, the note still ends where
  // it sounds.
  m_host.Clear();
  m_editor.OnLButtonDown(Centre(70));
  m_editor.OnLButtonDown({55, 185});  // "Slot A", channel 11
  m_editor.OnLButtonUp();
  EXPECT_EQ(m_host.messages, (std::vector<Message>{{0x99, 64, 64}, {0x89, 64, 64}}));
}

TEST_F(PanelEditorTest, WheelStepsOnePatchPerEvent) {
  for (int delta : {240, 1, -120, 0, -1}) EXPECT_TRUE(m_editor.OnMouseWheel(delta));
  EXPECT_EQ(m_host.commands, (std::vector<BankCommand>{BankCommand::Next, BankCommand::Next,
                                                       BankCommand::Prev, BankCommand::Prev}));
}

TEST_F(PanelEditorTest, TimerBlinksTheMorphLight) {
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
  const auto& c = m_editor.Tables().controls;
  std::vector<PanelRect> drawn = {
      {254, 9, 267, 19},     // octave light above "semitones"
      {253, 120, 266, 130},  // sync bit 0
      {253, 110, 266, 120},  // sync bit 1
      {7, 8, 20, 18},        // morph
      {7, 48, 20, 58},       // trig
      {0, 170, 60, 186},     // value display
      {0, 200, 60, 246},     // bank and patch numbers
  };
  for (int k = 0; k < 5; ++k) drawn.push_back({55 + 15 * k, 197, 68 + 15 * k, 207});
  for (int s = 0; s < 4; ++s) drawn.push_back({53 + 20 * s, 168, 66 + 20 * s, 178});
  for (std::size_t b = 50; b <= 67; ++b) {
    drawn.push_back({c[b].m_x + 3, c[b].m_y - 12, c[b].m_x + 16, c[b].m_y - 2});
    drawn.push_back({c[b].m_x - 6, c[b].m_y - 15, c[b].m_x + 27, c[b].m_y - 2});
  }
  for (std::size_t k = 0; k < 25; ++k)
    drawn.push_back({c[k].m_x, c[k].m_y, c[k].m_x + 21, c[k].m_y + 21});
  for (const PanelRect& r : drawn) {
    EXPECT_TRUE(m_host.Covers(r)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

}  // namespace
}  // namespace zephyl::test
