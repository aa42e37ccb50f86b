// The window of one view of a document inside the main frame's document
// area. Closing the last window of a modified document asks whether to save.
#pragma once

#include "CmdTarget.h"

#include <QMdiSubWindow>
#include <QPointer>

class CGlyphosDoc;

class CChildFrame : public QMdiSubWindow, public CCmdTarget {
    Q_OBJECT
public:
    CChildFrame(CGlyphosDoc* doc, QWidget* view, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CGlyphosDoc* GetDocument() const;
    QWidget* GetView() const { return widget(); }
    // Title from the document: "title", or "title:n" when the document has
    // several windows; a "*" marks unsaved changes.
    void UpdateTitle(int number);

    // Closes without asking (the document is going anyway).
    void CloseWithoutPrompt();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<CGlyphosDoc> m_doc;
    bool m_force = false;
};
