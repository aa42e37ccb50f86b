// Lets the user pick one of the fonts of a PSW file. The dialog shows the
// lines it is given and reports the index of the chosen one.
#pragma once

#include "CString.h"

#include <QDialog>

#include <vector>

class QListWidget;

class CDialogSelectFont : public QDialog {
    Q_OBJECT
public:
    // The lines are not owned and must outlive the dialog.
    CDialogSelectFont(QWidget* parent, const std::vector<CString>* lines);

    int Get_m_NumFontSel() const { return m_NumFontSel; }
    QListWidget* List() const { return m_list; }

private:
    void OnSelChange();

    const std::vector<CString>* m_lines;
    int m_NumFontSel = 0;
    QListWidget* m_list = nullptr;
};
