// File dialogs of the editor: the desktop's own dialog where there is one,
// Qt's widget dialog where there is no desktop (offscreen), so that the same
// code runs under tests.
#pragma once

class QFileDialog;
class QString;

void PrepareFileDialog(QFileDialog& dlg);

// Starts the dialog in the folder of the active document's file, else in
// the user's home (never in whatever folder the editor was started from).
void StartFileDialogIn(QFileDialog& dlg, const QString& documentPath);
