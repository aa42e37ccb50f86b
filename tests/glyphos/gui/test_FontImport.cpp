// Drawing an installed font into a document: the font dialog with its code
// pages, the placement dialog, the two commands in the running editor, and
// the same dots from glyphos-cli render. Screenshots of both dialogs go to
// <build>/screenshots.
#include "ChildFrm.h"
#include "CliRunner.h"
#include "CommandIds.h"
#include "DialogCorrectiveFactorPosition.h"
#include "DialogImportWindowsFont.h"
#include "GlyphosDoc.h"
#include "GlyphosView.h"
#include "GuiTestFixture.h"
#include "XFontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

void Screenshot(QWidget* w, const char* name) {
    QCoreApplication::processEvents();
    const QString folder = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(w->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
}

bool Choose(QComboBox* combo, const QString& text) {
    const int i = combo->findText(text, Qt::MatchStartsWith);
    if (i >= 0) combo->setCurrentIndex(i);
    return i >= 0;
}

// ---- "Set position in grid factor" -------------------------------------

class CorrectiveFactorTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        lf.lfFaceName = L"DejaVu Sans";
    }
    LogFontRecord lf;
    int x = 0, y = 0;
    float fx = 1.0f, fy = 1.0f;
};

TEST_F(CorrectiveFactorTest, StepsStayInTheirRangesInSinglePrecision) {
    using B = CDialogCorrectiveFactorPosition;
    struct Case {
        float startFx, startFy;
        std::vector<B::Button> presses;
        int x, y;
        float fx, fy;
    };
    const std::vector<Case> cases = {
        {3.95f, 1.0f, {B::HorizPlus10}, 0, 0, 4.0f, 1.0f},
        {1.0f, 0.26f, {B::VertMinus001}, 0, 0, 1.0f, 0.25f},
        {0.3f, 3.99f, {B::HorizMinus10, B::VertPlus001, B::VertPlus001}, 0, 0, 0.25f, 4.0f},
        {1.0f, 1.0f, std::vector<B::Button>(11, B::XRight), 10, 0, 1.0f, 1.0f},
        {1.0f, 1.0f, std::vector<B::Button>(12, B::YUp), 0, -10, 1.0f, 1.0f},
        {2.5f, 0.5f, {B::XLeft, B::YDown, B::HorizPlus01, B::DefaultValue}, 0, 0, 1.0f, 1.0f},
        {1.0f, 1.0f, {B::HorizMinus001, B::VertPlus10, B::XLeft, B::YDown}, -1, 1, 0.99f, 1.1f},
    };
    for (const Case& c : cases) {
        fx = c.startFx;
        fy = c.startFy;
        x = y = 0;
        CDialogCorrectiveFactorPosition dlg(&x, &y, &fx, &fy, lf, 16, 24);
        for (B::Button b : c.presses) dlg.StepButton(b)->click();
        EXPECT_EQ(dlg.GetOriginX(), c.x);
        EXPECT_EQ(dlg.GetOriginY(), c.y);
        EXPECT_FLOAT_EQ(dlg.GetFactorX(), c.fx);
        EXPECT_FLOAT_EQ(dlg.GetFactorY(), c.fy);
        // Nothing reaches the view before OK.
        EXPECT_EQ(fx, c.startFx);
        dlg.accept();
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_FLOAT_EQ(fx, c.fx);
        EXPECT_FLOAT_EQ(fy, c.fy);
    }
}

TEST_F(CorrectiveFactorTest, CancelKeepsTheValuesAndThePreviewFramesTheCellInGreen) {
    CDialogCorrectiveFactorPosition dlg(&x, &y, &fx, &fy, lf, 16, 24);
    dlg.StepButton(CDialogCorrectiveFactorPosition::HorizPlus10)->click();
    dlg.StepButton(CDialogCorrectiveFactorPosition::XRight)->click();
    EXPECT_EQ(dlg.findChild<QLineEdit*>("e1039")->text(), "1.10");
    EXPECT_EQ(dlg.findChild<QLineEdit*>("e1024")->text(), "1");
    dlg.show();
    Screenshot(&dlg, "position_factor_dialog");
    const QImage preview = dlg.Preview()->grab().toImage();
    int green = 0;
    int black = 0;
    for (int py = 0; py < preview.height(); ++py)
        for (int px = 0; px < preview.width(); ++px) {
            green += preview.pixelColor(px, py) == QColor(68, 163, 40);
            black += preview.pixel(px, py) == qRgb(0, 0, 0);
        }
    EXPECT_GE(green, 2 * (16 + 24));  // the cell's frame
    EXPECT_GT(black, 20);             // the "@"
    dlg.reject();
    EXPECT_EQ(x, 0);
    EXPECT_FLOAT_EQ(fx, 1.0f);
}

