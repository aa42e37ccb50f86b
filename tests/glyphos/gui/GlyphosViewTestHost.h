// The fixture of the editing view's tests: views of documents without the
// editor around them (ViewTestHost.h), real widgets in shown windows driven
// with QTest events, and the scripted message boxes.
#pragma once

#include "GlyphosView.h"
#include "QtTestSupport.h"
#include "TestUi.h"
#include "ViewTestHost.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <vector>

class GlyphosViewTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQApp(); }
    void TearDown() override {
        windows.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A document of the given font, with the first character current.
    FakeViewDocument& NewDoc(int width, int height, int first = 0x20, int last = 0x7F, int left = 0, int right = 0) {
        docs.push_back(std::make_unique<FakeViewDocument>(frame));
        docs.back()->SetFont(width, height, first, last, left, right);
        return *docs.back();
    }

    // A view of the document in its own shown window.
    CGlyphosView* NewView(FakeViewDocument& doc, QSize size = QSize(760, 560)) {
        auto window = std::make_unique<QWidget>();
        auto* view = new CGlyphosView(&doc, &frame, window.get());
        view->setGeometry(QRect(QPoint(0, 0), size));
        window->resize(size);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        doc.views.push_back(view);
        view->OnUpdate(0);
        windows.push_back(std::move(window));
        return view;
    }

public:
    static const DocDisplay& Display(CGlyphosView* v) { return v->GetDocument()->GetCore().GetDisplay(); }
    static KalvoFont& Font(CGlyphosView* v) { return v->GetDocument()->GetCore().GetFont(); }
    static int Char(CGlyphosView* v) { return v->GetDocument()->GetCore().GetCurrentChar(); }
    static bool Dot(CGlyphosView* v, int col, int row) { return Font(v).GetPixel(Char(v), row, col) != 0; }

    // The middle of a cell in the viewport's coordinates.
    static QPoint At(CGlyphosView* v, int col, int row) {
        const DocDisplay& d = Display(v);
        const int p = d.Pitch();
        const QPoint scroll(v->horizontalScrollBar()->value(), v->verticalScrollBar()->value());
        return QPoint(d.GridOrigin.x + p * col + p / 2, d.GridOrigin.y + p * row + p / 2) - scroll;
    }

    static void Press(CGlyphosView* v, int col, int row, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(v->viewport(), Qt::LeftButton, mods, At(v, col, row));
    }
    static void Release(CGlyphosView* v, int col, int row) {
        QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, At(v, col, row));
    }
    // A move with the left button held (after Press).
    static void DragTo(CGlyphosView* v, int col, int row) { QTest::mouseMove(v->viewport(), At(v, col, row)); }
    static void Click(CGlyphosView* v, int col, int row) {
        Press(v, col, row);
        Release(v, col, row);
    }
    // A move with no button held.
    static void Hover(CGlyphosView* v, QPoint pos) {
        QMouseEvent e(QEvent::MouseMove, pos, v->viewport()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &e);
    }
    static void Drag(CGlyphosView* v, QPoint fromCell, QPoint toCell) {
        Press(v, fromCell.x(), fromCell.y());
        DragTo(v, toCell.x(), toCell.y());
        Release(v, toCell.x(), toCell.y());
    }
    static void Key(CGlyphosView* v, Qt::Key key) { QTest::keyClick(v, key); }

    static bool Enabled(CGlyphosView* v, int id) {
        bool enabled = false, checked = false;
        EXPECT_TRUE(v->UpdateCommand(id, enabled, checked)) << id;
        return enabled;
    }
    static bool Checked(CGlyphosView* v, int id) {
        bool enabled = false, checked = false;
        EXPECT_TRUE(v->UpdateCommand(id, enabled, checked)) << id;
        return checked;
    }

protected:
    ScopedScriptedUi ui;
    FakeViewFrame frame;
    std::vector<std::unique_ptr<FakeViewDocument>> docs;
    std::vector<std::unique_ptr<QWidget>> windows;
};
