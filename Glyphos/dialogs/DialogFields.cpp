#include "DialogFields.h"

#include "UiServices.h"

#include <QFocusEvent>
#include <QLineEdit>

bool LeavesTheEdit(const QFocusEvent* e) {
    return e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason;
}

bool ReadIntField(QLineEdit* edit, int lo, int hi, int& out) {
    bool ok = false;
    const int v = edit->text().toInt(&ok);
    if (ok && v >= lo && v <= hi) {
        out = v;
        return true;
    }
    const CString text = ok ? CString::Format(L"Please enter an integer between %d and %d.", lo, hi)
                            : CString(L"Please enter an integer.");
    MessageBox(nullptr, text, L"Glyphos", MB_OK | MB_ICONEXCLAMATION);
    edit->setFocus();
    edit->selectAll();
    return false;
}
