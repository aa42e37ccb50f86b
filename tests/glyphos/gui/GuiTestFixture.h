// A sandbox for starting the editor inside a test: a temporary program
// folder with its configuration file and manual, system settings that name
// it (or not), a temporary user profile, and the scripted message boxes.
#pragma once

#include "Glyphos.h"
#include "MainFrm.h"
#include "QtTestSupport.h"
#include "TestUi.h"

#include <QSettings>
#include <QTest>

#include <filesystem>
#include <memory>

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        std::filesystem::create_directories(ProgramDir() + "/DebugFile");
        std::filesystem::create_directories(ProgramDir() + "/log");
        std::filesystem::create_directories(dir.File("system"));
        std::filesystem::create_directories(dir.File("user"));
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, QString::fromStdString(dir.File("system")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(dir.File("user")));
        WriteText(ProgramDir() + "/Glyphos.cfg",
                  "BeginAppCfg\n$Nameavifile=Glyphos.avi\n$DirLog=" + ProgramDir() +
                      "/log/\n$HelpFile=Glyphos.html\n$EndAppCfg\n");
        WriteText(ProgramDir() + "/Glyphos.html", "<html><body>manual</body></html>\n");
    }

    void TearDown() override {
        CancelPendingModals();
        app.reset();
        // Windows closed by the application go with the next turn of the loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::string ProgramDir() const { return dir.File("program"); }

    // The system setting that names the program folder.
    void InstallSystemSetting() {
        QSettings system(QSettings::IniFormat, QSettings::SystemScope, "Kalvo", "Glyphos");
        system.setValue("App. settings/Path", QString::fromStdString(ProgramDir()));
        system.sync();
    }

    // The user's profile, as the editor reads and writes it.
    std::unique_ptr<QSettings> Profile() {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Kalvo", "Glyphos");
    }

    // Starts the editor with the given command-line arguments.
    bool Start(const QStringList& args = {}) {
        app = std::make_unique<CGlyphosApp>();
        app->SetUrlOpener([this](const QUrl& url) {
            opened << url;
            return openerAnswer;
        });
        if (!app->InitInstance(args)) return false;
        // Accelerators work in the active window only.
        Frame()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Frame()));
        return true;
    }

    CMainFrame* Frame() const { return app->GetMainFrame(); }

    ScopedScriptedUi ui;
    TempDir dir;
    std::unique_ptr<CGlyphosApp> app;
    QList<QUrl> opened;
    bool openerAnswer = true;
};
