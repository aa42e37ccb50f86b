#include "NewDialogStatoAvanProcesso.h"

#include "DialogFont.h"
#include "ProgressAnimation.h"
#include "QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The numbers the printers object posts around a transfer.
constexpr UINT kProgressStart = 0x0982;
constexpr UINT kProgressStep = 0x098C;
constexpr UINT kProgressEnd = 0x0996;

}  // namespace

CNewDialogStatoAvanProcesso::CNewDialogStatoAvanProcesso(QWidget* parent) : QDialog(parent) {
    ApplyDialogFont(this);
    auto* layout = new QHBoxLayout(this);
    m_animation = new ProgressAnimation(this);
    layout->addWidget(m_animation);
    auto* right = new QVBoxLayout;
    m_text1 = new QLabel(this);
    m_text1->setObjectName(QStringLiteral("text1"));
    m_text2 = new QLabel(this);
    m_text2->setObjectName(QStringLiteral("text2"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("bar"));
    right->addWidget(m_text1);
    right->addWidget(m_text2);
    right->addWidget(m_bar);
    right->addStretch(1);
    layout->addLayout(right, 1);
    setMinimumWidth(380);
}

void CNewDialogStatoAvanProcesso::InitNewDialogStatoAvanProcesso(const _ProgressBarCtrl& ctrl) {
    setWindowTitle(ToQString(ctrl.strTitle));
    m_text1->setText(ToQString(ctrl.strText1));
    m_text2->setText(ToQString(ctrl.strText2));
    // A range that ends before it starts would make the bar draw nothing
    // useful; it then ends where it starts.
    m_bar->setRange(ctrl.iMin, std::max(ctrl.iMin, ctrl.iMax));
    m_bar->setValue(ctrl.iMin);
    m_step = ctrl.iStep;
}

void CNewDialogStatoAvanProcesso::NewStep() {
    const long long next = static_cast<long long>(m_bar->value()) + m_step;
    m_bar->setValue(static_cast<int>(std::clamp<long long>(next, m_bar->minimum(), m_bar->maximum())));
    if (m_bar->value() >= m_bar->maximum()) Finish();
}

void CNewDialogStatoAvanProcesso::NewStep(const CString& text1, const CString& text2) {
    m_text1->setText(ToQString(text1));
    m_text2->setText(ToQString(text2));
    NewStep();
}

void CNewDialogStatoAvanProcesso::GoAnimazione() { m_animation->Play(); }

void CNewDialogStatoAvanProcesso::StopAnimazione() { m_animation->Stop(); }

void CNewDialogStatoAvanProcesso::Finish() {
    StopAnimazione();
    if (isVisible()) accept();
}

bool CNewDialogStatoAvanProcesso::OnProgressMessage(const PostedMessage& m, const _ProgressBarCtrl* ctrl) {
    switch (m.msg) {
        case kProgressStart:
            if (ctrl) InitNewDialogStatoAvanProcesso(*ctrl);
            show();
            GoAnimazione();
            return true;
        case kProgressStep:
            // A step after the dialog closed itself (the last copy reaches
            // the end before the end message) changes nothing.
            if (isVisible()) NewStep();
            return true;
        case kProgressEnd:
            Finish();
            return true;
        default:
            return false;
    }
}
