// "Property font": what it shows, what it refuses, what OK writes, and the
// Font Properties command of the view around it.
#include "CommandIds.h"
#include "DialogPropietaFont.h"
#include "GlyphosViewTestHost.h"

#include <QLineEdit>

#include <cstring>

namespace {

using F = CDialogPropietaFont;

class DialogPropietaFontTest : public GlyphosViewTest {
protected:
    void SetUp() override {
        GlyphosViewTest::SetUp();
        _headerFont r{};
        r.Tag = 'F';
        r.NumFont = 2;
        r.NumTotFont = 3;
        r.Width = 12;
        r.Height = 20;
        r.FirstChar = 0x05;
        r.LastChar = 0xFE;
        r.Orientation = 'V';
        r.MarginLeft = -2;
        r.MarginRight = 1;
        r.MarginUp = 3;
        r.MarginBottom = -4;
        r.ByteOrder = 1;
        std::memcpy(font.GetHeaderBytes(), &r, sizeof r);
        font.SetFontName(L"Receipt");
    }
    void Set(F& dlg, F::Field f, const char* text) { dlg.Edit(f)->setText(QString::fromLatin1(text)); }

    KalvoFont font;
};

TEST_F(DialogPropietaFontTest, ShowsEveryFieldOfTheRecord) {
    F dlg(font, 1);
    dlg.adjustSize();
    dlg.grab().save(QString::fromStdString(std::string(GLYPHOS_BINARY_DIR) + "/dialog-property-font.png"));
    const std::pair<F::Field, const char*> shown[] = {
        {F::Width, "12"},          {F::Height, "20"},        {F::Name, "Receipt"},     {F::Number, "02 / 03"},
        {F::FirstChar, "0X5"},     {F::LastChar, "0XFE"},    {F::MarginLeft, "-2"},    {F::MarginRight, "1"},
        {F::MarginUp, "3"},        {F::MarginBottom, "-4"},  {F::ByteOrder, "1"},      {F::Orientation, "Vertical"},
    };
    for (const auto& [field, text] : shown) EXPECT_EQ(dlg.Edit(field)->text(), QString::fromLatin1(text)) << field;
    for (F::Field f : {F::Number, F::MarginUp, F::MarginBottom, F::Orientation})
        EXPECT_FALSE(dlg.Edit(f)->isEnabled()) << f;
    EXPECT_TRUE(dlg.Edit(F::Width)->isEnabled());
    font.SetOrientation('H');
    EXPECT_EQ(F(font, 1).Edit(F::Orientation)->text(), "Orizzontal");
}

TEST_F(DialogPropietaFontTest, OkWritesEveryFieldToItsOwnPlace) {
    F dlg(font, 1);
    const std::pair<F::Field, const char*> typed[] = {
        {F::Width, "33"},      {F::Height, "44"},         {F::Name, "Ticket"},     {F::FirstChar, "0X20"},
        {F::LastChar, "0x7e"}, {F::MarginLeft, "-5"},     {F::MarginRight, "6"},   {F::ByteOrder, "9"},
    };
    for (const auto& [field, text] : typed) Set(dlg, field, text);
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(ui->Boxes().empty());
    EXPECT_EQ(font.GetFontName(), CString(L"Ticket"));
    EXPECT_EQ(font.GetWidth(), 33);
    EXPECT_EQ(font.GetHeight(), 44);
    EXPECT_EQ(font.GetFirstChar(), 0x20);
    EXPECT_EQ(font.GetLastChar(), 0x7E);
    EXPECT_EQ(font.GetMarginLeft(), -5);
    EXPECT_EQ(font.GetMarginRight(), 6);
    // Shown only, and written back as shown.
    EXPECT_EQ(font.GetMarginUp(), 3);
    EXPECT_EQ(font.GetMarginBottom(), -4);
    EXPECT_EQ(font.GetByteOrder(), 9);
    EXPECT_EQ(font.GetFontNumber(), 2);
    EXPECT_EQ(font.GetOrientation(), 'V');
}

TEST_F(DialogPropietaFontTest, RefusalsKeepTheDialogOpenAndTheRecordUntouched) {
    struct Case {
        F::Field field;
        const char* text;
        const wchar_t* message;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {F::Name, "", L"You must type a valid Font name", L"Error"},
        {F::Width, "65", L"Please enter an integer between 1 and 64.", L"Glyphos"},
        {F::Height, "0", L"Please enter an integer between 1 and 96.", L"Glyphos"},
        {F::MarginRight, "-16", L"Please enter an integer between -15 and 15.", L"Glyphos"},
        {F::ByteOrder, "11", L"Please enter an integer between 0 and 10.", L"Glyphos"},
        // First above last: a range without characters.
        {F::FirstChar, "0XFF", L"The begin char must not be greater than the end char.", L"Error"},
        {F::LastChar, "0X", nullptr, L"Error"},
        {F::FirstChar, "0XG1", nullptr, L"Error"},
        {F::LastChar, "7E", nullptr, L"Error"},
    };
    const std::vector<unsigned char> before(font.GetHeaderBytes(), font.GetHeaderBytes() + font.GetHeaderSize());
    for (const Case& c : cases) {
        F dlg(font, 1);
        dlg.show();
        Set(dlg, F::Width, "20");
        Set(dlg, c.field, c.text);
        ui->Answer(IDOK);
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible()) << c.text;
        EXPECT_EQ(dlg.result(), QDialog::Rejected) << c.text;
        if (c.message) {
            EXPECT_EQ(ui.Last().text, CString(c.message));
        }
        EXPECT_EQ(ui.Last().caption, CString(c.caption)) << c.text;
        EXPECT_EQ(std::memcmp(before.data(), font.GetHeaderBytes(), before.size()), 0) << c.text;
        EXPECT_EQ(font.GetFontName(), CString(L"Receipt"));
    }
}

