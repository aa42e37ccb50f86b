// The printed page of a font document: the grid of the current character
// and the table of all 256 characters at true size, drawn in logical units of
// print-factor printer dots. The editor's printing and print preview and
// `glyphos-cli print` draw through here, so a proof sheet made without a
// window is the page the editor prints.
//
// Qt GUI and print support only, no widgets: the command-line tool links it.
#pragma once

#include <QByteArray>
#include <QPageSize>
#include <QString>

class DocDisplay;
class KalvoFont;
class QPainter;
class QPrinter;

namespace FontPrinter {

inline constexpr int kDefaultPrintFactor = 6;
// A factor of 0 cannot scale the page; above 20 a large font leaves the page.
inline constexpr int kMinPrintFactor = 1;
inline constexpr int kMaxPrintFactor = 20;
// What a PDF page is drawn at: a PDF has no dots of its own, and the
// resolution of a common office printer gives the proof sheet the size it
// has on paper (factor 6: one logical unit is 1/100 inch).
inline constexpr int kPdfResolution = 600;

// Colours of the printed table (0x00RRGGBB).
inline constexpr unsigned kTableLineColor = 0xBEBEBE;
inline constexpr unsigned kLabelColor = 0x1111FF;
inline constexpr unsigned kHighlightColor = 0x0101FF;

// One logical unit becomes printFactor device dots (the same factor across
// and down, whatever the page's shape).
void SetupPage(QPainter& p, int printFactor);

// The enlarged grid of character ch as the display's zoom lays it out: the
// frame, the zones of negative margins, the grid lines and the inked dots.
void PaintGrid(QPainter& p, const KalvoFont& font, const DocDisplay& display, int ch);

// The 17 x 17 table in the display's PrintTableRect: grey lines, the labels
// "0".."F" along the top and the left, every character at one logical unit
// per dot, and the cell of ch outlined.
void PaintTable(QPainter& p, const KalvoFont& font, const DocDisplay& display, int ch);

// The whole page on a painter that is already set up.
void PaintPage(QPainter& p, const KalvoFont& font, const DocDisplay& display, int ch);

// A printer that writes one PDF file.
void SetupPdfPrinter(QPrinter& printer, const QString& path, QPageSize::PageSizeId paper);

// Prints one page: the PDF resolution rule when the printer writes a PDF,
// the page set-up, the page. False when the printer cannot be started (an
// unwritable PDF path, a printer that went away).
bool PrintPage(QPrinter& printer, const KalvoFont& font, const DocDisplay& display, int ch, int printFactor);

// Whether the page of the printer, at its resolution (a PDF's as PrintPage
// sets it), holds the whole table at that factor with the display's layout.
bool PageHoldsTable(QPrinter& printer, const DocDisplay& display, int printFactor);
// The largest factor (1..20) at which it does; 0 when none does.
int LargestFittingFactor(QPrinter& printer, const DocDisplay& display);

// The page as a one-page PDF in memory, laid out as a PDF printer set up by
// SetupPdfPrinter lays it out: the caller writes it where it belongs, so a
// failing disk is seen by the one writer that checks every write. Empty
// when the page could not be drawn.
QByteArray PdfPage(const KalvoFont& font, const DocDisplay& display, int ch, int printFactor,
                   QPageSize::PageSizeId paper);

}  // namespace FontPrinter
