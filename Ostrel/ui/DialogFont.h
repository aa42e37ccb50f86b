// The font every dialog of the library and the editor is drawn with: "Arial",
// 14 pixels high, normal weight. fontconfig substitutes the nearest installed
// face when Arial itself is missing.
#pragma once

#include <QFont>

class QWidget;

QFont OstrelDialogFont();
// Gives the dialog font to a window and, through inheritance, to its controls.
void ApplyDialogFont(QWidget* w);
