// glyphos-cli print IN.kfn OUT.pdf [--char CODE] [--factor N] [--paper a4|letter]:
// the page the editor prints (the grid of one character and the font table)
// written to a PDF file, a proof sheet of a font without a window.
#include "CliDocument.h"
#include "CliGui.h"
#include "FontPrinter.h"

#include "FileUtil.h"

#include <QPrinter>

#include <cstdio>

int CliPrint(const std::vector<std::string>& args) {
    const CliArgs a(args, {}, {"--char", "--factor", "--paper"});
    a.ExpectPositional(2, 2);
    const std::string& kfn = a.Positional()[0];
    const std::string& out = a.Positional()[1];
    const int factor = static_cast<int>(
        a.IntValue("--factor", FontPrinter::kMinPrintFactor, FontPrinter::kMaxPrintFactor)
            .value_or(FontPrinter::kDefaultPrintFactor));
    QPageSize::PageSizeId paper = QPageSize::A4;
    if (const auto p = a.Value("--paper")) {
        if (*p == "letter") {
            paper = QPageSize::Letter;
        } else if (*p != "a4") {
            throw CliUsageError("option --paper takes a4|letter, not \"" + *p + "\"");
        }
    }
    const auto code = a.Value("--char");
    const int requested = code ? static_cast<int>(WholeNumberArg(*code, "option --char", 0, 255)) : -1;

    CGlyphosDocCore doc;
    if (!doc.LoadKfnFile(CliPath(kfn))) throw CliFailure("cannot read the font file " + kfn);
    const KalvoFont& f = doc.GetFont();
    const int ch = code ? requested : f.GetFirstChar();
    if (ch < f.GetFirstChar() || ch > f.GetLastChar()) {
        throw CliFailure("character " + *code + " is outside the font (" + std::to_string(f.GetFirstChar()) + ".." +
                         std::to_string(f.GetLastChar()) + ")");
    }
    // The editor prints at "Zoom x 2".
    doc.GetDisplay().SetZoom(2, f);

    const auto app = StartOffscreenGui();

    {
        // The page is still written when the table does not fit: a cut proof
        // shows the grid, and the user learns which factor gives the whole table.
        // A named file keeps the printer a PDF one; nothing is written to it.
        QPrinter printer(QPrinter::HighResolution);
        FontPrinter::SetupPdfPrinter(printer, QString::fromStdString(out), paper);
        if (!FontPrinter::PageHoldsTable(printer, doc.GetDisplay(), factor)) {
            const int fits = FontPrinter::LargestFittingFactor(printer, doc.GetDisplay());
            std::fprintf(stderr, "glyphos-cli: warning: at factor %d the font table does not fit the page; %s\n", factor,
                         fits > 0 ? ("the largest factor at which it fits is " + std::to_string(fits)).c_str()
                                  : "it fits at no factor");
        }
    }
    // The page is made in memory and replaces the file in one step, as
    // every file we write does.
    const QByteArray page = FontPrinter::PdfPage(f, doc.GetDisplay(), ch, factor, paper);
    if (page.isEmpty()) throw CliFailure("cannot draw the page for " + out);
    std::string why;
    if (!WriteFileAtomically(CliPath(out), page.constData(), static_cast<std::size_t>(page.size()), &why))
        throw CliFailure(why);
    return kExitOk;
}
