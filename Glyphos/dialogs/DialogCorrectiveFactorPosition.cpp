#include "DialogCorrectiveFactorPosition.h"

#include "DialogFont.h"
#include "LogFontQFont.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

// The "Font preview" drawing: "@" in the import typeface, stretched by the
// factors and moved by the origins, and the printer font's cell in green
// where the unmoved character would sit.
class CorrectivePreview : public QWidget {
public:
    CorrectivePreview(CDialogCorrectiveFactorPosition* dlg, QWidget* parent) : QWidget(parent), m_dlg(dlg) {
        setMinimumSize(220, 160);
        setObjectName(QStringLiteral("preview"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect box = rect();
        p.fillRect(box, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(box.adjusted(0, 0, -1, -1));

        // The glyph, black on white, in a bitmap of the preview's size.
        const QString at = QStringLiteral("@");
        const QFontMetrics fm(m_dlg->m_font);
        const int gw = std::max(1, fm.horizontalAdvance(at));
        const int gh = std::max(1, fm.height());
        QImage glyph(std::max(gw, box.width()), std::max(gh, box.height()), QImage::Format_RGB32);
        glyph.fill(Qt::white);
        {
            QPainter g(&glyph);
            g.setFont(m_dlg->m_font);
            g.setPen(Qt::black);
            g.drawText(0, fm.ascent(), at);
        }
        const int sw = static_cast<int>(static_cast<float>(gw) * m_dlg->m_fx);
        const int sh = static_cast<int>(static_cast<float>(gh) * m_dlg->m_fy);
        // Centred, at least 10 pixels in from the box's left and top.
        const int x = std::max(10, (box.width() - sw) / 2) + box.left();
        const int y = std::max(10, (box.height() - sh) / 2) + box.top();
        // What is copied stays inside the box less a 10-pixel border.
        const int cw = std::max(0, std::min(std::min(box.width(), sw), box.right() - 10 - x));
        const int chh = std::max(0, std::min(std::min(box.height(), sh), box.bottom() - 10 - y));
        if (cw > 0 && chh > 0 && sw > 0 && sh > 0) {
            const QImage stretched = glyph.copy(0, 0, gw, gh).scaled(sw, sh);
            p.drawImage(QPoint(x + m_dlg->m_x, y + m_dlg->m_y), stretched, QRect(0, 0, cw, chh));
        }
        // The printer font's cell, which the origins do not move.
        p.setPen(QColor(68, 163, 40));
        p.setBrush(Qt::NoBrush);
        p.drawRect(x - 1, y - 1, m_dlg->m_fontWidth + 1, m_dlg->m_fontHeight + 1);
    }

private:
    CDialogCorrectiveFactorPosition* m_dlg;
};

CDialogCorrectiveFactorPosition::CDialogCorrectiveFactorPosition(int* originX, int* originY, float* fx, float* fy,
                                                                 const LogFontRecord& lf, int fontWidth,
                                                                 int fontHeight, QWidget* parent)
    : QDialog(parent),
      m_pX(originX),
      m_pY(originY),
      m_pFx(fx),
      m_pFy(fy),
      m_x(originX ? *originX : 0),
      m_y(originY ? *originY : 0),
      m_fx(fx ? *fx : 1.0f),
      m_fy(fy ? *fy : 1.0f),
      m_font(ToQFont(lf)),
      m_fontWidth(fontWidth),
      m_fontHeight(fontHeight) {
    setWindowTitle(QStringLiteral("Set position in grid factor"));
    ApplyDialogFont(this);

    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        e->setMaximumWidth(60);
        e->setAlignment(Qt::AlignCenter);
        return e;
    };
    auto button = [this](Button id, const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QStringLiteral("b%1").arg(static_cast<int>(id)));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, id] { OnButton(id); });
        return b;
    };
    m_editX = edit("e1024");
    m_editY = edit("e1027");
    m_editFx = edit("e1039");
    m_editFy = edit("e1040");

    auto* grid = new QGridLayout;
    grid->addWidget(button(XLeft, "x Left"), 0, 0);
    grid->addWidget(m_editX, 0, 1);
    grid->addWidget(button(XRight, "x Right"), 0, 2);
    grid->addWidget(button(YUp, "y Up"), 1, 0);
    grid->addWidget(m_editY, 1, 1);
    grid->addWidget(button(YDown, "y Down"), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Horiz <->"), this), 2, 0);
    grid->addWidget(m_editFx, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Horiz >-<"), this), 2, 2);
    grid->addWidget(button(HorizPlus10, "+0.10"), 3, 0);
    grid->addWidget(button(HorizPlus01, "+0.01"), 3, 1);
    grid->addWidget(button(HorizMinus001, "-0.01"), 3, 2);
    grid->addWidget(button(HorizMinus10, "-0.10"), 3, 3);
    grid->addWidget(new QLabel(QStringLiteral("Vertic <->"), this), 4, 0);
    grid->addWidget(m_editFy, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("Vertic >-<"), this), 4, 2);
    grid->addWidget(button(VertPlus10, "+0.10"), 5, 0);
    grid->addWidget(button(VertPlus001, "+0.01"), 5, 1);
    grid->addWidget(button(VertMinus001, "-0.01"), 5, 2);
    grid->addWidget(button(VertMinus10, "-0.10"), 5, 3);
    grid->addWidget(button(DefaultValue, "Default value"), 6, 0, 1, 4);

    m_box = new QGroupBox(QStringLiteral("Font preview"), this);
    m_box->setObjectName(QStringLiteral("g1030"));
    auto* boxLayout = new QVBoxLayout(m_box);
    m_preview = new CorrectivePreview(this, m_box);
    boxLayout->addWidget(m_preview);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogCorrectiveFactorPosition::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(grid);
    top->addWidget(m_box, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    ShowValues();
}

QPushButton* CDialogCorrectiveFactorPosition::StepButton(Button id) const {
    return findChild<QPushButton*>(QStringLiteral("b%1").arg(static_cast<int>(id)));
}

float CDialogCorrectiveFactorPosition::StepFactor(float value, float step) {
    float v = value + step;
    if (v >= kMaxFactor) v = kMaxFactor;
    if (v <= kMinFactor) v = kMinFactor;
    return v;
}

void CDialogCorrectiveFactorPosition::OnButton(Button id) {
    const auto origin = [](int& v, int step) { v = std::clamp(v + step, kMinOrigin, kMaxOrigin); };
    switch (id) {
        case XLeft: origin(m_x, -1); break;
        case XRight: origin(m_x, +1); break;
        case YUp: origin(m_y, -1); break;
        case YDown: origin(m_y, +1); break;
        case HorizPlus10: m_fx = StepFactor(m_fx, 0.10f); break;
        case HorizMinus10: m_fx = StepFactor(m_fx, -0.10f); break;
        case HorizPlus01: m_fx = StepFactor(m_fx, 0.01f); break;
        case HorizMinus001: m_fx = StepFactor(m_fx, -0.01f); break;
        case VertPlus10: m_fy = StepFactor(m_fy, 0.10f); break;
        case VertMinus10: m_fy = StepFactor(m_fy, -0.10f); break;
        case VertPlus001: m_fy = StepFactor(m_fy, 0.01f); break;
        case VertMinus001: m_fy = StepFactor(m_fy, -0.01f); break;
        case DefaultValue:
            m_x = 0;
            m_y = 0;
            m_fx = 1.0f;
            m_fy = 1.0f;
            break;
    }
    ShowValues();
}

void CDialogCorrectiveFactorPosition::ShowValues() {
    m_editX->setText(QString::number(m_x));
    m_editY->setText(QString::number(m_y));
    m_editFx->setText(QString::number(static_cast<double>(m_fx), 'f', 2));
    m_editFy->setText(QString::number(static_cast<double>(m_fy), 'f', 2));
    m_preview->update();
}

void CDialogCorrectiveFactorPosition::accept() {
    if (m_pX) *m_pX = m_x;
    if (m_pY) *m_pY = m_y;
    if (m_pFx) *m_pFx = m_fx;
    if (m_pFy) *m_pFy = m_fy;
    QDialog::accept();
}
