// Images of the tool bar and palette buttons, drawn in code so that the
// editor carries no image files. The palettes can show them in colour or in
// grey; the main tool bar prefers the desktop theme's icons where it has them.
#pragma once

#include <QIcon>

QIcon CommandIcon(int id, bool colour = true);
