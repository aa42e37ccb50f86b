#include "NewDialogProgressLoadSaveToFile.h"

#include "DialogFont.h"
#include "QtText.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

CNewDialogProgressLoadSaveToFile::CNewDialogProgressLoadSaveToFile(QWidget* parent, const CString& text,
                                                                   int rangeEnd, int step)
    : QDialog(parent) {
    ApplyDialogFont(this);
    auto* layout = new QVBoxLayout(this);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("bar"));
    m_bar->setTextVisible(false);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("text"));
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    setMinimumWidth(320);
    InitObject(text, rangeEnd, step);
}

void CNewDialogProgressLoadSaveToFile::InitObject(const CString& text, int rangeEnd, int step) {
    m_text->setText(ToQString(text));
    // An empty range would turn the bar into a busy indicator that never
    // shows an end; a file of no blocks is simply complete at once.
    m_bar->setRange(0, std::max(rangeEnd, 1));
    m_bar->setValue(rangeEnd > 0 ? 0 : 1);
    m_step = step;
}

void CNewDialogProgressLoadSaveToFile::NewStep() {
    m_bar->setValue(std::clamp(m_bar->value() + m_step, m_bar->minimum(), m_bar->maximum()));
}
