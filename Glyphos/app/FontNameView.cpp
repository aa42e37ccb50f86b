#include "FontNameView.h"

#include "GlyphosDoc.h"
#include "QtText.h"

#include <QPainter>

CGlyphosDoc* CFontNameView::GetDocument() const { return m_doc.data(); }

CFontNameView::CFontNameView(CGlyphosDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc) {
    setObjectName(QStringLiteral("FontNameView"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(241, 235, 201));
    setPalette(p);
    setMinimumSize(200, 120);
}

QString CFontNameView::Text() const { return m_doc ? ToQString(m_doc->GetFontName()) : QString(); }

void CFontNameView::OnUpdate(int) { update(); }

void CFontNameView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(18);
    p.setFont(f);
    p.drawText(rect(), Qt::AlignCenter, Text());
}
