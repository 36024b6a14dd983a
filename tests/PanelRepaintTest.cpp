// What an edit on the panel repaints, against what the drawing pass then draws differently.
#include <gtest/gtest.h>

#include <functional>

#include "CPanelEditor.h"
#include "PanelDrawing.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

// A surface that records what each draw call paints on each pixel: a picture its pixels, text a
// mark of its character and colour over the character's cell (a blank: its background), a
// line its pen's colour. No glyph of the panel's faces is wider than 5/8 of the font's cell; a
// line covers its pen's width on either side. The panel starts grey, and pixels a little
// outside it are kept too.
class RecordingSurface final : public PanelSurface {
 public:
  static constexpr int kMargin = 20;
  static constexpr int kWidth = kPanelWidth + 2 * kMargin, kHeight = kPanelHeight + 2 * kMargin;

  FontHandle CreateFont(const FontDesc& desc) override {
    m_cellHeights.push_back(desc.cellHeight);
    return static_cast<FontHandle>(m_cellHeights.size());
  }
  PenHandle CreatePen(int width, Rgb colour) override {
    m_pens.emplace_back(width, colour);
    return static_cast<PenHandle>(m_pens.size());
  }
  FontHandle SelectFont(FontHandle font) override { return std::exchange(m_font, font); }
  PenHandle SelectPen(PenHandle pen) override { return std::exchange(m_pen, pen); }
  void DeleteFont(FontHandle) override {}
  void DeletePen(PenHandle) override {}
  void SetTextBackground(Rgb colour) override { m_background = colour; }
  void SetTextColor(Rgb colour) override { m_colour = colour; }
  void SetTextAlign(TextAlign align) override { m_align = align; }
  void TextOut(int x, int y, std::string_view text) override {
    const int height = m_font > 0 ? m_cellHeights[m_font - 1] : kDefaultCell;
    const int width = height * 5 / 8;
    const int count = static_cast<int>(text.size());
    const int left = m_align == TextAlign::TopCentre ? x - count * width / 2 : x;
    for (int i = 0; i < count; ++i) {
      const std::uint64_t mark =
          text[i] == ' ' ? kFill | Mark(m_background)
                         : kText | Mark(m_colour) << 8 | static_cast<unsigned char>(text[i]);
      Fill({left + i * width, y, left + (i + 1) * width, y + height},
           [&](int, int) { return mark; });
    }
  }
  void MoveTo(int x, int y) override { m_at = {x, y}; }
  void LineTo(int x, int y) override {
    const auto [width, colour] = m_pens.at(m_pen - 1);
    Fill({std::min(m_at.x, x) - width, std::min(m_at.y, y) - width, std::max(m_at.x, x) + width,
          std::max(m_at.y, y) + width},
         [&](int, int) { return kLine | Mark(colour); });
    m_at = {x, y};
  }
  void DrawPicture(const PanelRect& to, const PictureImage& picture) override {
    const int width = to.right - to.left, height = to.bottom - to.top;
    Fill(to, [&](int x, int y) {
      return kPicture | picture.pixels[static_cast<std::size_t>(
                            (y - to.top) * picture.height / height * picture.width +
                            (x - to.left) * picture.width / width)];
    });
  }

  // What was painted last at (x, y) of the panel.
  std::uint64_t At(int x, int y) const {
    return m_pixels[static_cast<std::size_t>((y + kMargin) * kWidth + x + kMargin)];
  }

 private:
  static constexpr int kDefaultCell = 16;
  static constexpr std::uint64_t kFill = 1ull << 40, kPicture = 2ull << 40, kText = 3ull << 40,
                                 kLine = 4ull << 40;

  static std::uint64_t Mark(Rgb c) { return std::uint64_t{c.r} << 16 | c.g << 8 | c.b; }
  template <typename PixelAt>
  void Fill(const PanelRect& area, PixelAt pixelAt) {
    for (int y = std::max(area.top, -kMargin); y < std::min(area.bottom, kHeight - kMargin); ++y) {
      for (int x = std::max(area.left, -kMargin); x < std::min(area.right, kWidth - kMargin); ++x)
        m_pixels[static_cast<std::size_t>((y + kMargin) * kWidth + x + kMargin)] = pixelAt(x, y);
    }
  }

