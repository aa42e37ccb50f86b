#include "ToolIcons.h"

#include "CommandIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kSize = 32;  // drawn at twice the 16-pixel button size, for sharp scaling

const char* ThemeName(int id) {
    switch (id) {
        case cmd::FileNew: return "document-new";
        case cmd::FileOpen: return "document-open";
        case cmd::FileSave: return "document-save";
        case cmd::EditCut: return "edit-cut";
        case cmd::EditCopy: return "edit-copy";
        case cmd::EditPaste: return "edit-paste";
        case cmd::EditUndo: return "edit-undo";
        case cmd::EditRedo: return "edit-redo";
        case cmd::FilePrint: return "document-print";
        case cmd::AppAbout: return "help-about";
        case cmd::FirstChar: return "go-first";
        case cmd::PrevChar: return "go-previous";
        case cmd::NextChar: return "go-next";
        case cmd::LastChar: return "go-last";
        default: return nullptr;
    }
}

void Arrow(QPainter& p, bool right, int x) {
    QPolygonF tri;
    if (right) tri << QPointF(x, 8) << QPointF(x + 12, 16) << QPointF(x, 24);
    else tri << QPointF(x + 12, 8) << QPointF(x, 16) << QPointF(x + 12, 24);
    p.drawPolygon(tri);
}

void Letter(QPainter& p, const QRectF& r) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(static_cast<int>(r.height()));
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter, QStringLiteral("A"));
}

