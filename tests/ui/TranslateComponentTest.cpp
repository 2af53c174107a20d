#include "Frame.h"
#include "Label.h"
#include "MenuItem.h"
#include "PopupMenu.h"
#include "Panel.h"
#include "StyledButton.h"
#include "TestForm.h"
#include "TranslateComponent.h"
#include "Translation.h"

#include <gtest/gtest.h>

namespace {

// This program embeds translate_ui.txt: blocks for 타이도라/Tidora/タイドラ,
// 실행하기/Run/実行, 목록 저장/Save list, 전체목록/Full list/全リスト and
// 하위 항목/Sub item/サブ項目.
class TranslateComponentTree : public testing::Test {
protected:
    void SetUp() override
    {
        saved = CurrentLanguage();
        form = std::make_unique<TTestForm>();
        form->SetCaption(L"타이도라");
        label = new TLabel(form.get(), form.get(), L"LblTitle");
        label->SetCaption(L"실행하기");
        panel = new TPanel(form.get(), form.get(), L"PnlBottom");
        // A frame owns its own components: the tree goes deeper than the form.
        frame = new TFrame(form.get(), panel, L"FrmPage");
        check = new TStyledButton(frame, frame, L"ChkAllList");
        check->SetCaption(L"전체목록");
        menu = new TPopupMenu(frame, L"Menu");
        save = menu->Items().Add(std::make_unique<TMenuItem>(L"BtnSave", L"목록 저장"));
        TMenuItem* more = menu->Items().Add(std::make_unique<TMenuItem>(L"More", L"실행하기"));
        sub = more->Add(std::make_unique<TMenuItem>(L"Sub", L"하위 항목"));
    }
    void TearDown() override
    {
        form.reset();
        SetCurrentLanguage(saved);
    }

    std::wstring saved;
    std::unique_ptr<TTestForm> form;
    TLabel* label;
    TPanel* panel;
    TFrame* frame;
    TStyledButton* check;
    TPopupMenu* menu;
    TMenuItem* save;
    TMenuItem* sub;
};

TEST_F(TranslateComponentTree, TranslatesTheWholeTreeIntoTheGivenLanguage)
{
    TranslateComponent(form.get(), L"ja");
    EXPECT_EQ(CurrentLanguage(), L"ja") << "the language given becomes the current one";
    EXPECT_EQ(form->Caption(), L"Tidora") << "a form is translated to English when the language is not Korean";
    EXPECT_EQ(label->Caption(), L"実行");
    EXPECT_EQ(check->Caption(), L"全リスト") << "components owned by an owned frame";
    EXPECT_EQ(check->Text(), L"全リスト") << "the window text follows";
    EXPECT_EQ(save->Caption(), L"Save list") << "English when the language has no line";
    EXPECT_EQ(menu->Items().Item(1)->Caption(), L"実行");
    EXPECT_EQ(sub->Caption(), L"サブ項目") << "sub-items of sub-items";
}

TEST_F(TranslateComponentTree, KoreanKeepsTheFormCaptionInKorean)
{
    form->SetCaption(L"Tidora");
    label->SetCaption(L"Run");
    TranslateComponent(form.get(), L"ko");
    EXPECT_EQ(form->Caption(), L"타이도라");
    EXPECT_EQ(label->Caption(), L"실행하기");
    EXPECT_EQ(save->Caption(), L"목록 저장");
}

TEST_F(TranslateComponentTree, WithoutALanguageUsesTheCurrentOne)
{
    SetCurrentLanguage(L"en");
    TranslateComponent(form.get());
    EXPECT_EQ(CurrentLanguage(), L"en");
    EXPECT_EQ(form->Caption(), L"Tidora");
    EXPECT_EQ(label->Caption(), L"Run");
    EXPECT_EQ(check->Caption(), L"Full list");
    EXPECT_EQ(sub->Caption(), L"Sub item");
}

TEST_F(TranslateComponentTree, StartingBelowTheFormLeavesTheRestAlone)
{
    TranslateComponent(frame, L"en");
    EXPECT_EQ(check->Caption(), L"Full list");
    EXPECT_EQ(save->Caption(), L"Save list");
    EXPECT_EQ(form->Caption(), L"타이도라");
    EXPECT_EQ(label->Caption(), L"실행하기");
}

TEST(TranslateMenuItem, TranslatesItemAndSubItems)
{
    const std::wstring saved = CurrentLanguage();
    SetCurrentLanguage(L"ja");
    TMenuItem root(L"Root", L"실행하기");
    TMenuItem* child = root.Add(std::make_unique<TMenuItem>(L"Child", L"목록 저장"));
    TMenuItem* grandchild = child->Add(std::make_unique<TMenuItem>(L"Grandchild", L"없는 말\\n둘째 줄"));
    TranslateMenuItem(root);
    SetCurrentLanguage(saved);
    EXPECT_EQ(root.Caption(), L"実行");
    EXPECT_EQ(child->Caption(), L"Save list");
    EXPECT_EQ(grandchild->Caption(), L"없는 말\r둘째 줄") << "unknown texts only get their line breaks";
}

}  // namespace
