#include "DialogPropietaFont.h"

#include "Conversioni.h"
#include "DialogFields.h"
#include "DialogFont.h"
#include "KalvoFont.h"
#include "QtText.h"
#include "UiServices.h"

#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int kMaxWidth = 64;

struct FieldInfo {
    const char* label;
    const char* objectName;
};

const FieldInfo kFields[CDialogPropietaFont::kFieldCount] = {
    {"Horizontal resolution:", "width"}, {"Verical resolution:", "height"},   {"Font name:", "name"},
    {"Font number:", "number"},          {"Begin char [Asci code]:", "first"}, {"End char [Asci code]:", "last"},
    {"Left margin:", "marginLeft"},      {"Right margin:", "marginRight"},    {"Upper margin:", "marginUp"},
    {"Bottom margin:", "marginBottom"},  {"Order byte:", "byteOrder"},        {"Orientation:", "orientation"},
};

void Refuse(QLineEdit* edit, const CString& text, const CString& caption, UINT style) {
    MessageBox(nullptr, text, caption, style);
    edit->setFocus();
    edit->selectAll();
}

}  // namespace

CDialogPropietaFont::CDialogPropietaFont(KalvoFont& font, int editable, QWidget* parent)
    : QDialog(parent), m_font(font) {
    setWindowTitle(QStringLiteral("Property font"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kFieldCount; ++i) {
        m_edits[i] = new QLineEdit(this);
        m_edits[i]->setObjectName(QString::fromLatin1(kFields[i].objectName));
        // Two columns of fields, the name across the whole width.
        const int row = i < 4 ? i : 4 + (i - 4) / 2;
        const int col = i < 4 ? 0 : (i - 4) % 2 * 2;
        grid->addWidget(new QLabel(QString::fromLatin1(kFields[i].label), this), row, col);
        grid->addWidget(m_edits[i], row, col + 1, 1, i < 4 ? 3 : 1);
    }
    layout->addLayout(grid);

    const auto digits = [](QLineEdit* e) {
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), e));
    };
    const auto signedDigits = [](QLineEdit* e) {
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), e));
    };
    digits(m_edits[Width]);
    digits(m_edits[Height]);
    digits(m_edits[ByteOrder]);
    for (Field f : {MarginLeft, MarginRight, MarginUp, MarginBottom}) signedDigits(m_edits[f]);
    for (Field f : {FirstChar, LastChar}) {
        QLineEdit* e = m_edits[f];
        e->setMaxLength(5);
        // Typed in upper case, as the codes are shown.
        connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
            const int pos = e->cursorPosition();
            e->setText(t.toUpper());
            e->setCursorPosition(pos);
        });
    }

    m_edits[Width]->setText(QString::number(font.GetWidth()));
    m_edits[Height]->setText(QString::number(font.GetHeight()));
    m_edits[Name]->setText(ToQString(font.GetFontName()));
    m_edits[Number]->setText(QString::asprintf("%.2d / %.2d", font.GetFontNumber(), font.GetFontCount()));
    m_edits[FirstChar]->setText(QString::asprintf("0X%X", static_cast<unsigned>(font.GetFirstChar())));
    m_edits[LastChar]->setText(QString::asprintf("0X%X", static_cast<unsigned>(font.GetLastChar())));
    m_edits[MarginLeft]->setText(QString::number(font.GetMarginLeft()));
    m_edits[MarginRight]->setText(QString::number(font.GetMarginRight()));
    m_edits[MarginUp]->setText(QString::number(font.GetMarginUp()));
    m_edits[MarginBottom]->setText(QString::number(font.GetMarginBottom()));
    m_edits[ByteOrder]->setText(QString::number(font.GetByteOrder()));
    m_edits[Orientation]->setText(font.GetOrientation() == 'V' ? QStringLiteral("Vertical")
                                                               : QStringLiteral("Orizzontal"));

    // The number, the vertical margins and the orientation are never edited
    // here; a font read from a file is shown only.
    for (Field f : {Number, MarginUp, MarginBottom, Orientation}) m_edits[f]->setEnabled(false);
    if (!editable) {
        for (int i = Width; i <= ByteOrder; ++i) m_edits[i]->setEnabled(false);
    }
    for (Field f : {Width, MarginLeft, MarginRight}) m_edits[f]->installEventFilter(this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogPropietaFont::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool CDialogPropietaFont::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && LeavesTheEdit(static_cast<QFocusEvent*>(event)) && isVisible())
        CheckResolution();
    return QDialog::eventFilter(watched, event);
}

