// Start-up of the editor on the demo font: from CGlyphosApp::InitInstance
// with samples/demo.psw on the command line to the main window shown and
// painted, the font selection dialog answered as soon as it shows. The first
// benchmark is the first start in the process (fonts, styles and plug-ins
// still to load), the second a warm start. Runs in the offscreen platform
// unless QT_QPA_PLATFORM says otherwise. The target is well under a second.
#include "DialogSelectFont.h"
#include "Glyphos.h"
#include "MainFrm.h"
#include "PswBuilder.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>

namespace {

// The editor's folders in a temporary place: system setting, program folder
// with its configuration file, and an empty user profile.
struct Sandbox {
    QTemporaryDir dir;
    QString demo;

    Sandbox() {
        const QString root = dir.path();
        QDir().mkpath(root + "/program/DebugFile");
        QDir().mkpath(root + "/program/log");
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, root + "/system");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root + "/user");
        QSettings system(QSettings::IniFormat, QSettings::SystemScope, "Kalvo", "Glyphos");
        system.setValue("App. settings/Path", root + "/program/");
        system.sync();
        std::ofstream cfg((root + "/program/Glyphos.cfg").toStdString());
        cfg << "BeginAppCfg\n$Nameavifile=Glyphos.avi\n$DirLog=" << (root + "/program/log/").toStdString()
            << "\n$HelpFile=Glyphos.html\n$EndAppCfg\n";
        demo = FindDemo();
        if (demo.isEmpty()) {
            // Not run from a build tree of the repository: a file of the same shape.
            pswtest::Psw1Builder b;
            b.printer.scrByte = 0x35;
            b.bankSize = 2048;
            b.AddBank(0);
            b.AddBank(1);
            b.AddFont({.width = 12, .height = 24, .first = 0x20, .last = 0x7F});
            b.AddFont({.width = 8, .height = 16, .first = 0x20, .last = 0x7F});
            demo = root + "/demo.psw";
            b.Write(demo.toStdString());
        }
    }

    // samples/demo.psw above the program's folder (build/bin -> repository).
    static QString FindDemo() {
        QDir d(QCoreApplication::applicationDirPath());
        for (int up = 0; up < 4; ++up) {
            if (d.exists("samples/demo.psw")) return d.filePath("samples/demo.psw");
            if (!d.cdUp()) break;
        }
        return {};
    }
};

QApplication* App() {
    static int argc = 1;
    static char name[] = "bench_editor_startup";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

Sandbox& Box() {
    App();
    static Sandbox* box = new Sandbox;
    return *box;
}

// Accepts the font selection dialog (first font) as soon as it shows.
struct FontDialogAnswer {
    static void Poll(std::shared_ptr<FontDialogAnswer> self) {
        if (auto* dlg = qobject_cast<CDialogSelectFont*>(QApplication::activeModalWidget())) {
            dlg->accept();
            return;
        }
        QTimer::singleShot(0, [self] { Poll(self); });
    }
};

void AnswerFontDialog() {
    auto p = std::make_shared<FontDialogAnswer>();
    QTimer::singleShot(0, [p] { FontDialogAnswer::Poll(p); });
}

void StartOnce(benchmark::State& state) {
    AnswerFontDialog();
    auto app = std::make_unique<CGlyphosApp>();
    if (!app->InitInstance({Box().demo})) state.SkipWithError("start-up failed");
    QCoreApplication::processEvents();  // the first paint
    state.PauseTiming();
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
}

void BM_FirstStartWithDemoFont(benchmark::State& state) {
    Box();
    for (auto _ : state) StartOnce(state);
}
BENCHMARK(BM_FirstStartWithDemoFont)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_StartWithDemoFont(benchmark::State& state) {
    Box();
    for (auto _ : state) StartOnce(state);
}
BENCHMARK(BM_StartWithDemoFont)->Unit(benchmark::kMillisecond);

}  // namespace
