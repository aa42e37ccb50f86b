#include "KalvoNewCfgFileObject.h"
#include "LoadInfoFile.h"
#include "TestUi.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace {

class ToolCfgObject : public CKalvoNewCfgFileObject {
public:
    using CKalvoNewCfgFileObject::GetCommandDefConfigPrn;
    using CKalvoNewCfgFileObject::GetCommandPrintersToTest;
    using CKalvoNewCfgFileObject::GetFilePrintersToTest;
    using CKalvoNewCfgFileObject::GetOptionPrintersToTest;
    using CKalvoNewCfgFileObject::LoadCfgFile;
    using CKalvoNewCfgFileObject::m_arrCommands;
    using CKalvoNewCfgFileObject::m_arrOptions;
    using CKalvoNewCfgFileObject::m_strFolder;
    using CKalvoNewCfgFileObject::m_strPathCfg;
};

// "£" as the file holds it: the single byte 0xA3.
const std::string P = "\xA3";

std::string Sections(const std::string& options, const std::string& commands, const std::string& defaults = "") {
    return "Printer model file\n#BeginFile\n$Firmware = fw/main.psw\n#EndFile\n"
           "#BeginOption\n" + options + "#EndOption\n"
           "#BeginCommand\n" + commands + "#EndCommand\n"
           "#BeginDefaultConfig\n" + defaults + "#EndDefaultConfig\n";
}

class KalvoNewCfgFileObjectTest : public ::testing::Test {
protected:
    ScopedScriptedUi ui;
    TempDir dir;
    ToolCfgObject cfg;

    BOOL Load(const std::string& text) {
        WriteText(dir.File("model.cfg"), text);
        cfg.m_strFolder = CString::FromUtf8(dir.path() + "/");
        cfg.m_strPathCfg = cfg.m_strFolder + L"model.cfg";
        return cfg.LoadCfgFile(cfg.m_strPathCfg);
    }
    std::vector<BYTE> Command(const wchar_t* name) {
        BYTE bytes[15] = {};
        DWORD n = 0, replies = 0;
        if (!cfg.GetCommandPrintersToTest(name, bytes, &n, &replies)) return {};
        return std::vector<BYTE>(bytes, bytes + n);
    }
};

TEST_F(KalvoNewCfgFileObjectTest, OptionValuesAreReadByTheirFirstLetterAndNumbersByName) {
    ASSERT_TRUE(Load(Sections("$Cutter = No\n$Drawer=absent\n$Display=none\n$Logo = Si\n$Buzzer=Present\n"
                              "$Cassetto = O ^Is the  drawer fitted?^ ignored\n$RXBUFDIM = 4096\n$dot/line=384\n"
                              "$GSImodel=42\n",
                              "")));
    struct Case {
        const wchar_t* name;
        char state;
        DWORD value;
        const wchar_t* text;
    } cases[] = {{L"Cutter", 'N', 0, L""},    {L"Drawer", 'N', 0, L""},   {L"Display", 'N', 0, L""},
                 {L"Logo", 'Y', 0, L""},      {L"Buzzer", 'Y', 0, L""},   {L"Cassetto", 'O', 0, L"Is the  drawer fitted?"},
                 {L"Rxbufdim", 'Y', 4096, L""}, {L"Dot/line", 'Y', 384, L""}, {L"GSImodel", 'Y', 42, L""}};
    ASSERT_EQ(cfg.m_arrOptions.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(CString(cases[i].name).ToUtf8());
        char state = 0;
        DWORD value = 7;
        EXPECT_TRUE(cfg.GetOptionPrintersToTest(cases[i].name, &state, &value));
        EXPECT_EQ(state, cases[i].state);
        EXPECT_EQ(value, cases[i].value);
        EXPECT_EQ(cfg.m_arrOptions[i]->text, cases[i].text);
    }
    CString firmware;
    EXPECT_TRUE(cfg.GetFilePrintersToTest(L"Firmware", &firmware));
    EXPECT_EQ(firmware, CString::FromUtf8(dir.path() + "/fw/main.psw"));
    EXPECT_EQ(ui->Count(), 0u);

    const std::string dump = ReadText(dir.File("DebugFile/DebugOptPrnInf.dbg"));
    EXPECT_NE(dump.find("\n$Rxbufdim = Y oppure 4096 ed opzionale "), std::string::npos);
    EXPECT_NE(dump.find("\n$Cassetto = O oppure 0 ed opzionale Is the  drawer fitted?"), std::string::npos);
}

