#include "CliGui.h"

#include <cstdio>

std::unique_ptr<QGuiApplication> StartOffscreenGui() {
    // Qt keeps argc and argv for the application's lifetime.
    static int argc = 3;
    static char arg0[] = "glyphos-cli", arg1[] = "-platform", arg2[] = "offscreen";
    static char* argv[] = {arg0, arg1, arg2, nullptr};
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    return std::make_unique<QGuiApplication>(argc, argv);
}
