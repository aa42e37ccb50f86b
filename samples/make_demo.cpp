// Writes samples/demo.psw, the demo firmware file the editor opens from the
// README's run command: a first-generation PSW file with two banks and two
// fonts (12 x 24 and 8 x 16) whose printable ASCII characters are rendered
// from an installed monospaced face, scrambled like a real upgrade file.
//
//   glyphos-make-demo OUT.psw
#include "PswBuilder.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace {

// Renders characters first..last into a packed font block of width x height
// dots, one bit per dot, rows of whole bytes, first column in the high bit.
pswtest::Bytes Render(int width, int height, int first, int last, int pixelSize) {
    QFont face("DejaVu Sans Mono");
    face.setPixelSize(pixelSize);
    face.setStyleStrategy(QFont::NoAntialias);
    const int bpr = (width + 7) / 8;
    pswtest::Bytes block;
    for (int ch = first; ch <= last; ++ch) {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setFont(face);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, width, height), Qt::AlignHCenter | Qt::AlignVCenter, QString(QChar(ch)));
        p.end();
        for (int row = 0; row < height; ++row) {
            for (int b = 0; b < bpr; ++b) {
                unsigned char byte = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int col = b * 8 + bit;
                    if (col < width && qGray(img.pixel(col, row)) < 128) byte |= static_cast<unsigned char>(0x80 >> bit);
                }
                block.push_back(byte);
            }
        }
    }
    return block;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: glyphos-make-demo OUT.psw\n");
        return 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);

    pswtest::Psw1Builder b;
    b.printer.name = "DEMO-80";
    b.printer.hwRelease = "01";
    b.printer.swRelease = "210";
    b.printer.date = "261208";
    b.printer.gsiModel = 0x50;
    b.printer.scrByte = 0x5B;
    b.bankSize = 1024;
    pswtest::Bytes code(1024);
    for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(i * 7 + 3);
    b.AddBank(0, code);
    b.AddBank(1, pswtest::Bytes(512, 0xFF));

    pswtest::FontSpec large{.width = 12, .height = 24, .first = 32, .last = 126};
    large.data = Render(12, 24, 32, 126, 20);
    b.AddFont(large);
    pswtest::FontSpec small{.width = 8, .height = 16, .first = 32, .last = 126};
    small.data = Render(8, 16, 32, 126, 13);
    b.AddFont(small);
    // Sums of the two banks, as the editor writes them when it saves.
    const auto sums = pswtest::ImageSums(b.PlainBinary(), 2u * b.bankSize);
    b.printer.sums = sums;
    try {
        b.Write(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glyphos-make-demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
