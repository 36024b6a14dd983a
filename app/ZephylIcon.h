#pragma once

#include <QIcon>
#include <QImage>

namespace zephyl {

// The program's icon: three glowing orange-yellow spheres on a grey tile.
QImage DrawProgramIcon(int size);
// A bank file: a grey sheet with one sphere.
QImage DrawBankFileIcon(int size);

// In the sizes a desktop asks for.
QIcon ProgramIcon();

}  // namespace zephyl
