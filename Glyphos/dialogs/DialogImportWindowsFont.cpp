#include "DialogImportWindowsFont.h"

#include "DialogFont.h"
#include "GlyphRenderer.h"
#include "KalvoFont.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Repainting for every one of up to 256 characters would cost more than the
// import itself; a few frames a second show the progress just as well.
constexpr int kRepaintMs = 40;

}  // namespace

CDialogImportWindowsFont::CDialogImportWindowsFont(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Import font"));
    ApplyDialogFont(this);
    setModal(false);
    setFixedSize(190, 200);
    auto* layout = new QVBoxLayout(this);
    auto* zone = new QGroupBox(QStringLiteral("Import zone..."), this);
    layout->addWidget(zone);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->hide();
    layout->addWidget(buttons);
}

QRect CDialogImportWindowsFont::DrawingArea() const { return rect().adjusted(30, 40, -30, -40); }

void CDialogImportWindowsFont::Run(KalvoFont& font, const LogFontRecord& lf, std::uint32_t codePage,
                                   const ImportPlacement& placement) {
    show();
    m_shown = 0;
    m_sinceRepaint.start();
    GlyphRenderer::RenderFont(font, lf, codePage, placement, [this](int, const GlyphCell& direct) {
        if (m_shown++ > 0 && m_sinceRepaint.elapsed() < kRepaintMs) return;
        m_cell = QImage(std::max(1, direct.width), std::max(1, direct.height), QImage::Format_RGB32);
        m_cell.fill(Qt::white);
        for (int y = 0; y < direct.height; ++y)
            for (int x = 0; x < direct.width; ++x)
                if (direct.Ink(x, y)) m_cell.setPixel(x, y, 0xFF000000u);
        repaint();
        m_sinceRepaint.restart();
    });
    hide();
}

void CDialogImportWindowsFont::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    const QRect area = DrawingArea();
    p.fillRect(area, Qt::white);
    if (m_cell.isNull()) return;
    // The character's cell in the middle of the area.
    const QPoint at(area.left() + (area.width() - m_cell.width()) / 2,
                    area.top() + (area.height() - m_cell.height()) / 2);
    p.drawImage(at, m_cell);
}
