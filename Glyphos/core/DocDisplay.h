// How the views of a font document draw it: the zoom, the grid and its
// rectangles, the true-size preview beside it and the colours. It lives in
// the document so that every view of one font agrees, and has no widgets so
// that its rules are tested without a window.
//
// All coordinates are in view pixels before scrolling. Rectangles hold their
// four edges; a point is inside when left <= x < right and top <= y < bottom.
#pragma once

#include <cstdint>

class KalvoFont;

struct DisplayRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const DisplayRect&) const = default;
};

struct DisplayPoint {
    int x = 0;
    int y = 0;
    bool operator==(const DisplayPoint&) const = default;
};

class DocDisplay {
public:
    static constexpr int kPreviewFrameWidth = 128;
    static constexpr int kPreviewFrameHeight = 192;
    static constexpr int kBaseCellSize = 22;
    enum PreviewModes { kPreviewNormal = 1, kPreviewDoubleHeight = 2, kPreviewDoubleWidth = 3, kPreviewDoubleBoth = 4 };

    // Colours as 0x00RRGGBB.
    std::uint32_t GridColor = 0xC0C0C0;
    std::uint32_t BorderColor = 0x646464;
    std::uint32_t MarginColor = 0xF1ECC9;

    int CellSize = kBaseCellSize;
    // 1 or 2: a dot is CellSize / ZoomDivisor pixels on screen.
    int ZoomDivisor = 1;
    int MaxResolution = 0;
    int MaxGridWidth = 352;
    int MaxGridHeight = 352;
    DisplayPoint GridOrigin{20, 20};

    // Computed by Relayout.
    DisplayRect GridRect;
    // GridRect without the columns of negative margins: where the mouse edits.
    DisplayRect EditRect;
    DisplayRect PreviewFrame;
    DisplayRect BasePreviewZone;
    DisplayRect PreviewZone;
    DisplayRect PrintTableRect;
    DisplayPoint ScrollSize;
    int PreviewMode = kPreviewNormal;

    DisplayPoint LastPenCell{-1, -1};
    DisplayPoint LastHitCell{0, 0};

    // Pixels per dot on screen, never below 1.
    int Pitch() const;

    // Recomputes every rectangle for the font's size and margins; returns
    // to the normal preview.
    void Relayout(const KalvoFont& font);

    // The largest cell size at which the font's width fits MaxGridWidth
    // (the height may need scrolling).
    static int MaxResolutionCellSize(int width, int height, int maxGridWidth, int maxGridHeight);
    // "Max Resolution": that cell size, divisor 1, then Relayout.
    void SetMaxResolution(const KalvoFont& font);
    // "Zoom x 2" (divisor 2) and "Zoom x 4" (divisor 1): the base cell size,
    // then Relayout.
    void SetZoom(int divisor, const KalvoFont& font);
    // Whether a zoom fits the font: x 2 up to 32 x 48 dots, x 4 up to 16 x 24.
    static bool ZoomFits(int divisor, int width, int height);

    // One of the four preview modes; any other value shows the normal one.
    void SetPreviewMode(int mode);

    // The cell under a point, remembered in LastHitCell. The division
    // truncates toward zero, so callers decide with IsOnGrid whether the
    // point is on a dot at all.
    DisplayPoint PointToCell(int x, int y);
    bool IsOnGrid(int x, int y) const { return EditRect.Contains(x, y); }
    // The pixel square of a cell, grid lines at its left and top included.
    DisplayRect CellRect(int col, int row) const;
    // The pixel rectangle that covers cells col0..col1, row0..row1 with the
    // grid lines around them.
    DisplayRect CellsRect(int col0, int row0, int col1, int row1) const;
    // The pixels of the true-size preview that show a dot, for the mode in
    // force (1 x 1 up to 2 x 2).
    DisplayRect PreviewDotRect(int col, int row) const;
};
