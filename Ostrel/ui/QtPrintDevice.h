// The library's print device on a QPrinter. The isotropic mapping is done
// here rather than with a painter transform: the font is created at its
// device size, so glyphs and advances come from the real outline instead of
// a 9-pixel font blown up twenty times.
#pragma once

#include "UiServices.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <memory>

class QtPrintDevice : public PrintDevice {
public:
    explicit QtPrintDevice(std::unique_ptr<QPrinter> printer);
    ~QtPrintDevice() override;

    QPrinter* Printer() const { return m_printer.get(); }

    int HorzRes() const override;
    int VertRes() const override;
    bool StartDoc(const CString& documentName) override;
    bool StartPage() override;
    bool EndPage() override;
    bool EndDoc() override;
    void AbortDoc() override;
    void SetIsotropicMapping(int windowX, int windowY, int viewportX, int viewportY) override;
    CString SelectFont(const CString& face, int height, int weight) override;
    TextMetrics GetTextMetrics() const override;
    bool TextOut(int x, int y, const CString& text) override;

private:
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    double m_scale = 1.0;  // device pixels per logical unit
    QFont m_font;
};
