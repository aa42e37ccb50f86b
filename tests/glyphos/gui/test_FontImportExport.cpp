// The editor's File > Import / Export of BDF and PSF fonts, and several
// files on its command line.
#include "CommandIds.h"
#include "FontConverter.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "GuiTestFixture.h"

#include "QtText.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace {

class FontImportExportTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallSystemSetting();
    }
    static void AnswerFileDialog(const std::string& path) {
        OnNextModal<QFileDialog>([path](QFileDialog* dlg) {
            auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(edit, nullptr);
            edit->setText(QString::fromStdString(path));
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }
    // A font file whose "A" is a diagonal, under the given name.
    std::string WriteKfn(const std::string& name, int width) {
        CGlyphosDocCore core;
        unsigned char rec[16] = {'F', 0, 0, static_cast<unsigned char>(width), 10, 60, 70, 0, 0, 0, 'H'};
        core.ApplyPropertyRecord(rec, 0, CString::FromUtf8(name));
        for (int i = 0; i < 10; ++i) core.GetFont().SetPixel('A', i, i % width);
        EXPECT_TRUE(core.SaveKfnFile(CString::FromUtf8(dir.File(name))));
        return dir.File(name);
    }
    std::vector<CGlyphosDoc*> Docs() const { return app->GetDocTemplate()->Documents(); }
};

TEST_F(FontImportExportTest, EveryFileOfTheCommandLineOpensAndFontsTravelThroughTheFileMenu) {
    ASSERT_TRUE(Start({QString::fromStdString(WriteKfn("one.kfn", 12)), QString::fromStdString(WriteKfn("two.kfn", 8))}));
    ASSERT_EQ(Docs().size(), 2u);
    CGlyphosDoc* one = Docs()[0];
    CGlyphosDoc* two = Docs()[1];
    EXPECT_EQ(two->GetFont().GetWidth(), 8);

    app->SetActiveDoc(one);
    Frame()->MdiArea()->setActiveSubWindow(Frame()->MdiArea()->subWindowList().at(0));
    AnswerFileDialog(dir.File("one.psf.gz"));
    Frame()->Action(cmd::FileExportFont)->trigger();
    ASSERT_TRUE(std::filesystem::exists(dir.File("one.psf.gz")));

    Frame()->MdiArea()->setActiveSubWindow(Frame()->MdiArea()->subWindowList().at(1));
    AnswerFileDialog(dir.File("one.psf.gz"));
    Frame()->Action(cmd::FileImportFont)->trigger();
    EXPECT_EQ(two->Core().StoreKfn(), one->Core().StoreKfn());
    EXPECT_EQ(two->GetTitle(), L"one.psf.gz");
    EXPECT_TRUE(two->IsModified());
    EXPECT_TRUE(two->GetPathName().IsEmpty());
}

TEST_F(FontImportExportTest, UnicodeFontsAskTheCodePageAndRefusalsLeaveTheFont) {
    ASSERT_TRUE(Start());
    CGlyphosDoc* doc = Docs()[0];
    const std::vector<unsigned char> before = doc->Core().StoreKfn();
    WriteText(dir.File("u.bdf"),
              "STARTFONT 2.1\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 1\nCHARSET_REGISTRY \"ISO10646\"\n"
              "ENDPROPERTIES\nCHARS 1\nSTARTCHAR Ccedilla\nENCODING 199\nBBX 8 8 0 0\nBITMAP\n3C\n42\n40\n40\n42\n3C\n08\n"
              "30\nENDCHAR\nENDFONT\n");
    doc->SetCodePageChooser([] { return 0; });
    EXPECT_FALSE(doc->ImportFontFrom(QString::fromStdString(dir.File("u.bdf"))));
    EXPECT_EQ(doc->Core().StoreKfn(), before);

    WriteText(dir.File("big.bdf"), "STARTFONT 2.1\nFONTBOUNDINGBOX 80 100 0 0\nENDFONT\n");
    ui->Answer(IDOK);
    EXPECT_FALSE(doc->ImportFontFrom(QString::fromStdString(dir.File("big.bdf"))));
    EXPECT_EQ(ui.Last().text, L"big.bdf: glyphs of 80 x 100 dots are larger than the printer's 64 x 96");
    EXPECT_EQ(doc->Core().StoreKfn(), before);

    doc->SetCodePageChooser([] { return 437; });
    ASSERT_TRUE(doc->ImportFontFrom(QString::fromStdString(dir.File("u.bdf"))));
    EXPECT_EQ(doc->GetFont().GetFirstChar(), 0x80);  // CP437's "Ç"
    EXPECT_EQ(doc->GetFont().GetGridByte(0x80, 0, 0), 0x3C);
}

TEST_F(FontImportExportTest, DialogsStartBesideTheFontAndSaveAsProposesItsNameBesideTheImportedFile) {
    std::filesystem::create_directories(dir.File("fonts"));
    const std::string kfn = WriteKfn("fonts/one.kfn", 12);
    ASSERT_TRUE(Start({QString::fromStdString(kfn)}));
    CGlyphosDoc* doc = Docs()[0];
    // Export starts in the font's folder and offers the editor's own format.
    QString folder;
    QStringList filters;
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        folder = dlg->directory().absolutePath();
        filters = dlg->nameFilters();
        dlg->reject();
    });
    Frame()->Action(cmd::FileExportFont)->trigger();
    EXPECT_EQ(folder, QDir(QString::fromStdString(dir.File("fonts"))).absolutePath());
    EXPECT_TRUE(filters.join(' ').contains("*.kfn")) << filters.join(' ').toStdString();

    ASSERT_TRUE(doc->ExportFontTo(QString::fromStdString(dir.File("fonts/term.bdf"))));
    ASSERT_TRUE(doc->ImportFontFrom(QString::fromStdString(dir.File("fonts/term.bdf"))));
    ASSERT_TRUE(doc->GetPathName().IsEmpty());
    // The document has no file now: the dialogs start beside the imported one.
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        folder = dlg->directory().absolutePath();
        dlg->reject();
    });
    ui->Answer(IDNO);  // keep the changes unsaved
    Frame()->Action(cmd::FileImportFont)->trigger();
    EXPECT_EQ(folder, QDir(QString::fromStdString(dir.File("fonts"))).absolutePath());
    QString proposed;
    OnNextModal<QFileDialog>([&](QFileDialog* dlg) {
        proposed = dlg->selectedFiles().value(0);
        dlg->reject();
    });
    Frame()->Action(cmd::FileSaveAs)->trigger();
    EXPECT_EQ(proposed.toStdString(), QDir(QString::fromStdString(dir.File("fonts")))
                                          .absoluteFilePath(ToQString(doc->GetFontName()).replace('/', '_'))
                                          .toStdString());
}

}  // namespace