TEST_F(KalvoNewCfgFileObjectTest, CommandsTakeTheAnnouncedNumberOfBytesAndRefuseSixteen) {
    ASSERT_TRUE(Load(Sections("",
                              "$Short & 3 " + P + " 1 % 1B,40\n"
                              "$Cut&2" + P + "0%1B,40,0A\n"
                              "$Huge&16" + P + "0%01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10\n"
                              "; $Comment&1" + P + "0%41\n"
                              "$Wide&1" + P + "0%1FF\n"
                              "$Incomplete&2\n"
                              "$Model&3" + P + "1%1d,49,01\n")));
    EXPECT_EQ(Command(L"Short"), (std::vector<BYTE>{0x1B, 0x40, 0x00}));
    EXPECT_EQ(Command(L"Cut"), (std::vector<BYTE>{0x1B, 0x40}));
    EXPECT_EQ(Command(L"Wide"), (std::vector<BYTE>{0xFF}));
    EXPECT_EQ(Command(L"Model"), (std::vector<BYTE>{0x1D, 0x49, 0x01}));
    ASSERT_EQ(cfg.m_arrCommands.size(), 4u);  // Huge, the remark and the incomplete line stored nothing
    EXPECT_EQ(cfg.m_arrCommands[3]->numReply, 1u);

    EXPECT_TRUE(Command(L"Huge").empty());
    ASSERT_EQ(ui->Count(), 2u);  // the refused command, then the look-up of it
    EXPECT_EQ(ui->Boxes()[0].text, L"Il comando: Huge è costituito da un numero di bytes troppo grande.");
    EXPECT_EQ(ui->Boxes()[0].caption, L"Impossibile caricare il comando");
    EXPECT_EQ(ui->Boxes()[1].caption, L"GetCommandPrintersToTest()");
    ui->Clear();
}

TEST_F(KalvoNewCfgFileObjectTest, BrokenEntriesStoreNothingAndNeverStopTheSection) {
    ASSERT_TRUE(Load(Sections("$\n$=\n$=Y\n$NoValue\n#Remark=Y\n",
                              "$\n$&" + P + "%\n$A&-3" + P + "0%41\n$B&0" + P + "0%41\n$C&2" + P + "-7%\n"
                              "$D&99999999999999" + P + "0%41\n$E&1" + P + "1%ZZ,,41\n$F&2" + P + "1%,,,\n")));
    EXPECT_TRUE(cfg.m_arrOptions.empty());
    // Unreadable or missing bytes read as 0.
    ASSERT_EQ(cfg.m_arrCommands.size(), 2u);
    EXPECT_EQ(Command(L"E"), std::vector<BYTE>{0x00});
    EXPECT_EQ(Command(L"F"), (std::vector<BYTE>{0x00, 0x00}));
    EXPECT_EQ(ui->Count(), 1u);  // D is too large
    ui->Clear();
}

// Entries whose names hold an end keyword ("$SendCommand", "$Legend =
// legendfile") are entries; only a "#" line closes a section.
TEST_F(KalvoNewCfgFileObjectTest, OnlyAHashLineEndsASectionAndFileNamesKeepInnerBlanks) {
    ASSERT_TRUE(Load("#BeginFile\n$Legend = legendfile.txt\n$Manual =  my  manual.pdf \r\n$Last=z\n#EndFile\n"
                     "#BeginOption\n$SendOption=Y\n$Cutter=Y\n# endoption\n"
                     "#BeginCommand\n$SendCommand&1" + P + "0%41\n$Cmodel&2" + P + "1%1D,49\n#EndCommand\n"
                     "#BeginDefaultConfig\n$SendDefaultConfig&1" + P + "0%41\n$Shop&1" + P + "0%42\n"
                     "#EndDefaultConfig\n"));
    const std::string folder = dir.path() + "/";
    struct Case {
        const wchar_t* name;
        std::string path;
    } files[] = {{L"Legend", folder + "legendfile.txt"}, {L"Manual", folder + "my  manual.pdf"}, {L"Last", folder + "z"}};
    for (const auto& c : files) {
        CString path;
        EXPECT_TRUE(cfg.GetFilePrintersToTest(c.name, &path));
        EXPECT_EQ(path, CString::FromUtf8(c.path));
    }
    char state = 0;
    DWORD value = 0;
    EXPECT_TRUE(cfg.GetOptionPrintersToTest(L"Cutter", &state, &value));
    EXPECT_EQ(Command(L"Cmodel"), (std::vector<BYTE>{0x1D, 0x49}));
    DWORD index = 0, n = 0, replies = 0;
    BYTE bytes[15] = {};
    EXPECT_TRUE(cfg.GetCommandDefConfigPrn(L"Shop", &index, bytes, &n, &replies));
    EXPECT_EQ(ui->Count(), 0u);
}

