// The editor's side of the editing view's two interfaces: a font document
// (CGlyphosDoc) seen as IViewDocument, and the main frame with the
// application seen as IViewFrame. Both adapters are made on first use and
// live as children of what they adapt, so every view of a document gets the
// same one.
#pragma once

#include "ViewHost.h"

#include <QObject>

class CGlyphosApp;
class CGlyphosDoc;

class CViewDocument : public QObject, public IViewDocument {
    Q_OBJECT
public:
    // The adapter of a document, or null for none.
    static CViewDocument* For(CGlyphosDoc* doc);
    CGlyphosDoc* Doc() const { return m_doc; }

    CGlyphosDocCore& GetCore() override;
    CString GetTitle() const override;
    QString DialogFolderPath() const override;
    void SetModifiedFlag(bool modified = true) override;
    void UpdateAllViews(int hint, QWidget* sender = nullptr) override;

private:
    explicit CViewDocument(CGlyphosDoc* doc);
    CGlyphosDoc* m_doc;  // the parent
};

class CViewFrame : public QObject, public IViewFrame {
    Q_OBJECT
public:
    static CViewFrame* For(CGlyphosApp* app);

    void SetCharPane(int code) override;
    void SetPositionPane(int x, int y) override;
    void SetDimensionPane(int w, int h) override;
    void SetToolPane(const CString& name) override;
    GYCopyPaste& GetCopyPaste() override;
    IViewDocument* GetCurrentDocument() override;
    void SetCurrentDocument(IViewDocument* doc) override;
    int GetMouseActivateMode() const override { return m_mouseActivateMode; }
    void SetMouseActivateMode(int mode) override { m_mouseActivateMode = mode; }
    void ActivateView(QWidget* view) override;
    void CommandStateChanged() override;
    QAction* CommandAction(int id) override;
    IViewDocument* PreviewDocument() override;
    void PreviewAttach(IViewDocument* doc, QWidget* view) override;
    void PreviewRefresh() override;
    void PreviewSetTitle(const CString& title) override;
    void PreviewInvalidateChar() override;
    void PreviewScroll(Qt::Orientation bar, QAbstractSlider::SliderAction action) override;

private:
    explicit CViewFrame(CGlyphosApp* app);
    CGlyphosApp* m_app;  // the parent
    int m_mouseActivateMode = 1;
};

// The editing view of a new window of a document.
QWidget* CreateEditingView(CGlyphosApp* app, CGlyphosDoc* doc);
