// The font preview window: every character of the font of the active view
// as a 16 x 16 table at one screen pixel per dot, with the code labels along
// the top and the left, the current character outlined. Clicking a cell or
// pressing the arrow, Home and End keys picks a character. The window lives
// as long as the main frame and cannot be closed.
#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

class CGlyphosDoc;

class CChildPreviewFont : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kOrigin = 20;
    static constexpr int kLineStep = 10;

    explicit CChildPreviewFont(QWidget* parent = nullptr);

    // Shows the document of a view (either may be null); refreshes when a
    // document is given.
    void Attach(CGlyphosDoc* doc, QWidget* view);
    // Title, layout and repaint for the document shown (the whole window
    // without one).
    void Refresh();
    // Shows another document without changing the title.
    void SetDocument(CGlyphosDoc* doc);
    // "Font preview: " followed by the text, when a document is shown.
    void SetTitle(const QString& text);
    // "Font preview: " followed by the document's title or "No font selected".
    void UpdateTitle();
    // Repaints the current character's cell (the whole window without a
    // document); the document calls it before and after it moves.
    void InvalidateHighlight();

    CGlyphosDoc* GetDocument() const;
    QWidget* GetView() const { return m_view.data(); }

    // Geometry in table coordinates (before scrolling).
    QRect TableRect() const { return m_table; }
    QSize ScrollExtent() const { return m_extent; }
    QPoint ScrollPos() const;
    // The cell of a character code.
    QRect CellRect(int code) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Layout();
    void UpdateScrollBars();
    void ClearViewUndo();

    QPointer<CGlyphosDoc> m_doc;
    QPointer<QWidget> m_view;
    QRect m_table;
    QSize m_extent;
};
