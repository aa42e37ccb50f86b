// The document template: the editor's one kind of document (a font), how a
// path is matched to it, and the creation of a document with its window.
#pragma once

#include "CString.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class CChildFrame;
class CGlyphosApp;
class CGlyphosDoc;
class QWidget;

class CGlyphosMultiDocTemplate : public QObject {
    Q_OBJECT
public:
    enum Confidence {
        noAttempt,
        maybeAttemptForeign,
        maybeAttemptNative,
        yesAttemptForeign,
        yesAttemptNative,
        yesAlreadyOpen
    };
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

    explicit CGlyphosMultiDocTemplate(CGlyphosApp* app);
    ~CGlyphosMultiDocTemplate() override;

    CString GetDocString(DocStringIndex index) const;

    // yesAlreadyOpen (with the document) when a document has the path open;
    // else yesAttemptNative when the extension matches the template's filter
    // extension in any letter case, else yesAttemptForeign.
    Confidence MatchDocType(const QString& path, CGlyphosDoc** match) const;

    // A new document (empty path) or the document of a file, shown in a new
    // window; a path already open shows its window instead. Null when the
    // document could not be made.
    CGlyphosDoc* OpenDocumentFile(const QString& path);
    // Another window on the same document.
    CChildFrame* CreateNewFrame(CGlyphosDoc* doc);

    const std::vector<CGlyphosDoc*>& Documents() const { return m_docs; }
    // Called by a document whose last window has closed.
    void RemoveDocument(CGlyphosDoc* doc);
    // Asks every modified document; false when the user cancelled.
    bool SaveAllModified();
    // Closes every document and window without asking.
    void CloseAllDocuments();

    // The view of a new window: the editing view (tests may replace it).
    using ViewFactory = std::function<QWidget*(CGlyphosDoc*)>;
    void SetViewFactory(ViewFactory f) { m_viewFactory = std::move(f); }

private:
    CGlyphosApp* m_app;
    std::vector<CGlyphosDoc*> m_docs;
    ViewFactory m_viewFactory;
    int m_untitledCount = 0;
};
