#include "FileDialogs.h"

#include "GlyphosDoc.h"
#include "MainFrm.h"
#include "QtText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

void PrepareFileDialog(QFileDialog& dlg, const CMainFrame* frame) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!frame) return;
    const CGlyphosDoc* doc = frame->ActiveDocument();
    const QString path = doc ? ToQString(doc->GetPathName()) : QString();
    const QFileInfo folder(QFileInfo(path).absolutePath());
    dlg.setDirectory(!path.isEmpty() && folder.isDir() ? folder.absoluteFilePath() : QDir::homePath());
}
