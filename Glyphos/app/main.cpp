// The editor's entry point: a Qt application with the Qt provider of the
// library's message boxes, running CGlyphosApp.
//
//   glyphos [FILE...]     opens each FILE (.kfn or .psw, any letter case),
//                         or a new font
//   --help, --version     answered before any window system is needed
//   --exit-when-shown     quits as soon as the main window is up (used by
//                         the start-up timing script)
#include "Glyphos.h"
#include "QtUiServices.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("glyphos %s\n", GLYPHOS_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: glyphos [FILE...]\n"
                        "The bitmap-font editor of Kalvo printers. Opens each FILE (.kfn font file or .psw\n"
                        "firmware file) in a window of its own, or a new font.\n"
                        "  --help      print this text\n"
                        "  --version   print the version\n");
            return 0;
        }
    }
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(CGlyphosApp::kOrganization));
    QApplication::setApplicationName(QString::fromLatin1(CGlyphosApp::kApplication));
    QApplication::setApplicationVersion(QStringLiteral(GLYPHOS_VERSION));

    QtUiServices ui;
    UiServices* previous = UiServices::Install(&ui);
    int rc = 1;
    {
        CGlyphosApp app;
        const QStringList args = QApplication::arguments().mid(1);
        if (app.InitInstance(args)) {
            if (args.contains(QStringLiteral("--exit-when-shown")))
                QTimer::singleShot(0, &qapp, [] { QApplication::quit(); });
            rc = QApplication::exec();
        }
    }
    UiServices::Install(previous);
    return rc;
}
