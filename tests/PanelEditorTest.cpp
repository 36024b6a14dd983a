#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "CPanelEditor.h"
#include "PanelDrawing.h"
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
  void Execute(BankCommand) override {}
  void PatchEditStarted() override { onStarted(); }
  void PatchValuesChanged() override { ++valueChanges; }
  void PatchEditFinished() override { onFinished(); }

  bool Covers(PanelPoint p) const {
    return std::any_of(invalidated.begin(), invalidated.end(),
                       [&](const PanelRect& r) { return r.Contains(p); });
  }

  std::vector<PanelRect> invalidated;
  int captures = 0, releases = 0, patchesSent = 0;
  std::vector<Message> messages;
  std::function<void()> onStarted = [] {}, onFinished = [] {};
  int valueChanges = 0;
};

// Records what each draw call paints on each pixel of the panel and a margin around it: a
// picture its pixels, a character its mark over its cell (5/8 of the font's height wide, no
// glyph is wider; a blank the background), a line its pen's width either side.
class RecordingSurface final : public PanelSurface {
 public:
  static constexpr int kMargin = 20;

  FontHandle CreateFont(const FontDesc& desc) override { return desc.cellHeight; }
  PenHandle CreatePen(int width, Rgb) override { return width; }
  FontHandle SelectFont(FontHandle font) override { return std::exchange(m_font, font); }
  PenHandle SelectPen(PenHandle pen) override { return std::exchange(m_pen, pen); }
  void DeleteFont(FontHandle) override {}
  void DeletePen(PenHandle) override {}
  void SetTextBackground(Rgb colour) override { m_background = Mark(colour); }
  void SetTextColor(Rgb colour) override { m_colour = Mark(colour); }
  void SetTextAlign(TextAlign align) override { m_align = align; }
  void TextOut(int x, int y, std::string_view text) override {
    const int width = m_font * 5 / 8, count = static_cast<int>(text.size());
    const int left = m_align == TextAlign::TopCentre ? x - count * width / 2 : x;
    for (int i = 0; i < count; ++i) {
      const std::uint64_t mark = text[i] == ' ' ? m_background : kText | m_colour << 8 | text[i];
      Fill({left + i * width, y, left + (i + 1) * width, y + m_font},
           [&](int, int) { return mark; });
    }
  }
  void MoveTo(int x, int y) override { m_at = {x, y}; }
  void LineTo(int x, int y) override {
    Fill({std::min(m_at.x, x) - m_pen, std::min(m_at.y, y) - m_pen, std::max(m_at.x, x) + m_pen,
          std::max(m_at.y, y) + m_pen},
         [](int, int) { return kLine; });
    m_at = {x, y};
  }
  void DrawPicture(const PanelRect& to, const PictureImage& picture) override {
    Fill(to, [&](int x, int y) {
      return kPicture |
             picture.pixels[static_cast<std::size_t>((y - to.top) * picture.width + x - to.left)];
    });
  }

  // What was painted last at (x, y) of the panel.
  std::uint64_t At(int x, int y) const { return m_pixels[Index(x, y)]; }

 private:
  static constexpr int kWidth = kPanelWidth + 2 * kMargin, kHeight = kPanelHeight + 2 * kMargin;
  static constexpr std::uint64_t kPicture = 1ull << 40, kText = 2ull << 40, kLine = 3ull << 40;

  static std::uint64_t Mark(Rgb c) { return std::uint64_t{c.r} << 16 | c.g << 8 | c.b; }
  static std::size_t Index(int x, int y) {
    return static_cast<std::size_t>((y + kMargin) * kWidth + x + kMargin);
  }
  template <typename PixelAt>
  void Fill(const PanelRect& area, PixelAt pixelAt) {
    for (int y = std::max(area.top, -kMargin); y < std::min(area.bottom, kHeight - kMargin); ++y) {
      for (int x = std::max(area.left, -kMargin); x < std::min(area.right, kWidth - kMargin); ++x)
        m_pixels[Index(x, y)] = pixelAt(x, y);
    }
  }

  std::vector<std::uint64_t> m_pixels =
      std::vector<std::uint64_t>(kWidth * kHeight, Mark(kPanelGrey));
  FontHandle m_font = 0;
  PenHandle m_pen = 0;
  std::uint64_t m_colour = 0, m_background = 0;
  TextAlign m_align = TextAlign::TopLeft;
  PanelPoint m_at;
};

