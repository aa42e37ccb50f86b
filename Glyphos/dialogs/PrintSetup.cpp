#include "PrintSetup.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>

#include <optional>

namespace {

// Plain values rather than a QPrinter kept for the whole process: a printer
// object must not outlive the application.
struct Setup {
    QString printerName;
    QPageLayout layout;
};

std::optional<Setup>& Session() {
    static std::optional<Setup> setup;
    return setup;
}

}  // namespace

void ApplyPrintSetup(QPrinter& printer) {
    const auto& setup = Session();
    if (!setup) return;
    if (!setup->printerName.isEmpty()) printer.setPrinterName(setup->printerName);
    printer.setPageLayout(setup->layout);
}

bool RunPrintSetup(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    ApplyPrintSetup(printer);
    QPageSetupDialog dlg(&printer, parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    Session() = Setup{printer.printerName(), printer.pageLayout()};
    return true;
}
