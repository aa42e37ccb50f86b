// The QFont of a logical-font record, for the windows that show a typeface
// (the font dialog's sample, the placement dialog's preview): face, pixel
// size as the glyph renderer reads the height, weight, italic, underline,
// strike-out, no antialiasing. QtGui only.
#pragma once

#include "LogFontRecord.h"

#include <QFont>

QFont ToQFont(const LogFontRecord& lf);
