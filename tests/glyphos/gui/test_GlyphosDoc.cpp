#include "ChildFrm.h"
#include "ChildPreviewFont.h"
#include "CommandIds.h"
#include "DialogSelectFont.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "GuiTestFixture.h"
#include "KalvoNewDebugObject.h"
#include "PswBuilder.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QTest>

namespace {

class GlyphosDocTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallSystemSetting();
    }

    // A first-generation PSW file with a 12 x 24 and an 8 x 16 font.
    std::string WritePsw(const std::string& name = "demo.psw") {
        pswtest::Psw1Builder b;
        b.printer.scrByte = 0x35;
        b.bankSize = 128;
        b.AddBank(0);
        b.AddFont({.width = 12, .height = 24, .first = 0x20, .last = 0xFF});
        b.AddFont({.width = 8, .height = 16, .first = 0x20, .last = 0x7F});
        b.Write(dir.File(name));
        return dir.File(name);
    }
    // The byte of font 1's default data at (code, row).
    static unsigned char SmallFontByte(int code, int row) {
        const std::size_t j = static_cast<std::size_t>(code - 0x20) * 16 + static_cast<std::size_t>(row);
        return static_cast<unsigned char>(j * 7 + 13 + 1);
    }

    // Answers the next font selection dialog: the arrow keys to a row and
    // Enter, or Escape when row is -1.
    static void ChooseFont(int row, QStringList* shown = nullptr) {
        OnNextModal<CDialogSelectFont>([row, shown](CDialogSelectFont* dlg) {
            if (shown)
                for (int i = 0; i < dlg->List()->count(); ++i) *shown << dlg->List()->item(i)->text();
            if (row < 0) {
                QTest::keyClick(dlg, Qt::Key_Escape);
                return;
            }
            for (int i = 0; i < row; ++i) QTest::keyClick(dlg->List(), Qt::Key_Down);
            QTest::keyClick(dlg->List(), Qt::Key_Return);
        });
    }
    // Types a path into the next file dialog and presses Enter.
    static void AnswerFileDialog(const std::string& path, QString* title = nullptr) {
        OnNextModal<QFileDialog>([path, title](QFileDialog* dlg) {
            if (title) *title = dlg->windowTitle();
            auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            edit->setText(QString::fromStdString(path));
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }

    std::vector<CGlyphosDoc*> Docs() const { return app->GetDocTemplate()->Documents(); }
};

TEST_F(GlyphosDocTest, PswNamedOnTheCommandLineOpensTheChosenFont) {
    const std::string psw = WritePsw();
    QStringList lines;
    ChooseFont(1, &lines);
    ASSERT_TRUE(Start({QString::fromStdString(psw)}));
    EXPECT_EQ(lines, (QStringList{"1) Font 12 x 24", "2) Font 08 x 16"}));
    ASSERT_EQ(Docs().size(), 1u);
    CGlyphosDoc* doc = Docs()[0];
    EXPECT_EQ(doc->GetTitle(), L"demo.psw");
    EXPECT_EQ(doc->GetFontName(), L"2) Font 08 x 16");
    EXPECT_EQ(doc->GetFont().GetWidth(), 8);
    EXPECT_EQ(doc->GetFont().GetHeight(), 16);
    EXPECT_EQ(doc->GetFont().GetGridByte(0x41, 3, 0), SmallFontByte(0x41, 3));
    EXPECT_EQ(doc->GetFont().GetGridByte(0x7F, 15, 0), SmallFontByte(0x7F, 15));
    EXPECT_EQ(doc->Core().GetNewFont(), 0);
    EXPECT_EQ(app->GetActiveDoc(), doc);
    EXPECT_EQ(Frame()->GetPreview()->GetDocument(), doc);
    EXPECT_EQ(Frame()->PreviewDock()->windowTitle(), QStringLiteral("Font preview: demo.psw"));
    EXPECT_EQ(Frame()->PaneLabel(CMainFrame::PaneChar)->text(), QStringLiteral("Char: 0X20, 32"));
    // The debug log goes to the configured folder, its file made by its first line.
    ASSERT_NE(doc->Core().GetLog(), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(ProgramDir() + "/log"));
    doc->Core().GetLog()->MessageLog(L"\nline", L"", 0);
    EXPECT_FALSE(std::filesystem::is_empty(ProgramDir() + "/log"));
}

TEST_F(GlyphosDocTest, OpenDialogTakesPswFilesInAnyCase) {
    WritePsw("FONT.PSW");
    ASSERT_TRUE(Start());
    AnswerFileDialog(dir.File("FONT.PSW"));
    ChooseFont(0);
    QTest::keyClick(Frame(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(Docs().size(), 2u);
    EXPECT_EQ(Docs()[1]->GetTitle(), L"FONT.PSW");
    EXPECT_EQ(Docs()[1]->GetFont().GetWidth(), 12);
    EXPECT_EQ(Frame()->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(app->RecentFiles().value(0), QString::fromStdString(dir.File("FONT.PSW")));

    // Asking for it again shows its window rather than a second copy.
    EXPECT_EQ(app->OpenDocumentFile(QString::fromStdString(dir.File("FONT.PSW"))), Docs()[1]);
    EXPECT_EQ(Docs().size(), 2u);
}

TEST_F(GlyphosDocTest, CancellingTheFontChoiceStillOpensAWindowWithTheDefaultFont) {
    const std::string psw = WritePsw();
    ChooseFont(-1);
    ASSERT_TRUE(Start({QString::fromStdString(psw)}));
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(Docs()[0]->GetTitle(), L"demo.psw");
    EXPECT_EQ(Docs()[0]->GetFont().GetWidth(), 16);
    EXPECT_EQ(Docs()[0]->GetFont().GetHeight(), 24);
    EXPECT_EQ(Docs()[0]->GetFont().GetFirstChar(), 32);
    EXPECT_EQ(Docs()[0]->GetFont().GetLastChar(), 255);
    EXPECT_EQ(Docs()[0]->GetFontName(), L"No name font");
}

TEST_F(GlyphosDocTest, KfnNamedInCapitalsOpensNatively) {
    const std::string psw = WritePsw();
    ChooseFont(1);
    ASSERT_TRUE(Start({QString::fromStdString(psw)}));
    ASSERT_TRUE(Docs()[0]->DoSave(QString::fromStdString(dir.File("NAME.KFN"))));
    EXPECT_EQ(Docs()[0]->GetTitle(), L"NAME.KFN");
    app.reset();

    ASSERT_TRUE(Start({QString::fromStdString(dir.File("NAME.KFN"))}));
    EXPECT_EQ(app->GetDocTemplate()->MatchDocType(QString::fromStdString(dir.File("OTHER.KFN")), nullptr),
              CGlyphosMultiDocTemplate::yesAttemptNative);
    ASSERT_EQ(Docs().size(), 1u);
    CGlyphosDoc* doc = Docs()[0];
    EXPECT_EQ(doc->GetTitle(), L"NAME.KFN");
    EXPECT_EQ(doc->GetFontName(), L"2) Font 08 x 16");
    EXPECT_EQ(doc->GetFont().GetGridByte(0x41, 3, 0), SmallFontByte(0x41, 3));
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(GlyphosDocTest, AFileOfAnotherKindIsRefused) {
    WriteText(dir.File("notes.txt"), "hello");
    ui->Answer(IDOK);
    EXPECT_FALSE(Start({QString::fromStdString(dir.File("notes.txt"))}));
    EXPECT_EQ(ui.Last().text, L"The exension file selected isn't correct!");
    EXPECT_EQ(ui.Last().caption, L"Error");
    EXPECT_EQ(ui.Last().style & MB_ICONMASK, MB_ICONSTOP);
}

TEST_F(GlyphosDocTest, BrokenFilesShowAMessageAndLeaveOpenFontsAlone) {
    const std::string psw = WritePsw();
    ChooseFont(1);
    ASSERT_TRUE(Start({QString::fromStdString(psw)}));
    CGlyphosDoc* first = Docs()[0];
    ASSERT_TRUE(first->SelectChar(0x41));

    // A PSW file cut short, a damaged font file and random bytes named .psw.
    std::string bytes = ReadText(psw);
    WriteText(dir.File("cut.psw"), bytes.substr(0, bytes.size() / 3));
    WriteText(dir.File("bad.kfn"), std::string("F\x01\x02\xff\x30", 5));
    std::string noise(3000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 131 + 7) % 251);
    WriteText(dir.File("noise.psw"), noise);
    WriteText(dir.File("empty.psw"), "");

    for (const char* name : {"cut.psw", "bad.kfn", "noise.psw", "empty.psw"}) {
        ChooseFont(0);
        app->OpenDocumentFile(QString::fromStdString(dir.File(name)));
        // Into the open font as well: it keeps what it had.
        ChooseFont(0);
        EXPECT_FALSE(first->OpenPswInto(QString::fromStdString(dir.File(name)))) << name;
        QCoreApplication::processEvents();
        EXPECT_GT(ui->Count(), 0u) << name;  // something was said
        ui->Clear();
    }
    // A damaged .kfn opens no window; the PSW files open one each, with the default font.
    ASSERT_EQ(Docs().size(), 4u);
    EXPECT_EQ(Docs()[0], first);
    EXPECT_EQ(first->GetFontName(), L"2) Font 08 x 16");
    EXPECT_EQ(first->GetFont().GetWidth(), 8);
    EXPECT_EQ(first->GetCurrentChar(), 0x41);
    EXPECT_EQ(first->GetFont().GetGridByte(0x41, 3, 0), SmallFontByte(0x41, 3));
    for (std::size_t i = 1; i < Docs().size(); ++i) EXPECT_EQ(Docs()[i]->GetFont().GetWidth(), 16);
    // None of them is offered again.
    EXPECT_EQ(app->RecentFiles(), QStringList{QString::fromStdString(psw)});
}

TEST_F(GlyphosDocTest, OpenPswIntoTheDocumentNamesFileAndFont) {
    const std::string psw = WritePsw();
    ASSERT_TRUE(Start());
    CGlyphosDoc* doc = Docs()[0];
    QString title;
    AnswerFileDialog(psw, &title);
    ChooseFont(1);
    QTest::keyClick(Frame(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc->GetTitle(), L"demo.psw2) Font 08 x 16");
    EXPECT_EQ(doc->GetFont().GetWidth(), 8);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->GetPathName().IsEmpty());
    EXPECT_EQ(Frame()->PreviewDock()->windowTitle(), QStringLiteral("Font preview: demo.psw2) Font 08 x 16"));
    EXPECT_EQ(Frame()->GetPreview()->ScrollExtent(), QSize(176, 312));

    // Save proposes the title cut at its first "." with the font's name.
    QString proposed;
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        proposed = dlg->findChild<QLineEdit*>("fileNameEdit")->text();
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_EQ(proposed, QStringLiteral("demo2) Font 08 x 16.kfn"));
}

TEST_F(GlyphosDocTest, FileDialogsStartInTheActiveDocumentsFolderElseInHome) {
    const std::string psw = WritePsw();
    ASSERT_TRUE(Start());
    QString folder;
    const auto look = [&folder] {
        OnNextModal<QFileDialog>([&folder](QFileDialog* dlg) {
            folder = dlg->directory().absolutePath();
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
    };
    look();
    Frame()->Action(cmd::FileOpen)->trigger();
    EXPECT_EQ(folder, QDir::homePath());

    ChooseFont(0);
    app->OpenDocumentFile(QString::fromStdString(psw));
    look();
    Frame()->Action(cmd::FileOpenPsw)->trigger();
    EXPECT_EQ(folder, QDir(QString::fromStdString(dir.path())).absolutePath());
}

TEST_F(GlyphosDocTest, OpeningAPswIntoAModifiedFontAsksFirst) {
    const std::string psw = WritePsw();
    ASSERT_TRUE(Start());
    CGlyphosDoc* doc = Docs()[0];
    doc->SetModifiedFlag(true);
    ui->Answer(IDCANCEL);
    EXPECT_FALSE(doc->OnOpenPsw());
    EXPECT_EQ(ui.Last().text, L"Save changes to Glyphos1?");
    EXPECT_EQ(doc->GetFont().GetWidth(), 16);
}

TEST_F(GlyphosDocTest, SaveAsRefusesPswNamesAndSaveOfAPswDocumentAsksForAName) {
    const std::string psw = WritePsw();
    ChooseFont(1);
    ASSERT_TRUE(Start({QString::fromStdString(psw)}));
    CGlyphosDoc* doc = Docs()[0];
    const std::string before = ReadText(psw);

    // Save goes to Save As; cancelling it saves nothing and says nothing.
    QString proposed;
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        proposed = dlg->findChild<QLineEdit*>("fileNameEdit")->text();
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    EXPECT_FALSE(doc->DoFileSave());
    EXPECT_EQ(proposed, QStringLiteral("demo2) Font 08 x 16.kfn"));
    EXPECT_EQ(ui->Count(), 0u);

    AnswerFileDialog(dir.File("copy.psw"));
    ui->Answer(IDOK);
    EXPECT_FALSE(doc->DoSave(QString()));
    EXPECT_EQ(ui.Last().text, L"Save as operation was possible if also the file extension is *.kfn .\nPlese repaet "
                              L"save as operation with just file extension !");
    EXPECT_EQ(ReadText(psw), before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("copy.psw")));

    // A name typed without an extension gets ".kfn".
    AnswerFileDialog(dir.File("mine"));
    EXPECT_TRUE(doc->DoSave(QString()));
    EXPECT_TRUE(std::filesystem::exists(dir.File("mine.kfn")));
    EXPECT_EQ(doc->GetTitle(), L"mine.kfn");
    EXPECT_EQ(doc->GetPathName(), CString::FromUtf8(dir.File("mine.kfn")));
}

TEST_F(GlyphosDocTest, SaveInPswWritesACompatibleSlotAndReportsIt) {
    const std::string psw = WritePsw();
    ChooseFont(1);
    ASSERT_TRUE(Start({QString::fromStdString(psw)}));
    CGlyphosDoc* doc = Docs()[0];
    doc->GetFont().SetGridByte(0x41, 0, 0, 0xA5);

    QString title;
    AnswerFileDialog(psw, &title);
    QStringList offered;
    ChooseFont(0, &offered);
    ui->Answer(IDOK);
    Frame()->Action(cmd::FileSaveInPsw)->trigger();
    EXPECT_EQ(title, QStringLiteral("Save data font to *.psw file"));
    EXPECT_EQ(offered, (QStringList{"2) Font 08 x 16"}));  // only the slot of the same shape
    EXPECT_EQ(ui.Last().caption, L"Data font saved");
    EXPECT_EQ(ui.Last().text, CString::Format(L"Data font successfully saved in:\n%s\nfile.", CString::FromUtf8(psw)));

    // Read back in a new window (from a copy: the file itself is open): the
    // edited dot is in the file.
    std::filesystem::copy_file(psw, dir.File("again.psw"));
    ChooseFont(1);
    app->GetDocTemplate()->OpenDocumentFile(QString::fromStdString(dir.File("again.psw")));
    ASSERT_EQ(Docs().size(), 2u);
    EXPECT_EQ(Docs()[1]->GetFont().GetGridByte(0x41, 0, 0), 0xA5);
    EXPECT_EQ(Docs()[1]->GetFont().GetGridByte(0x41, 1, 0), SmallFontByte(0x41, 1));
}

TEST_F(GlyphosDocTest, SaveInPswWithoutACompatibleSlotOrWithTheChoiceCancelledSaysOnlyWhatHappened) {
    const std::string psw = WritePsw();
    ASSERT_TRUE(Start());  // the default 16 x 24 font fits neither slot
    const std::string before = ReadText(psw);
    ui->Answer(IDOK);
    EXPECT_FALSE(Docs()[0]->SaveInPsw(QString::fromStdString(psw)));
    const auto boxes = ui->Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"It's Impossible to replace the font in psw file selected.");
    EXPECT_EQ(ReadText(psw), before);

    // A font that fits, and the choice cancelled: nothing is said.
    ui->Clear();
    ChooseFont(1);
    ASSERT_TRUE(Docs()[0]->OpenPswInto(QString::fromStdString(psw)));
    ChooseFont(-1);
    EXPECT_FALSE(Docs()[0]->SaveInPsw(QString::fromStdString(psw)));
    EXPECT_EQ(ui->Count(), 0u);

    // A file that cannot be read still gets the failure box, after what the
    // readers said.
    EXPECT_FALSE(Docs()[0]->SaveInPsw(QString::fromStdString(dir.File("absent.psw"))));
    EXPECT_EQ(ui.Last().text, CString::Format(L"You have select an existing *.psw file?.\nThis operation is possible "
                                              L"also if the file:\n%s\nexist!",
                                              CString::FromUtf8(dir.File("absent.psw"))));
    EXPECT_EQ(ui.Last().caption, L"Error");
    ui->Clear();
}

TEST_F(GlyphosDocTest, ClosingAModifiedFontAsksToSave) {
    ASSERT_TRUE(Start());
    CGlyphosDoc* doc = Docs()[0];
    doc->SetModifiedFlag(true);
    EXPECT_EQ(Frame()->MdiArea()->subWindowList()[0]->windowTitle(), QStringLiteral("Glyphos1[*]"));
    EXPECT_TRUE(Frame()->MdiArea()->subWindowList()[0]->isWindowModified());

    ui->Answer(IDCANCEL);
    Frame()->MdiArea()->subWindowList()[0]->close();
    EXPECT_EQ(ui.Last().text, L"Save changes to Glyphos1?");
    EXPECT_EQ(ui.Last().style, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    EXPECT_EQ(Docs().size(), 1u);

    // Closing the editor asks too; Cancel keeps it running.
    ui->Answer(IDCANCEL);
    EXPECT_FALSE(Frame()->close());
    EXPECT_TRUE(Frame()->isVisible());

    // Yes saves through Save As.
    AnswerFileDialog(dir.File("kept.kfn"));
    ui->Answer(IDYES);
    Frame()->Action(cmd::FileClose)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Docs().empty());
    EXPECT_TRUE(std::filesystem::exists(dir.File("kept.kfn")));
}

}  // namespace
