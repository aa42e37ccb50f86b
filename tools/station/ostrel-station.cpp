// ostrel-station: a production test station reduced to a clear example of
// the printer side of Ostrel (see StationWindow for the window, StationWorker
// for the test, StationPrinter for the class derived from the printers
// object).
#include "StationOptions.h"
#include "StationUiServices.h"
#include "StationWindow.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <memory>

#include <cstdio>
#include <string>
#include <vector>

namespace {

enum Exit { kOk = 0, kFailure = 1, kUsage = 2 };

void PrintError(const std::string& message) { std::fprintf(stderr, "ostrel-station: error: %s\n", message.c_str()); }

// SIGTERM (a shutdown) and SIGHUP (a closed session) end the station the way
// its Quit button does: the running test stops, its printer releases the
// port with the setting it had, and only then does the program end. The
// handler only writes a byte; the event loop does the rest.
int g_signalPipe[2] = {-1, -1};

void OnTerminatingSignal(int) {
    const char byte = 1;
    if (::write(g_signalPipe[1], &byte, 1) < 0) {
        // Nothing a handler could do: a full pipe already wakes the loop.
    }
}

void CatchTerminatingSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction sa {};
    sa.sa_handler = OnTerminatingSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGHUP, SIGINT, SIGQUIT}) ::sigaction(sig, &sa, nullptr);
}

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

    CatchTerminatingSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ostrel-station"));
    QApplication::setApplicationVersion(QStringLiteral(GLYPHOS_VERSION));
    StationUiServices ui;
    UiServices* previous = UiServices::Install(&ui);
    int result = kOk;
    {
        StationWindow window(options, std::move(models), &ui);
        window.show();
        bool signalled = false;
        std::unique_ptr<QSocketNotifier> onSignal;
        if (g_signalPipe[0] >= 0) {
            onSignal = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
            QObject::connect(onSignal.get(), &QSocketNotifier::activated, &app, [&] {
                char drain[16];
                while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {
                }
                signalled = true;
                // Dialogs waiting for the operator are answered "cancel",
                // including those a stopping test still opens.
                auto closeDialogs = [&window] {
                    for (QWidget* w : QApplication::topLevelWidgets()) {
                        if (w != &window && w->isVisible()) w->close();
                    }
                };
                closeDialogs();
                auto* sweeper = new QTimer(&app);
                QObject::connect(sweeper, &QTimer::timeout, &app, closeDialogs);
                sweeper->start(100);
                if (!window.Running()) QApplication::exit(kFailure);
                else QObject::connect(&window, &StationWindow::testEnded, &app, [] { QApplication::exit(kFailure); });
                window.StopTest();
            });
        }
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
        if (signalled) result = kFailure;
    }
    UiServices::Install(previous);
    return result;
}
