// What a font document needs of the application around it, kept to one small
// interface so that the document does not reach into the application, the
// main frame, the document template or the preview window: a parent for its
// dialogs, the character pane, the preview window, and the opening and
// closing of its windows. The application answers it; a test can too.
#pragma once

#include "CString.h"

class CGlyphosDoc;
class QString;
class QWidget;

class IDocumentHost {
public:
    virtual ~IDocumentHost() = default;

    // The window the document's file and font dialogs belong to (may be null).
    virtual QWidget* DocumentDialogParent() const = 0;
    // Folder of the document's debug log; empty before the configuration is read.
    virtual CString GetLogDir() const = 0;
    // The document that last loaded or saved a font.
    virtual void SetActiveDoc(CGlyphosDoc* doc) = 0;
    virtual void AddToRecentFileList(const QString& path) = 0;

    // The current character of doc changed (the status bar's character pane).
    virtual void DocumentCharChanged(CGlyphosDoc* doc, int ch) = 0;
    // doc's font changed: the preview window repaints if it shows doc.
    virtual void DocumentPreviewRefresh(CGlyphosDoc* doc) = 0;
    // Opens one more window on doc.
    virtual void OpenDocumentFrame(CGlyphosDoc* doc) = 0;
    // The last window of doc has closed.
    virtual void DocumentFramesClosed(CGlyphosDoc* doc) = 0;
};