void Draw(QPainter& p, int id) {
    const QColor ink(30, 30, 30);
    p.setPen(QPen(ink, 2));
    switch (id) {
        case cmd::FileNew:
            p.setBrush(Qt::white);
            p.drawRect(8, 4, 16, 24);
            break;
        case cmd::FileOpen:
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(4, 10, 24, 16);
            break;
        case cmd::FileSave:
            p.setBrush(QColor(70, 110, 200));
            p.drawRect(5, 5, 22, 22);
            p.setBrush(Qt::white);
            p.drawRect(10, 5, 12, 8);
            break;
        case cmd::EditCut:
            p.drawLine(8, 4, 22, 22);
            p.drawLine(24, 4, 10, 22);
            p.setBrush(QColor(200, 60, 60));
            p.drawEllipse(QPointF(9, 25), 4, 4);
            p.drawEllipse(QPointF(23, 25), 4, 4);
            break;
        case cmd::EditCopy:
            p.setBrush(Qt::white);
            p.drawRect(4, 4, 14, 18);
            p.drawRect(12, 10, 14, 18);
            break;
        case cmd::EditPaste:
            p.setBrush(QColor(190, 140, 80));
            p.drawRect(6, 6, 20, 22);
            p.setBrush(Qt::white);
            p.drawRect(12, 12, 12, 14);
            break;
        case cmd::EditUndo:
        case cmd::EditRedo: {
            // Redo is Undo's arrow, mirrored.
            if (id == cmd::EditRedo) {
                p.translate(kSize, 0);
                p.scale(-1, 1);
            }
            QPainterPath path;
            path.moveTo(24, 24);
            path.cubicTo(28, 10, 16, 6, 8, 14);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(40, 120, 40), 3));
            p.drawPath(path);
            p.setBrush(QColor(40, 120, 40));
            p.drawPolygon(QPolygonF() << QPointF(4, 8) << QPointF(12, 18) << QPointF(4, 18));
            break;
        }
        case cmd::FilePrint:
            p.setBrush(Qt::white);
            p.drawRect(9, 4, 14, 10);
            p.setBrush(QColor(120, 120, 120));
            p.drawRect(4, 14, 24, 10);
            break;
        case cmd::WebLink:
            p.setBrush(QColor(80, 150, 220));
            p.drawEllipse(QPointF(16, 16), 12, 12);
            p.drawLine(4, 16, 28, 16);
            p.drawLine(16, 4, 16, 28);
            break;
        case cmd::AppAbout:
            p.setBrush(QColor(80, 150, 220));
            p.drawEllipse(QPointF(16, 16), 12, 12);
            p.setPen(QPen(Qt::white, 3));
            p.drawLine(16, 14, 16, 24);
            p.drawPoint(16, 9);
            break;
        case cmd::FirstChar:
            p.setBrush(ink);
            p.drawLine(7, 8, 7, 24);
            Arrow(p, false, 10);
            break;
        case cmd::PrevChar:
            p.setBrush(ink);
            Arrow(p, false, 10);
            break;
        case cmd::NextChar:
            p.setBrush(ink);
            Arrow(p, true, 10);
            break;
        case cmd::LastChar:
            p.setBrush(ink);
            Arrow(p, true, 10);
            p.drawLine(25, 8, 25, 24);
            break;
        case cmd::ToolEraser:
            p.setBrush(QColor(240, 140, 170));
            p.drawPolygon(QPolygonF() << QPointF(4, 20) << QPointF(16, 8) << QPointF(28, 16) << QPointF(16, 28));
            break;
        case cmd::ToolPen:
            p.setPen(QPen(QColor(40, 70, 200), 4));
            p.drawLine(6, 26, 24, 8);
            p.setPen(QPen(ink, 2));
            p.drawPoint(5, 27);
            break;
        case cmd::ToolSelect:
            p.setPen(QPen(ink, 2, Qt::DashLine));
            p.drawRect(5, 5, 22, 22);
            break;
        case cmd::ToolBrush:
            p.setBrush(QColor(60, 160, 60));
            p.drawEllipse(QPointF(16, 16), 10, 10);
            break;
        case cmd::ToolPointer:
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF() << QPointF(8, 4) << QPointF(8, 26) << QPointF(14, 20) << QPointF(19, 28)
                                      << QPointF(22, 26) << QPointF(17, 18) << QPointF(25, 18));
            break;
        case cmd::PreviewNormal:
            p.setPen(QColor(20, 20, 160));
            Letter(p, QRectF(8, 8, 16, 16));
            break;
        case cmd::PreviewDoubleWidth:
            p.setPen(QColor(20, 20, 160));
            p.scale(2, 1);
            Letter(p, QRectF(0, 8, 16, 16));
            break;
        case cmd::PreviewDoubleHeight:
            p.setPen(QColor(20, 20, 160));
            p.scale(1, 2);
            Letter(p, QRectF(8, 0, 16, 16));
            break;
        case cmd::PreviewDoubleBoth:
            p.setPen(QColor(20, 20, 160));
            Letter(p, QRectF(0, 0, 32, 32));
            break;
        case cmd::SelectAllPixel:
            p.setBrush(QColor(60, 60, 60));
            for (int y = 6; y < 28; y += 6)
                for (int x = 6; x < 28; x += 6) p.drawRect(x, y, 3, 3);
            break;
        case cmd::RefreshView: {
            p.setPen(QPen(QColor(40, 120, 40), 3));
            p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
            p.setBrush(QColor(40, 120, 40));
            p.drawPolygon(QPolygonF() << QPointF(20, 2) << QPointF(26, 9) << QPointF(18, 11));
            break;
        }
        case cmd::ClearPixel:
            p.setPen(QPen(QColor(200, 40, 40), 4));
            p.drawLine(7, 7, 25, 25);
            p.drawLine(25, 7, 7, 25);
            break;
        default:
            p.drawRect(6, 6, 20, 20);
            break;
    }
}

}  // namespace

QIcon CommandIcon(int id, bool colour) {
    if (colour) {
        if (const char* theme = ThemeName(id); theme && QIcon::hasThemeIcon(QString::fromLatin1(theme)))
            return QIcon::fromTheme(QString::fromLatin1(theme));
    }
    QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        Draw(p, id);
    }
    if (!colour) {
        // Grey keeps the shape and the lightness and drops the hue.
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const int g = qGray(line[x]);
                line[x] = qRgba(g, g, g, qAlpha(line[x]));
            }
        }
    }
    return QIcon(QPixmap::fromImage(img));
}
