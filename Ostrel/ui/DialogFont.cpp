#include "DialogFont.h"

#include <QWidget>

QFont OstrelDialogFont() {
    // The face and height are the dialog resource texts of the old program;
    // its height was a character-cell height in pixels, hence setPixelSize.
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(QStringLiteral("14").toInt());
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}

void ApplyDialogFont(QWidget* w) {
    if (w) w->setFont(OstrelDialogFont());
}
