#include "DocDisplay.h"

#include "KalvoFont.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A record read from a damaged file may say 0 dots; the layout still needs
// something to divide by.
int AtLeastOne(int n) { return std::max(1, n); }

}  // namespace

int DocDisplay::Pitch() const { return std::max(1, CellSize / std::max(1, ZoomDivisor)); }

void DocDisplay::Relayout(const KalvoFont& font) {
    const int width = std::max(0, font.GetWidth());
    const int height = std::max(0, font.GetHeight());
    const int divisor = std::max(1, ZoomDivisor);
    const int gridWidth = width * CellSize / divisor;
    const int gridHeight = height * CellSize / divisor;
    GridRect = {GridOrigin.x, GridOrigin.y, GridOrigin.x + gridWidth, GridOrigin.y + gridHeight};

    EditRect = GridRect;
    const int left = font.GetMarginLeft();
    const int right = font.GetMarginRight();
    if (left < 0) EditRect.left += std::abs(left) * CellSize / divisor;
    if (right < 0) EditRect.right -= std::abs(right) * CellSize / divisor;
    // Margins wider than the character leave no place to edit.
    if (EditRect.right < EditRect.left) EditRect.right = EditRect.left;

    PreviewFrame.left = GridOrigin.x + MaxGridWidth + 100;
    PreviewFrame.top = GridOrigin.y;
    PreviewFrame.right = PreviewFrame.left + kPreviewFrameWidth;
    PreviewFrame.bottom = PreviewFrame.top + kPreviewFrameHeight;
    PreviewZone.left = PreviewFrame.left + (kPreviewFrameWidth - width) / 2;
    PreviewZone.top = PreviewFrame.top + (kPreviewFrameHeight - height) / 2;
    PreviewZone.right = PreviewZone.left + width;
    PreviewZone.bottom = PreviewZone.top + height;
    PreviewMode = kPreviewNormal;
    BasePreviewZone = PreviewZone;
    LastHitCell = {0, 0};

    PrintTableRect = {20, GridRect.Height() + 40, width * 17 + 20, GridRect.Height() + height * 17 + 40};
    ScrollSize = {PreviewFrame.right + 20, GridOrigin.y * 3 + GridRect.Height()};
}

int DocDisplay::MaxResolutionCellSize(int width, int height, int maxGridWidth, int maxGridHeight) {
    width = AtLeastOne(width);
    height = AtLeastOne(height);
    const int candidates[] = {maxGridHeight / height, maxGridHeight / width, maxGridWidth / height,
                              maxGridWidth / width};
    int best = 0;
    int bestSlack = 0;
    for (int c : candidates) {
        if (c < 1 || c * width > maxGridWidth) continue;
        const int slack = maxGridWidth - c * width;
        if (best == 0 || slack < bestSlack) {
            best = c;
            bestSlack = slack;
        }
    }
    return best == 0 ? 1 : best;
}

void DocDisplay::SetMaxResolution(const KalvoFont& font) {
    CellSize = MaxResolutionCellSize(font.GetWidth(), font.GetHeight(), MaxGridWidth, MaxGridHeight);
    ZoomDivisor = 1;
    MaxResolution = 1;
    Relayout(font);
}

void DocDisplay::SetZoom(int divisor, const KalvoFont& font) {
    CellSize = kBaseCellSize;
    ZoomDivisor = divisor == 2 ? 2 : 1;
    MaxResolution = 0;
    Relayout(font);
}

bool DocDisplay::ZoomFits(int divisor, int width, int height) {
    if (divisor == 2) return width <= 32 && height <= 48;
    return width <= 16 && height <= 24;
}

void DocDisplay::SetPreviewMode(int mode) {
    PreviewMode = mode;
    PreviewZone = BasePreviewZone;
    const int halfWidth = BasePreviewZone.Width() / 2;
    const int halfHeight = BasePreviewZone.Height() / 2;
    if (mode == kPreviewDoubleHeight || mode == kPreviewDoubleBoth) {
        PreviewZone.top -= halfHeight;
        PreviewZone.bottom += halfHeight;
    }
    if (mode == kPreviewDoubleWidth || mode == kPreviewDoubleBoth) {
        PreviewZone.left -= halfWidth;
        PreviewZone.right += halfWidth;
    }
}

DisplayPoint DocDisplay::PointToCell(int x, int y) {
    const int p = Pitch();
    LastHitCell = {(x - GridOrigin.x) / p, (y - GridOrigin.y) / p};
    return LastHitCell;
}

DisplayRect DocDisplay::CellRect(int col, int row) const {
    const int p = Pitch();
    return {GridOrigin.x + p * col, GridOrigin.y + p * row, GridOrigin.x + p * (col + 1),
            GridOrigin.y + p * (row + 1)};
}

DisplayRect DocDisplay::CellsRect(int col0, int row0, int col1, int row1) const {
    const int p = Pitch();
    return {GridOrigin.x + p * col0, GridOrigin.y + p * row0, GridOrigin.x + p * (col1 + 1) + 1,
            GridOrigin.y + p * (row1 + 1) + 1};
}

DisplayRect DocDisplay::PreviewDotRect(int col, int row) const {
    const bool tall = PreviewMode == kPreviewDoubleHeight || PreviewMode == kPreviewDoubleBoth;
    const bool wide = PreviewMode == kPreviewDoubleWidth || PreviewMode == kPreviewDoubleBoth;
    const int x = PreviewZone.left + (wide ? 2 * col : col);
    const int y = PreviewZone.top + (tall ? 2 * row : row);
    return {x, y, x + (wide ? 2 : 1), y + (tall ? 2 : 1)};
}
