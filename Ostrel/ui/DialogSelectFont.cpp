#include "DialogSelectFont.h"

#include "DialogFont.h"
#include "QtText.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDialogSelectFont::CDialogSelectFont(QWidget* parent, const std::vector<CString>* lines)
    : QDialog(parent), m_lines(lines) {
    setWindowTitle(QStringLiteral("Select Font Dialog"));
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("fontList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    if (m_lines) {
        for (const CString& line : *m_lines) m_list->addItem(ToQString(line));
    }
    layout->addWidget(m_list);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    // There is no Cancel button to press: a font must be chosen. Escape and
    // the window's close box still cancel, as callers expect.
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setEnabled(false);
    cancel->setVisible(false);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    // About the size of the old 131 x 95 dialog-unit template at this font.
    resize(200, 170);

    // The first line starts highlighted, matching the index that OK reports
    // when the list is not touched.
    if (m_list->count() > 0) m_list->setCurrentRow(0);
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { OnSelChange(); });
    connect(m_list, &QListWidget::itemActivated, this, [this] { accept(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CDialogSelectFont::OnSelChange() {
    const int row = m_list->currentRow();
    m_NumFontSel = row < 0 ? 0 : row;
}
