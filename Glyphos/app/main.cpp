// The editor's entry point: a Qt application with the Qt provider of the
// library's message boxes, running CGlyphosApp.
//
//   glyphos [FILE]        opens FILE (.kfn or .psw, any letter case), or a
//                         new font
//   --exit-when-shown     quits as soon as the main window is up (used by
//                         the start-up timing script)
#include "Glyphos.h"
#include "QtUiServices.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(CGlyphosApp::kOrganization));
    QApplication::setApplicationName(QString::fromLatin1(CGlyphosApp::kApplication));
    QApplication::setApplicationVersion(QStringLiteral("2.10"));

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
