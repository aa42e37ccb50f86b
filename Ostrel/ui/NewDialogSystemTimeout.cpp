#include "NewDialogSystemTimeout.h"

#include "DialogDataExchange.h"
#include "DialogFont.h"
#include "UiServices.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr long long kMax = 32000;

DWORD COMMTIMEOUTS::*const kMembers[5] = {
    &COMMTIMEOUTS::ReadIntervalTimeout, &COMMTIMEOUTS::ReadTotalTimeoutMultiplier,
    &COMMTIMEOUTS::ReadTotalTimeoutConstant, &COMMTIMEOUTS::WriteTotalTimeoutMultiplier,
    &COMMTIMEOUTS::WriteTotalTimeoutConstant};

}  // namespace

CNewDialogSystemTimeout::CNewDialogSystemTimeout(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Impostazione Time Out su routine di sistema "));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const QString labels[kFields] = {
        QStringLiteral("Read Interval Timeout[ms]:"), QStringLiteral("Read Total Timeout: Multiplier:"),
        QStringLiteral("Read Total Timeout Costant[ms]:"), QStringLiteral("Write Total Timeout: Multiplier:"),
        QStringLiteral("Write Total Timeout Costant[ms]:")};
    for (int i = 0; i < kFields; ++i) {
        m_field[i] = NewEdit(this, QStringLiteral("field%1").arg(i).toLatin1().constData(), true);
        form->addRow(labels[i], m_field[i]);
    }
    layout->addLayout(form);

    auto* row = new QHBoxLayout;
    row->addWidget(NewButton(this, "modifica", QStringLiteral("Modifica")));
    row->addWidget(NewButton(this, "ripristina", QStringLiteral("Ripristina")));
    row->addWidget(NewButton(this, "defaul", QStringLiteral("Defaul")));
    layout->addLayout(row);
    AddOkCancel(this, layout);

    connect(Button("modifica"), &QPushButton::clicked, this, [this] { OnModifica(); });
    connect(Button("ripristina"), &QPushButton::clicked, this, [this] { Show(m_shownAtStart); });
    connect(Button("defaul"), &QPushButton::clicked, this, [this] { Show(m_atOpening); });
    Show(m_values);
}

QPushButton* CNewDialogSystemTimeout::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void CNewDialogSystemTimeout::GetCurrentSettings(const COMMTIMEOUTS& atOpening, const COMMTIMEOUTS* current) {
    m_atOpening = atOpening;
    m_shownAtStart = current ? *current : atOpening;
    m_values = m_shownAtStart;
    Show(m_values);
}

void CNewDialogSystemTimeout::Show(const COMMTIMEOUTS& t) {
    m_values = t;
    for (int i = 0; i < kFields; ++i) SetIntText(m_field[i], t.*kMembers[i]);
}

void CNewDialogSystemTimeout::OnModifica() {
    MessageBox(nullptr,
               L"La modifica di questi parametri \u00e8 molto critica e potrebbe compromettere il funzionamento "
               L"del programma",
               L"Settaggio Time Out", MB_OK | MB_ICONWARNING);
    m_unlocked = true;
    for (QLineEdit* f : m_field) SetEditReadOnly(f, false);
    m_field[0]->setFocus();
}

void CNewDialogSystemTimeout::accept() {
    // Locked fields hold what Show() put there and need no reading back: a
    // port may run with a value above the edit range, and a dialog the user
    // never unlocked must not refuse to close over it.
    if (m_unlocked) {
        COMMTIMEOUTS edited;
        for (int i = 0; i < kFields; ++i) {
            long long v = 0;
            if (!ReadIntInRange(m_field[i], 0, kMax, v)) return;
            edited.*kMembers[i] = static_cast<DWORD>(v);
        }
        m_values = edited;
    }
    QDialog::accept();
}

void CNewDialogSystemTimeout::SetNewSettings(COMMTIMEOUTS* out) const {
    if (out && result() == QDialog::Accepted) *out = m_values;
}
