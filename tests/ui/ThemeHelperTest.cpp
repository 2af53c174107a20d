#include "MorvaneStyle.h"
#include "Panel.h"
#include "Shape.h"
#include "TestForm.h"
#include "ThemeHelper.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

int TopIn(const TControl& control, const TControl& parent)
{
    RECT r;
    GetWindowRect(control.Handle(), &r);
    MapWindowPoints(nullptr, parent.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

TEST(ThemeHelper, RefusesAnOwnerThatIsNotAForm)
{
    TTestForm form;
    auto* panel = new TPanel(&form, &form, L"Panel");
    const size_t owned = panel->Components().size();
    try {
        TThemeHelper helper(panel);
        FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "TThemeHelper Owner must be a TForm");
    }
    EXPECT_EQ(panel->Components().size(), owned) << "nothing attached";
    EXPECT_EQ(form.Controls().size(), 1u) << "no line made";
}

// The line is blue while the form is active and grey while it is not.
TEST(ThemeHelper, LineFollowsActivation)
{
    TTestForm form;
    auto* helper = new TThemeHelper(&form);
    TShape* line = helper->Line();
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(helper->IsActive());
    EXPECT_EQ(line->BrushColor(), AccentColor);

    SendMessageW(form.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(helper->IsActive());
    EXPECT_EQ(line->BrushColor(), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(line->PenColor(), GetSysColor(COLOR_GRAYTEXT));

    SendMessageW(form.Handle(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(line->BrushColor(), AccentColor);
    EXPECT_EQ(line->PenColor(), AccentColor);
}

// Two pixels across the whole top, above the form's own top strip.
TEST(ThemeHelper, LineSpansTheTopAboveOtherStrips)
{
    TTestForm form;
    auto* head = new TPanel(&form, &form, L"PnlHead");
    head->SetBounds(0, 0, 300, 50);
    head->SetAlign(TAlign::Top);
    auto* helper = new TThemeHelper(&form);
    RECT line, client;
    GetWindowRect(helper->Line()->Handle(), &line);
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(TopIn(*helper->Line(), form), 0);
    EXPECT_EQ(line.right - line.left, client.right);
    EXPECT_EQ(line.bottom - line.top, ScaleForDpi(2, form.Dpi()));
    EXPECT_TRUE(IsWindowVisible(helper->Line()->Handle()));
    EXPECT_EQ(TopIn(*head, form), ScaleForDpi(2, form.Dpi()));
}

TEST(ThemeHelper, BorderlessFormKeepsTheLineHidden)
{
    TTestForm form;
    form.SetBorderStyle(TBorderStyle::None);
    auto* head = new TPanel(&form, &form, L"PnlHead");
    head->SetBounds(0, 0, 300, 50);
    head->SetAlign(TAlign::Top);
    auto* helper = new TThemeHelper(&form);
    EXPECT_FALSE(helper->Line()->Visible());
    EXPECT_FALSE(IsWindowVisible(helper->Line()->Handle()));
    EXPECT_EQ(TopIn(*head, form), 0);
    SendMessageW(form.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(helper->Line()->Visible());
}

TEST(ThemeHelper, DestroyingItDetachesItFromTheForm)
{
    TTestForm form;
    auto* helper = new TThemeHelper(&form);
    TShape* line = helper->Line();
    delete helper;
    SendMessageW(form.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(line->BrushColor(), AccentColor) << "no longer follows the form";
    EXPECT_TRUE(IsWindow(form.Handle()));
}

}  // namespace
