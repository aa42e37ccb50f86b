// The commands of the editing view and the state of their menu items and
// buttons: zoom, colours, preview modes, tools and their sizes, navigation,
// the edit commands and the mouse activation mode.
#include "CommandIds.h"
#include "DialogToolPixelSize.h"
#include "GYCopyPaste.h"
#include "GlyphosDocCore.h"
#include "GlyphosView.h"

#include <QAction>
#include <QColorDialog>
#include <QMenu>
#include <QStyle>

#include <algorithm>
#include <vector>

namespace {

struct MenuItem {
    int id;
    const char* text;
};

// The "Actions" context menus: 139 for every tool, 140 with the tool sizes
// for the eraser and the brush.
constexpr MenuItem kActionsMenu[] = {
    {cmd::RefreshView, "Refresh View"}, {cmd::SelectAllPixel, "Select All Pixel"}, {cmd::ClearPixel, "Clear Pixel"},
    {0, nullptr},                       {cmd::ToolEraser, "Eraser"},               {cmd::ToolPen, "Pen"},
    {cmd::ToolSelect, "Select mode"},   {cmd::ToolBrush, "Brush"},                 {cmd::ToolPointer, "Pointer mode"},
};
constexpr MenuItem kSizeMenu[] = {
    {cmd::ToolSize2, "2 pixel"}, {cmd::ToolSize3, "3 pixel"},   {cmd::ToolSize5, "5 pixel"},
    {cmd::ToolSize7, "7 pixel"}, {cmd::ToolSizeUser, "User size"},
};

std::uint32_t ToRgb(const QColor& c) {
    return (static_cast<std::uint32_t>(c.red()) << 16) | (static_cast<std::uint32_t>(c.green()) << 8) |
           static_cast<std::uint32_t>(c.blue());
}

}  // namespace

bool CGlyphosView::OnCommand(int id) {
    switch (id) {
        case cmd::GridColor: OnChooseColor(true); break;
        case cmd::BorderGridColor: OnChooseColor(false); break;
        case cmd::ZoomX2:
            m_zoomFollowsSize = false;
            OnZoom(2);
            break;
        case cmd::ZoomX4:
            m_zoomFollowsSize = false;
            OnZoom(1);
            break;
        case cmd::ZoomMaxResolution:
            m_zoomFollowsSize = false;
            OnMaxResolution();
            break;
        case cmd::PreviewNormal: OnPreviewMode(DocDisplay::kPreviewNormal); break;
        case cmd::PreviewDoubleHeight: OnPreviewMode(DocDisplay::kPreviewDoubleHeight); break;
        case cmd::PreviewDoubleWidth: OnPreviewMode(DocDisplay::kPreviewDoubleWidth); break;
        case cmd::PreviewDoubleBoth: OnPreviewMode(DocDisplay::kPreviewDoubleBoth); break;
        case cmd::RefreshView: OnRefreshView(); break;
        case cmd::ClearPixel: OnClearPixel(); break;
        case cmd::SelectAllPixel: OnSelectAll(); break;
        case cmd::ToolEraser: ChooseTool(Eraser); break;
        case cmd::ToolPen: ChooseTool(Pen); break;
        case cmd::ToolSelect: ChooseTool(Select); break;
        case cmd::ToolBrush: ChooseTool(Brush); break;
        case cmd::ToolPointer:
            if (IsBlockLifted()) CommitSelection();
            CancelTool();
            break;
        case cmd::ToolSize2: OnToolSize(2); break;
        case cmd::ToolSize3: OnToolSize(3); break;
        case cmd::ToolSize5: OnToolSize(5); break;
        case cmd::ToolSize7: OnToolSize(7); break;
        case cmd::ToolSizeUser: OnUserToolSize(); break;
        case cmd::ImportWindowsFont: OnImportWindowsFont(); break;
        case cmd::CorrectiveFontPosition: OnCorrectiveFactor(); break;
        case cmd::NextChar: Navigate(&CGlyphosDocCore::NextChar); break;
        case cmd::PrevChar: Navigate(&CGlyphosDocCore::PrevChar); break;
        case cmd::FirstChar: Navigate(&CGlyphosDocCore::FirstChar); break;
        case cmd::LastChar: Navigate(&CGlyphosDocCore::LastChar); break;
        case cmd::EditCopy: OnCopy(); break;
        case cmd::EditCut: OnCut(); break;
        case cmd::EditPaste: OnPaste(); break;
        case cmd::EditUndo: OnUndo(); break;
        case cmd::EditRedo: OnRedo(); break;
        case cmd::MouseActivateNone:
            if (m_frame) m_frame->SetMouseActivateMode(1);
            break;
        case cmd::MouseActivateGrid:
            if (m_frame) m_frame->SetMouseActivateMode(2);
            break;
        case cmd::MouseActivateView:
            if (m_frame) m_frame->SetMouseActivateMode(4);
            break;
        case cmd::FontProperties: OnFontProperties(); break;
        default:
            if (!OnPrintCommand(id)) return false;
            break;
    }
    if (m_frame) m_frame->CommandStateChanged();
    return true;
}

