// ostrel-station: a production test station reduced to a clear example of
// the printer side of Ostrel (see StationWindow for the window, StationWorker
// for the test, StationPrinter for the class derived from the printers
// object).
#include "StationOptions.h"
#include "StationUiServices.h"
#include "StationWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

namespace {

enum Exit { kOk = 0, kFailure = 1, kUsage = 2 };

void PrintError(const std::string& message) { std::fprintf(stderr, "ostrel-station: error: %s\n", message.c_str()); }

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // Answered before Qt starts, so that they work without a display.
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(kStationUsage, stdout);
            return kOk;
        }
        if (a == "--version") {
            std::printf("ostrel-station %s\n", GLYPHOS_VERSION);
            return kOk;
        }
    }
    StationOptions options;
    std::vector<StationModel> models;
    try {
        options = ParseStationOptions(args);
        CheckStationOptions(options);
        models = ListStationModels(options.printers);
    } catch (const StationUsageError& e) {
        PrintError(e.what);
        std::fputs("usage: ostrel-station [OPTIONS] (see --help)\n", stderr);
        return kUsage;
    } catch (const StationFailure& e) {
        PrintError(e.what);
        return kFailure;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return kFailure;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ostrel-station"));
    QApplication::setApplicationVersion(QStringLiteral(GLYPHOS_VERSION));
    StationUiServices ui;
    UiServices* previous = UiServices::Install(&ui);
    int result = kOk;
    {
        StationWindow window(options, std::move(models), &ui);
        window.show();
        if (options.once) {
            QObject::connect(&window, &StationWindow::testEnded, &app, [&](int outcome, const QString&, const QString& message) {
                if (outcome != StationWorker::kTestPassed)
                    PrintError(message.isEmpty() ? std::string("the printer failed the test") : message.toStdString());
                QApplication::exit(outcome == StationWorker::kTestPassed ? kOk : kFailure);
            });
            QTimer::singleShot(0, &window, [&] {
                if (!window.StartTest()) {
                    PrintError("the test was not started (a dialog was cancelled)");
                    QApplication::exit(kFailure);
                }
            });
        }
        result = app.exec();
    }
    UiServices::Install(previous);
    return result;
}
