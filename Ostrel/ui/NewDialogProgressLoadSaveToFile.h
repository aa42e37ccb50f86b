// A small modeless progress window for loading or saving a file: one line of
// text and a bar the caller advances step by step.
#pragma once

#include "CString.h"

#include <QDialog>

class QLabel;
class QProgressBar;

class CNewDialogProgressLoadSaveToFile : public QDialog {
    Q_OBJECT
public:
    CNewDialogProgressLoadSaveToFile(QWidget* parent, const CString& text, int rangeEnd, int step);

    // Starts over: new text, the bar at 0 of rangeEnd, `step` per NewStep.
    void InitObject(const CString& text, int rangeEnd, int step);
    void NewStep();

    QProgressBar* Bar() const { return m_bar; }
    QLabel* Text() const { return m_text; }

private:
    QProgressBar* m_bar = nullptr;
    QLabel* m_text = nullptr;
    int m_step = 1;
};
