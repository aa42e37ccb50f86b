#include "FileDialogs.h"

#include <QFileDialog>
#include <QGuiApplication>

void PrepareFileDialog(QFileDialog& dlg) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
}
