// What the editor's dialogs share about their typed fields: when a field
// counts as left, and the reading of an integer field with the usual
// refusals.
#pragma once

class QFocusEvent;
class QLineEdit;

// The user moved on from an edit, rather than a menu or another window
// (such as the dialog's own message box) taking the focus for a while.
bool LeavesTheEdit(const QFocusEvent* e);

// The edit's integer within lo..hi. Otherwise "Please enter an integer." or
// the range message in a "Glyphos" box, the edit focused and selected so the
// user can correct it at once, and false with `out` untouched.
bool ReadIntField(QLineEdit* edit, int lo, int hi, int& out);