class PanelEditorTest : public ::testing::Test {
 protected:
  std::uint8_t& Value(std::size_t p) { return m_doc.CurrentPatch().m_values[p]; }
  // The middle of a control, where a musician clicks.
  static PanelPoint Centre(const PanelRect& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  PanelPoint Centre(std::size_t control) const {
    return Centre(m_editor.Tables().controls[control].m_hitRect);
  }
  void Click(PanelPoint p) {
    m_editor.OnLButtonDown(p);
    m_editor.OnLButtonUp();
  }

  CQuensetDoc m_doc;
  RecordingPanelHost m_host;
  CPanelEditor m_editor{m_doc, m_host};
};

TEST_F(PanelEditorTest, ButtonPressesStepTheirParameterAndWrap) {
  struct Case {
    const char* name;
    PanelPoint point;
    std::size_t parameter;
    std::uint8_t before, after;
    int currentParameter;
  };
  // clang-format off
  const Case cases[] = {
      {"wave wraps", {215, 35}, 50, 3, 0, 50}, {"out of range wraps", {295, 85}, 54, 7, 0, 54},
      {"filter", {505, 85}, 53, 4, 0, 53}, {"sync keeps dist", {255, 135}, 52, 0x13, 0x10, 52},
      {"dist on", {510, 135}, 52, 3, 0x13, 52}, {"dist off", {510, 135}, 52, 0x13, 0x03, 52},
      {"octave up", {100, 215}, 64, 4, 0, 64}, {"octave down wraps", {75, 215}, 64, 0, 4, 64},
      {"both", {90, 215}, 64, 2, 2, 64}, {"arp/dest leaves 8", {125, 85}, 65, 8, 7, 65},
      {"closes cycle", {125, 85}, 65, 6, 0, 65}, {"arp/dest keeps 9", {125, 85}, 65, 9, 9, 65},
      {"arp off", {85, 85}, 65, 6, 8, 65}, {"arp on from 9", {85, 85}, 65, 9, 0, 65},
      {"edge is outside", {231, 35}, 50, 1, 1, 7},
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
    EXPECT_EQ(m_doc.IsPlaceholder(0), c.currentParameter == 7) << "an edit makes the patch real";
    EXPECT_EQ(m_host.captures, 0);
  }
}

TEST_F(PanelEditorTest, SpecialButtonsAndEmptyPlaces) {
  // Knob press: drag starts, the patch becomes real, the value stays.
  Value(3) = 40;
  EXPECT_TRUE(m_editor.OnLButtonDown(Centre(3)));
  EXPECT_EQ(m_host.captures, 1);
  EXPECT_EQ(Value(3), 40);
  EXPECT_FALSE(m_doc.IsPlaceholder(0));
  EXPECT_FALSE(m_editor.OnLButtonUp()) << "a drag's release stays with the panel";
  EXPECT_EQ(m_host.releases, 1);

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

  // "morph" toggles without touching the current parameter.
  m_editor.SetCurrentParameter(58);
  Click(Centre(69));
  EXPECT_TRUE(m_editor.MorphMode());
  EXPECT_EQ(m_editor.CurrentParameter(), 58);
  Click(Centre(69));
  EXPECT_FALSE(m_editor.MorphMode());

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
      {"up to the range", 5, false, 120, {-30}, 127}, {"down to zero", 5, false, 3, {10}, 0},
      {"semitones up to 121", 0, false, 115, {-10}, 121},
      {"one pixel a step, up and back", 12, false, 60, {-1, -2, -3, -2}, 62},
      {"high byte reads negative, down stays", 5, false, 250, {10}, 250},
      {"high byte reads negative, up adds", 5, false, 250, {-10}, 4},
      {"morph down to -127", 5, true, 0x88, {20}, 0x81},
      {"morph up stops at 127", 5, true, 127, {-3}, 127},
      {"morph below zero", 3, true, 2, {6}, 0xFC}, {"from -128", 3, true, 0x80, {-1}, 0x81},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_editor.SetMorphMode(c.morph);
    const std::size_t p = c.knob + (c.morph ? kKnobCount : 0);
    Value(p) = c.before;
    const PanelPoint start = Centre(c.knob);
    m_editor.OnLButtonDown(start);
    for (int dy : c.moves) EXPECT_FALSE(m_editor.OnMouseMove({start.x + 40, start.y + dy}));
    EXPECT_EQ(Value(p), c.after);
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
  const auto before = Snapshot(m_doc);
  const PanelPoint at = Centre(5);
  m_editor.OnLButtonDown(at);
  for (int dy : {-3, -9, -11, -7}) m_editor.OnMouseMove({at.x, at.y + dy});
  m_editor.OnLButtonUp();
  EXPECT_EQ(m_host.valueChanges, 4);
  ASSERT_EQ(history.StepCount(), 1u);
  EXPECT_EQ(history.UndoName(), "Edit Filter env am");
  const auto after = Snapshot(m_doc);
  history.Undo(m_doc);
  EXPECT_EQ(Snapshot(m_doc), before) << "the placeholder flag too";
  history.Redo(m_doc);
  EXPECT_EQ(Snapshot(m_doc), after);

  Click(at);
  EXPECT_EQ(history.StepCount(), 1u) << "a knob pressed, not moved";
  Click(Centre(51));
  EXPECT_EQ(history.StepCount(), 2u);
  EXPECT_EQ(history.UndoName(), "Edit Oscillators wave (right)");
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
    EXPECT_EQ(m_editor.OnMouseMove(point), parameter == 7) << "events not taken go on";
    EXPECT_EQ(m_editor.CurrentParameter(), parameter);
  }
}

