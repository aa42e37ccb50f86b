#include "QtUiServices.h"

#include "NewDialogMtReleaseAssetFailed.h"
#include "NewDialogNumeroDiSerie.h"
#include "QtPortSettingsDialog.h"
#include "QtMessageTarget.h"
#include "QtPrintDevice.h"
#include "QtText.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QThread>

#include <vector>

namespace {

std::vector<QMessageBox::StandardButton> ButtonsOf(UINT style) {
    switch (style & MB_TYPEMASK) {
        case MB_OKCANCEL: return {QMessageBox::Ok, QMessageBox::Cancel};
        case MB_ABORTRETRYIGNORE: return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        case MB_YESNOCANCEL: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        case MB_YESNO: return {QMessageBox::Yes, QMessageBox::No};
        case MB_RETRYCANCEL: return {QMessageBox::Retry, QMessageBox::Cancel};
        default: return {QMessageBox::Ok};
    }
}

QMessageBox::Icon IconOf(UINT style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONHAND: return QMessageBox::Critical;
        case MB_ICONQUESTION: return QMessageBox::Question;
        case MB_ICONEXCLAMATION: return QMessageBox::Warning;
        case MB_ICONASTERISK: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

QString ButtonText(QMessageBox::StandardButton b) {
    switch (b) {
        case QMessageBox::Ok: return QStringLiteral("OK");
        case QMessageBox::Cancel: return QStringLiteral("Cancel");
        case QMessageBox::Abort: return QStringLiteral("&Abort");
        case QMessageBox::Retry: return QStringLiteral("&Retry");
        case QMessageBox::Ignore: return QStringLiteral("&Ignore");
        case QMessageBox::Yes: return QStringLiteral("&Yes");
        case QMessageBox::No: return QStringLiteral("&No");
        default: return {};
    }
}

// Runs fn on the GUI thread and returns its result; without a running Qt
// application there is no GUI thread and the headless answer is used.
template <typename Fn>
int OnGuiThread(Fn fn, int headlessAnswer) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return headlessAnswer;
    if (QThread::currentThread() == app->thread()) return fn();
    int result = headlessAnswer;
    QMetaObject::invokeMethod(app, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
    return result;
}

QWidget* ParentFor(HWND owner) {
    if (auto* target = dynamic_cast<QtMessageTarget*>(owner)) {
        if (QWidget* w = target->Widget()) return w;
    }
    // A box without an owner still belongs above the program's active
    // window rather than floating free of it.
    return QApplication::activeWindow();
}

}  // namespace

QMessageBox* QtUiServices::CreateBox(HWND owner, const CString& text, const CString& caption, UINT style) {
    auto* box = new QMessageBox(ParentFor(owner));
    box->setWindowTitle(ToQString(caption));
    box->setTextFormat(Qt::PlainText);
    box->setText(ToQString(text));
    box->setIcon(IconOf(style));
    const auto buttons = ButtonsOf(style);
    for (auto b : buttons) box->addButton(b)->setText(ButtonText(b));
    const std::size_t def = (style & MB_DEFBUTTON2) && buttons.size() > 1 ? 1 : 0;
    box->setDefaultButton(buttons[def]);
    // Escape is left to Qt: it answers Cancel, the lone button, or No.
    return box;
}

int QtUiServices::ResultOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok: return IDOK;
        case QMessageBox::Cancel: return IDCANCEL;
        case QMessageBox::Abort: return IDABORT;
        case QMessageBox::Retry: return IDRETRY;
        case QMessageBox::Ignore: return IDIGNORE;
        case QMessageBox::Yes: return IDYES;
        case QMessageBox::No: return IDNO;
        default: return IDCANCEL;
    }
}

int QtUiServices::MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        HeadlessUiServices headless;
        return headless.MessageBox(owner, text, caption, style);
    }
    return OnGuiThread(
        [&] {
            QMessageBox* box = CreateBox(owner, text, caption, style);
            box->exec();
            auto* clicked = box->clickedButton();
            const int result = clicked ? ResultOf(box->standardButton(clicked)) : DefaultButton(style);
            delete box;
            return result;
        },
        DefaultButton(style));
}

int QtUiServices::AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        HeadlessUiServices headless;
        return headless.AssertionDialog(check, className, sourceFile);
    }
    return OnGuiThread(
        [&] {
            CNewDialogMtReleaseAssetFailed dlg(check, className, sourceFile);
            return dlg.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
        },
        IDOK);
}

int QtUiServices::PortSettingsDialog(HWND owner, const CString& portName, DCB* dcb) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return UiServices::PortSettingsDialog(owner, portName, dcb);
    }
    return OnGuiThread(
        [&] {
            QtPortSettingsDialog dlg(ParentFor(owner), portName, dcb);
            return dlg.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
        },
        IDCANCEL);
}

int QtUiServices::SerialNumberDialog(HWND owner, SerialNumberRequest& request) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return UiServices::SerialNumberDialog(owner, request);
    }
    return OnGuiThread(
        [&] {
            CString chosen = request.configuration;
            CNewDialogNumeroDiSerie dlg(ParentFor(owner), request.configurations, &chosen);
            dlg.SetProductCode(request.productCode);
            const bool ok = dlg.exec() == QDialog::Accepted;
            request.configuration = chosen;
            if (!ok) return IDCANCEL;
            request.serialNumber = dlg.Get_m_strNumeroSerie();
            return IDOK;
        },
        IDCANCEL);
}

QPrintDialog* QtUiServices::CreatePrintDialog(HWND owner, QPrinter* printer) {
    auto* dlg = new QPrintDialog(printer, ParentFor(owner));
    dlg->setOption(QAbstractPrintDialog::PrintToFile, false);
    dlg->setOption(QAbstractPrintDialog::PrintSelection, false);
    dlg->setOption(QAbstractPrintDialog::PrintPageRange, false);
    dlg->setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dlg->setPrintRange(QAbstractPrintDialog::AllPages);
    return dlg;
}

int QtUiServices::PrintDialog(HWND owner, std::unique_ptr<PrintDevice>& device, CString& error) {
    device.reset();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return UiServices::PrintDialog(owner, device, error);
    }
    std::unique_ptr<QPrinter> chosen;
    const int answer = OnGuiThread(
        [&] {
            // With printing to a file ruled out, a system without printers
            // would offer a dialog that can only be cancelled, for ever.
            if (QPrinterInfo::availablePrinters().isEmpty()) {
                error = L"No printer is installed on this system";
                return IDABORT;
            }
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            std::unique_ptr<QPrintDialog> dlg(CreatePrintDialog(owner, printer.get()));
            if (dlg->exec() != QDialog::Accepted) return IDCANCEL;
            chosen = std::move(printer);
            return IDOK;
        },
        IDABORT);
    if (answer == IDOK) device = std::make_unique<QtPrintDevice>(std::move(chosen));
    return answer;
}
