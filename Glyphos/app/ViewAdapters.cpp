#include "ViewAdapters.h"

#include "ChildFrm.h"
#include "ChildPreviewFont.h"
#include "Glyphos.h"
#include "GlyphosDoc.h"
#include "GlyphosView.h"
#include "MainFrm.h"
#include "QtText.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>

// ---------------------------------------------------------------- document

CViewDocument::CViewDocument(CGlyphosDoc* doc) : QObject(doc), m_doc(doc) {
    setObjectName(QStringLiteral("ViewDocument"));
}

CViewDocument* CViewDocument::For(CGlyphosDoc* doc) {
    if (!doc) return nullptr;
    if (auto* found = doc->findChild<CViewDocument*>(QString(), Qt::FindDirectChildrenOnly)) return found;
    return new CViewDocument(doc);
}

CGlyphosDocCore& CViewDocument::GetCore() { return m_doc->Core(); }

CString CViewDocument::GetTitle() const { return m_doc->GetTitle(); }

QString CViewDocument::DialogFolderPath() const { return m_doc->DialogFolderPath(); }

void CViewDocument::SetModifiedFlag(bool modified) { m_doc->SetModifiedFlag(modified); }

void CViewDocument::UpdateAllViews(int hint, QWidget* sender) {
    for (CChildFrame* frame : m_doc->Frames()) {
        auto* view = qobject_cast<CGlyphosView*>(frame->GetView());
        if (view && view != sender) view->OnUpdate(hint);
    }
    emit m_doc->fontShown();
}

// ---------------------------------------------------------------- frame

CViewFrame::CViewFrame(CGlyphosApp* app) : QObject(app), m_app(app) {
    setObjectName(QStringLiteral("ViewFrame"));
}

CViewFrame* CViewFrame::For(CGlyphosApp* app) {
    if (!app) return nullptr;
    if (auto* found = app->findChild<CViewFrame*>(QString(), Qt::FindDirectChildrenOnly)) return found;
    return new CViewFrame(app);
}

void CViewFrame::SetCharPane(int code) {
    if (CMainFrame* f = m_app->GetMainFrame()) f->SetCharPane(code);
}

void CViewFrame::SetPositionPane(int x, int y) {
    if (CMainFrame* f = m_app->GetMainFrame()) f->SetPositionPane(x, y);
}

void CViewFrame::SetDimensionPane(int w, int h) {
    if (CMainFrame* f = m_app->GetMainFrame()) f->SetDimensionPane(w, h);
}

void CViewFrame::SetToolPane(const CString& name) {
    if (CMainFrame* f = m_app->GetMainFrame()) f->SetToolPane(name);
}

GYCopyPaste& CViewFrame::GetCopyPaste() { return m_app->GetCopyPaste(); }

IViewDocument* CViewFrame::GetCurrentDocument() { return CViewDocument::For(m_app->GetActiveDoc()); }

void CViewFrame::SetCurrentDocument(IViewDocument* doc) {
    auto* adapter = dynamic_cast<CViewDocument*>(doc);
    m_app->SetActiveDoc(adapter ? adapter->Doc() : nullptr);
}

void CViewFrame::ActivateView(QWidget* view) {
    CMainFrame* f = m_app->GetMainFrame();
    if (!f || !view) return;
    for (QWidget* w = view->parentWidget(); w; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
            if (f->MdiArea()->activeSubWindow() != sub) f->MdiArea()->setActiveSubWindow(sub);
            return;
        }
    }
}

void CViewFrame::CommandStateChanged() {
    if (CMainFrame* f = m_app->GetMainFrame()) f->RequestUpdateUI();
}

QAction* CViewFrame::CommandAction(int id) {
    CMainFrame* f = m_app->GetMainFrame();
    return f ? f->Action(id) : nullptr;
}

namespace {
CChildPreviewFont* Preview(CGlyphosApp* app) {
    return app->GetMainFrame() ? app->GetMainFrame()->GetPreview() : nullptr;
}
}  // namespace

IViewDocument* CViewFrame::PreviewDocument() {
    CChildPreviewFont* p = Preview(m_app);
    return p ? CViewDocument::For(p->GetDocument()) : nullptr;
}

void CViewFrame::PreviewAttach(IViewDocument* doc, QWidget* view) {
    auto* adapter = dynamic_cast<CViewDocument*>(doc);
    if (CChildPreviewFont* p = Preview(m_app)) p->Attach(adapter ? adapter->Doc() : nullptr, view);
}

void CViewFrame::PreviewRefresh() {
    if (CChildPreviewFont* p = Preview(m_app)) p->Refresh();
}

void CViewFrame::PreviewSetTitle(const CString& title) {
    if (CChildPreviewFont* p = Preview(m_app)) p->SetTitle(ToQString(title));
}

void CViewFrame::PreviewInvalidateChar() {
    if (CChildPreviewFont* p = Preview(m_app)) p->InvalidateHighlight();
}

void CViewFrame::PreviewScroll(Qt::Orientation bar, QAbstractSlider::SliderAction action) {
    CChildPreviewFont* p = Preview(m_app);
    if (!p) return;
    (bar == Qt::Horizontal ? p->horizontalScrollBar() : p->verticalScrollBar())->triggerAction(action);
}

// ---------------------------------------------------------------- factory

QWidget* CreateEditingView(CGlyphosApp* app, CGlyphosDoc* doc) {
    return new CGlyphosView(CViewDocument::For(doc), CViewFrame::For(app));
}
