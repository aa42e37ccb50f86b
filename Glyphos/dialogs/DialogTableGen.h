// "Dialog table generator": the settings of a C or assembler source table of
// a font (file, items per line, font name, note, table kind, data size,
// comment character, assembler dialect) and the "Go" that writes it through
// the table generator, its progress bar following the data lines.
#pragma once

#include "CString.h"

#include <QDialog>

#include <functional>

class KalvoFont;
class QAbstractButton;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class CDialogTableGen : public QDialog {
    Q_OBJECT
public:
    // Controls, by what they set.
    enum Radio { CTable, AsmTable, Byte, Word, DoubleWord, CommentStar, CommentSemicolon, DialectDefault,
                 DialectMcuez, kRadioCount };

    CDialogTableGen(const KalvoFont& font, const CString& fontName, int bytesPerRow, QWidget* parent = nullptr);

    // The members, as last read from the controls.
    const CString& GetFileName() const { return m_FileName; }
    int GetItemsPerLine() const { return m_ItemsPerLine; }
    const CString& GetFontName() const { return m_FontName; }
    const CString& GetNote() const { return m_Note; }
    int GetCMode() const { return m_CMode; }
    int GetDataSize() const { return m_DataSize; }
    int GetCommentType() const { return m_CommentType; }
    int GetDialect() const { return m_Dialect; }

    QRadioButton* RadioButton(Radio r) const { return m_radios[r]; }
    QLineEdit* FileNameEdit() const { return m_fileEdit; }
    QLineEdit* ItemsEdit() const { return m_itemsEdit; }
    QLineEdit* FontNameEdit() const { return m_nameEdit; }
    QLineEdit* NoteEdit() const { return m_noteEdit; }
    QProgressBar* Progress() const { return m_progress; }
    QPushButton* SelectFileButton() const { return m_selectButton; }
    QPushButton* GoButton() const { return m_goButton; }

    // Where "Select File Name" starts, and what a name without a folder is
    // relative to: the document's folder (home until set).
    void SetStartFolder(const QString& folder);
    // "Select File Name": a save dialog for the table kind in force; Cancel
    // keeps the name there was.
    void OnSelectFileName();
    // "Go": checks and writes the table; true when it was written.
    bool OnGo();
    // The edits into the members (they do it themselves on losing the focus).
    void ReadEdits();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnRadio(Radio r);
    QString m_startFolder;
    void WriteEdits();

    const KalvoFont& m_Font;
    int m_BytesPerRow;
    CString m_FileName;
    int m_ItemsPerLine = 0;
    CString m_FontName;
    CString m_Note;
    int m_CMode = 1;
    int m_DataSize = 1;
    int m_CommentType = 0;
    int m_Dialect = 1;

    QRadioButton* m_radios[kRadioCount] = {};
    QLineEdit* m_fileEdit = nullptr;
    QLineEdit* m_itemsEdit = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_noteEdit = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_selectButton = nullptr;
    QPushButton* m_goButton = nullptr;
};
