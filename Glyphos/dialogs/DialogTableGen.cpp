#include "DialogTableGen.h"

#include "DialogFields.h"
#include "DialogFont.h"
#include "QtText.h"
#include "TableGenerator.h"
#include "UiServices.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kRadioTexts[CDialogTableGen::kRadioCount] = {
    "C Table settings", "Asm Table settings", "Byte", "Word", "Double Word", "Char type: *", "Char type: ;",
    "Def. Ass. Cmp.", "MCUEZ Ass. Cmp."};

QGroupBox* Group(const char* title, QWidget* parent, QLayout* inner) {
    auto* g = new QGroupBox(QString::fromLatin1(title), parent);
    g->setLayout(inner);
    return g;
}

}  // namespace

CDialogTableGen::CDialogTableGen(const KalvoFont& font, const CString& fontName, int bytesPerRow, QWidget* parent)
    : QDialog(parent), m_Font(font), m_BytesPerRow(bytesPerRow), m_FontName(fontName) {
    setWindowTitle(QStringLiteral("Dialog table generator"));
    ApplyDialogFont(this);

    for (int i = 0; i < kRadioCount; ++i) {
        m_radios[i] = new QRadioButton(QString::fromLatin1(kRadioTexts[i]), this);
        const auto r = static_cast<Radio>(i);
        connect(m_radios[i], &QRadioButton::clicked, this, [this, r] { OnRadio(r); });
    }
    // Each pair or triple is one choice; the enable rules below decide
    // which of them can be changed.
    const auto exclusive = [this](std::initializer_list<Radio> radios) {
        auto* g = new QButtonGroup(this);
        for (Radio r : radios) g->addButton(m_radios[r]);
    };
    exclusive({CTable, AsmTable});
    exclusive({Byte, Word, DoubleWord});
    exclusive({CommentStar, CommentSemicolon});
    exclusive({DialectDefault, DialectMcuez});

    m_fileEdit = new QLineEdit(this);
    m_fileEdit->setObjectName(QStringLiteral("fileName"));
    m_selectButton = new QPushButton(QStringLiteral("Select File Name"), this);
    m_itemsEdit = new QLineEdit(this);
    m_itemsEdit->setObjectName(QStringLiteral("itemsPerLine"));
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setObjectName(QStringLiteral("fontName"));
    m_noteEdit = new QLineEdit(this);
    m_noteEdit->setObjectName(QStringLiteral("note"));
    m_noteEdit->setMaxLength(TableGenerator::kMaxNote);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 255);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_goButton = new QPushButton(QStringLiteral("Go"), this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_fileEdit, 1);
    fileRow->addWidget(m_selectButton);
    const auto single = [](QWidget* w) {
        auto* l = new QVBoxLayout;
        l->addWidget(w);
        return l;
    };
    const auto column = [this](std::initializer_list<Radio> radios) {
        auto* l = new QVBoxLayout;
        for (Radio r : radios) l->addWidget(m_radios[r]);
        return l;
    };

    auto* grid = new QGridLayout;
    grid->addWidget(Group("File name", this, fileRow), 0, 0, 1, 2);
    grid->addWidget(Group("Font Name", this, single(m_nameEdit)), 1, 0);
    grid->addWidget(Group("Byte / Word / DWord for any line", this, single(m_itemsEdit)), 1, 1);
    grid->addWidget(Group("Note", this, single(m_noteEdit)), 2, 0, 1, 2);
    auto* kind = new QVBoxLayout;
    kind->addWidget(m_radios[CTable]);
    kind->addWidget(m_radios[AsmTable]);
    kind->addStretch();
    grid->addLayout(kind, 3, 0);
    grid->addWidget(Group("Data size", this, column({Byte, Word, DoubleWord})), 3, 1);
    grid->addWidget(Group("Generic char comment", this, column({CommentStar, CommentSemicolon})), 4, 0);
    grid->addWidget(Group("Assembler compiler", this, column({DialectDefault, DialectMcuez})), 4, 1);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(new QLabel(QStringLiteral("Gen. table process"), this));
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_goButton);
    grid->addLayout(progressRow, 5, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    // Enter in an edit must not close the dialog: only OK does.
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    m_goButton->setAutoDefault(false);
    m_selectButton->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_selectButton, &QPushButton::clicked, this, &CDialogTableGen::OnSelectFileName);
    connect(m_goButton, &QPushButton::clicked, this, &CDialogTableGen::OnGo);

    // The typed values reach the members when their edit is left. The font
    // name edit does too: otherwise a name typed just before "Go" would be
    // overwritten by the one read earlier.
    for (QLineEdit* e : {m_fileEdit, m_itemsEdit, m_noteEdit, m_nameEdit}) e->installEventFilter(this);

    // Opening state: a C table of bytes; the assembler choices show their
    // defaults but are not in force.
    m_radios[CTable]->setChecked(true);
    m_radios[Byte]->setChecked(true);
    m_radios[CommentStar]->setChecked(true);
    m_radios[DialectDefault]->setChecked(true);
    for (Radio r : {CommentStar, CommentSemicolon, DialectDefault, DialectMcuez}) m_radios[r]->setEnabled(false);
    WriteEdits();
}