// A double click sounds the note twice. When the release went elsewhere and a slot was chosen
// meanwhile, the note still ends where it sounds.
TEST_F(PanelEditorTest, TrigSoundsATestNoteOnTheSlotsChannel) {
  m_doc.m_slotChannel[2] = 10;
  Click({95, 185});  // "Slot C"
  m_host = {};
  Click(Centre(70));
  EXPECT_TRUE(m_editor.OnLButtonDblClk(Centre(70)));
  EXPECT_TRUE(m_editor.OnLButtonUp());
  EXPECT_TRUE(m_doc.IsPlaceholder(0));
  m_editor.OnLButtonDown(Centre(70));
  m_editor.OnLButtonDown({55, 185});  // "Slot A", channel 11
  m_editor.OnLButtonUp();
  const Message on = {0x99, 64, 64}, off = {0x89, 64, 64};
  EXPECT_EQ(m_host.messages, (std::vector<Message>{on, off, on, off, on, off}));
  EXPECT_EQ(m_editor.Slot(), 0);
}

// Every control edited every way, on patches of random values inside their ranges: every pixel
// the drawing pass then paints differently lies in what the edit repainted.
class EditRepaintTest : public PanelEditorTest {
 protected:
  static void SetUpTestSuite() {
    struct Unexpected final : DibMessages {
      void Show(std::string_view message) override { ADD_FAILURE() << message; }
    } messages;
    ASSERT_TRUE(s_pictures.AttachAll(messages));
  }

  RecordingSurface Draw() {
    RecordingSurface surface;
    DrawPanel(surface, m_editor, s_pictures);
    return surface;
  }
  void ExpectRepaintCovers(const std::string& what, const std::function<void()>& edit) {
    const RecordingSurface before = Draw();
    m_host.invalidated.clear();
    edit();
    const RecordingSurface after = Draw();
    for (const PanelRect& r : m_host.invalidated)
      ASSERT_TRUE(r.right <= kPanelWidth && r.bottom <= kPanelHeight)
          << what << ": beyond the panel";
    constexpr int kMargin = RecordingSurface::kMargin;
    for (int y = -kMargin; y < kPanelHeight + kMargin; ++y) {
      for (int x = -kMargin; x < kPanelWidth + kMargin; ++x) {
        if (before.At(x, y) != after.At(x, y) && !m_host.Covers({x, y})) {
          FAIL() << what << ": (" << x << ", " << y << ") changes but is not repainted";
        }
      }
    }
  }

  static inline PanelPictures s_pictures;
};

TEST_F(EditRepaintTest, EveryEditRepaintsAllItChangesOnThePanel) {
  m_doc.AppendPatches(4, std::vector<CPatch>(999));
  for (std::uint32_t seed = 0; seed < 3; ++seed) {
    SeededRandom random(seed);
    for (std::size_t i = 0; i < kParameterCount; ++i)
      Value(i) = static_cast<std::uint8_t>(random.Draw() % RangeOf(i));
    for (const bool morph : {false, true}) {
      m_editor.SetMorphMode(morph);
      for (std::size_t k = 0; k < kKnobCount; ++k) {
        const std::string knob = "knob " + std::to_string(k) + (morph ? " in morph mode" : "");
        PanelPoint at = Centre(k);
        ExpectRepaintCovers(knob + " hovered", [&] { m_editor.OnMouseMove(at); });
        ExpectRepaintCovers(knob + " pressed", [&] { m_editor.OnLButtonDown(at); });
        for (int dy : {-1, -6, 13, 40, -200, 300}) {
          ExpectRepaintCovers(knob + " dragged by " + std::to_string(dy), [&] {
            at.y += dy;
            m_editor.OnMouseMove(at);
          });
        }
        ExpectRepaintCovers(knob + " released", [&] { m_editor.OnLButtonUp(); });
      }
    }
    for (std::size_t b = kFirstButton; b <= kLastButton; ++b) {
      const std::string button = "button " + std::to_string(b);
      ExpectRepaintCovers(button + " pressed", [&] { m_editor.OnLButtonDown(Centre(b)); });
      ExpectRepaintCovers(button + " released", [&] { m_editor.OnLButtonUp(); });
    }
    for (const CPanelControl& slot : m_editor.Tables().slotButtons)
      ExpectRepaintCovers("a slot chosen", [&] { m_editor.OnLButtonDown(Centre(slot.m_hitRect)); });
    for (int tick = 0; tick < 3; ++tick) {
      ExpectRepaintCovers("the blink timer",
                          [&] { m_editor.OnTimer(CPanelEditor::kBlinkTimerId); });
    }
    ExpectRepaintCovers("another bank shown, as a command shows it", [&] {
      m_doc.SetCurrentBank(4 - m_doc.CurrentBank());
      m_editor.InvalidatePanel();
    });
  }
}

}  // namespace
}  // namespace zephyl::test
