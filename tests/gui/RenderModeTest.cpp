#include <wx/menu.h>

#include <array>

#include "GuiHarness.h"
#include "Resources.h"
#include "app/GLCanvas.h"
#include "app/MainFrame.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

using RenderModeTest = GuiTest;

// How often each pane has been painted.
struct Paints {
  int controller, tree;
  bool operator==(const Paints&) const = default;
};

std::array<bool, 4> HandlesActive() {
  std::array<bool, 4> active{};
  for (int k = 0; k < 4; ++k) active[k] = GetBranchModel()->Handle(k).active;
  return active;
}

TEST_F(RenderModeTest, LightingOnTogglesItsSwitchAndCheckMarkWithoutRepainting) {
  const auto paints = [&] {
    return Paints{ControllerCanvas().Surface().swapCount, TreeCanvas().Surface().swapCount};
  };
  EXPECT_TRUE(UpdatedMenuItem(res::ID_LIGHTING_ON)->IsChecked());
  const Paints before = paints();
  ChooseMenuItem(res::ID_LIGHTING_ON);
  EXPECT_FALSE(GetTreeRenderer()->lighting);
  EXPECT_FALSE(UpdatedMenuItem(res::ID_LIGHTING_ON)->IsChecked());
  EXPECT_EQ(paints(), before);
  ChooseMenuItem(res::ID_LIGHTING_ON);
  EXPECT_TRUE(GetTreeRenderer()->lighting);
  EXPECT_TRUE(UpdatedMenuItem(res::ID_LIGHTING_ON)->IsChecked());
}

TEST_F(RenderModeTest, PolygonAndTreeRenderingAreARadioPairThatSetsTheTrunkWidth) {
  const CTreeRenderer& renderer = *GetTreeRenderer();
  CBranchModel& model = *GetBranchModel();
  const auto expectMode = [&](bool polygon, double trunkWidth) {
    EXPECT_EQ(renderer.polygonMode, polygon);
    EXPECT_EQ(model.trunkWidth, trunkWidth);
    EXPECT_EQ(UpdatedMenuItem(res::ID_POLYGON_RENDERING)->IsChecked(), polygon);
    EXPECT_EQ(UpdatedMenuItem(res::ID_TREE_RENDERING)->IsChecked(), !polygon);
    EXPECT_EQ(ToolPressed(res::ID_POLYGON_RENDERING), polygon);
    EXPECT_EQ(ToolPressed(res::ID_TREE_RENDERING), !polygon);
  };
  // Every choice repaints both panes, the one already marked too.
  const auto choose = [&](int command, bool byToolbar) {
    const Paints before{ControllerCanvas().Surface().swapCount, TreeCanvas().Surface().swapCount};
    if (byToolbar) {
      ClickTool(command);
    } else {
      ChooseMenuItem(command);
    }
    EXPECT_GT(ControllerCanvas().Surface().swapCount, before.controller);
    EXPECT_GT(TreeCanvas().Surface().swapCount, before.tree);
  };

  expectMode(true, 0.04);
  choose(res::ID_TREE_RENDERING, true);
  expectMode(false, 0.06);
  // Chosen again, it leaves the width alone.
  model.trunkWidth = 0.05;
  choose(res::ID_TREE_RENDERING, false);
  expectMode(false, 0.05);
  choose(res::ID_POLYGON_RENDERING, false);
  expectMode(true, 0.04);
  model.trunkWidth = 0.03;
  choose(res::ID_POLYGON_RENDERING, true);
  expectMode(true, 0.03);
}

TEST_F(RenderModeTest, EachHandleButtonTogglesItsOwnBranchHandle) {
  const std::pair<int, int> buttons[] = {{res::ID_TOGGLE_HANDLE_0, 0},
                                         {res::ID_TOGGLE_HANDLE_1, 1},
                                         {res::ID_TOGGLE_HANDLE_2, 2},
                                         {res::ID_TOGGLE_HANDLE_3, 3}};
  // Initially handles 0 and 2 are on: #1 and #3 pressed in.
  ASSERT_EQ(HandlesActive(), (std::array<bool, 4>{true, false, true, false}));
  for (const auto& [command, handle] : buttons) {
    SCOPED_TRACE(handle);
    EXPECT_EQ(ToolPressed(command), HandlesActive()[handle]);
    std::array<bool, 4> expected = HandlesActive();
    expected[handle] = !expected[handle];
    const int controllerPaints = ControllerCanvas().Surface().swapCount;
    const int treePaints = TreeCanvas().Surface().swapCount;
    ClickTool(command);
    EXPECT_EQ(HandlesActive(), expected);
    EXPECT_EQ(ToolPressed(command), expected[handle]);
    EXPECT_GT(ControllerCanvas().Surface().swapCount, controllerPaints);
    EXPECT_GT(TreeCanvas().Surface().swapCount, treePaints);
  }
  // All four switched: 0 and 2 off, 1 and 3 on.
  EXPECT_EQ(HandlesActive(), (std::array<bool, 4>{false, true, false, true}));
}

TEST_F(RenderModeTest, F20TogglesBranchHandleZeroOnly) {
  PressKey(TreeCanvas(), WXK_F20);
  EXPECT_EQ(HandlesActive(), (std::array<bool, 4>{false, false, true, false}));
  PressKey(ControllerCanvas(), WXK_F20);
  EXPECT_EQ(HandlesActive(), (std::array<bool, 4>{true, false, true, false}));
}

