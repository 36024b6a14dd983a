#pragma once

#include "CPanelEditor.h"
#include "PanelPictures.h"
#include "PanelSurface.h"
#include "PictureMeasures.h"

namespace zephyl {

// The panel's extent: every control, display and frame lies inside it.
inline constexpr int kPanelWidth = 550;
inline constexpr int kPanelHeight = 250;
inline constexpr Rgb kPanelGrey{kPanelGreyLevel, kPanelGreyLevel, kPanelGreyLevel};

// Draws the whole panel for the current patch of the current bank onto `surface`, whose
// background is already the panel's grey; the platform clips it to what needs repainting.
// While a morph amount is set outside morph mode it keeps the "morph" light lit.
void DrawPanel(PanelSurface& surface, CPanelEditor& editor, const PanelPictures& pictures);

// The knob frame that shows knob `knob` of `patch`: its value, or in morph mode its morph amount.
int KnobFrame(const CPatch& patch, std::size_t knob, bool morph);

}  // namespace zephyl
