// Renders a PDF file's pages to images with pdftoppm (poppler-utils), without
// anti-aliasing so that every colour drawn is read back exactly.
#pragma once

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <string>
#include <vector>

inline std::vector<QImage> RenderPdfPages(const std::string& pdf, int dpi) {
    const QString prefix = QString::fromStdString(pdf) + QStringLiteral(".page");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-aa"),
                                         QStringLiteral("no"), QStringLiteral("-aaVector"), QStringLiteral("no"),
                                         QStringLiteral("-png"), QString::fromStdString(pdf), prefix});
    std::vector<QImage> pages;
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return pages;
    const QFileInfo info(prefix);
    QStringList files = QDir(info.absolutePath()).entryList({info.fileName() + QStringLiteral("*.png")}, QDir::Files,
                                                           QDir::Name);
    for (const QString& f : files) pages.push_back(QImage(info.absolutePath() + QLatin1Char('/') + f));
    return pages;
}

// The smallest rectangle that holds every pixel of one colour.
inline QRect BoundsOfColor(const QImage& image, QRgb color) {
    int l = image.width(), t = image.height(), r = -1, b = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != (color & 0xFFFFFF)) continue;
            l = std::min(l, x);
            t = std::min(t, y);
            r = std::max(r, x);
            b = std::max(b, y);
        }
    }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}
