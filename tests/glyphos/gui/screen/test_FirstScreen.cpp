// The editor as a new user meets it on a laptop's screen of 1366 x 768: the
// first screen with the demo font, with a fresh profile and with a profile
// saved on a larger screen, and the pictures of the manual taken on it.
#include "ChildFrm.h"
#include "ChildPreviewFont.h"
#include "CommandIds.h"
#include "DialogPassword.h"
#include "DialogSelectFont.h"
#include "DialogTableGen.h"
#include "GlyphosDoc.h"
#include "GlyphosView.h"
#include "GuiTestFixture.h"
#include "PaletteBar.h"

#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kScreenWidth = 1366, kScreenHeight = 768;

// Before the application object exists: the offscreen platform reads its
// one screen from a configuration file.
const bool kScreenConfigured = [] {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("glyphos-screen-" + std::to_string(::getpid()) + ".json")).string();
    std::ofstream(file) << "{\"screens\": [{\"name\": \"laptop\", \"x\": 0, \"y\": 0, \"width\": " << kScreenWidth
                        << ", \"height\": " << kScreenHeight
                        << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n";
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).c_str(), 1);
    return true;
}();

class FirstScreen : public GuiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(kScreenConfigured);
        GuiTest::SetUp();
        InstallSystemSetting();
        psw = dir.File("demo.psw");
        std::filesystem::copy_file(GLYPHOS_SOURCE_DIR "/samples/demo.psw", psw);
    }
    // Starts on the demo file, taking its first font.
    void StartOnDemo() {
        OnNextModal<CDialogSelectFont>([](CDialogSelectFont* dlg) { dlg->accept(); });
        ASSERT_TRUE(Start({QString::fromStdString(psw)}));
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    // The whole grid of the current character in the view, unscrolled, and
    // the whole window on the screen.
    void ExpectWholeGridOnScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        ASSERT_EQ(screen.size(), QSize(kScreenWidth, kScreenHeight));
        EXPECT_TRUE(screen.contains(Frame()->frameGeometry())) << Frame()->frameGeometry().width() << "x"
                                                                << Frame()->frameGeometry().height();
        CChildFrame* child = Frame()->ActiveChild();
        ASSERT_NE(child, nullptr);
        auto* v = qobject_cast<CGlyphosView*>(child->GetView());
        ASSERT_NE(v, nullptr);
        const DocDisplay& d = v->GetDocument()->GetCore().GetDisplay();
        const DisplayRect& g = d.GridRect;
        EXPECT_TRUE(v->viewport()->rect().contains(QRect(g.left, g.top, g.Width() + 1, g.Height() + 1)))
            << "pitch " << d.Pitch() << ", view " << v->viewport()->width() << "x" << v->viewport()->height();
        EXPECT_EQ(v->verticalScrollBar()->value(), 0);
        EXPECT_GE(d.Pitch(), DocDisplay::kBaseCellSize / 2);
    }
    void Save(QWidget* w, const char* name) {
        const QString folder = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots");
        QDir().mkpath(folder);
        EXPECT_TRUE(w->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }
    std::string psw;
};

TEST_F(FirstScreen, ShowsTheWholeGridAndTheWholeTableWithAFreshProfileAndAfterARestart) {
    for (const char* shot : {"first_screen_new_profile", "first_screen_saved_profile"}) {
        SCOPED_TRACE(shot);
        StartOnDemo();
        ExpectWholeGridOnScreen();
        CChildPreviewFont* preview = Frame()->GetPreview();
        EXPECT_EQ(preview->ScrollExtent(),
                  QSize(12 * 17 + 2 * CChildPreviewFont::kOrigin, 24 * 17 + 2 * CChildPreviewFont::kOrigin));
        EXPECT_GE(preview->contentsRect().height(), preview->ScrollExtent().height());
        EXPECT_GE(preview->contentsRect().width(), preview->ScrollExtent().width());
        // The palettes make a narrow column.
        EXPECT_LT(Frame()->DrawBar()->width(), 160);
        Save(Frame(), shot);
        ASSERT_TRUE(Frame()->close());
        app.reset();
    }
}

TEST_F(FirstScreen, APlacementSavedOnALargerScreenComesBackInsideThisOne) {
    // What closing the editor on a 1920 x 1080 screen leaves.
    Profile()->setValue("Settings/WindowPos", "0,1,-1,-1,-1,-1,64,36,1856,1044");
    Profile()->setValue("General/ChildMaximized", 1);
    StartOnDemo();
    ExpectWholeGridOnScreen();
    Save(Frame(), "saved_on_1920x1080");
}

// The pictures of the manual: the first screen with the menus of a document,
// and the table generator. They go to build/screenshots/manual/.
TEST_F(FirstScreen, TakesThePicturesOfTheManual) {
    StartOnDemo();
    const QString folder = QStringLiteral(GLYPHOS_BINARY_DIR "/screenshots/manual");
    QDir().mkpath(folder);
    const auto save = [&](QWidget* w, const char* name, double scale) {
        QImage image = w->grab().toImage();
        image = image.scaledToWidth(static_cast<int>(image.width() * scale), Qt::SmoothTransformation);
        EXPECT_TRUE(image.save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    };
    Frame()->RouteCommand(cmd::ToolPen);
    save(Frame(), "glyphos-main", 0.6);
    CGlyphosDoc* doc = Frame()->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    CDialogTableGen gen(doc->GetFont(), doc->GetFont().GetFontName(), doc->Core().GetBytesPerRow(), Frame());
    gen.show();
    QCoreApplication::processEvents();
    save(&gen, "glyphos-table-generator", 1.0);
    gen.close();
}

}  // namespace
