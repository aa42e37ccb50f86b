// glyphos-cli print IN.kfn OUT.pdf [--char CODE] [--factor N] [--paper a4|letter]:
// the page the editor prints (the grid of one character and the font table)
// written to a PDF file, a proof sheet of a font without a window.
#include "CliDocument.h"
#include "CliGui.h"
#include "FontPrinter.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>

#include <filesystem>

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

    // The page goes to a temporary file beside the target and replaces it
    // only when complete.
    const QString target = QString::fromStdString(out);
    const QFileInfo info(target);
    QTemporaryFile tmp(info.absolutePath() + QStringLiteral("/.glyphos-print-XXXXXX.pdf"));
    if (!tmp.open()) throw CliFailure("cannot write in the folder of " + out);
    tmp.close();
    QPrinter printer(QPrinter::HighResolution);
    FontPrinter::SetupPdfPrinter(printer, tmp.fileName(), paper);
    if (!FontPrinter::PrintPage(printer, f, doc.GetDisplay(), ch, factor)) throw CliFailure("cannot write " + out);
    std::error_code ec;
    std::filesystem::rename(tmp.fileName().toStdString(), out, ec);
    if (ec) throw CliFailure("cannot write " + out + ": " + ec.message());
    tmp.setAutoRemove(false);
    // The temporary file was private to its owner; the page is an ordinary file.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return kExitOk;
}
