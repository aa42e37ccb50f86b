#include "AboutDlg.h"
#include "ChildFrm.h"
#include "CommandIds.h"
#include "DialogPassword.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "GuiTestFixture.h"
#include "LoadGlyphosCfgFileApp.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>

namespace {

using GlyphosAppTest = GuiTest;

TEST_F(GlyphosAppTest, StartsWithANewFontWhenTheProgramFolderIsSet) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->Get_m_ProgramPath(), CString::FromUtf8(ProgramDir() + "/"));
    EXPECT_EQ(app->Get_m_CfgFileName(), L"Glyphos.cfg");
    EXPECT_EQ(app->Get_m_Version(), L"2.10");
    ASSERT_NE(app->GetConfig(), nullptr);
    EXPECT_EQ(app->GetConfig()->Get_m_HelpFile(), L"Glyphos.html");
    EXPECT_EQ(app->GetLogDir(), CString::FromUtf8(ProgramDir() + "/log/"));
    EXPECT_TRUE(Frame()->isVisible());
    EXPECT_EQ(Frame()->MdiArea()->subWindowList().size(), 1);
    ASSERT_EQ(app->GetDocTemplate()->Documents().size(), 1u);
    EXPECT_EQ(app->GetDocTemplate()->Documents()[0]->GetTitle(), L"Glyphos1");
    EXPECT_EQ(ui->Count(), 0u);
}

TEST_F(GlyphosAppTest, RefusesToStartWithoutTheProgramFolderSetting) {
    ui->Answer(IDOK);
    EXPECT_FALSE(Start());
    const auto box = ui.Last();
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_EQ(box.style & MB_ICONMASK, MB_ICONSTOP);
    const std::string text = box.text.ToUtf8();
    EXPECT_EQ(text.rfind("The reistry key ", 0), 0u) << text;
    EXPECT_NE(text.find("Kalvo/Glyphos.ini [App. settings] Path is not find by program.\nVerify the registry "
                        "integrity or reinstal the program."),
              std::string::npos)
        << text;
    EXPECT_EQ(app->GetMainFrame(), nullptr);
}

TEST_F(GlyphosAppTest, AFolderSettingThatIsNotOneTextCountsAsMissing) {
    QSettings system(QSettings::IniFormat, QSettings::SystemScope, "Kalvo", "Glyphos");
    system.setValue("App. settings/Path", QStringList{"/a", "/b"});
    system.sync();
    ui->Answer(IDOK);
    EXPECT_FALSE(Start());
}

TEST_F(GlyphosAppTest, HelpOpensTheManualOfTheProgramFolder) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->OnHtmlHelp(), CGlyphosApp::kShellOk);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(ProgramDir() + "/Glyphos.html")));

    // F1 reaches the same command.
    QTest::keyClick(Frame(), Qt::Key_F1);
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(GlyphosAppTest, HelpFailuresShowTheShellMessages) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    std::filesystem::remove(ProgramDir() + "/Glyphos.html");
    ui->Answer(IDOK);
    EXPECT_EQ(app->OnHtmlHelp(), 2);
    EXPECT_EQ(ui.Last().text, L"The specified file was not found.");
    EXPECT_EQ(ui.Last().caption, L"Error");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONSTOP);

    ui->Answer(IDOK);
    EXPECT_EQ(app->ShellOpen(QString::fromStdString(dir.File("nowhere/manual.html"))), 3);
    EXPECT_EQ(ui.Last().text, L"The specified path was not found. ");

    openerAnswer = false;  // the desktop has nothing that opens it
    ui->Answer(IDOK);
    EXPECT_EQ(app->OnWebLink(), 31);
    EXPECT_EQ(ui.Last().text, L"There is no application associated with the given file name extension. ");
    EXPECT_EQ(opened.back(), QUrl(QString::fromLatin1(CGlyphosApp::kWebPage)));

    EXPECT_EQ(CGlyphosApp::ShellErrorText(0), L"The operating system is out of memory or resources. ");
    EXPECT_EQ(CGlyphosApp::ShellErrorText(30),
              L"The DDE transaction could not be completed because other DDE transactions were being processed.");
    EXPECT_EQ(CGlyphosApp::ShellErrorText(17), L"No error listed.");
}

