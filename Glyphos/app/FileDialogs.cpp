#include "FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

void PrepareFileDialog(QFileDialog& dlg) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
}

void StartFileDialogIn(QFileDialog& dlg, const QString& documentPath) {
    const QFileInfo folder(QFileInfo(documentPath).absolutePath());
    dlg.setDirectory(!documentPath.isEmpty() && folder.isDir() ? folder.absoluteFilePath() : QDir::homePath());
}
