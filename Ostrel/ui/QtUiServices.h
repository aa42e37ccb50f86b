// The Qt provider of the library's UI services: message boxes become
// QMessageBox windows with the caption, buttons and icon of their style, and
// the release assertion shows CNewDialogMtReleaseAssetFailed. Safe to call
// from any thread: a call from a worker thread runs the dialog on the GUI
// thread and waits for the answer.
#pragma once

#include "UiServices.h"

#include <QMessageBox>

class QPrintDialog;
class QPrinter;

class QtUiServices : public UiServices {
public:
    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override;
    // QtPortSettingsDialog over the DCB.
    int PortSettingsDialog(HWND owner, const CString& portName, DCB* dcb) override;
    // CNewDialogNumeroDiSerie over the request; "Stop Collaudo" answers
    // IDCANCEL with the configuration name emptied.
    int SerialNumberDialog(HWND owner, SerialNumberRequest& request) override;
    // QPrintDialog over a new QPrinter; IDABORT when no printer is installed.
    int PrintDialog(HWND owner, std::unique_ptr<PrintDevice>& device, CString& error) override;

    // The box that MessageBox shows, built but not run (used by MessageBox
    // and by tests that inspect it). The caller owns it.
    static QMessageBox* CreateBox(HWND owner, const CString& text, const CString& caption, UINT style);
    // The print dialog that PrintDialog runs, built but not run: all pages,
    // no page range, no selection, no print to file. The caller owns it.
    static QPrintDialog* CreatePrintDialog(HWND owner, QPrinter* printer);
    // The result code for a button of a box built by CreateBox.
    static int ResultOf(QMessageBox::StandardButton button);
};