bool CDialogTableGen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && LeavesTheEdit(static_cast<QFocusEvent*>(event)) && isVisible())
        ReadEdits();
    return QDialog::eventFilter(watched, event);
}

void CDialogTableGen::ReadEdits() {
    m_FileName = FromQString(m_fileEdit->text());
    m_FontName = FromQString(m_nameEdit->text());
    m_Note = FromQString(m_noteEdit->text());
    bool ok = false;
    const int items = m_itemsEdit->text().trimmed().toInt(&ok);
    if (ok) {
        m_ItemsPerLine = items;
    } else {
        MessageBox(nullptr, L"Please enter an integer.", L"Glyphos", MB_OK | MB_ICONEXCLAMATION);
        m_itemsEdit->setText(QString::number(m_ItemsPerLine));
    }
}

void CDialogTableGen::WriteEdits() {
    m_fileEdit->setText(ToQString(m_FileName));
    m_itemsEdit->setText(QString::number(m_ItemsPerLine));
    m_nameEdit->setText(ToQString(m_FontName));
    m_noteEdit->setText(ToQString(m_Note));
}

void CDialogTableGen::OnRadio(Radio r) {
    switch (r) {
        case CTable:
            for (Radio a : {CommentStar, CommentSemicolon, DialectDefault, DialectMcuez}) m_radios[a]->setEnabled(false);
            m_CMode = 1;
            m_radios[DoubleWord]->setEnabled(true);
            break;
        case AsmTable:
            for (Radio a : {CommentStar, CommentSemicolon, DialectDefault, DialectMcuez}) m_radios[a]->setEnabled(true);
            m_radios[CommentStar]->setChecked(true);
            m_radios[DialectDefault]->setChecked(true);
            m_CommentType = 0;
            m_Dialect = 1;
            m_CMode = 0;
            // The assembler table has byte and word items only.
            m_radios[Byte]->setChecked(true);
            m_DataSize = 1;
            m_radios[DoubleWord]->setEnabled(false);
            break;
        case Byte: m_DataSize = 1; break;
        case Word: m_DataSize = 2; break;
        case DoubleWord: m_DataSize = 3; break;
        case CommentStar: m_CommentType = 0; break;
        case CommentSemicolon: m_CommentType = 1; break;
        case DialectDefault: m_Dialect = 1; break;
        case DialectMcuez: m_Dialect = 0; break;
        case kRadioCount: break;
    }
}

void CDialogTableGen::SetStartFolder(const QString& folder) { m_startFolder = folder; }

void CDialogTableGen::OnSelectFileName() {
    const bool c = m_CMode != 0;
    const QString ext = c ? QStringLiteral(".c") : QStringLiteral(".asm");
    const QString folder = m_startFolder.isEmpty() ? QDir::homePath() : m_startFolder;
    QFileDialog dlg(this, QStringLiteral("Save As"), folder,
                    c ? QStringLiteral("C Files (*.c);;All Files (*.*)")
                      : QStringLiteral("Asm Files (*.asm);;All Files (*.*)"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(ext.mid(1));
    // Cancel keeps the name there was: a bare extension in its place would
    // write a hidden file into whatever folder the editor started in.
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    QString path = dlg.selectedFiles().first();
    if (!path.contains(ext)) path += ext;
    m_FileName = FromQString(path);
    m_fileEdit->setText(path);
}

bool CDialogTableGen::OnGo() {
    m_progress->setValue(0);
    WriteEdits();
    // A name with nothing before its extension (or no name) is no file the
    // user chose; one without a folder lands in the start folder.
    QString path = ToQString(m_FileName).trimmed();
    if (QFileInfo(path).completeBaseName().isEmpty()) {
        MessageBox(nullptr, L"Select the file name of the table first!", L"Error", MB_OK | MB_ICONSTOP);
        return false;
    }
    if (QFileInfo(path).isRelative())
        path = QDir(m_startFolder.isEmpty() ? QDir::homePath() : m_startFolder).filePath(path);
    TableSettings s;
    s.fileName = FromQString(path);
    s.itemsPerLine = m_ItemsPerLine;
    s.fontName = m_FontName;
    s.note = m_Note;
    s.cMode = m_CMode;
    s.dataSize = m_DataSize;
    s.commentType = m_CommentType;
    s.dialect = m_Dialect;
    TableGenerator generator(m_Font, m_BytesPerRow);
    const int written = generator.Generate(s, [this](int lines) { m_progress->setValue(std::min(lines, 255)); });
    m_progress->setValue(0);
    return written != 0;
}
