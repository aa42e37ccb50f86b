// What the document and the preview window need from a document's view,
// whatever kind of view a window holds.
#pragma once

#include <QSize>

class IEditingView {
public:
    virtual ~IEditingView() = default;
    // Forgets the undo steps kept for the current character; called before
    // the current character changes.
    virtual void ClearUndoState() = 0;
    // The document changed; hint says which parts to repaint (10 grid and
    // preview, 20 grid only, 30 preview only, 0 all).
    virtual void OnUpdate(int hint) = 0;
    // Takes the largest zoom at which the whole grid of the character fits
    // a view of that size (the smallest zoom when none does).
    virtual void FitZoom(const QSize& available) = 0;
    // The size of the view that shows everything it draws without scrolling.
    virtual QSize WholeSize() const = 0;
};
