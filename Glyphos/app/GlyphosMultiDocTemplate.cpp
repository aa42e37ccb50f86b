#include "GlyphosMultiDocTemplate.h"

#include "ChildFrm.h"
#include "EditingView.h"
#include "Glyphos.h"
#include "GlyphosDoc.h"
#include "MainFrm.h"
#include "QtText.h"
#include "ViewAdapters.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QSettings>

#include <algorithm>

CGlyphosMultiDocTemplate::CGlyphosMultiDocTemplate(CGlyphosApp* app) : m_app(app) {
    m_viewFactory = [app](CGlyphosDoc* doc) { return CreateEditingView(app, doc); };
}

CGlyphosMultiDocTemplate::~CGlyphosMultiDocTemplate() { CloseAllDocuments(); }

CString CGlyphosMultiDocTemplate::GetDocString(DocStringIndex index) const {
    switch (index) {
        case windowTitle: return L"Glyphos";
        case docName: return L"Glyphos";
        case fileNewName: return L"Glyphos";
        case filterName: return L"Glyphos Files (*.kfn)";
        // Both of the editor's file kinds: its own ".kfn" and the ".psw"
        // upgrade files it reads fonts from.
        case filterExt: return L".kfn;*.psw";
        case regFileTypeId: return L"Glyphos.Document";
        case regFileTypeName: return L"Glyphos Document";
    }
    return {};
}

CGlyphosMultiDocTemplate::Confidence CGlyphosMultiDocTemplate::MatchDocType(const QString& path,
                                                                             CGlyphosDoc** match) const {
    if (match) *match = nullptr;
    const QString canonical = QFileInfo(path).absoluteFilePath();
    for (CGlyphosDoc* doc : m_docs) {
        const QString open = ToQString(doc->GetPathName());
        if (!open.isEmpty() && QFileInfo(open).absoluteFilePath() == canonical) {
            if (match) *match = doc;
            return yesAlreadyOpen;
        }
    }
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return yesAttemptForeign;
    const QString ext = path.mid(dot);
    const QString filter = ToQString(GetDocString(filterExt));
    const int semi = filter.indexOf(QLatin1Char(';'));
    // ".kfn;*.psw": the part before the ";" and the part after its "*".
    const QString first = semi < 0 ? filter : filter.left(semi);
    const QString second = semi < 0 ? QString() : filter.mid(semi + 2);
    if (ext.compare(first, Qt::CaseInsensitive) == 0) return yesAttemptNative;
    if (!second.isEmpty() && ext.compare(second, Qt::CaseInsensitive) == 0) return yesAttemptNative;
    return yesAttemptForeign;
}

CGlyphosDoc* CGlyphosMultiDocTemplate::OpenDocumentFile(const QString& path) {
    if (!path.isEmpty()) {
        CGlyphosDoc* open = nullptr;
        if (MatchDocType(path, &open) == yesAlreadyOpen) {
            if (!open->Frames().empty()) {
                CChildFrame* frame = open->Frames().front();
                if (CMainFrame* main = m_app->GetMainFrame()) main->MdiArea()->setActiveSubWindow(frame);
            }
            return open;
        }
    }
    auto* doc = new CGlyphosDoc(m_app, this);
    m_docs.push_back(doc);
    bool ok;
    if (path.isEmpty()) {
        doc->SetTitle(GetDocString(docName) + CString::Format(L"%d", ++m_untitledCount));
        ok = doc->OnNewDocument();
    } else {
        ok = doc->OnOpenDocument(path);
        if (ok) doc->SetPathName(path);
    }
    if (!ok) {
        m_docs.erase(std::find(m_docs.begin(), m_docs.end(), doc));
        delete doc;
        return nullptr;
    }
    CreateNewFrame(doc);
    return doc;
}

CChildFrame* CGlyphosMultiDocTemplate::CreateNewFrame(CGlyphosDoc* doc) {
    CMainFrame* main = m_app->GetMainFrame();
    QWidget* view = m_viewFactory(doc);
    auto* frame = new CChildFrame(doc, view);
    if (main) {
        // A new window opens maximised when the active one is; the first one
        // as the user left the last (maximised until then), so that the
        // whole editing area shows.
        QMdiSubWindow* active = main->MdiArea()->currentSubWindow();
        const bool maximized =
            active ? active->isMaximized()
                   : m_app->Profile()->value(QStringLiteral("General/ChildMaximized"), 1).toInt() != 0;
        main->MdiArea()->addSubWindow(frame);
        if (maximized) {
            frame->showMaximized();
        } else {
            // A window of its own size: the zoom that fits the document
            // area, and the window as large as the grid needs at it.
            frame->show();
            if (auto* editing = dynamic_cast<IEditingView*>(view)) {
                const QSize decoration = frame->size() - frame->contentsRect().size();
                editing->FitZoom(main->MdiArea()->viewport()->size() - decoration);
            }
            main->SizeWindowToView(frame);
        }
        main->MdiArea()->setActiveSubWindow(frame);
        view->setFocus();
        main->UpdateMenusForDocuments();
        main->RequestUpdateUI();
    }
    doc->UpdateFrameTitles();
    return frame;
}

void CGlyphosMultiDocTemplate::RemoveDocument(CGlyphosDoc* doc) {
    auto it = std::find(m_docs.begin(), m_docs.end(), doc);
    if (it == m_docs.end()) return;
    m_docs.erase(it);
    if (m_app->GetActiveDoc() == doc) m_app->SetActiveDoc(nullptr);
    doc->deleteLater();
    if (CMainFrame* main = m_app->GetMainFrame()) {
        main->UpdateMenusForDocuments();
        main->RequestUpdateUI();
    }
}

bool CGlyphosMultiDocTemplate::SaveAllModified() {
    for (CGlyphosDoc* doc : std::vector<CGlyphosDoc*>(m_docs)) {
        if (!doc->SaveModified()) return false;
    }
    return true;
}

void CGlyphosMultiDocTemplate::CloseAllDocuments() {
    const std::vector<CGlyphosDoc*> docs = m_docs;
    m_docs.clear();
    for (CGlyphosDoc* doc : docs) {
        for (CChildFrame* f : std::vector<CChildFrame*>(doc->Frames())) delete f;
        delete doc;
    }
    if (CMainFrame* main = m_app->GetMainFrame()) main->UpdateMenusForDocuments();
}