// ---- The font dialog ---------------------------------------------------

class XFontDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQApp();
        lf.lfFaceName = L"DejaVu Sans Mono";
    }
    LogFontRecord lf;
    CodePageChoice choice;
    ScopedScriptedUi ui;
};

TEST_F(XFontDialogTest, CodePageZeroPreselects437AndTheTypesFilterTheList) {
    CXFontDialog dlg(lf, choice);
    EXPECT_EQ(dlg.windowTitle(), "Font");
    EXPECT_EQ(dlg.TypeCombo()->currentText(), "OEM");
    EXPECT_EQ(dlg.CodePageCombo()->currentText(), "437  (OEM - United States)");
    EXPECT_EQ(choice.codePage, 437u);

    dlg.TypeCombo()->setCurrentIndex(dlg.TypeCombo()->findText("other"));
    EXPECT_EQ(choice.typeIndex, 5u);
    ASSERT_GT(dlg.CodePageCombo()->count(), 0);
    for (int i = 0; i < dlg.CodePageCombo()->count(); ++i) {
        const QString name = dlg.CodePageCombo()->itemText(i);
        for (const char* word : {"ANSI", "ISO", "MAC", "OEM", "UTF"}) EXPECT_FALSE(name.contains(word)) << name.toStdString();
    }
    // No 437 among them: the first entry is taken.
    EXPECT_EQ(choice.codePage, CodePageList::LeadingNumber(dlg.CodePageCombo()->itemText(0).toStdString()));

    dlg.TypeCombo()->setCurrentIndex(dlg.TypeCombo()->findText("All"));
    EXPECT_EQ(dlg.CodePageCombo()->count(), CodePageList().GetCount());
    ASSERT_TRUE(Choose(dlg.CodePageCombo(), "850 "));
    EXPECT_EQ(choice.codePage, 850u);
    // Reopened, the dialog comes back to the same type and code page.
    CXFontDialog again(lf, choice);
    EXPECT_EQ(again.TypeCombo()->currentText(), "All");
    EXPECT_TRUE(again.CodePageCombo()->currentText().startsWith("850 "));
}

TEST_F(XFontDialogTest, SampleGoesThroughTheCodePageAndNotesAFixedPitchFace) {
    choice.codePage = 1252;
    choice.typeIndex = 1;  // ANSI
    CXFontDialog dlg(lf, choice);
    dlg.show();
    EXPECT_EQ(dlg.Sample()->text(), "AaBb");
    EXPECT_TRUE(dlg.MonospacedNote()->isVisible());
    Screenshot(&dlg, "font_dialog");
    const int sans = dlg.FaceCombo()->findText("DejaVu Sans", Qt::MatchFixedString);
    ASSERT_GE(sans, 0);
    dlg.FaceCombo()->setCurrentIndex(sans);
    EXPECT_FALSE(dlg.MonospacedNote()->isVisible());
    // EBCDIC has other letters at these codes.
    dlg.TypeCombo()->setCurrentIndex(dlg.TypeCombo()->findText("other"));
    ASSERT_TRUE(Choose(dlg.CodePageCombo(), "37 "));
    EXPECT_NE(dlg.Sample()->text(), "AaBb");
}

TEST_F(XFontDialogTest, OkGivesTheChosenTypefaceAndRefusesASizeThatIsNone) {
    CXFontDialog dlg(lf, choice);
    dlg.show();
    dlg.StyleCombo()->setCurrentIndex(dlg.StyleCombo()->findText("Bold Italic"));
    dlg.Underline()->setChecked(true);
    dlg.SizeCombo()->setEditText("x");
    ui->Answer(IDOK);
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ui.Last().text, CString(L"Size must be between 1 and 1638 points."));
    dlg.SizeCombo()->setEditText("12");
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    const LogFontRecord& out = dlg.GetLogFont();
    EXPECT_EQ(out.lfFaceName, L"DejaVu Sans Mono");
    EXPECT_EQ(out.lfHeight, -16);
    EXPECT_EQ(out.lfWeight, 700);
    EXPECT_EQ(out.lfItalic, 1);
    EXPECT_EQ(out.lfUnderline, 1);
    EXPECT_EQ(out.lfStrikeOut, 0);
    EXPECT_EQ(out.lfPitchAndFamily, 0x22);
}

