// File > Print Setup: the printer and the paper that every print of the
// session starts from (the print dialog still lets the user change them for
// one print).
#pragma once

class QPrinter;
class QWidget;

// The page set-up dialog on the session's settings; true when they changed.
bool RunPrintSetup(QWidget* parent);
// Gives a printer the session's printer and paper, when they were chosen.
void ApplyPrintSetup(QPrinter& printer);
