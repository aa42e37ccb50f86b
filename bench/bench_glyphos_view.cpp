// The editing view: painting the largest character (64 x 96 dots) at "Max
// Resolution", and what a pen stroke asks to repaint. Runs under Qt's
// offscreen platform, so it needs no display.
#include "ViewTestHost.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_glyphos_view";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// One shown view of a 64 x 96 font whose current character has half of its
// dots set in a checkerboard (the worst case for painting is every other
// cell inverted).
struct Editor {
    Editor() : doc(frame) {
        App();
        doc.SetFont(64, 96);
        KalvoFont& f = doc.core.GetFont();
        const int ch = doc.core.GetCurrentChar();
        for (int r = 0; r < 96; ++r)
            for (int c = 0; c < 64; ++c)
                if ((r + c) % 2 == 0) f.SetPixel(ch, r, c);
        view = std::make_unique<CGlyphosView>(&doc, &frame);
        // Room for the whole grid (320 x 480) and the preview beside it.
        view->resize(700, 560);
        view->show();
        doc.views.push_back(view.get());
        QApplication::processEvents();
    }

    QPoint CellCenter(int col, int row) const {
        const DocDisplay& d = doc.core.GetDisplay();
        const int p = d.Pitch();
        return QPoint(d.GridOrigin.x + p * col + p / 2, d.GridOrigin.y + p * row + p / 2);
    }

    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, pos, view->viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &e);
    }

    FakeViewFrame frame;
    FakeViewDocument doc;
    std::unique_ptr<CGlyphosView> view;
};

// A full repaint of the view: frame, grid, 3072 inverted cells, preview.
void BM_PaintLargestCharacterAtMaxResolution(benchmark::State& state) {
    Editor e;
    for (auto _ : state) {
        e.view->viewport()->repaint();
    }
    state.counters["cell_px"] = e.doc.core.GetDisplay().Pitch();
}
BENCHMARK(BM_PaintLargestCharacterAtMaxResolution)->Unit(benchmark::kMillisecond);

// The same painting into an image of the whole view (what screenshots use).
void BM_RenderWholeView(benchmark::State& state) {
    Editor e;
    for (auto _ : state) {
        QImage image = e.view->RenderAll();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RenderWholeView)->Unit(benchmark::kMillisecond);

// A pen stroke across one row: each cell entered toggles one dot. The
// counters compare what the stroke asked to repaint with the whole view.
void BM_PenStrokeRepaintsOnlyChangedCells(benchmark::State& state) {
    Editor e;
    e.view->OnCommand(32809);  // the pen
    const int cells = 32;
    long long repainted = 0;
    long long strokes = 0;
    for (auto _ : state) {
        e.view->TakeRequestedRepaint();
        e.Send(QEvent::MouseButtonPress, e.CellCenter(10, 40), Qt::LeftButton, Qt::LeftButton);
        for (int c = 11; c < 10 + cells; ++c)
            e.Send(QEvent::MouseMove, e.CellCenter(c, 40), Qt::NoButton, Qt::LeftButton);
        e.Send(QEvent::MouseButtonRelease, e.CellCenter(10 + cells - 1, 40), Qt::LeftButton, Qt::NoButton);
        // Let the view paint what it asked for, as the event loop would.
        QApplication::processEvents();
        long long area = 0;
        for (const QRect& r : e.view->TakeRequestedRepaint()) area += static_cast<long long>(r.width()) * r.height();
        repainted += area;
        ++strokes;
    }
    const DocDisplay& d = e.doc.core.GetDisplay();
    const int p = d.Pitch();
    state.counters["repainted_px_per_stroke"] = static_cast<double>(repainted) / static_cast<double>(strokes);
    // What the changed cells and their preview dots cover.
    state.counters["changed_cells_px"] = cells * ((p - 1) * (p - 1) + 1);
    state.counters["view_px"] = static_cast<double>(d.ScrollSize.x) * d.ScrollSize.y;
    state.SetItemsProcessed(state.iterations() * cells);
}
BENCHMARK(BM_PenStrokeRepaintsOnlyChangedCells)->Unit(benchmark::kMicrosecond);

}  // namespace