TEST(ColourConversionTest, ChosenBytesBecomeBarkAndLeafColours) {
  const float k300 = 0.0033333334f, k255 = 0.003921569f;
  SetBarkColour(255, 255, 255);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(CTreeRenderer::barkAmbient[i], 255 * k300);
    EXPECT_NEAR(CTreeRenderer::barkAmbient[i], 0.85, 1e-6);
    EXPECT_EQ(CTreeRenderer::barkDiffuse[i], 255 * k255);
    EXPECT_NEAR(CTreeRenderer::barkDiffuse[i], 1.0, 1e-6);
  }
  EXPECT_EQ(CTreeRenderer::barkAmbient[3], 1.0f);
  EXPECT_EQ(CTreeRenderer::barkDiffuse[3], 1.0f);

  SetLeafColour(255, 0, 0);
  for (const float* colour : {CTreeRenderer::leafAmbient, CTreeRenderer::leafDiffuse}) {
    EXPECT_NEAR(colour[0], 1.0, 1e-6);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[2], 0.0f);
    EXPECT_EQ(colour[3], 1.0f);
  }
}

// Answers the colour dialog: clicks the palette swatch of the colour given
// (if any), then presses the dialog's Select (Alt+S) or Cancel (Escape).
class ColourDialogAnswer {
 public:
  enum Answer { kSelect, kCancel };
  ColourDialogAnswer(wxUIActionSimulator& simulator, const wxColour* swatch, Answer answer)
      : driver_([&simulator, swatch, answer] {
          const wxRect dialog = ShownWindow("Choose colour");
          if (dialog.IsEmpty()) return false;
          simulator.MouseMove(dialog.GetPosition() + wxPoint(dialog.width / 2, 4));
          if (swatch) {
            const wxPoint at = FindSwatch(dialog, *swatch);
            if (at == wxDefaultPosition) return false;  // not painted yet
            simulator.MouseMove(at);
            simulator.MouseClick();
          }
          if (answer == kSelect) {
            simulator.Char('s', wxMOD_ALT);
          } else {
            simulator.Char(WXK_ESCAPE);
          }
          return true;
        }) {}

 private:
  // The middle of the first 8 x 8 block of exactly colour, in screen
  // pixels.
  static wxPoint FindSwatch(const wxRect& dialog, const wxColour& colour) {
    const wxImage image = ScreenImage(dialog);
    const auto is = [&](int x, int y) {
      return image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
             image.GetBlue(x, y) == colour.Blue();
    };
    // Every 8 x 8 block holds a pixel of this grid.
    for (int y = 7; y < image.GetHeight(); y += 8) {
      for (int x = 7; x < image.GetWidth(); x += 8) {
        if (!is(x, y)) continue;
        // The block that reaches down and right from the colour's top left.
        int left = x, top = y;
        while (left > 0 && is(left - 1, y)) --left;
        while (top > 0 && is(x, top - 1)) --top;
        bool block = left + 8 <= image.GetWidth() && top + 8 <= image.GetHeight();
        for (int dy = 0; dy < 8 && block; ++dy) {
          for (int dx = 0; dx < 8 && block; ++dx) block = is(left + dx, top + dy);
        }
        if (block) return dialog.GetPosition() + wxPoint(left + 4, top + 4);
      }
    }
    return wxDefaultPosition;
  }

  ModalDriver driver_;
};

TEST_F(RenderModeTest, ColourCommandsTakeTheDialogsChoiceWhichAlwaysStartsFromBlack) {
  const auto treePaints = [&] { return TreeCanvas().Surface().swapCount; };
  const auto controllerPaints = [&] { return ControllerCanvas().Surface().swapCount; };

  // Pure red for the leaves: both leaf colours (1, 0, 0, 1); only the tree
  // pane is repainted.
  int tree = treePaints(), controller = controllerPaints();
  {
    ColourDialogAnswer answer(simulator, wxRED, ColourDialogAnswer::kSelect);
    ClickTool(res::ID_LEAF_COLOR);
  }
  for (const float* colour : {CTreeRenderer::leafAmbient, CTreeRenderer::leafDiffuse}) {
    EXPECT_NEAR(colour[0], 1.0, 1e-6);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[2], 0.0f);
    EXPECT_EQ(colour[3], 1.0f);
  }
  EXPECT_GT(treePaints(), tree);
  EXPECT_EQ(controllerPaints(), controller);

  // Branch Color, selected at once: black, not the red chosen last time.
  {
    ColourDialogAnswer answer(simulator, nullptr, ColourDialogAnswer::kSelect);
    ChooseMenuItem(res::ID_BRANCH_COLOR);
  }
  for (const float* colour : {CTreeRenderer::barkAmbient, CTreeRenderer::barkDiffuse}) {
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[2], 0.0f);
    EXPECT_EQ(colour[3], 1.0f);
  }

  // Cancelled: nothing changes, nothing is repainted.
  tree = treePaints();
  {
    ColourDialogAnswer answer(simulator, nullptr, ColourDialogAnswer::kCancel);
    ChooseMenuItem(res::ID_LEAF_COLOR);
  }
  EXPECT_NEAR(CTreeRenderer::leafDiffuse[0], 1.0, 1e-6);
  EXPECT_EQ(CTreeRenderer::leafDiffuse[1], 0.0f);
  EXPECT_EQ(treePaints(), tree);
}

}  // namespace
