// The application as its documents' host: the main frame, its preview
// window and the document template answer for it.
#include "ChildPreviewFont.h"
#include "Glyphos.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "MainFrm.h"

QWidget* CGlyphosApp::DocumentDialogParent() const { return GetMainFrame(); }

void CGlyphosApp::DocumentCharChanged(CGlyphosDoc* /*doc*/, int ch) {
    if (CMainFrame* frame = GetMainFrame()) frame->SetCharPane(ch);
}

void CGlyphosApp::DocumentPreviewRefresh(CGlyphosDoc* doc) {
    CMainFrame* frame = GetMainFrame();
    CChildPreviewFont* preview = frame ? frame->GetPreview() : nullptr;
    if (preview && preview->GetDocument() == doc) preview->Refresh();
}

void CGlyphosApp::OpenDocumentFrame(CGlyphosDoc* doc) {
    if (CGlyphosMultiDocTemplate* t = GetDocTemplate()) t->CreateNewFrame(doc);
}

void CGlyphosApp::DocumentFramesClosed(CGlyphosDoc* doc) {
    if (CGlyphosMultiDocTemplate* t = GetDocTemplate()) t->RemoveDocument(doc);
}
