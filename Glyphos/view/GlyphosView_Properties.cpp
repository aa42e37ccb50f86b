// The "Property font" command of the editing view: the dialog edits the
// font's record in place; a record that changed makes the document modified
// and is shown at "Max Resolution" with its new bytes per row.
#include "DialogPropietaFont.h"
#include "GlyphosDocCore.h"
#include "GlyphosView.h"

#include <cstring>
#include <vector>

void CGlyphosView::OnFontProperties() {
    KalvoFont& font = Font();
    const unsigned char* record = font.GetHeaderBytes();
    const std::vector<unsigned char> before(record, record + font.GetHeaderSize());
    const CString nameBefore = font.GetFontName();
    CDialogPropietaFont dlg(font, Core().GetNewFont(), this);
    if (dlg.exec() == QDialog::Accepted) {
        Core().PropertiesChanged();
        // A narrower range may have moved the current character to the first.
        if (m_frame) m_frame->SetCharPane(CurrentChar());
        if (std::memcmp(before.data(), font.GetHeaderBytes(), before.size()) != 0 || nameBefore != font.GetFontName())
            m_doc->SetModifiedFlag();
    }
    Display().SetPreviewMode(DocDisplay::kPreviewNormal);
    // The dialog has put the grid at "Max Resolution" for the new size.
    m_zoomFollowsSize = false;
    AfterZoom();
    if (m_frame) m_frame->PreviewRefresh();
}