TEST_F(KalvoNewCfgFileObjectTest, AnUnknownCommandZeroesTheWholeBuffer) {
    ASSERT_TRUE(Load(Sections("", "$Cut&2" + P + "0%1B,40\n")));
    BYTE bytes[15];
    std::fill(std::begin(bytes), std::end(bytes), BYTE{0xAA});
    DWORD n = 9, replies = 9;
    EXPECT_FALSE(cfg.GetCommandPrintersToTest(L"Missing", bytes, &n, &replies));
    EXPECT_EQ(std::count(std::begin(bytes), std::end(bytes), BYTE{0}), 15);
    EXPECT_EQ(n + replies, 0u);
    ui->Clear();
}

// The tables load whether or not the dumps can be written, and the boxes say
// that it is the dump that failed.
TEST_F(KalvoNewCfgFileObjectTest, AnUnwritableDumpSaysTheDumpFailedAndTheLoadGoesOn) {
    WriteText(dir.File("DebugFile"), "a file where the folder should be");
    ASSERT_TRUE(Load(Sections("$Cutter=Y\n", "$Cut&2" + P + "0%1B,40\n")));
    ASSERT_EQ(ui->Count(), 3u);
    for (const auto& box : ui->Boxes()) {
        EXPECT_NE(box.text.Find(L"Scrittura del file di debug fallita"), -1) << box.text.ToUtf8();
        EXPECT_EQ(box.text.Find(L"Impossibile caricare"), -1);
    }
    EXPECT_EQ(Command(L"Cut"), (std::vector<BYTE>{0x1B, 0x40}));
    ui->Clear();
}

TEST_F(KalvoNewCfgFileObjectTest, TheRestOfAnOverLongLineIsNotReadAsAnEntry) {
    const std::string longLine = "$Long&1" + P + "0%41," + std::string(360, '0') + "$Tail&1" + P + "0%42\n";
    ASSERT_TRUE(Load(Sections("", longLine + "$After&1" + P + "0%43\n")));
    EXPECT_EQ(Command(L"Long"), std::vector<BYTE>{0x41});
    EXPECT_EQ(Command(L"After"), std::vector<BYTE>{0x43});
    ASSERT_EQ(cfg.m_arrCommands.size(), 2u);
}

TEST_F(KalvoNewCfgFileObjectTest, AMissingEndKeywordNamesItsSectionAndKeepsTheEntriesBefore) {
    struct Case {
        std::string text;
        const char* keyword;
    } cases[] = {
        {"#BeginFile\n$A=a\n", "EndFile"},
        {"#BeginFile\n#EndFile\n#BeginOption\n$A=Y\n", "EndOption"},
        {"#BeginFile\n#EndFile\n#BeginOption\n#EndOption\n#BeginCommand\n$A&1" + P + "0%41\n", "EndCommand"},
        {"#BeginFile\n#EndFile\n#BeginOption\n#EndOption\n#BeginCommand\n#EndCommand\n", "BeginDefaultConfig"},
        {"#BeginFile\n#EndFile\n#BeginOption\n$A=Y\n$B=maybe\n$C=Y\n#EndOption\n", "EndOption"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyword);
        ui->Clear();
        EXPECT_FALSE(Load(c.text));
        const auto last = ui.Last();
        EXPECT_EQ(last.caption, L"Errore dati in file di configurazione");
        EXPECT_EQ(last.text, CString::Format(L"\nDati errati in file di configurazione: %s. Non trovato parola "
                                             L"chiave %s. Impossibile caricare dati di configurazione stampante.",
                                             cfg.m_strPathCfg, CString::FromUtf8(c.keyword)));
    }
    // The option of no known kind was reported first, and A before it kept.
    ASSERT_EQ(ui->Count(), 2u);
    EXPECT_EQ(ui->Boxes()[0].text, CString::Format(L"\nErrore case default !! Dati errati in file di configurazione: "
                                                   L"%s. Non trovato valore opzione B = maybe.",
                                                   cfg.m_strPathCfg));
    EXPECT_EQ(cfg.m_arrOptions.size(), 1u);
    ui->Clear();
}

