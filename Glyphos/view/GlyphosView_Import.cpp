// Drawing an installed font into the document's font: the font dialog, the
// placement dialog, and the import itself, which runs on the repaint after
// either dialog was confirmed.
#include "CodePageList.h"
#include "DialogCorrectiveFactorPosition.h"
#include "DialogImportWindowsFont.h"
#include "GlyphosDocCore.h"
#include "GlyphosView.h"
#include "XFontDialog.h"

#include <QApplication>
#include <QCursor>

void CGlyphosView::OnImportWindowsFont() {
    CGlyphosDocCore& core = Core();
    // The dialog sets the code page while the user browses; Cancel puts back
    // the one in force, which the next rendering would otherwise use.
    const CodePageChoice before = CodePageChoice::Application();
    CXFontDialog dlg(core.GetImportFont(), CodePageChoice::Application(), this);
    if (dlg.exec() != QDialog::Accepted) {
        CodePageChoice::Application() = before;
        return;
    }
    core.GetImportFont() = dlg.GetLogFont();
    Font().SetFontName(CString(dlg.GetLogFont().lfFaceName.c_str()));
    m_importPending = 1;
    if (m_frame) m_frame->PreviewRefresh();
    m_doc->UpdateAllViews(kHintAll);
    viewport()->update();
}

void CGlyphosView::OnCorrectiveFactor() {
    const KalvoFont& font = Font();
    CDialogCorrectiveFactorPosition dlg(&m_importX, &m_importY, &m_importFx, &m_importFy, Core().GetImportFont(),
                                        font.GetWidth(), font.GetHeight(), this);
    if (dlg.exec() != QDialog::Accepted) return;
    // The factors are kept for the next import; a font that was never drawn
    // from an installed one (drawn by hand, read from a file) is not redrawn
    // from the empty typeface, which would wipe it.
    if (Core().GetImportFont().lfFaceName.empty()) return;
    m_importPending = 1;
    m_doc->UpdateAllViews(kHintAll);
    viewport()->update();
    if (m_frame) m_frame->PreviewRefresh();
}

void CGlyphosView::RunPendingImport() {
    if (!m_importPending) return;
    m_importPending = 0;
    // The rendering rewrites every character: one Undo brings the font back.
    std::vector<unsigned char> before;
    ReadChars(Font(), 0, KalvoFont::kChars, before);
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    {
        CDialogImportWindowsFont window(this);
        window.Run(Font(), Core().GetImportFont(), CodePageChoice::Application().codePage, GetImportPlacement());
    }
    QApplication::restoreOverrideCursor();
    m_undoDepth = 0;
    m_undoAvailable = 0;
    m_undoTaken = 0;
    m_undoChar = CurrentChar();
    m_redo.clear();
    m_fontUndo = std::move(before);
    // New dots that were never saved: closing must ask.
    m_doc->SetModifiedFlag(true);
    m_doc->UpdateAllViews(kHintAll);
    if (m_frame) m_frame->PreviewRefresh();
}
