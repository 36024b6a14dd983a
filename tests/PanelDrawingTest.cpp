#include <gtest/gtest.h>

#include <QPainter>

#include "NullPanelHost.h"
#include "PanelDisplays.h"
#include "PanelDrawing.h"
#include "QtPanelSurface.h"
#include "RenderPanel.h"

namespace zephyl::test {
namespace {

QRgb Qt(Rgb c) {
  return qRgb(c.r, c.g, c.b);
}

class PanelDrawingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    struct Unexpected final : DibMessages {
      void Show(std::string_view message) override { ADD_FAILURE() << message; }
    } messages;
    ASSERT_TRUE(s_pictures.AttachAll(messages));
  }

  std::uint8_t& Value(std::size_t p) { return m_doc.CurrentPatch().m_values[p]; }
  QImage Render(int scale = 1) { return RenderPanel(m_editor, s_pictures, scale); }

  // Whether `image` shows `picture` with its top-left corner at (x, y).
  static bool Shows(const QImage& image, const CDib& picture, int x, int y, int scale = 1) {
    const auto [w, h] = picture.GetSize();
    for (int py = 0; py < h * scale; ++py) {
      for (int px = 0; px < w * scale; ++px) {
        if (image.pixel(x * scale + px, y * scale + py) !=
            (picture.PixelAt(px / scale, py / scale) | 0xFF000000u)) {
          return false;
        }
      }
    }
    return true;
  }
  bool Lit(const QImage& image, int x, int y) const {
    EXPECT_NE(Shows(image, s_pictures.lampLit, x, y), Shows(image, s_pictures.lampDark, x, y))
        << "a lamp at " << x << "," << y;
    return Shows(image, s_pictures.lampLit, x, y);
  }
  // Whether `area` of `image` shows `text` as the surface draws it on its own.
  static bool ShowsText(const QImage& image, Rgb colour, int x, int y, const char* text,
                        const PanelRect& area) {
    QImage alone(kPanelWidth, kPanelHeight, QImage::Format_RGB32);
    alone.fill(Qt(kPanelGrey));
    QPainter painter(&alone);
    QtPanelSurface surface(painter);
    surface.SelectFont(surface.CreateFont({"Arial", 16, 600}));
    surface.SetTextBackground(kPanelGrey);
    surface.SetTextColor(colour);
    surface.TextOut(x, y, text);
    for (int py = area.top; py < area.bottom; ++py) {
      for (int px = area.left; px < area.right; ++px) {
        if (image.pixel(px, py) != alone.pixel(px, py)) return false;
      }
    }
    return true;
  }

  static inline PanelPictures s_pictures;
  CQuensetDoc m_doc;
  NullPanelHost m_host;
  CPanelEditor m_editor{m_doc, m_host};
};

TEST_F(PanelDrawingTest, KnobsShowTheFrameOfTheirValueOrMorphAmount) {
  // clang-format off
  const std::tuple<bool, std::uint8_t, int> cases[] = {  // morph, stored byte, frame
      {false, 3, 0}, {false, 4, 1}, {false, 64, 19}, {false, 66, 20}, {false, 129, 39},
      {true, 6, 19}, {true, 250, 19}, {true, 7, 20}, {true, 128, 38}, {true, 0x82, 0},
  };
  // clang-format on
  for (const auto& [morph, stored, frame] : cases) {
    SCOPED_TRACE(testing::Message() << (morph ? "morph " : "") << int(stored));
    m_editor.SetMorphMode(morph);
    m_doc.ClearBank(0);
    Value(morph ? 25 + 5 : 5) = stored;
    EXPECT_EQ(KnobFrame(m_doc.CurrentPatch(), 5, morph), frame);
    EXPECT_TRUE(Shows(Render(), s_pictures.knobFrames[frame], 420, 118));
  }
}