bool CGlyphosView::UpdateCommand(int id, bool& enabled, bool& checked) {
    const KalvoFont& font = Font();
    const DocDisplay& d = Display();
    enabled = true;
    checked = false;
    const auto tool = [this](DrawTool t) {
        return m_tool == t || (t == Select && m_tool == MoveSelection);
    };
    const auto activation = [this](int bit) { return m_frame && (m_frame->GetMouseActivateMode() & bit) != 0; };
    switch (id) {
        case cmd::ZoomX2:
        case cmd::ZoomX4: {
            const int divisor = id == cmd::ZoomX2 ? 2 : 1;
            enabled = DocDisplay::ZoomFits(divisor, font.GetWidth(), font.GetHeight());
            checked = enabled && d.ZoomDivisor == divisor && !d.MaxResolution;
            break;
        }
        case cmd::ZoomMaxResolution: checked = d.MaxResolution == 1; break;
        case cmd::PreviewNormal: checked = d.PreviewMode == DocDisplay::kPreviewNormal; break;
        case cmd::PreviewDoubleHeight: checked = d.PreviewMode == DocDisplay::kPreviewDoubleHeight; break;
        case cmd::PreviewDoubleWidth: checked = d.PreviewMode == DocDisplay::kPreviewDoubleWidth; break;
        case cmd::PreviewDoubleBoth: checked = d.PreviewMode == DocDisplay::kPreviewDoubleBoth; break;
        case cmd::ToolEraser: checked = tool(Eraser); break;
        case cmd::ToolPen: checked = tool(Pen); break;
        case cmd::ToolSelect: checked = tool(Select); break;
        case cmd::ToolBrush: checked = tool(Brush); break;
        case cmd::ToolPointer: checked = tool(None); break;
        case cmd::ToolSize2:
        case cmd::ToolSize3:
        case cmd::ToolSize5:
        case cmd::ToolSize7: {
            const int size = id == cmd::ToolSize2 ? 2 : id == cmd::ToolSize3 ? 3 : id == cmd::ToolSize5 ? 5 : 7;
            checked = (m_tool == Eraser && m_eraserSize == size) || (m_tool == Brush && m_brushSize == size);
            break;
        }
        case cmd::EditCopy: enabled = m_selFloating && m_tool != MoveSelection; break;
        case cmd::EditCut: enabled = m_selFloating != 0; break;
        case cmd::EditPaste: enabled = m_frame && m_frame->GetCopyPaste().IsFilled(); break;
        case cmd::EditUndo: enabled = CanUndo(); break;
        case cmd::EditRedo: enabled = CanRedo(); break;
        case cmd::MouseActivateNone: checked = activation(1); break;
        case cmd::MouseActivateGrid: checked = activation(2); break;
        case cmd::MouseActivateView: checked = activation(4); break;
        case cmd::GridColor:
        case cmd::BorderGridColor:
        case cmd::RefreshView:
        case cmd::ClearPixel:
        case cmd::SelectAllPixel:
        case cmd::NextChar: enabled = CurrentChar() < font.GetLastChar(); break;
        case cmd::PrevChar: enabled = CurrentChar() > font.GetFirstChar(); break;
        case cmd::ToolSizeUser:
        case cmd::FontProperties:
        case cmd::FilePrint:
        case cmd::FilePrintDirect:
        case cmd::FilePrintPreview:
        case cmd::PrintZoomFactor:
        case cmd::ImportWindowsFont:
        case cmd::CorrectiveFontPosition:
        case cmd::FirstChar:
        case cmd::LastChar: break;
        default: return false;
    }
    return true;
}

