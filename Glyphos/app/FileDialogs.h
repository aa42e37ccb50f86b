// File dialogs of the editor: the desktop's own dialog where there is one,
// Qt's widget dialog where there is no desktop (offscreen), so that the same
// code runs under tests.
#pragma once

class QFileDialog;
class CMainFrame;

// Also starts the dialog in the folder of the active document's file, else
// in the user's home (never in whatever folder the editor was started from).
void PrepareFileDialog(QFileDialog& dlg, const CMainFrame* frame = nullptr);
