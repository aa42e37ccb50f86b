// "Dialog table generator": its opening state, the radio rules, "Select File
// Name", and "Go" with its refusals and the table it writes.
#include "CliRunner.h"
#include "CommandIds.h"
#include "DialogTableGen.h"
#include "GlyphosDocCore.h"
#include "QtTestSupport.h"
#include "TestFonts.h"
#include "TestUi.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>

namespace {

using D = CDialogTableGen;

class DialogTableGenTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        MakeTinyFont(doc);
    }
    std::unique_ptr<D> Open() {
        auto dlg = std::make_unique<D>(doc.GetFont(), doc.GetFont().GetFontName(), doc.GetBytesPerRow());
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        return dlg;
    }
    // On the indicator: a radio button takes clicks on its circle and text only.
    static void Click(D& dlg, D::Radio r) {
        QTest::mouseClick(dlg.RadioButton(r), Qt::LeftButton, {}, QPoint(6, dlg.RadioButton(r)->height() / 2));
    }
    static std::vector<D::Radio> Checked(D& dlg) {
        std::vector<D::Radio> on;
        for (int i = 0; i < D::kRadioCount; ++i)
            if (dlg.RadioButton(D::Radio(i))->isChecked()) on.push_back(D::Radio(i));
        return on;
    }
    static std::vector<D::Radio> Disabled(D& dlg) {
        std::vector<D::Radio> off;
        for (int i = 0; i < D::kRadioCount; ++i)
            if (!dlg.RadioButton(D::Radio(i))->isEnabled()) off.push_back(D::Radio(i));
        return off;
    }

    ScopedScriptedUi ui;
    TempDir dir;
    CGlyphosDocCore doc;
};

TEST_F(DialogTableGenTest, OpensOnACTableOfBytesWithTheAssemblerChoicesDisabled) {
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), "Dialog table generator");
    EXPECT_EQ(Checked(*dlg), (std::vector<D::Radio>{D::CTable, D::Byte, D::CommentStar, D::DialectDefault}));
    EXPECT_EQ(Disabled(*dlg),
              (std::vector<D::Radio>{D::CommentStar, D::CommentSemicolon, D::DialectDefault, D::DialectMcuez}));
    EXPECT_EQ(dlg->FontNameEdit()->text(), "Tiny");
    EXPECT_EQ(dlg->ItemsEdit()->text(), "0");
    EXPECT_EQ(dlg->FileNameEdit()->text(), "");
    EXPECT_EQ(dlg->NoteEdit()->maxLength(), 76);
    EXPECT_EQ(dlg->Progress()->minimum(), 0);
    EXPECT_EQ(dlg->Progress()->maximum(), 255);
    EXPECT_EQ(dlg->Progress()->value(), 0);
    dlg->grab().save(QString::fromStdString(std::string(GLYPHOS_BINARY_DIR) + "/dialog-table-gen.png"));
}

TEST_F(DialogTableGenTest, TheAssemblerTableTakesBytesOrWordsAndStartsFromItsDefaults) {
    auto dlg = Open();
    Click(*dlg, D::DoubleWord);
    EXPECT_EQ(dlg->GetDataSize(), 3);
    Click(*dlg, D::AsmTable);
    EXPECT_EQ(dlg->GetCMode(), 0);
    EXPECT_EQ(Checked(*dlg), (std::vector<D::Radio>{D::AsmTable, D::Byte, D::CommentStar, D::DialectDefault}));
    EXPECT_EQ(Disabled(*dlg), (std::vector<D::Radio>{D::DoubleWord}));
    EXPECT_EQ(dlg->GetDataSize(), 1);

    Click(*dlg, D::CommentSemicolon);
    Click(*dlg, D::DialectMcuez);
    Click(*dlg, D::Word);
    EXPECT_EQ(dlg->GetCommentType(), 1);
    EXPECT_EQ(dlg->GetDialect(), 0);
    EXPECT_EQ(dlg->GetDataSize(), 2);
    // Choosing the assembler table again resets the comment and the dialect.
    Click(*dlg, D::AsmTable);
    EXPECT_EQ(dlg->GetCommentType(), 0);
    EXPECT_EQ(dlg->GetDialect(), 1);
    EXPECT_EQ(dlg->GetDataSize(), 1);

    Click(*dlg, D::CTable);
    EXPECT_EQ(dlg->GetCMode(), 1);
    EXPECT_EQ(Disabled(*dlg),
              (std::vector<D::Radio>{D::CommentStar, D::CommentSemicolon, D::DialectDefault, D::DialectMcuez}));
}

