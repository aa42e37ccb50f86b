// The "Import font" window: shown while an installed font is drawn into the
// printer font, each character appearing in the middle of its "Import
// zone..." as it is rendered. It lives only for the import.
#pragma once

#include "LogFontRecord.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>

#include <cstdint>

class KalvoFont;

class CDialogImportWindowsFont : public QDialog {
    Q_OBJECT
public:
    explicit CDialogImportWindowsFont(QWidget* parent = nullptr);

    // Shows the window, renders the font's first .. last characters from
    // the typeface (clearing all others) and hides the window again.
    void Run(KalvoFont& font, const LogFontRecord& lf, std::uint32_t codePage, const ImportPlacement& placement);
    // The characters shown so far (tests).
    int ShownCount() const { return m_shown; }
    // The drawing area: the window less 30 pixels left and right and 40
    // at the top and bottom.
    QRect DrawingArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_cell;
    int m_shown = 0;
    QElapsedTimer m_sinceRepaint;
};
