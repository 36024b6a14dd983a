#pragma once

#include <QImage>

#include "CPanelEditor.h"
#include "PanelPictures.h"

namespace zephyl {

// The whole panel for the editor's current patch, `scale` times its size: pictures grow by
// whole pixels, text and lines are drawn at the full resolution. Needs a QGuiApplication.
QImage RenderPanel(CPanelEditor& editor, const PanelPictures& pictures, int scale = 1);

// Makes the QGuiApplication that fonts need, named `program`, unless there is one: on the
// offscreen platform, which needs no display.
void EnsureOffscreenApplication(const char* program);

}  // namespace zephyl