TEST(ImportWindow, ShowsEachCharacterOfTheRangeAndGoesAway) {
    EnsureQApp();
    KalvoFont font;
    font.SetWidth(16);
    font.SetHeight(24);
    font.SetFirstChar('A');
    font.SetLastChar('Z');
    LogFontRecord lf;
    lf.lfFaceName = L"DejaVu Sans";
    lf.lfHeight = -20;
    CDialogImportWindowsFont window;
    window.Run(font, lf, 1252, {});
    EXPECT_EQ(window.ShownCount(), 26);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Import font");
    window.show();
    Screenshot(&window, "import_window");
}

// ---- The commands in the editor ----------------------------------------

class FontImportEditor : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        CodePageChoice::Application() = {};
        InstallSystemSetting();
        ASSERT_TRUE(Start());
        doc = app->OnFileNew();
        ASSERT_NE(doc, nullptr);
        CChildFrame* child = doc->Frames().back();
        child->showMaximized();
        QCoreApplication::processEvents();
        view = qobject_cast<CGlyphosView*>(child->GetView());
        ASSERT_NE(view, nullptr);
    }
    // Lets the view repaint, which runs an import that waits for it.
    void Repaint() {
        for (int i = 0; i < 50 && view->IsImportPending(); ++i) QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // The font glyphos-cli renders with the same choices.
    void ExpectSameDotsAsTheCli(std::vector<std::string> extra) {
        const std::string out = dir.File("cli.kfn");
        std::vector<std::string> args = {"render", "DejaVu Sans Mono", "12", out, "--codepage", "437"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun r = RunProgram(BuiltProgram("glyphos-cli"), args, dir.path());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        CGlyphosDocCore cli;
        ASSERT_EQ(cli.LoadKfnFile(CString::FromUtf8(out)), 1);
        const KalvoFont& mine = doc->GetFont();
        int inked = 0;
        for (int ch = 0; ch < 256; ++ch)
            for (int row = 0; row < KalvoFont::kRows; ++row)
                for (int b = 0; b < KalvoFont::kRowBytes; ++b) {
                    ASSERT_EQ(mine.GetGridByte(ch, row, b), cli.GetFont().GetGridByte(ch, row, b))
                        << "char " << ch << " row " << row;
                    inked += mine.GetGridByte(ch, row, b) != 0;
                }
        EXPECT_GT(inked, 500);
    }
    CGlyphosDoc* doc = nullptr;
    CGlyphosView* view = nullptr;
};

TEST_F(FontImportEditor, ImportAndPlacementGiveTheDotsOfTheCliAndMarkTheDocument) {
    OnNextModal<CXFontDialog>([](CXFontDialog* dlg) {
        dlg->FaceCombo()->setCurrentIndex(dlg->FaceCombo()->findText("DejaVu Sans Mono", Qt::MatchFixedString));
        dlg->StyleCombo()->setCurrentIndex(0);
        dlg->SizeCombo()->setEditText("12");
        dlg->accept();
    });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::ImportWindowsFont));
    EXPECT_TRUE(view->IsImportPending());
    EXPECT_EQ(doc->GetFont().GetFontName(), CString(L"DejaVu Sans Mono"));
    Repaint();
    EXPECT_FALSE(view->IsImportPending());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(CodePageChoice::Application().codePage, 437u);
    ExpectSameDotsAsTheCli({});
    doc->SelectChar('G');
    Screenshot(Frame(), "editor_after_import");

    OnNextModal<CDialogCorrectiveFactorPosition>([](CDialogCorrectiveFactorPosition* dlg) {
        dlg->StepButton(CDialogCorrectiveFactorPosition::XRight)->click();
        dlg->StepButton(CDialogCorrectiveFactorPosition::XRight)->click();
        dlg->StepButton(CDialogCorrectiveFactorPosition::VertMinus10)->click();
        dlg->accept();
    });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::CorrectiveFontPosition));
    EXPECT_TRUE(view->IsImportPending());
    Repaint();
    EXPECT_FALSE(view->IsImportPending());
    ExpectSameDotsAsTheCli({"--origin", "2,0", "--stretch", "1,0.9"});
}

