// The plain window a document shows until the editing view takes its place:
// the font's name, centred.
#pragma once

#include "CmdTarget.h"
#include "EditingView.h"

#include <QPointer>
#include <QWidget>

class CGlyphosDoc;

class CFontNameView : public QWidget, public IEditingView, public CCmdTarget {
    Q_OBJECT
public:
    CFontNameView(CGlyphosDoc* doc, QWidget* parent = nullptr);

    CGlyphosDoc* GetDocument() const;
    QString Text() const;

    void ClearUndoState() override {}
    void OnUpdate(int hint) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<CGlyphosDoc> m_doc;
};