bool CGlyphosView::OnUpdateCmdUI(CCmdUI& ui) {
    bool enabled = true, checked = false;
    if (!UpdateCommand(ui.m_nID, enabled, checked)) return false;
    ui.Enable(enabled);
    ui.SetCheck(checked);
    return true;
}

QMenu* CGlyphosView::CreateContextMenu(QWidget* parent) {
    const bool sized = m_tool == Eraser || m_tool == Brush;
    auto* menu = new QMenu(parent);
    menu->setObjectName(sized ? QStringLiteral("ActionsMenu140") : QStringLiteral("ActionsMenu139"));
    const auto add = [this](QMenu* to, const MenuItem& item) {
        if (item.id == 0) {
            to->addSeparator();
            return;
        }
        // The menu's own item with the menu's own text; where the frame has
        // an action for the command, that action does the work (so the
        // frame's command route and its states hold), else the view does.
        auto* a = new QAction(QString::fromLatin1(item.text), to);
        a->setObjectName(QStringLiteral("cmd%1").arg(item.id));
        QAction* shared = m_frame ? m_frame->CommandAction(item.id) : nullptr;
        bool enabled = true, checked = false, checkable = false;
        if (shared) {
            enabled = shared->isEnabled();
            checked = shared->isChecked();
            checkable = shared->isCheckable();
            connect(a, &QAction::triggered, shared, [shared] { shared->trigger(); });
        } else {
            UpdateCommand(item.id, enabled, checked);
            checkable = checked;
            const int id = item.id;
            connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
        a->setEnabled(enabled);
        a->setCheckable(checkable);
        a->setChecked(checked);
        to->addAction(a);
    };
    for (const MenuItem& item : kActionsMenu) add(menu, item);
    if (sized) {
        menu->addSeparator();
        QMenu* sizes = menu->addMenu(QStringLiteral("Selected Tool Size"));
        for (const MenuItem& item : kSizeMenu) add(sizes, item);
    }
    return menu;
}

// ---------------------------------------------------------------- commands

void CGlyphosView::AfterZoom() {
    RecomputeExtents();
    // The eraser square was measured in the old pitch.
    m_eraserCursorDrawn = 0;
    m_eraserCursorRect = QRect();
    UpdateScrollSizes();
    m_doc->UpdateAllViews(kHintAll);
}

void CGlyphosView::FitZoom(const QSize& available) {
    const KalvoFont& font = Font();
    DocDisplay& d = Display();
    const int w = std::max(1, font.GetWidth()), h = std::max(1, font.GetHeight());
    struct Level {
        int divisor;  // 0: "Max Resolution"
        int pitch;
    };
    std::vector<Level> levels = {
        {0, DocDisplay::MaxResolutionCellSize(w, h, d.MaxGridWidth, d.MaxGridHeight)}};
    for (int divisor : {1, 2}) {
        if (DocDisplay::ZoomFits(divisor, w, h)) levels.push_back({divisor, DocDisplay::kBaseCellSize / divisor});
    }
    std::sort(levels.begin(), levels.end(), [](const Level& a, const Level& b) { return a.pitch > b.pitch; });
    // The grid with its margin all round; the preview beside it may scroll,
    // and then its scroll bar takes a strip off the height.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const auto fits = [&](const Level& l) {
        const int gridRight = d.GridOrigin.x * 2 + w * l.pitch;
        const int gridBottom = d.GridOrigin.y * 2 + h * l.pitch;
        const int previewRight = d.GridOrigin.x + d.MaxGridWidth + 100 + DocDisplay::kPreviewFrameWidth + 20;
        const int height = available.height() - (std::max(gridRight, previewRight) > available.width() ? bar : 0);
        return gridRight <= available.width() && gridBottom <= height;
    };
    auto chosen = std::find_if(levels.begin(), levels.end(), fits);
    const Level l = chosen != levels.end() ? *chosen : levels.back();
    const bool same = l.divisor == 0 ? d.MaxResolution == 1 && d.CellSize == l.pitch
                                     : !d.MaxResolution && d.ZoomDivisor == l.divisor && d.CellSize == DocDisplay::kBaseCellSize;
    if (same) return;
    if (l.divisor == 0) d.SetMaxResolution(font);
    else d.SetZoom(l.divisor, font);
    AfterZoom();
}

