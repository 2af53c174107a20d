#include "MorvaneStyle.h"
#include "StyledButton.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

struct TChoiceRow {
    bool Enabled, Pushed, Down, Hot, Focused;
    TButtonState Expected;
};

TEST(StyledButton, ChoosesTheStateToDrawIn)
{
    using S = TButtonState;
    const TChoiceRow rows[] = {
        {true, false, false, false, false, S::Normal},
        {true, false, false, false, true, S::Selected},
        {true, false, false, true, true, S::Hot},
        {true, true, false, true, true, S::Pressed},
        {true, false, true, false, false, S::Pressed},  // a header button that is down
        {true, false, true, true, true, S::Pressed},
        {false, true, true, true, true, S::Disabled},
        {false, false, false, false, false, S::Disabled},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ChooseButtonState(r.Enabled, r.Pushed, r.Down, r.Hot, r.Focused), r.Expected)
            << r.Enabled << r.Pushed << r.Down << r.Hot << r.Focused;
}

class StyledButtonWindow : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterMorvaneStyle();
        form = std::make_unique<TTestForm>();
    }
    void TearDown() override { form.reset(); }

    TStyledButton* AddButton(const wchar_t* name, const wchar_t* caption, const wchar_t* appearance, int group = 0)
    {
        auto* button = new TStyledButton(form.get(), form.get(), name);
        button->SetBounds(10 + 80 * static_cast<int>(form->Controls().size()), 10, 70, 30);
        button->SetCaption(caption);
        button->SetStyle(L"Morvane", L"Primary", appearance);
        button->SetGroupIndex(group);
        return button;
    }

    std::unique_ptr<TTestForm> form;
};

bool IsNear(COLORREF a, COLORREF b, int tolerance = 8)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Header buttons show no fill and black text until pressed; pressed they
// are filled with the accent and the text turns white.
TEST_F(StyledButtonWindow, HeaderButtonIsPlainUntilPressedThenBlueWithWhiteText)
{
    TStyledButton* button = AddButton(L"BtnHome", L"처음화면", L"Header");
    RECT client;
    GetClientRect(button->Handle(), &client);
    const int w = client.right, h = client.bottom;
    auto textArea = [&](const TPixels& p, auto test) { return p.Count(w / 4, h / 4, w * 3 / 4, h * 3 / 4, test); };

    TPixels plain(w, h);
    button->PaintTo(plain.Dc());
    EXPECT_EQ(button->State(), TButtonState::Normal);
    EXPECT_EQ(plain.At(4, h / 2), RGB(255, 255, 255)) << "no fill inside the border";
    EXPECT_TRUE(IsNear(plain.At(0, h / 2), RGB(0, 0, 0), 60)) << "a dark hairline border";
    EXPECT_GT(textArea(plain, [](COLORREF c) { return IsNear(c, RGB(0, 0, 0), 80); }), 5) << "black text";
    EXPECT_EQ(textArea(plain, [](COLORREF c) { return IsNear(c, AccentColor); }), 0);

    button->SetDown(true);
    TPixels pressed(w, h);
    button->PaintTo(pressed.Dc());
    EXPECT_EQ(button->State(), TButtonState::Pressed);
    EXPECT_TRUE(IsNear(pressed.At(4, h / 2), AccentColor)) << "accent fill";
    EXPECT_GT(textArea(pressed, [](COLORREF c) { return IsNear(c, RGB(255, 255, 255), 60); }), 5) << "white text";
    EXPECT_EQ(textArea(pressed, [](COLORREF c) { return IsNear(c, RGB(0, 0, 0), 80); }), 0) << "no black text";
}

TEST_F(StyledButtonWindow, DisabledOutlineButtonUsesTheFadedColours)
{
    TStyledButton* button = AddButton(L"BtnStart", L"실행하기", L"Outline");
    button->SetEnabled(false);
    EXPECT_EQ(button->State(), TButtonState::Disabled);
    EXPECT_EQ(button->CurrentStyle().BorderColor, RGB(0xD7, 0xD7, 0xD7));
    EXPECT_EQ(button->CurrentStyle().FontColor, RGB(0xB3, 0xB3, 0xB3));
}

TEST_F(StyledButtonWindow, OneButtonOfAGroupIsDownAtATime)
{
    TStyledButton* a = AddButton(L"A", L"a", L"Header", 1);
    TStyledButton* b = AddButton(L"B", L"b", L"Header", 1);
    TStyledButton* loose = AddButton(L"C", L"c", L"Header", 0);
    loose->SetDown(true);
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(loose->Down()) << "a button outside the group keeps its state";
    // The down state is what BM_GETCHECK reports to other programs.
    EXPECT_EQ(SendMessageW(a->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(b->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(a->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(a->Down());
    EXPECT_FALSE(b->Down());
}

TEST_F(StyledButtonWindow, WindowTextIsTheCaption)
{
    TStyledButton* button = AddButton(L"BtnStart", L"실행하기", L"Outline");
    EXPECT_EQ(FindWindowExW(form->Handle(), nullptr, L"Button", L"실행하기"), button->Handle());
    EXPECT_TRUE(GetWindowLongPtrW(button->Handle(), GWL_STYLE) & WS_TABSTOP);
    button->SetCaption(L"");
    EXPECT_EQ(button->Text(), L"");
}

struct TPress {
    const char* Name;
    void (*Press)(HWND);
};

// Mouse (BM_CLICK), Space and Enter each click the button once.
TEST_F(StyledButtonWindow, MouseSpaceAndEnterClickOnce)
{
    const TPress presses[] = {
        {"BM_CLICK", [](HWND w) { SendMessageW(w, BM_CLICK, 0, 0); }},
        {"Space",
         [](HWND w) {
             SetFocus(w);
             SendMessageW(w, WM_KEYDOWN, VK_SPACE, 0x00390001);
             SendMessageW(w, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
         }},
        {"Enter", [](HWND w) {
             SetFocus(w);
             MSG msg{w, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
             if (!IsDialogMessageW(GetAncestor(w, GA_ROOT), &msg))
                 DispatchMessageW(&msg);
         }}};
    TStyledButton* button = AddButton(L"BtnStart", L"실행하기", L"Outline");
    int clicks = 0;
    TComponent* sender = nullptr;
    button->OnClick = [&](TComponent* s) {
        ++clicks;
        sender = s;
    };
    for (const auto& press : presses) {
        clicks = 0;
        press.Press(button->Handle());
        PumpMessages();
        EXPECT_EQ(clicks, 1) << press.Name;
        EXPECT_EQ(sender, button) << press.Name;
    }
}

}  // namespace
