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
    CXFontDialog dlg(core.GetImportFont(), CodePageChoice::Application(), this);
    if (dlg.exec() != QDialog::Accepted) return;
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
    m_importPending = 1;
    m_doc->UpdateAllViews(kHintAll);
    viewport()->update();
    if (m_frame) m_frame->PreviewRefresh();
}

void CGlyphosView::RunPendingImport() {
    if (!m_importPending) return;
    m_importPending = 0;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    {
        CDialogImportWindowsFont window(this);
        window.Run(Font(), Core().GetImportFont(), CodePageChoice::Application().codePage, GetImportPlacement());
    }
    QApplication::restoreOverrideCursor();
    // New dots that were never saved: closing must ask.
    m_doc->SetModifiedFlag(true);
    m_doc->UpdateAllViews(kHintAll);
    if (m_frame) m_frame->PreviewRefresh();
}
