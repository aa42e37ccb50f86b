// The release-assertion dialog: where a broken precondition was found (the
// step, the class and the source file), shown before the integer exception
// is thrown.
#pragma once

#include "CString.h"

#include <QDialog>

class QLineEdit;

class CNewDialogMtReleaseAssetFailed : public QDialog {
    Q_OBJECT
public:
    CNewDialogMtReleaseAssetFailed(const CString& check, const CString& className, const CString& sourceFile,
                                   QWidget* parent = nullptr);

    QLineEdit* CheckField() const { return m_check; }
    QLineEdit* ClassField() const { return m_class; }
    QLineEdit* SourceField() const { return m_source; }

private:
    QLineEdit* m_check = nullptr;
    QLineEdit* m_class = nullptr;
    QLineEdit* m_source = nullptr;
};