TEST_F(DialogTableGenTest, SelectFileNameAddsTheTableExtension) {
    auto dlg = Open();
    dlg->SetStartFolder(QString::fromStdString(dir.path()));
    OnNextModal<QFileDialog>([this](QFileDialog* f) {
        EXPECT_EQ(f->nameFilters(), (QStringList{"C Files (*.c)", "All Files (*.*)"}));
        EXPECT_EQ(f->directory().absolutePath(), QDir(QString::fromStdString(dir.path())).absolutePath());
        f->reject();
    });
    // Cancel keeps the name there was (none): no bare ".c" to write.
    dlg->OnSelectFileName();
    EXPECT_EQ(dlg->FileNameEdit()->text(), "");
    EXPECT_EQ(dlg->GetFileName(), CString());

    Click(*dlg, D::AsmTable);
    const QString chosen = QString::fromStdString(dir.File("font"));
    OnNextModal<QFileDialog>([chosen](QFileDialog* f) {
        EXPECT_EQ(f->nameFilters(), (QStringList{"Asm Files (*.asm)", "All Files (*.*)"}));
        f->selectFile(chosen);
        static_cast<QDialog*>(f)->accept();
    });
    dlg->OnSelectFileName();
    EXPECT_EQ(dlg->FileNameEdit()->text(), chosen + ".asm");
    OnNextModal<QFileDialog>([](QFileDialog* f) { f->reject(); });
    dlg->OnSelectFileName();
    EXPECT_EQ(dlg->FileNameEdit()->text(), chosen + ".asm");
}

TEST_F(DialogTableGenTest, GoWithoutAFileNameRefusesAndANameAloneGoesToTheStartFolder) {
    auto dlg = Open();
    dlg->ItemsEdit()->setText("12");
    dlg->ReadEdits();
    for (const char* name : {"", ".c", "   "}) {
        dlg->FileNameEdit()->setText(QString::fromLatin1(name));
        dlg->ReadEdits();
        ui->Answer(IDOK);
        EXPECT_FALSE(dlg->OnGo()) << name;
        EXPECT_EQ(ui.Last().text, CString(L"Select the file name of the table first!"));
        EXPECT_EQ(ui.Last().caption, CString(L"Error"));
    }
    EXPECT_FALSE(std::filesystem::exists(".c"));
    dlg->SetStartFolder(QString::fromStdString(dir.path()));
    dlg->FileNameEdit()->setText("font.c");
    dlg->ReadEdits();
    ui->Answer(IDOK);
    EXPECT_TRUE(dlg->OnGo());
    EXPECT_TRUE(std::filesystem::exists(dir.File("font.c")));
}

TEST_F(DialogTableGenTest, GoRefusesNoColumnsAndWritesNothing) {
    auto dlg = Open();
    dlg->FileNameEdit()->setText(QString::fromStdString(dir.File("t.c")));
    dlg->ReadEdits();
    ui->Answer(IDOK);
    EXPECT_FALSE(dlg->OnGo());
    EXPECT_EQ(ui.Last().text, CString(L"Insert appropriate number of columns data table!"));
    EXPECT_EQ(ui.Last().caption, CString(L"Error"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.c")));
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(DialogTableGenTest, GoWritesTheTableOfTheCommandLineWithTheSameSettings) {
    ASSERT_EQ(doc.SaveKfnFile(CString::FromUtf8(dir.File("tiny.kfn"))), 1);
    const CliRun r = RunProgram(BuiltProgram("glyphos-cli"),
                                {"export", "asm", dir.File("tiny.kfn"), dir.File("cli.asm"), "--items", "2", "--size",
                                 "word", "--comment", "semicolon", "--dialect", "mcuez", "--note", "two letters"},
                                dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;

    auto dlg = Open();
    Click(*dlg, D::AsmTable);
    Click(*dlg, D::Word);
    Click(*dlg, D::CommentSemicolon);
    Click(*dlg, D::DialectMcuez);
    // Typed, then left by clicking "Go", as a user does.
    dlg->FileNameEdit()->setText(QString::fromStdString(dir.File("dialog.ASM")));
    dlg->ItemsEdit()->setFocus();
    dlg->ItemsEdit()->setText(QStringLiteral("2"));
    dlg->NoteEdit()->setText(QStringLiteral("two letters"));
    int highest = 0;
    QObject::connect(dlg->Progress(), &QProgressBar::valueChanged, [&](int v) { highest = std::max(highest, v); });
    ui->Answer(IDOK);
    QTest::mouseClick(dlg->GoButton(), Qt::LeftButton);
    EXPECT_EQ(ui.Last().text, CString(L"Table successfully created !"));
    EXPECT_EQ(ui.Last().caption, CString(L"Table \"Asm\" created"));
    EXPECT_EQ(ReadText(dir.File("dialog.ASM")), ReadText(dir.File("cli.asm")));
    EXPECT_GT(highest, 0);
    EXPECT_EQ(dlg->Progress()->value(), 0);
}

}  // namespace

#include "DialogPassword.h"
#include "GuiTestFixture.h"

namespace {

using EditorTableGenerator = GuiTest;

TEST_F(EditorTableGenerator, TheRightPasswordOpensTheGeneratorOnTheActiveFont) {
    InstallSystemSetting();
    ASSERT_TRUE(Start());
    ASSERT_NE(Frame()->ActiveDocument(), nullptr);
    OnNextModal<CDialogPassword>([](CDialogPassword* dlg) {
        dlg->Edit()->setText(QStringLiteral("pimerokavun"));
        dlg->accept();
    });
    QString name;
    OnNextModal<CDialogTableGen>([&](CDialogTableGen* dlg) {
        name = dlg->FontNameEdit()->text();
        dlg->reject();
    });
    EXPECT_TRUE(Frame()->RouteCommand(cmd::TableGenerator));
    EXPECT_EQ(name, QStringLiteral("No name font"));
}

}  // namespace
