// "Property font": shows and edits the property record of a font (size,
// character range, margins, byte order) and its name. A font read from a
// file only shows its values; a new font can be changed.
#pragma once

#include <QDialog>

class KalvoFont;
class QLineEdit;

class CDialogPropietaFont : public QDialog {
    Q_OBJECT
public:
    // One edit per field, in the order the dialog reads them.
    enum Field { Width, Height, Name, Number, FirstChar, LastChar, MarginLeft, MarginRight, MarginUp, MarginBottom,
                 ByteOrder, Orientation, kFieldCount };

    // editable: 1 for a new font, 0 for a font read from a file.
    CDialogPropietaFont(KalvoFont& font, int editable, QWidget* parent = nullptr);

    QLineEdit* Edit(Field f) const { return m_edits[f]; }

    // The warning about a width that the negative margins leave no room for
    // (the width, left and right margin edits run it when they lose the
    // focus). It only warns; true when it did.
    bool CheckResolution();

public slots:
    // Reads and checks every field; on success writes the name and the
    // record and closes, else shows why and stays open.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The value of an integer field within lo..hi; a message and the focus
    // on the field otherwise.
    bool ReadInt(Field f, int lo, int hi, int& out);
    // "0X" and one or two hexadecimal digits; a message otherwise.
    bool ReadCode(Field f, int& out);

    KalvoFont& m_font;
    QLineEdit* m_edits[kFieldCount] = {};
};
