#include "XFontDialog.h"

#include "DialogFont.h"
#include "GlyphRenderer.h"
#include "LogFontQFont.h"
#include "UiServices.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kMaxPoints = 1638;
const char* const kStyles[] = {"Regular", "Italic", "Bold", "Bold Italic"};
const char* const kColors[] = {"Black", "Maroon", "Green", "Olive", "Navy",   "Purple", "Teal",   "Gray",
                               "Silver", "Red",   "Lime",  "Yellow", "Blue", "Fuchsia", "Aqua", "White"};

// The families as fontconfig names them, which is how the import finds
// them again: Qt's own list tags a family installed twice with its foundry
// ("Nimbus Sans [urw]"), a name fontconfig does not know.
QStringList DrawableFaces() {
    QStringList out;
    for (const std::string& family : GlyphRenderer::InstalledFamilies()) out << QString::fromStdString(family);
    return out;
}

}  // namespace

CXFontDialog::CXFontDialog(const LogFontRecord& lf, CodePageChoice& choice, QWidget* parent)
    : QDialog(parent), m_lf(lf), m_choice(choice) {
    setWindowTitle(QStringLiteral("Font"));
    setObjectName(QStringLiteral("IDD_XFONTDIALOG"));
    ApplyDialogFont(this);

    m_face = new QComboBox(this);
    m_face->setObjectName(QStringLiteral("face"));
    m_face->addItems(DrawableFaces());
    m_style = new QComboBox(this);
    m_style->setObjectName(QStringLiteral("style"));
    for (const char* s : kStyles) m_style->addItem(QString::fromLatin1(s));
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setEditable(true);
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) m_size->addItem(QString::number(s));

    auto* effects = new QGroupBox(QStringLiteral("Effects"), this);
    m_strike = new QCheckBox(QStringLiteral("Stri&keout"), effects);
    m_underline = new QCheckBox(QStringLiteral("&Underline"), effects);
    m_color = new QComboBox(effects);
    for (const char* c : kColors) m_color->addItem(QString::fromLatin1(c));
    auto* colorLabel = new QLabel(QStringLiteral("&Color:"), effects);
    colorLabel->setBuddy(m_color);
    auto* effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(m_strike);
    effectsLayout->addWidget(m_underline);
    effectsLayout->addWidget(colorLabel);
    effectsLayout->addWidget(m_color);
    effectsLayout->addStretch(1);

    auto* sampleBox = new QGroupBox(QStringLiteral("Sample"), this);
    m_sample = new QLabel(sampleBox);
    m_sample->setObjectName(QStringLiteral("sample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumSize(160, 60);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(m_sample);

    // The code page: its type, the code pages of that type; the script combo
    // of the plain font dialog has no use here and stays hidden.
    auto* scriptLabel = new QLabel(QStringLiteral("Sc&ript:"), this);
    m_cpType = new QComboBox(this);
    m_cpType->setObjectName(QStringLiteral("IDC_COMBO_CPTYPE"));
    m_cp = new QComboBox(this);
    m_cp->setObjectName(QStringLiteral("IDC_COMBO_CP"));
    scriptLabel->setBuddy(m_cp);
    m_script = new QComboBox(this);
    m_script->hide();
    m_mono = new QLabel(QStringLiteral("MONOSPACED"), this);
    m_mono->setObjectName(QStringLiteral("monospaced"));
    m_mono->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    m_mono->hide();

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    // Apply and Help exist as in every font dialog, but nothing here uses them.
    for (const char* text : {"&Apply", "&Help"}) {
        auto* hidden = new QPushButton(QString::fromLatin1(text), this);
        hidden->hide();
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &CXFontDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout;
    const auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("&Font:", m_face), 0, 0);
    grid->addWidget(label("Font st&yle:", m_style), 0, 1);
    grid->addWidget(label("&Size:", m_size), 0, 2);
    grid->addWidget(m_face, 1, 0);
    grid->addWidget(m_style, 1, 1);
    grid->addWidget(m_size, 1, 2);
    grid->addWidget(buttons, 0, 3, 3, 1, Qt::AlignTop);
    grid->addWidget(effects, 2, 0);
    auto* right = new QVBoxLayout;
    right->addWidget(sampleBox);
    right->addWidget(m_mono);
    right->addWidget(scriptLabel);
    right->addWidget(m_cpType);
    right->addWidget(m_cp);
    right->addWidget(m_script);
    grid->addLayout(right, 2, 1, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);

    // Start from the record: its face when the system has it (else the
    // first face), its style and its size at 96 dpi.
    const int face = m_face->findText(QString::fromStdWString(lf.lfFaceName), Qt::MatchFixedString);
    m_face->setCurrentIndex(face >= 0 ? face : 0);
    m_style->setCurrentIndex((lf.lfItalic ? 1 : 0) + (lf.lfWeight >= 600 ? 2 : 0));
    if (lf.lfHeight < 0) {
        m_size->setEditText(QString::number(static_cast<int>(std::lround(-lf.lfHeight * 72.0 / 96.0))));
    }
    m_strike->setChecked(lf.lfStrikeOut != 0);
    m_underline->setChecked(lf.lfUnderline != 0);

    for (const char* type : CodePageTypeNames()) m_cpType->addItem(QString::fromLatin1(type));
    m_cpType->setCurrentIndex(
        m_choice.typeIndex < CodePageTypeNames().size() ? static_cast<int>(m_choice.typeIndex) : 0);
    FillCodePages();
    UpdateSample();

    const auto sample = [this] {
        if (!m_filling) UpdateSample();
    };
    connect(m_face, &QComboBox::currentIndexChanged, this, sample);
    connect(m_style, &QComboBox::currentIndexChanged, this, sample);
    connect(m_size, &QComboBox::currentTextChanged, this, sample);
    connect(m_strike, &QCheckBox::toggled, this, sample);
    connect(m_underline, &QCheckBox::toggled, this, sample);
    connect(m_cpType, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || index < 0) return;
        m_choice.typeIndex = static_cast<std::uint32_t>(index);
        FillCodePages();
        UpdateSample();
    });
    connect(m_cp, &QComboBox::currentIndexChanged, this, [this](int) {
        if (m_filling) return;
        SetCodePageFromText(m_cp->currentText());
        UpdateSample();
    });
}