TEST_F(GlyphosAppTest, HelpWithNothingToShowWebPagesNamesTheManual) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    openerAnswer = false;
    ui->Answer(IDOK);
    QTest::keyClick(Frame(), Qt::Key_F1);
    ASSERT_EQ(ui->Count(), 1u);
    EXPECT_EQ(ui.Last().text, L"There is no application associated with the given file name extension. \n\n"
                              L"The manual is the file:\n" +
                                  CString::FromUtf8(ProgramDir() + "/Glyphos.html"));
}

TEST_F(GlyphosAppTest, TheTableGeneratorAsksForNothingWithoutADocument) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    Frame()->Action(cmd::FileClose)->trigger();
    ASSERT_EQ(Frame()->ActiveDocument(), nullptr);
    Frame()->UpdateCommandUI();
    EXPECT_FALSE(Frame()->Action(cmd::TableGenerator)->isEnabled());
    bool asked = false;
    OnNextModal<CDialogPassword>([&](CDialogPassword* dlg) {
        asked = true;
        dlg->reject();
    });
    EXPECT_FALSE(app->OnTableGenerator());
    CancelPendingModals();
    EXPECT_FALSE(asked);
}

TEST_F(GlyphosAppTest, AboutBoxShowsTheVersion) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    QString shown;
    OnNextModal<CAboutDlg>([&](CAboutDlg* dlg) {
        shown = dlg->findChild<QLabel*>("version")->text();
        EXPECT_EQ(dlg->findChild<QLabel*>("version")->font().family(), QStringLiteral("Arial"));
        QTest::keyClick(dlg, Qt::Key_Return);
    });
    Frame()->Action(cmd::AppAbout)->trigger();
    EXPECT_EQ(shown, QStringLiteral("Glyphos Ver.: 2.10"));
}

TEST_F(GlyphosAppTest, HiddenPasswordDialogOpensNothingOnAWrongPassword) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    int generatorOpened = 0;
    app->m_openTableGenerator = [&](CGlyphosDoc*) { ++generatorOpened; };
    const auto answer = [](const char* password) {
        OnNextModal<CDialogPassword>([password](CDialogPassword* dlg) {
            EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Dialog"));
            EXPECT_EQ(dlg->Edit()->maxLength(), 11);
            QTest::keyClicks(dlg->Edit(), password);
            QTest::keyClick(dlg->Edit(), Qt::Key_Return);
        });
    };
    const int windows = static_cast<int>(QApplication::topLevelWidgets().size());

    answer("pimerokavuN");  // case matters
    QTest::keyClick(Frame(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(generatorOpened, 0);
    answer("pimerokavun and more");  // cut at 11 characters: the right ones
    EXPECT_TRUE(app->OnTableGenerator());
    EXPECT_EQ(generatorOpened, 1);
    answer("wrong");
    EXPECT_FALSE(app->OnTableGenerator());
    EXPECT_EQ(generatorOpened, 1);
    EXPECT_EQ(ui->Count(), 0u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_LE(static_cast<int>(QApplication::topLevelWidgets().size()), windows);
}

TEST_F(GlyphosAppTest, RecentFilesKeepTheLastFourNewestFirst) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    for (const char* f : {"/f/a.kfn", "/f/b.kfn", "/f/c.kfn", "/f/d.kfn", "/f/b.kfn", "/f/e.kfn"})
        app->AddToRecentFileList(QString::fromLatin1(f));
    EXPECT_EQ(app->RecentFiles(), (QStringList{"/f/e.kfn", "/f/b.kfn", "/f/d.kfn", "/f/c.kfn"}));
    app->RemoveFromRecentFileList("/f/d.kfn");
    EXPECT_EQ(app->RecentFiles(), (QStringList{"/f/e.kfn", "/f/b.kfn", "/f/c.kfn"}));
}

}  // namespace