TEST_F(KalvoNewCfgFileObjectTest, ADefaultConfigurationIsWalkedInFileOrder) {
    ASSERT_TRUE(Load(Sections("", "",
                              "$Shop&3" + P + "1%1D,01,01\n$Bank&3" + P + "1%1D,02,01\n$Shop&3" + P +
                                  "1%1D,01,02\n$Shop&5" + P + "1%1D,28,02,00,84\n")));
    std::vector<BYTE> seen;
    DWORD index = 0;
    BYTE bytes[15] = {};
    DWORD n = 0, replies = 0;
    while (cfg.GetCommandDefConfigPrn(L"Shop", &index, bytes, &n, &replies)) {
        seen.push_back(bytes[n - 1]);
        ++index;
    }
    EXPECT_EQ(seen, (std::vector<BYTE>{0x01, 0x02, 0x84}));
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(ui->Count(), 0u);
}

TEST_F(KalvoNewCfgFileObjectTest, MissingNamesAreReportedWithTheFileAndZeroedOutputs) {
    ASSERT_TRUE(Load(Sections("$A=Y\n", "")));
    DWORD value = 0;
    EXPECT_FALSE(cfg.GetOptionPrintersToTest(L"a", &value));  // names compare exactly
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_EQ(ui.Last().text, L"\nImposibile trovare parola chiave:a verificare integrità file di configurazione: " +
                                  cfg.m_strPathCfg);
    CString path = L"x";
    EXPECT_FALSE(cfg.GetFilePrintersToTest(L"Logo", &path));
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_EQ(ui.Last().text, L"\nImposibile trovare parola chiave:Logo\tverificare integrità file di "
                              L"configurazione: " + cfg.m_strPathCfg);
    EXPECT_EQ(ui.Last().caption, L"GetFilePrintersToTest()");
    ui->Clear();

    EXPECT_FALSE(cfg.LoadCfgFile(CString::FromUtf8(dir.File("absent.cfg"))));
    EXPECT_EQ(ui.Last().caption, L"Errore apertura file di configurazione");
    ui->Clear();
}

// A FIFO named as a configuration file is refused at once, as an unreadable
// file, instead of blocking until something writes to it.
TEST_F(KalvoNewCfgFileObjectTest, AFifoIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(dir.File("fifo.cfg").c_str(), 0600), 0);
    EXPECT_FALSE(cfg.LoadCfgFile(CString::FromUtf8(dir.File("fifo.cfg"))));
    EXPECT_EQ(ui.Last().caption, L"Errore apertura file di configurazione");
    ui->Clear();
    CLoadInfoFile info;
    info.InitInfoFile(CString::FromUtf8(dir.path()), L"fifo.cfg", L"BeginInfo", L"EndInfo");
    EXPECT_FALSE(info.LoadInfoFile());
    EXPECT_EQ(ui.Last().caption, L"Error");
    ui->Clear();
}

TEST(LoadInfoFileTest, ReadsKeysBetweenTheMarkersAndReportsWhatIsMissing) {
    ScopedScriptedUi ui;
    TempDir dir;
    WriteText(dir.File("station.inf"), "$Before=no\n#BEGININFO\n$ Operator = Ann  Lee\r\nremark=1\n$Line=3=4\n"
                                       "#EndInfo\n$After=no\n");
    CLoadInfoFile info;
    info.InitInfoFile(CString::FromUtf8(dir.path()), L"station.inf", L"BeginInfo", L"EndInfo");
    ASSERT_TRUE(info.LoadInfoFile());
    CString value;
    EXPECT_TRUE(info.GetInfoLoadFromFile(L"Operator", &value));
    EXPECT_EQ(value, L" Ann  Lee");
    EXPECT_TRUE(info.GetInfoLoadFromFile(L"Line", &value));
    EXPECT_EQ(value, L"3=4");
    EXPECT_EQ(ui->Count(), 0u);
    EXPECT_FALSE(info.GetInfoLoadFromFile(L"After", &value));
    EXPECT_EQ(ui.Last().text, L"Label: After not present in file:\n" + CString::FromUtf8(dir.File("station.inf")));

    info.InitInfoFile(CString::FromUtf8(dir.path()), L"station.inf", L"BeginInfo", L"EndOther");
    EXPECT_FALSE(info.LoadInfoFile());
    EXPECT_EQ(ui.Last().text, L"Data marker: EndOther not found in file:\n" + CString::FromUtf8(dir.File("station.inf")));
    info.InitInfoFile(CString::FromUtf8(dir.path()), L"none.inf", L"BeginInfo", L"EndInfo");
    EXPECT_FALSE(info.LoadInfoFile());
    EXPECT_EQ(ui.Last().caption, L"Error");
    ui->Clear();
}

}  // namespace