  std::vector<std::uint64_t> m_pixels =
      std::vector<std::uint64_t>(kWidth * kHeight, kFill | Mark(kPanelGrey));
  std::vector<int> m_cellHeights;
  std::vector<std::pair<int, Rgb>> m_pens;
  FontHandle m_font = 0;
  PenHandle m_pen = 0;
  Rgb m_colour, m_background;
  TextAlign m_align = TextAlign::TopLeft;
  PanelPoint m_at;
};

class RepaintRecorder final : public PanelHost {
 public:
  void Invalidate(const PanelRect& area) override { repainted.push_back(area); }
  void CapturePointer() override {}
  void ReleasePointer() override {}
  void SendShortMessage(std::uint8_t, std::uint8_t, std::uint8_t) override {}
  void SendPatch() override {}
  void Execute(BankCommand) override {}

  std::vector<PanelRect> repainted;
};

class PanelRepaintTest : public ::testing::Test {
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
  PanelPoint Centre(const CPanelControl& c) const {
    return {(c.m_hitRect.left + c.m_hitRect.right) / 2, (c.m_hitRect.top + c.m_hitRect.bottom) / 2};
  }
  // Runs `edit`; every pixel the drawing pass then paints differently must lie in what the edit
  // repainted.
  void ExpectRepaintCovers(const std::string& what, const std::function<void()>& edit) {
    const RecordingSurface before = Draw();
    m_host.repainted.clear();
    edit();
    const RecordingSurface after = Draw();
    const auto repainted = [&](int x, int y) {
      return std::any_of(m_host.repainted.begin(), m_host.repainted.end(), [&](const PanelRect& r) {
        return r.Contains({x, y});
      });
    };
    constexpr int kMargin = RecordingSurface::kMargin;
    for (int y = -kMargin; y < kPanelHeight + kMargin; ++y) {
      for (int x = -kMargin; x < kPanelWidth + kMargin; ++x) {
        ASSERT_TRUE(before.At(x, y) == after.At(x, y) || repainted(x, y))
            << what << ": (" << x << ", " << y << ") changes but is not repainted";
      }
    }
  }

  static inline PanelPictures s_pictures;
  CQuensetDoc m_doc;
  RepaintRecorder m_host;
  CPanelEditor m_editor{m_doc, m_host};
};

// Every control edited every way, on patches of random values inside their ranges.
TEST_F(PanelRepaintTest, EveryEditRepaintsAllItChangesOnThePanel) {
  const auto& controls = m_editor.Tables().controls;
  for (std::uint32_t seed = 0; seed < 8; ++seed) {
    SeededRandom random(seed);
    for (std::size_t i = 0; i < kParameterCount; ++i)
      m_doc.CurrentPatch().m_values[i] = static_cast<std::uint8_t>(random.Draw() % RangeOf(i));
    for (const bool morph : {false, true}) {
      m_editor.SetMorphMode(morph);
      for (std::size_t k = 0; k < kKnobCount; ++k) {
        const std::string knob = "knob " + std::to_string(k) + (morph ? " in morph mode" : "");
        PanelPoint at = Centre(controls[k]);
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
      const PanelPoint at = Centre(controls[b]);
      ExpectRepaintCovers("button " + std::to_string(b) + " pressed",
                          [&] { m_editor.OnLButtonDown(at); });
      ExpectRepaintCovers("button " + std::to_string(b) + " released",
                          [&] { m_editor.OnLButtonUp(); });
    }
    for (const CPanelControl& slot : m_editor.Tables().slotButtons) {
      ExpectRepaintCovers("a slot chosen", [&] { m_editor.OnLButtonDown(Centre(slot)); });
    }
    for (int tick = 0; tick < 3; ++tick) {
      ExpectRepaintCovers("the blink timer",
                          [&] { m_editor.OnTimer(CPanelEditor::kBlinkTimerId); });
    }
  }
}

}  // namespace
}  // namespace zephyl::test