QSize CGlyphosView::WholeSize() const {
    const DisplayPoint total = Display().ScrollSize;
    const int frame = 2 * frameWidth();
    return {total.x + frame, total.y + frame};
}

void CGlyphosView::OnZoom(int divisor) {
    if (!DocDisplay::ZoomFits(divisor, Font().GetWidth(), Font().GetHeight())) return;
    Display().SetZoom(divisor, Font());
    AfterZoom();
}

void CGlyphosView::OnMaxResolution() {
    Display().SetMaxResolution(Font());
    AfterZoom();
}

void CGlyphosView::OnPreviewMode(int mode) {
    Display().SetPreviewMode(mode);
    const DisplayRect& f = Display().PreviewFrame;
    Invalidate(QRect(f.left, f.top, f.Width() + 1, f.Height() + 1));
    m_doc->UpdateAllViews(kHintAll, this);
}

void CGlyphosView::OnChooseColor(bool grid) {
    const QString title = grid ? QStringLiteral("Grid color") : QStringLiteral("Border grid");
    const QColor chosen = QColorDialog::getColor(Qt::black, this, title);
    if (!chosen.isValid()) return;
    (grid ? Display().GridColor : Display().BorderColor) = ToRgb(chosen);
    m_doc->UpdateAllViews(kHintAll);
}

void CGlyphosView::OnToolSize(int size) {
    if (m_tool == Eraser) {
        m_eraserSize = size;
        if (m_eraserCursorDrawn && m_lastMouse.x() >= 0 && Display().IsOnGrid(m_lastMouse.x(), m_lastMouse.y()))
            MoveEraserSquare(Display().PointToCell(m_lastMouse.x(), m_lastMouse.y()));
    } else if (m_tool == Brush) {
        m_brushSize = size;
    }
    RecomputeExtents();
}

void CGlyphosView::OnUserToolSize() {
    // The dialog takes the focus, and with it the tool: remember both.
    const DrawTool tool = m_tool;
    const int size = tool == Eraser ? m_eraserSize : tool == Brush ? m_brushSize : 0;
    CDialogToolPixelSize dlg(tool == Eraser   ? CDialogToolPixelSize::Eraser
                             : tool == Brush ? CDialogToolPixelSize::Brush
                                             : CDialogToolPixelSize::Other,
                             size, this);
    if (dlg.exec() != QDialog::Accepted) return;
    if (tool == Eraser) m_eraserSize = dlg.GetSize();
    if (tool == Brush) m_brushSize = dlg.GetSize();
    if ((tool == Eraser || tool == Brush) && m_tool != tool) ChooseTool(tool);
    RecomputeExtents();
}

void CGlyphosView::OnClearPixel() {
    // One click wipes the whole character: it must be one Undo away.
    SaveUndoStep();
    Font().ClearChar(CurrentChar());
    m_doc->SetModifiedFlag();
    m_doc->UpdateAllViews(kHintGridAndPreview);
    if (m_frame) m_frame->PreviewInvalidateChar();
}

void CGlyphosView::OnRefreshView() {
    m_doc->UpdateAllViews(kHintAll);
    if (m_frame) m_frame->PreviewRefresh();
}