QString CXFontDialog::GetFaceName() const { return QString::fromStdWString(m_lf.lfFaceName); }

void CXFontDialog::FillCodePages() {
    m_filling = true;
    const QString prefix = QString::number(m_choice.codePage ? m_choice.codePage : 437) + QLatin1Char(' ');

    m_cp->clear();
    m_cp->view()->setMinimumWidth(250);
    const std::string type = m_cpType->currentText().toStdString();
    QString remembered;
    for (int i = 0; i < m_codePages.GetCount(); ++i) {
        const std::string name = m_codePages.GetName(i);
        if (name.empty() || !CodePageMatchesType(name, type)) continue;
        const QString text = QString::fromStdString(name);
        m_cp->addItem(text);
        if (text.startsWith(prefix)) remembered = text;
    }
    const int at = remembered.isEmpty() ? 0 : m_cp->findText(remembered);
    m_cp->setCurrentIndex(m_cp->count() ? at : -1);
    SetCodePageFromText(m_cp->currentText());
    m_filling = false;
}

void CXFontDialog::SetCodePageFromText(const QString& text) {
    m_choice.codePage = CodePageList::LeadingNumber(text.toStdString());
}

int CXFontDialog::SizeInPoints() const {
    bool ok = false;
    const int v = m_size->currentText().trimmed().toInt(&ok);
    return ok && v >= 1 && v <= kMaxPoints ? v : 0;
}

void CXFontDialog::ReadControls(LogFontRecord& lf) const {
    const QString style = m_style->currentText();
    lf.lfFaceName = m_face->currentText().toStdWString();
    lf.lfWeight = style.startsWith(QLatin1String("Bold")) ? 700 : 400;
    lf.lfItalic = style.endsWith(QLatin1String("Italic")) ? 1 : 0;
    lf.lfUnderline = m_underline->isChecked() ? 1 : 0;
    lf.lfStrikeOut = m_strike->isChecked() ? 1 : 0;
}

void CXFontDialog::UpdateSample() {
    if (!m_sample || !m_face || !m_style) return;
    const int points = m_size->currentText().trimmed().isEmpty() ? 15 : SizeInPoints();
    if (points == 0) return;
    LogFontRecord lf;
    ReadControls(lf);
    lf.lfCharSet = 1;
    const int dpi = m_sample->logicalDpiY() > 0 ? m_sample->logicalDpiY() : 96;
    lf.lfHeight = -static_cast<std::int32_t>((static_cast<long long>(points) * dpi + 36) / 72);
    QFont font = ToQFont(lf);
    font.setStyleStrategy(QFont::PreferDefault);  // the sample is for the eye: smooth

    const CodePageConverter conv(m_choice.codePage);
    QString text;
    for (unsigned char b : {'A', 'a', 'B', 'b'}) {
        if (const auto c = conv.ToUnicode(b)) {
            const char32_t ch = *c;
            text += QString::fromUcs4(&ch, 1);
        }
    }
    m_sample->setFont(font);
    m_sample->setText(text);
    // Nothing else tells the user a face is fixed-pitch: the note does.
    m_mono->setVisible(QFontInfo(font).fixedPitch());
}

void CXFontDialog::accept() {
    const int points = SizeInPoints();
    if (points == 0) {
        MessageBox(nullptr, L"Size must be between 1 and 1638 points.", L"Font", MB_OK | MB_ICONEXCLAMATION);
        m_size->setFocus();
        return;
    }
    ReadControls(m_lf);
    m_lf.lfHeight = LogFontRecord::HeightForPoints(points);
    QDialog::accept();
}