TEST_F(DialogPropietaFontTest, TheWidthWarningsWeighTheNegativeMargins) {
    struct Case {
        const char *width, *left, *right;
        const wchar_t* warning;
    };
    const Case cases[] = {
        {"64", "0", "-1",
         L"The resolution value is incorrect!\nPlesse verify if:\n Orizzontal resolution is < 64 + -1."},
        {"63", "0", "-1", nullptr},
        {"61", "-2", "-2",
         L"The resolution value is incorrect!\nPlesse verify if:\n Orizzontal resolution is < 64 + (-2 + -2)."},
        {"60", "-2", "-2", nullptr},
        {"62", "-3", "4",
         L"The resolution value is incorrect!\nPlesse verify if:\n Orizzontal resolution is < 64 + -3."},
    };
    for (const Case& c : cases) {
        F dlg(font, 1);
        dlg.show();
        Set(dlg, F::Width, c.width);
        Set(dlg, F::MarginLeft, c.left);
        Set(dlg, F::MarginRight, c.right);
        const std::size_t boxes = ui->Boxes().size();
        if (c.warning) ui->Answer(IDOK);
        // Leaving the width edit runs the check.
        dlg.Edit(F::Width)->setFocus();
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(dlg.Edit(F::Width), &out);
        ASSERT_EQ(ui->Boxes().size(), boxes + (c.warning ? 1 : 0)) << c.width;
        if (c.warning) {
            EXPECT_EQ(ui.Last().text, CString(c.warning));
            EXPECT_EQ(ui.Last().style & MB_ICONMASK, static_cast<UINT>(MB_ICONSTOP));
        }
        // Only a warning: OK still takes the values.
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
}

// Through the view: a font read from a file is shown only, and OK still
// returns to "Max Resolution".
TEST_F(DialogPropietaFontTest, TheCommandShowsAFileFontReadOnlyAndReturnsToMaxResolution) {
    FakeViewDocument& doc = NewDoc(16, 24);
    doc.GetCore().SetNewFont(0);
    CGlyphosView* v = NewView(doc);
    v->OnCommand(cmd::ZoomX2);
    ASSERT_EQ(Display(v).MaxResolution, 0);
    OnNextModal<F>([](F* dlg) {
        for (int f = F::Width; f <= F::ByteOrder; ++f) EXPECT_FALSE(dlg->Edit(F::Field(f))->isEnabled()) << f;
        dlg->accept();
    });
    v->OnCommand(cmd::FontProperties);
    EXPECT_EQ(Display(v).MaxResolution, 1);
    EXPECT_EQ(Font(v).GetWidth(), 16);
    EXPECT_FALSE(doc.modified);

    // A new font takes a new width and range: new cell size, bytes per row
    // and, outside the range, current character.
    doc.GetCore().SetNewFont(1);
    ASSERT_TRUE(doc.GetCore().GoToChar(0x30));
    OnNextModal<F>([](F* dlg) {
        dlg->Edit(F::Width)->setText(QStringLiteral("12"));
        dlg->Edit(F::FirstChar)->setText(QStringLiteral("0X41"));
        dlg->accept();
    });
    v->OnCommand(cmd::FontProperties);
    EXPECT_EQ(Display(v).CellSize, 29);
    EXPECT_EQ(doc.GetCore().GetBytesPerRow(), 2);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(Char(v), 0x41);
    EXPECT_EQ(frame.charPane, 0x41);
}

}  // namespace
