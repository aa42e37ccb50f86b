#include "ChildFrm.h"

#include "GlyphosDoc.h"
#include "QtText.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

CGlyphosDoc* CChildFrame::GetDocument() const { return m_doc.data(); }

CChildFrame::CChildFrame(CGlyphosDoc* doc, QWidget* view, QWidget* parent) : QMdiSubWindow(parent), m_doc(doc) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    // Ctrl+W and Ctrl+F4 belong to the main window's Close: the same keys
    // on the window's own menu would make both ambiguous, and neither would
    // fire.
    if (QMenu* menu = systemMenu()) {
        for (QAction* a : menu->actions()) {
            QList<QKeySequence> keys = a->shortcuts();
            const qsizetype removed = keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)) +
                                      keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4));
            if (removed > 0) a->setShortcuts(keys);
        }
    }
    if (m_doc) m_doc->AddFrame(this);
}

CChildFrame::~CChildFrame() {
    if (m_doc) m_doc->RemoveFrame(this);
}

void CChildFrame::UpdateTitle(int number) {
    if (!m_doc) return;
    QString title = ToQString(m_doc->GetTitle());
    if (number > 0) title += QStringLiteral(":%1").arg(number);
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_doc->IsModified());
}

void CChildFrame::CloseWithoutPrompt() {
    m_force = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!m_force && m_doc && m_doc->Frames().size() == 1 && !m_doc->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
