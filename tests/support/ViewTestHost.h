// A document and a frame for the editing view without the editor around it:
// the frame records what the view shows in the status bar and tells the
// preview window, the document wraps a real CGlyphosDocCore and repaints its
// views the way the editor's document does. For the view's tests and
// benchmarks (header only: its users link the editor's library).
#pragma once

#include "GYCopyPaste.h"
#include "GlyphosDocCore.h"
#include "GlyphosView.h"
#include "PswRecords.h"
#include "TestFonts.h"
#include "ViewHost.h"

#include <utility>
#include <vector>

class FakeViewFrame : public IViewFrame {
public:
    void SetCharPane(int code) override { charPane = code; }
    void SetPositionPane(int x, int y) override { position = {x, y}; }
    void SetDimensionPane(int w, int h) override { dimension = {w, h}; }
    void SetToolPane(const CString& name) override { toolPane = name; }
    GYCopyPaste& GetCopyPaste() override { return clipboard; }
    IViewDocument* GetCurrentDocument() override { return current; }
    void SetCurrentDocument(IViewDocument* doc) override { current = doc; }
    int GetMouseActivateMode() const override { return activateMode; }
    void SetMouseActivateMode(int mode) override { activateMode = mode; }
    void ActivateView(QWidget* view) override { activated.push_back(view); }
    void CommandStateChanged() override { ++stateChanges; }
    IViewDocument* PreviewDocument() override { return previewDoc; }
    void PreviewAttach(IViewDocument* doc, QWidget*) override {
        previewDoc = doc;
        if (doc) ++previewRefreshes;
    }
    void PreviewRefresh() override { ++previewRefreshes; }
    void PreviewSetTitle(const CString& title) override { previewTitle = title; }
    void PreviewInvalidateChar() override { ++previewCharRepaints; }
    void PreviewScroll(Qt::Orientation bar, QAbstractSlider::SliderAction action) override {
        scrolls.push_back({bar, action});
    }

    int charPane = -1;
    QPoint position{-99, -99};
    QPoint dimension{-99, -99};
    CString toolPane;
    GYCopyPaste clipboard;
    IViewDocument* current = nullptr;
    int activateMode = 1;
    std::vector<QWidget*> activated;
    int stateChanges = 0;
    IViewDocument* previewDoc = nullptr;
    int previewRefreshes = 0;
    CString previewTitle;
    int previewCharRepaints = 0;
    std::vector<std::pair<Qt::Orientation, QAbstractSlider::SliderAction>> scrolls;
};

class FakeViewDocument : public IViewDocument, public IDocObserver {
public:
    explicit FakeViewDocument(FakeViewFrame& frame) : m_frame(frame) { core.SetObserver(this); }
    ~FakeViewDocument() override { core.SetObserver(nullptr); }

    // A font of the given size and range, first generation, margins given.
    void SetFont(int width, int height, int first = 0x20, int last = 0x7F, int left = 0, int right = 0) {
        ApplyTestFont(core, width, height, first, last, L"Test font", left, right);
    }

    CGlyphosDocCore& GetCore() override { return core; }
    CString GetTitle() const override { return title; }
    void SetModifiedFlag(bool on) override { modified = on; }
    void UpdateAllViews(int hint, QWidget* sender) override {
        for (CGlyphosView* v : views)
            if (v != sender) v->OnUpdate(hint);
    }

    void CurrentCharChanged(int ch) override { m_frame.SetCharPane(ch); }
    void RefreshPreview() override { m_frame.PreviewRefresh(); }
    void UpdateAllViews(int hint) override { UpdateAllViews(hint, nullptr); }

    CGlyphosDocCore core;
    CString title = L"Test.kfn";
    bool modified = false;
    std::vector<CGlyphosView*> views;

private:
    FakeViewFrame& m_frame;
};

// A 16 x 24 "G" drawn into a character, for pictures people look at.
inline void DrawTestGlyph(KalvoFont& font, int ch) {
    static const char* const rows[] = {
        "................", "................", ".....######.....", "...##########...", "..####....####..",
        "..###......###..", ".###........##..", ".###............", ".###............", ".###............",
        ".###....######..", ".###....######..", ".###.......###..", ".###.......###..", "..###......###..",
        "..####....####..", "...##########...", ".....######.....", "................", "................",
        "................", "................", "................", "................"};
    font.ClearChar(ch);
    for (int r = 0; r < 24; ++r)
        for (int c = 0; c < 16; ++c)
            if (rows[r][c] == '#') font.SetPixel(ch, r, c);
}
