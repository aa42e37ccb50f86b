// Draws the editor's icon, a dot-matrix "G" on the editor's paper colour,
// as one SVG and PNGs of the sizes a desktop asks for, so that every form
// comes from the one pattern below.
//
//   glyphos-make-icons OUTDIR   writes OUTDIR/glyphos.svg and OUTDIR/glyphos-N.png
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const char* const kGlyph[] = {
    "..####.", ".#....#", "#......", "#......", "#..####", "#.....#", ".#....#", "..####.",
};
constexpr int kRows = 8, kCols = 7;
constexpr double kSize = 256, kMargin = 24, kRadius = 36;
constexpr double kPitch = (kSize - 2 * kMargin - 32) / kRows;  // room for the dots and a frame
const QColor kPaper(241, 235, 201), kFrame(100, 100, 100), kGrid(192, 192, 192), kInk(20, 20, 20);

double DotX(int c) { return (kSize - kCols * kPitch) / 2 + (c + 0.5) * kPitch; }
double DotY(int r) { return (kSize - kRows * kPitch) / 2 + (r + 0.5) * kPitch; }

void Paint(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kFrame, 8));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(kMargin / 2, kMargin / 2, kSize - kMargin, kSize - kMargin), kRadius, kRadius);
    p.setPen(Qt::NoPen);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            p.setBrush(kGlyph[r][c] == '#' ? kInk : kGrid);
            const double d = kGlyph[r][c] == '#' ? kPitch * 0.9 : kPitch * 0.3;
            p.drawEllipse(QPointF(DotX(c), DotY(r)), d / 2, d / 2);
        }
    }
}

std::string Svg() {
    char buf[256];
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    std::snprintf(buf, sizeof buf,
                  "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"%s\" stroke=\"%s\" "
                  "stroke-width=\"8\"/>\n",
                  kMargin / 2, kMargin / 2, kSize - kMargin, kSize - kMargin, kRadius,
                  kPaper.name().toLatin1().constData(), kFrame.name().toLatin1().constData());
    s += buf;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            const bool ink = kGlyph[r][c] == '#';
            std::snprintf(buf, sizeof buf, "  <circle cx=\"%.2f\" cy=\"%.2f\" r=\"%.2f\" fill=\"%s\"/>\n", DotX(c),
                          DotY(r), (ink ? kPitch * 0.9 : kPitch * 0.3) / 2,
                          (ink ? kInk : kGrid).name().toLatin1().constData());
            s += buf;
        }
    }
    return s + "</svg>\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glyphos-make-icons OUTDIR\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const std::string dir = argv[1];
    std::ofstream(dir + "/glyphos.svg") << Svg();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.scale(size / kSize, size / kSize);
        Paint(p);
        p.end();
        if (!img.save(QString::fromStdString(dir + "/glyphos-" + std::to_string(size) + ".png"))) return 1;
    }
    return 0;
}
