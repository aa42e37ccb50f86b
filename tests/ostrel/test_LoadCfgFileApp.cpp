#include "LoadCfgFileApp.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class LoadCfgFileAppTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(dir.File("DebugFile")); }
    CString Dir() const { return CString::FromUtf8(dir.path() + "/"); }
    CString Write(const std::string& text) {
        WriteText(dir.File("app.cfg"), text);
        return Dir() + L"app.cfg";
    }
    CString Value(CLoadCfgFileApp& cfg, const wchar_t* key) {
        CString v;
        EXPECT_EQ(cfg.GetCfgFileApp(key, &v), 1) << CString(key).ToUtf8();
        return v;
    }

    ScopedScriptedUi ui;
    TempDir dir;
};

TEST_F(LoadCfgFileAppTest, ReadsKeysBetweenMarkersWithBlanksRemoved) {
    const CString path = Write(
        "# editor settings\n"
        "ignored $Key=before\n"
        "beginappcfg\n"
        "$ Com Port = COM1\n"
        "plain line skipped\n"
        "$DirLog=/var/log/glyphos/\n"
        "$NoValue\n"
        "#Comment=yes\n"
        "$ComPort=COM2\r\n"
        "$EndAppCfg\n"
        "$After=1\n");
    CLoadCfgFileApp cfg(nullptr, Dir(), L"app.cfg");
    ASSERT_EQ(cfg.LoadFileAppCfgInfo(path), 1);
    EXPECT_EQ(Value(cfg, L"ComPort"), L"COM2");  // the later entry wins
    EXPECT_EQ(Value(cfg, L"DirLog"), L"/var/log/glyphos/");
    EXPECT_EQ(Value(cfg, L"NoValue"), L"");
    EXPECT_EQ(cfg.Getp_m_ptrCfgFilesApp()->size(), 5u);
    EXPECT_EQ(ReadText(dir.File("DebugFile/DebugAppCfgFileApp.dbg")),
              "\n$ComPort = COM1\n$DirLog = /var/log/glyphos/\n$NoValue = \n$#Comment = yes\n$ComPort = COM2");
}

TEST_F(LoadCfgFileAppTest, AbsentKeyAsksWithOkCancelAndEmptiesTheValue) {
    CLoadCfgFileApp cfg(nullptr, Dir(), L"app.cfg");
    ASSERT_EQ(cfg.LoadFileAppCfgInfo(Write("BeginAppCfg\n$A=1\n$EndAppCfg\n")), 1);
    CString v = L"stale";
    ui->Answer(IDCANCEL);
    EXPECT_EQ(cfg.GetCfgFileApp(L"a", &v), 0);  // keys are case-sensitive
    EXPECT_EQ(v, L"");
    const auto box = ui.Last();
    EXPECT_EQ(box.text, L"\nImposibile trovare parola chiave:a verificare integrità file di configurazione: app.cfg");
    EXPECT_EQ(box.caption, L"GetCfgFileApp()");
    EXPECT_EQ(box.style & MB_TYPEMASK, MB_OKCANCEL);
}

TEST_F(LoadCfgFileAppTest, MissingMarkersNameTheKeyword) {
    CLoadCfgFileApp cfg(nullptr, Dir(), L"app.cfg");
    ui->Answer(IDOK);
    CString path = Write("$A=1\n$EndAppCfg\n");
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(path), 0);
    EXPECT_EQ(ui.Last().text, L"\nDati errati in file di configurazione: " + path +
                                  L". Non trovato parola chiave BeginAppCfg. Impossibile caricare dati di "
                                  L"configurazione stampante.");
    EXPECT_EQ(ui.Last().caption, L"Errore dati in file di configurazione");
    EXPECT_TRUE(cfg.Getp_m_ptrCfgFilesApp()->empty());

    ui->Answer(IDOK);
    path = Write("BeginAppCfg # start\n$A=1\n$B=2\n");
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(path), 0);
    EXPECT_NE(ui.Last().text.Find(L"Non trovato parola chiave EndAppCfg"), -1);
    EXPECT_EQ(cfg.Getp_m_ptrCfgFilesApp()->size(), 2u);  // what was read stays
}

