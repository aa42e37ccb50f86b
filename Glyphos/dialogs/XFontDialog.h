// The font dialog of the import: typeface, style, size and effects of an
// installed font, plus the code page through which the printer font's
// character codes become Unicode characters ("Sc&ript:" with a type filter
// and the code pages of that type). The sample shows "AaBb" taken through
// the chosen code page, so a code page that moves letters shows it.
//
// The code page and its type filter belong to the application: the dialog
// works on the choice it is given, as every document shares one.
#pragma once

#include "CodePageList.h"
#include "LogFontRecord.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;

class CXFontDialog : public QDialog {
    Q_OBJECT
public:
    CXFontDialog(const LogFontRecord& lf, CodePageChoice& choice, QWidget* parent = nullptr);

    // The chosen typeface: the record given with face, style, size and
    // effects replaced.
    const LogFontRecord& GetLogFont() const { return m_lf; }
    QString GetFaceName() const;

    QComboBox* FaceCombo() const { return m_face; }
    QComboBox* StyleCombo() const { return m_style; }
    QComboBox* SizeCombo() const { return m_size; }
    QComboBox* TypeCombo() const { return m_cpType; }
    QComboBox* CodePageCombo() const { return m_cp; }
    QCheckBox* Strikeout() const { return m_strike; }
    QCheckBox* Underline() const { return m_underline; }
    QLabel* Sample() const { return m_sample; }
    QLabel* MonospacedNote() const { return m_mono; }

    // The code-page combo for the type in force, preselecting the
    // application's code page (437 while none was chosen).
    void FillCodePages();
    // The application's code page from an entry text's leading digits.
    void SetCodePageFromText(const QString& text);
    void UpdateSample();

public slots:
    void accept() override;

private:
    // The size in the size combo; 0 when it is not a size.
    int SizeInPoints() const;
    // The face, style and effects of the controls into `lf`.
    void ReadControls(LogFontRecord& lf) const;

    LogFontRecord m_lf;
    CodePageChoice& m_choice;
    CodePageList m_codePages{CodePageList::Supported};
    QComboBox* m_face = nullptr;
    QComboBox* m_style = nullptr;
    QComboBox* m_size = nullptr;
    QComboBox* m_color = nullptr;
    QComboBox* m_cpType = nullptr;
    QComboBox* m_cp = nullptr;
    QComboBox* m_script = nullptr;
    QCheckBox* m_strike = nullptr;
    QCheckBox* m_underline = nullptr;
    QLabel* m_sample = nullptr;
    QLabel* m_mono = nullptr;
    bool m_filling = false;
};
