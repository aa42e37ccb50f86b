// File dialogs of the editor: the desktop's own dialog where there is one,
// Qt's widget dialog where there is no desktop (offscreen), so that the same
// code runs under tests.
#pragma once

class QFileDialog;

void PrepareFileDialog(QFileDialog& dlg);