TEST_F(LoadCfgFileAppTest, AFullTableStillNeedsTheEndMarker) {
    std::string entries = "BeginAppCfg\n";
    for (int i = 0; i < 350; ++i) entries += "$K" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    CLoadCfgFileApp cfg(nullptr, Dir(), L"app.cfg");
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(Write(entries + "$EndAppCfg\n")), 1);

    ui->Answer(IDOK);
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(Write(entries + "$K350=350\n")), 0);
    EXPECT_NE(ui.Last().text.Find(L"Non trovato parola chiave EndAppCfg"), -1);
}

TEST_F(LoadCfgFileAppTest, BeginMarkerAfterAHashDoesNotCount) {
    CLoadCfgFileApp cfg(nullptr, Dir(), L"app.cfg");
    ui->Answer(IDOK);
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(Write("# BeginAppCfg\n$A=1\n$EndAppCfg\n")), 0);
}

TEST_F(LoadCfgFileAppTest, LoadingTwiceAppendsAndReloadReplaces) {
    class Reloading : public CLoadCfgFileApp {
    public:
        using CLoadCfgFileApp::CLoadCfgFileApp;
        using CLoadCfgFileApp::LoadAppCfgFile;
    } cfg(nullptr, Dir(), L"app.cfg");
    const CString path = Write("BeginAppCfg\n$A=1\n$EndAppCfg\n");
    cfg.LoadFileAppCfgInfo(path);
    cfg.LoadFileAppCfgInfo(path);
    EXPECT_EQ(cfg.Getp_m_ptrCfgFilesApp()->size(), 2u);
    EXPECT_EQ(cfg.LoadAppCfgFile(path), 1);
    EXPECT_EQ(cfg.Getp_m_ptrCfgFilesApp()->size(), 1u);
}

TEST_F(LoadCfgFileAppTest, MissingFileAndMissingDumpFolderAreReported) {
    CLoadCfgFileApp cfg(nullptr, Dir(), L"absent.cfg");
    ui->Answer(IDOK);
    ui->Answer(IDOK);
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(), 0);
    auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Errore dati in file di configurazione");
    EXPECT_EQ(boxes[1].text, Dir() + L"absent.cfg");
    EXPECT_EQ(boxes[1].caption, L"LoadFileAppCfgInfo su File:");

    ui->Clear();
    std::filesystem::remove(dir.File("DebugFile"));
    ui->Answer(IDOK);
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(Write("BeginAppCfg\n$A=1\n$EndAppCfg\n")), 1);
    EXPECT_EQ(ui.Last().caption, L"Errore apertura file di debug");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONWARNING);

    // A read-only program folder: the dump goes where it is told, silently.
    ui->Clear();
    std::filesystem::create_directory(dir.File("mine"));
    CLoadCfgFileApp installed(nullptr, Dir(), L"app.cfg");
    installed.Set_m_DebugDir(CString::FromUtf8(dir.File("mine")));
    EXPECT_EQ(installed.LoadFileAppCfgInfo(), 1);
    EXPECT_EQ(ui->Boxes().size(), 0u);
    EXPECT_EQ(ReadText(dir.File("mine/DebugAppCfgFileApp.dbg")), "\n$A = 1");
}

TEST_F(LoadCfgFileAppTest, DerivedClassTakesItsValuesAfterLoading) {
    class Derived : public CLoadCfgFileApp {
    public:
        using CLoadCfgFileApp::CLoadCfgFileApp;
        int ok = 1;

    protected:
        int LoadImportantInfo() override {
            CString v;
            if (!GetCfgFileApp(L"DirLog", &v)) return 0;
            m_DirLogFile = v;
            return ok;
        }
    } cfg(nullptr, Dir(), L"app.cfg");
    Write("BeginAppCfg\n$DirLog=/tmp/x/\n$EndAppCfg\n");
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(), 1);
    EXPECT_EQ(cfg.Get_m_DirLogFile(), L"/tmp/x/");
    cfg.ok = 0;
    ui->Answer(IDOK);
    EXPECT_EQ(cfg.LoadFileAppCfgInfo(), 0);
    EXPECT_EQ(ui.Last().text, L"Error!");
    EXPECT_EQ(ui.Last().caption, L"LoadImportantInfo");
}

}  // namespace
