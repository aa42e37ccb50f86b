#include "ProgressAnimation.h"

#include <QPainter>

ProgressAnimation::ProgressAnimation(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("animation"));
    setMinimumSize(sizeHint());
    m_timer.setInterval(kFrameMs);
    connect(&m_timer, &QTimer::timeout, this, &ProgressAnimation::Advance);
}

void ProgressAnimation::Play() {
    if (!m_timer.isActive()) m_timer.start();
}

void ProgressAnimation::Stop() { m_timer.stop(); }

void ProgressAnimation::Advance() {
    m_frame = (m_frame + 1) % kFrames;
    update();
}

void ProgressAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    const qreal w = area.width(), h = area.height();

    // The ticket grows out of the slot with the frames, a printed line
    // every other frame, then starts over as if torn off.
    const qreal slotY = area.top() + h * 0.45;
    const qreal paperW = w * 0.5;
    const qreal paperX = area.center().x() - paperW / 2;
    const qreal grown = (h * 0.42) * (m_frame + 1) / kFrames;
    const QRectF paper(paperX, slotY - grown, paperW, grown);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.setBrush(Qt::white);
    p.drawRect(paper);
    p.setPen(QPen(palette().color(QPalette::Text), 1.5));
    const int lines = (m_frame + 1) / 2;
    for (int i = 0; i < lines; ++i) {
        const qreal y = slotY - 4 - i * (h * 0.42 / (kFrames / 2.0));
        if (y <= paper.top() + 2) break;
        const qreal len = paperW * (0.45 + 0.35 * ((i * 7) % 5) / 4.0);
        p.drawLine(QPointF(paperX + 4, y), QPointF(paperX + 4 + len - 8, y));
    }

    // The printer body, over the bottom of the ticket.
    const QRectF body(area.left() + w * 0.1, slotY, w * 0.8, h * 0.5);
    p.setPen(QPen(palette().color(QPalette::Dark), 1.5));
    p.setBrush(palette().color(QPalette::Button));
    p.drawRoundedRect(body, 6, 6);
    p.setBrush(palette().color(QPalette::Dark));
    p.drawRect(QRectF(paperX - 3, slotY - 1, paperW + 6, 3));
    // The power light blinks with the frames.
    p.setBrush(m_frame % 2 ? QColor(40, 170, 60) : QColor(20, 90, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(body.right() - 10, body.bottom() - 10), 3.5, 3.5);
}
