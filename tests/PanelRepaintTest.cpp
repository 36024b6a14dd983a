#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "PanelDrawing.h"
#include "RenderPanel.h"
#include "TestPatches.h"

namespace zephyl::test {
namespace {

// Keeps what the panel asks to repaint; the rest of the window is not there.
class RepaintRecorder final : public PanelHost {
 public:
  void Invalidate(const PanelRect& area) override { areas.push_back(area); }
  void CapturePointer() override {}
  void ReleasePointer() override {}
  void SendShortMessage(std::uint8_t, std::uint8_t, std::uint8_t) override {}
  void SendPatch() override {}
  void Execute(BankCommand) override {}

  std::vector<PanelRect> areas;
};

// A window repaints only what the panel asks for, so every pixel an edit changes must lie in an
// area it asked for, and no area reaches past the panel's right or bottom edge.
class PanelRepaintTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    struct Unexpected final : DibMessages {
      void Show(std::string_view message) override { ADD_FAILURE() << message; }
    } messages;
    ASSERT_TRUE(s_pictures.AttachAll(messages));
  }

  PanelPoint Centre(std::size_t control) const {
    const PanelRect& r = m_editor.Tables().controls[control].m_hitRect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  // Renders the panel, runs `edit`, and checks the change against what it asked to repaint.
  template <typename Edit>
  void ExpectRepaintCoversChange(Edit edit) {
    const QImage before = RenderPanel(m_editor, s_pictures);
    m_host.areas.clear();
    edit();
    const QImage after = RenderPanel(m_editor, s_pictures);
    for (const PanelRect& r : m_host.areas) {
      EXPECT_LE(r.right, kPanelWidth);
      EXPECT_LE(r.bottom, kPanelHeight);
    }
    int changed = 0;
    for (int y = 0; y < kPanelHeight; ++y) {
      for (int x = 0; x < kPanelWidth; ++x) {
        if (before.pixel(x, y) == after.pixel(x, y)) continue;
        ++changed;
        const bool covered =
            std::any_of(m_host.areas.begin(), m_host.areas.end(), [&](const PanelRect& r) {
              return r.Contains({x, y});
            });
        ASSERT_TRUE(covered) << "changed at " << x << "," << y << " without a repaint";
      }
    }
    EXPECT_GT(changed, 0) << "the edit shows nothing";
  }

  static inline PanelPictures s_pictures;
  CQuensetDoc m_doc;
  RepaintRecorder m_host;
  CPanelEditor m_editor{m_doc, m_host};
};

TEST_F(PanelRepaintTest, DragsAndHoversRepaintTheValueDisplayAtItsWidest) {
  m_doc.CurrentPatch().m_values[5] = 127;
  m_doc.CurrentPatch().m_values[12] = 0;
  m_editor.SetCurrentParameter(12);
  const PanelPoint start = Centre(5);
  const auto drag = [&] {
    m_editor.OnLButtonDown(start);
    m_editor.OnMouseMove({start.x, start.y + 200});
  };
  {
    SCOPED_TRACE("hover: 0 becomes 127");
    ExpectRepaintCoversChange([&] { m_editor.OnMouseMove(start); });
  }
  {
    SCOPED_TRACE("drag: 127 falls to 0");
    ExpectRepaintCoversChange(drag);
    m_editor.OnLButtonUp();
  }
  {
    SCOPED_TRACE("morph drag: 0 falls to -127");
    m_editor.SetMorphMode(true);
    ExpectRepaintCoversChange(drag);
    m_editor.OnLButtonUp();
  }
}

TEST_F(PanelRepaintTest, ACommandsRepaintCoversAnotherBankPatchAndValue) {
  SeededRandom random(3);
  std::vector<CPatch> many(1000);
  for (CPatch& patch : many) patch.Randomize(random);
  m_doc.AppendPatches(4, std::move(many));
  m_editor.SetCurrentParameter(kKnobCount);  // a morph amount
  ExpectRepaintCoversChange([&] {
    m_doc.SetCurrentBank(4);
    m_doc.SetCurrentIndex(4, 999);
    m_doc.CurrentPatch().m_values[kKnobCount] = 0x80;  // "-128"
    m_editor.InvalidatePanel();
  });
  SCOPED_TRACE("back to patch 1 of bank 1");
  ExpectRepaintCoversChange([&] {
    m_doc.SetCurrentBank(0);
    m_editor.InvalidatePanel();
  });
}

}  // namespace
}  // namespace zephyl::test