TEST_F(PanelDrawingTest, LampsFollowTheirValues) {
  struct Case {
    const char* name;
    std::size_t parameter;
    std::uint8_t value;
    std::vector<std::pair<PanelPoint, bool>> lamps;
  };
  // clang-format off
  const Case cases[] = {
      {"octave on 120", 0, 120, {{{254, 9}, true}}},
      {"octave off on 7", 0, 7, {{{254, 9}, false}}},
      {"sync, its second bit and dist", 52, 19,
       {{{253, 120}, true}, {{253, 110}, true}, {{507, 118}, true}}},
      {"dist alone", 52, 16, {{{253, 120}, false}, {{253, 110}, false}, {{507, 118}, true}}},
      {"arp off on a destination", 65, 4, {{{83, 68}, false}}},
      {"arp on", 65, 5, {{{83, 68}, true}}},
      {"octave shift 2", 64, 2, {{{55, 197}, false}, {{70, 197}, false}, {{85, 197}, true},
                                 {{100, 197}, false}, {{115, 197}, false}}},
      {"auto and vel", 62, 1, {{{193, 168}, true}, {{453, 118}, false}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_doc.ClearBank(0);
    Value(c.parameter) = c.value;
    const QImage image = Render();
    for (const auto& [at, lit] : c.lamps)
      EXPECT_EQ(Lit(image, at.x, at.y), lit) << at.x << "," << at.y;
  }
}

TEST_F(PanelDrawingTest, SlotMorphAndTrigLights) {
  const auto lights = [&] {  // slots A to D, morph, trig
    const QImage image = Render();
    std::vector<bool> lit;
    for (int s = 0; s < 4; ++s) lit.push_back(Lit(image, 53 + 20 * s, 168));
    lit.push_back(Lit(image, 7, 8));
    lit.push_back(Lit(image, 7, 48));
    return lit;
  };
  EXPECT_EQ(lights(), (std::vector<bool>{true, false, false, false, true, false}))
      << "morph is lit until the timer first runs";
  m_editor.OnLButtonDown({95, 185});
  m_editor.OnTimer(2);
  EXPECT_EQ(lights(), (std::vector<bool>{false, false, true, false, false, false}));
  Value(30) = 1;  // a morph amount keeps the light on, however the timer runs
  m_editor.OnTimer(2);
  EXPECT_EQ(lights()[4], true);
  m_editor.OnLButtonDown({10, 65});  // trig
  EXPECT_EQ(lights()[5], true);
  m_editor.OnLButtonUp();
  // Morph mode blinks: lit in phases 1 and 2, dark in 0.
  m_editor.SetMorphMode(true);
  std::vector<bool> blink;
  for (int i = 0; i < 4; ++i) {
    m_editor.OnTimer(2);
    blink.push_back(lights()[4]);
  }
  EXPECT_EQ(blink, (std::vector<bool>{true, false, true, false}));
}

TEST_F(PanelDrawingTest, DisplaysShowValueBankAndPatchNumbers) {
  for (int i = 0; i < 3; ++i) m_doc.AppendNewPatch();
  m_doc.SetCurrentIndex(0, 2);
  m_editor.SetCurrentParameter(5);
  Value(5) = 200;
  // Below the captions' cells, which overlap the numbers' top rows.
  const PanelRect value{0, 172, 50, 186}, bank{0, 202, 50, 216};
  QImage image = Render();
  EXPECT_TRUE(ShowsText(image, {255, 0, 0}, 10, 170, "-56  ", value));
  EXPECT_TRUE(ShowsText(image, {5, 255, 5}, 10, 200, "  1", bank));
  EXPECT_TRUE(ShowsText(image, {125, 255, 125}, 10, 230, "  3      ", {0, 232, 80, 246}));
}

// At their widest in the panel's real fonts, "-128  ", bank 5 and patch 9999, the numbers stay
// inside the areas a changed number repaints.
TEST_F(PanelDrawingTest, TheWidestNumbersStayInsideTheirDisplays) {
  const QImage narrow = Render();
  m_doc.AppendPatches(4, std::vector<CPatch>(9999));
  m_doc.SetCurrentBank(4);
  m_editor.SetCurrentParameter(kKnobCount);
  Value(kKnobCount) = 0x80;
  const QImage wide = Render();
  for (int y = 0; y < kPanelHeight; ++y) {
    for (int x = 0; x < kPanelWidth; ++x) {
      const PanelPoint p{x, y};
      ASSERT_TRUE(narrow.pixel(x, y) == wide.pixel(x, y) || kValueDisplay.area.Contains(p) ||
                  kBankDisplay.area.Contains(p) || kPatchDisplay.area.Contains(p))
          << x << "," << y;
    }
  }
}

TEST_F(PanelDrawingTest, PicturesByValueAndNothingOutsideTheSet) {
  // clang-format off
  const std::tuple<std::size_t, std::uint8_t, int> cases[] = {  // parameter, value, resource
      {50, 3, 182}, {50, 0, 185}, {51, 4, 0}, {53, 4, 190}, {55, 0, 196}, {57, 4, 210},
      {58, 2, 216}, {58, 3, 0}, {65, 4, 205}, {65, 5, 203}, {65, 8, 196}, {65, 9, 0},
  };
  // clang-format on
  for (const auto& [parameter, value, resource] : cases) {
    SCOPED_TRACE(testing::Message() << parameter << "=" << int(value));
    m_doc.ClearBank(0);
    Value(parameter) = value;
    const QImage image = Render();
    const CPanelControl& b = m_editor.Tables().controls[parameter];
    const int x = b.m_x - 6, y = b.m_y - 15;
    if (resource) {
      EXPECT_TRUE(Shows(image, *s_pictures.Display(resource), x, y));
      continue;
    }
    for (int py = y; py < y + 13; ++py) {
      for (int px = x; px < x + 33; ++px) ASSERT_EQ(image.pixel(px, py), Qt(kPanelGrey));
    }
  }
}

TEST_F(PanelDrawingTest, TextSitsInAnOpaqueCellOfItsFontsHeight) {
  for (const FontDesc& font : {FontDesc{"Arial", 16, 600}, FontDesc{"Arial", 12, 500}}) {
    // Painted on black to see the cell.
    QImage cell(100, 60, QImage::Format_RGB32);
    cell.fill(Qt::black);
    QPainter painter(&cell);
    QtPanelSurface surface(painter);
    surface.SelectFont(surface.CreateFont(font));
    surface.SetTextBackground({0, 0, 255});
    surface.TextOut(10, 20, "Wg8");
    painter.end();
    int top = 100, bottom = -1;
    for (int y = 0; y < cell.height(); ++y) {
      if (cell.pixel(12, y) == qRgb(0, 0, 0)) continue;
      top = std::min(top, y);
      bottom = y;
    }
    EXPECT_EQ(top, 20);
    EXPECT_EQ(bottom - top + 1, font.cellHeight);
  }
  EXPECT_EQ(QFontInfo(QtPanelSurface::FontFor({"Arial", 16, 600}, 96)).family(), "Liberation Sans");
}

TEST_F(PanelDrawingTest, DoubleSizeScalesPicturesByWholePixelsAndDrawsTextSharp) {
  Value(5) = 66;
  const QImage image = Render(2);
  ASSERT_EQ(image.size(), QSize(2 * kPanelWidth, 2 * kPanelHeight));
  EXPECT_TRUE(Shows(image, s_pictures.knobFrames[20], 420, 118, 2));
  // Text drawn at full resolution has edges inside 2 x 2 blocks; a doubled picture has none.
  int split = 0;
  for (int y = 2 * 160; y < 2 * 246; y += 2) {
    for (int x = 0; x < 2 * 60; x += 2) {
      split +=
          image.pixel(x, y) != image.pixel(x + 1, y) || image.pixel(x, y) != image.pixel(x, y + 1);
    }
  }
  EXPECT_GT(split, 50);
}

}  // namespace
}  // namespace zephyl::test
