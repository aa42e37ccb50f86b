// The about box: the program's name and version.
#pragma once

#include "CString.h"

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const CString& version, QWidget* parent = nullptr);
};
