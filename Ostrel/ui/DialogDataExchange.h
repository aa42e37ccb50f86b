// The small data-exchange kit the library's dialogs share: edits that hold a
// number, read back with the standard refusals ("Please enter an integer
// between 0 and 32000.") shown as a warning box through UiServices, the edit
// focused and selected so the user can correct it at once. A dialog that
// finds a bad field stays open; nothing is written back.
#pragma once

#include "CString.h"

#include <QString>

class QBoxLayout;
class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

// A one-line edit named `objectName`; read-only edits keep their frame so a
// shown value still looks like a field.
QLineEdit* NewEdit(QWidget* parent, const char* objectName, bool readOnly = false, int maxLength = 0);

// Read-only edits take the window's colour, as read-only fields always did,
// so the user sees at once which values can be changed.
void SetEditReadOnly(QLineEdit* edit, bool readOnly);

void SetIntText(QLineEdit* edit, long long value);
void SetFloatText(QLineEdit* edit, double value);

// Reads an integer in [min, max]; on failure shows the refusal and returns
// false with `out` untouched.
bool ReadIntInRange(QLineEdit* edit, long long min, long long max, long long& out);
// Reads a number (as a float field of the old dialogs did).
bool ReadFloat(QLineEdit* edit, float& out);
// A refusal for a text field; shows `text` with `caption` and focuses it.
void RefuseField(QLineEdit* edit, const CString& text, const CString& caption);

// A side button named `objectName`; it never becomes the default, so Enter
// in a field still means OK.
QPushButton* NewButton(QWidget* parent, const char* objectName, const QString& text);

// The OK (and Cancel) row at the bottom of a dialog, right-aligned; the
// buttons are named "ok" and "cancel" and wired to accept and reject.
QPushButton* AddOkCancel(QDialog* dialog, QBoxLayout* layout, bool withCancel = true);
