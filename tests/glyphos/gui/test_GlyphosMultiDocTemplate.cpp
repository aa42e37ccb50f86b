#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "GuiTestFixture.h"

namespace {

class GlyphosMultiDocTemplateTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        InstallSystemSetting();
        ASSERT_TRUE(Start());
        tmpl = app->GetDocTemplate();
    }
    CGlyphosMultiDocTemplate::Confidence Match(const QString& path) { return tmpl->MatchDocType(path, nullptr); }

    CGlyphosMultiDocTemplate* tmpl = nullptr;
};

TEST_F(GlyphosMultiDocTemplateTest, BothFileKindsMatchInAnyLetterCase) {
    using T = CGlyphosMultiDocTemplate;
    EXPECT_EQ(Match("/f/font.kfn"), T::yesAttemptNative);
    EXPECT_EQ(Match("/f/NAME.KFN"), T::yesAttemptNative);
    EXPECT_EQ(Match("/f/upgrade.Psw"), T::yesAttemptNative);
    EXPECT_EQ(Match("/f/a.psw.bak"), T::yesAttemptForeign);
    EXPECT_EQ(Match("/f/noextension"), T::yesAttemptForeign);
    EXPECT_EQ(Match("/f/font.kf"), T::yesAttemptForeign);
    EXPECT_EQ(tmpl->GetDocString(T::filterName), L"Glyphos Files (*.kfn)");
    EXPECT_EQ(tmpl->GetDocString(T::regFileTypeId), L"Glyphos.Document");
    EXPECT_EQ(tmpl->GetDocString(T::regFileTypeName), L"Glyphos Document");
    EXPECT_EQ(tmpl->GetDocString(T::windowTitle), L"Glyphos");
}

TEST_F(GlyphosMultiDocTemplateTest, APathAlreadyOpenIsReportedWithItsDocument) {
    CGlyphosDoc* doc = tmpl->Documents().at(0);
    doc->SetPathName(QString::fromStdString(dir.File("font.kfn")));
    CGlyphosDoc* match = nullptr;
    EXPECT_EQ(tmpl->MatchDocType(QString::fromStdString(dir.File("font.kfn")), &match),
              CGlyphosMultiDocTemplate::yesAlreadyOpen);
    EXPECT_EQ(match, doc);
    // The same file named through another path.
    EXPECT_EQ(tmpl->MatchDocType(QString::fromStdString(dir.path() + "/./font.kfn"), &match),
              CGlyphosMultiDocTemplate::yesAlreadyOpen);
}

TEST_F(GlyphosMultiDocTemplateTest, NewDocumentsAreNumbered) {
    tmpl->OpenDocumentFile(QString());
    tmpl->OpenDocumentFile(QString());
    ASSERT_EQ(tmpl->Documents().size(), 3u);
    EXPECT_EQ(tmpl->Documents()[1]->GetTitle(), L"Glyphos2");
    EXPECT_EQ(tmpl->Documents()[2]->GetTitle(), L"Glyphos3");
}

}  // namespace