TEST_F(FontImportEditor, CancellingEitherDialogImportsNothing) {
    doc->GetFont().SetBlock(doc->GetCurrentChar(), 0, 0, 4);
    OnNextModal<CXFontDialog>([](CXFontDialog* dlg) { dlg->reject(); });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::ImportWindowsFont));
    OnNextModal<CDialogCorrectiveFactorPosition>([](CDialogCorrectiveFactorPosition* dlg) { dlg->reject(); });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::CorrectiveFontPosition));
    EXPECT_FALSE(view->IsImportPending());
    Repaint();
    EXPECT_EQ(doc->GetFont().GetPixel(doc->GetCurrentChar(), 3, 3), 1);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(FontImportEditor, PlacementOkRedrawsOnlyAnImportedFontAndUndoBringsTheFontBack) {
    // Drawn by hand, never from an installed font: OK keeps the factors only.
    doc->GetFont().SetBlock(doc->GetCurrentChar(), 0, 0, 4);
    const std::vector<unsigned char> drawn = doc->Core().StoreKfn();
    OnNextModal<CDialogCorrectiveFactorPosition>([](CDialogCorrectiveFactorPosition* dlg) {
        dlg->StepButton(CDialogCorrectiveFactorPosition::XRight)->click();
        dlg->accept();
    });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::CorrectiveFontPosition));
    EXPECT_FALSE(view->IsImportPending());
    Repaint();
    EXPECT_EQ(doc->Core().StoreKfn(), drawn);
    EXPECT_EQ(view->GetImportPlacement().x, 1);

    // Cancel in the font dialog leaves the code page it found.
    CodePageChoice::Application() = {850, 0};
    std::uint32_t browsed = 0;
    OnNextModal<CXFontDialog>([&browsed](CXFontDialog* dlg) {
        QComboBox* cp = dlg->CodePageCombo();
        for (int i = 0; i < cp->count(); ++i)
            if (!cp->itemText(i).startsWith("850 ")) {
                cp->setCurrentIndex(i);
                break;
            }
        browsed = CodePageChoice::Application().codePage;
        dlg->reject();
    });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::ImportWindowsFont));
    EXPECT_NE(browsed, 850u);
    EXPECT_EQ(CodePageChoice::Application().codePage, 850u);

    OnNextModal<CXFontDialog>([](CXFontDialog* dlg) {
        dlg->FaceCombo()->setCurrentIndex(dlg->FaceCombo()->findText("DejaVu Sans Mono", Qt::MatchFixedString));
        dlg->SizeCombo()->setEditText("12");
        dlg->accept();
    });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::ImportWindowsFont));
    Repaint();
    const std::vector<unsigned char> rendered = doc->Core().StoreKfn();
    ASSERT_NE(rendered, drawn);
    // Now OK redraws the whole font, and one Undo gives the drawn one back.
    OnNextModal<CDialogCorrectiveFactorPosition>([](CDialogCorrectiveFactorPosition* dlg) {
        dlg->StepButton(CDialogCorrectiveFactorPosition::XLeft)->click();
        dlg->accept();
    });
    ASSERT_TRUE(Frame()->RouteCommand(cmd::CorrectiveFontPosition));
    Repaint();
    const std::vector<unsigned char> moved = doc->Core().StoreKfn();
    EXPECT_NE(moved, rendered);
    Frame()->UpdateCommandUI();
    ASSERT_TRUE(Frame()->Action(cmd::EditUndo)->isEnabled());
    Frame()->Action(cmd::EditUndo)->trigger();
    EXPECT_EQ(doc->Core().StoreKfn(), rendered);
    Frame()->UpdateCommandUI();
    ASSERT_TRUE(Frame()->Action(cmd::EditRedo)->isEnabled());
    Frame()->Action(cmd::EditRedo)->trigger();
    EXPECT_EQ(doc->Core().StoreKfn(), moved);
}

}  // namespace