bool CDialogPropietaFont::CheckResolution() {
    bool okW = false, okL = false, okR = false;
    const int w = m_edits[Width]->text().toInt(&okW);
    const int l = m_edits[MarginLeft]->text().toInt(&okL);
    const int r = m_edits[MarginRight]->text().toInt(&okR);
    // Values that do not read are the range check's business on OK.
    if (!okW || !okL || !okR) return false;
    CString text;
    if (l < 0 && r < 0 && w > kMaxWidth + r + l) {
        text = CString::Format(
            L"The resolution value is incorrect!\nPlesse verify if:\n Orizzontal resolution is < %d + (%d + %d).",
            kMaxWidth, r, l);
    } else if (r < 0 && w > kMaxWidth + r) {
        text = CString::Format(L"The resolution value is incorrect!\nPlesse verify if:\n Orizzontal resolution is < %d + %d.",
                               kMaxWidth, r);
    } else if (l < 0 && w > kMaxWidth + l) {
        text = CString::Format(L"The resolution value is incorrect!\nPlesse verify if:\n Orizzontal resolution is < %d + %d.",
                               kMaxWidth, l);
    }
    if (text.IsEmpty()) return false;
    MessageBox(nullptr, text, L"Error", MB_OK | MB_ICONSTOP);
    return true;
}

bool CDialogPropietaFont::ReadInt(Field f, int lo, int hi, int& out) { return ReadIntField(m_edits[f], lo, hi, out); }

bool CDialogPropietaFont::ReadCode(Field f, int& out) {
    // The code is shown as "0X" and its digits ("0X5" for 5), so one digit
    // must read as well as two; anything else is refused before the record
    // is touched.
    static const QRegularExpression form(QStringLiteral("^0X([0-9A-F]{1,2})$"));
    const QRegularExpressionMatch m = form.match(m_edits[f]->text().trimmed().toUpper());
    if (!m.hasMatch()) {
        Refuse(m_edits[f], CString::Format(L"%s type 0X followed by one or two hexadecimal digits.",
                                           CString::FromUtf8(kFields[f].label).GetString()),
               L"Error", MB_OK | MB_ICONSTOP);
        return false;
    }
    const QString digits = m.captured(1).rightJustified(2, QLatin1Char('0'));
    out = CConversioni().CStrExadecByteToInt(FromQString(digits));
    return true;
}

void CDialogPropietaFont::accept() {
    // Every field is read and checked before anything is written, so a
    // refused field leaves the font as it was.
    int width = 0, height = 0, left = 0, right = 0, up = 0, bottom = 0, order = 0, first = 0, last = 0;
    if (!ReadInt(Width, 1, 64, width) || !ReadInt(Height, 1, 96, height)) return;
    const QString name = m_edits[Name]->text();
    if (!ReadCode(FirstChar, first) || !ReadCode(LastChar, last)) return;
    if (!ReadInt(MarginLeft, -15, 15, left) || !ReadInt(MarginRight, -15, 15, right) ||
        !ReadInt(MarginUp, -15, 15, up) || !ReadInt(MarginBottom, -15, 15, bottom) ||
        !ReadInt(ByteOrder, 0, 10, order))
        return;
    if (name.isEmpty()) {
        Refuse(m_edits[Name], L"You must type a valid Font name", L"Error", MB_OK | MB_ICONSTOP);
        return;
    }
    // A range that ends before it begins holds no character, and the size
    // of its block would wrap.
    if (first > last) {
        Refuse(m_edits[FirstChar], L"The begin char must not be greater than the end char.", L"Error",
               MB_OK | MB_ICONSTOP);
        return;
    }
    m_font.SetFontName(FromQString(name));
    m_font.SetWidth(width);
    m_font.SetHeight(height);
    m_font.SetMarginRight(right);
    m_font.SetMarginLeft(left);
    m_font.SetMarginUp(up);
    m_font.SetMarginBottom(bottom);
    m_font.SetByteOrder(order);
    m_font.SetFirstChar(first);
    m_font.SetLastChar(last);
    QDialog::accept();
}
