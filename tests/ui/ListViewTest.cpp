#include "CheckBox.h"
#include "IconIndex.h"
#include "ImageCollection.h"
#include "ListView.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>
#include <memory>
#include <string>

namespace {

struct TNameRow : TListRecord {
    TNameRow(std::wstring name, std::wstring from, bool enabled = true)
        : Name(std::move(name)), From(std::move(from)), Enabled(enabled)
    {
    }
    std::wstring Name, From;
    bool Enabled;
};

// A list of name rows as a page would set it up: two columns, column 0
// taking the rest of the width, rows 24 pixels high.
class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        List = new TListView(&Form, &Form, L"ListTest");
        List->SetBounds(0, 0, 300, 200);
        List->AddColumn(L"프로그램 이름", 50);
        List->AddColumn(L"출처", 50);
        List->SetAutoSizeColumn(0);
        List->OnGetText = [](const TListRecord& record, int column) {
            const auto& row = static_cast<const TNameRow&>(record);
            return column == 0 ? row.Name : row.From;
        };
        List->OnMeasureItem = [](const TListRecord&) { return 24; };
        List->OnFreeNode = [this](TListRecord& record) { ++Freed[static_cast<TNameRow&>(record).Name]; };
    }

    // What another program reads from the control.
    std::wstring ControlText(int row, int column) const
    {
        wchar_t buffer[256] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 256;
        SendMessageW(List->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    int ControlRows() const { return ListView_GetItemCount(List->Handle()); }

    TTestForm Form;
    TListView* List = nullptr;
    std::map<std::wstring, int> Freed;
};

TEST_F(ListViewTest, TheControlShowsWhatTheCallbacksGive)
{
    List->AddRow(std::make_unique<TNameRow>(L"업데이트", L"HKCU"));
    List->AddRow(std::make_unique<TNameRow>(L"Helper", L"SERV"));
    ASSERT_EQ(ControlRows(), 2);
    EXPECT_EQ(ControlText(0, 0), L"업데이트");
    EXPECT_EQ(ControlText(0, 1), L"HKCU");
    EXPECT_EQ(ControlText(1, 0), L"Helper");
    EXPECT_EQ(ControlText(1, 1), L"SERV");

    // A changed record shows its new text: nothing is cached in the control.
    List->RowAs<TNameRow>(1)->Name = L"Other";
    EXPECT_EQ(ControlText(1, 0), L"Other");

    wchar_t caption[64] = L"";
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = caption;
    column.cchTextMax = 64;
    ASSERT_TRUE(ListView_GetColumn(List->Handle(), 1, &column));
    EXPECT_STREQ(caption, L"출처");
}

TEST_F(ListViewTest, EveryRecordIsFreedOnceWhereverItGoes)
{
    for (const wchar_t* name : {L"a", L"b", L"c", L"d"})
        List->AddRow(std::make_unique<TNameRow>(name, L"HKLM"));
    List->DeleteRow(1);
    EXPECT_EQ(Freed, (std::map<std::wstring, int>{{L"b", 1}}));
    ASSERT_EQ(ControlRows(), 3);
    EXPECT_EQ(ControlText(1, 0), L"c") << "rows and records move together";
    EXPECT_EQ(List->RowAs<TNameRow>(1)->Name, L"c");

    List->DeleteRow(7);
    List->DeleteRow(-1);
    EXPECT_EQ(ControlRows(), 3);

    List->Clear();
    EXPECT_EQ(ControlRows(), 0);
    EXPECT_EQ(Freed, (std::map<std::wstring, int>{{L"a", 1}, {L"b", 1}, {L"c", 1}, {L"d", 1}}));

    List->AddRow(std::make_unique<TNameRow>(L"e", L"HKLM"));
    delete List;
    List = nullptr;
    EXPECT_EQ(Freed[L"e"], 1) << "the list frees what it still holds";
}

TEST_F(ListViewTest, RowsHaveTheMeasuredHeightAndColumnZeroTakesTheRest)
{
    List->AddRow(std::make_unique<TNameRow>(L"a", L"HKLM"));
    List->AddRow(std::make_unique<TNameRow>(L"b", L"HKLM"));
    RECT first{}, second{};
    ASSERT_TRUE(ListView_GetItemRect(List->Handle(), 0, &first, LVIR_BOUNDS));
    ASSERT_TRUE(ListView_GetItemRect(List->Handle(), 1, &second, LVIR_BOUNDS));
    EXPECT_EQ(second.top - first.top, List->Scale(24));

    RECT client{};
    GetClientRect(List->Handle(), &client);
    EXPECT_EQ(ListView_GetColumnWidth(List->Handle(), 1), List->Scale(50));
    EXPECT_EQ(ListView_GetColumnWidth(List->Handle(), 0) + ListView_GetColumnWidth(List->Handle(), 1),
              client.right);

    List->SetBounds(0, 0, 400, 200);
    GetClientRect(List->Handle(), &client);
    EXPECT_EQ(ListView_GetColumnWidth(List->Handle(), 0) + ListView_GetColumnWidth(List->Handle(), 1),
              client.right)
        << "and follows size changes";
}

TEST_F(ListViewTest, TheFocusedRowIsReportedForKeyboardAndSelection)
{
    for (const wchar_t* name : {L"a", L"b", L"c"})
        List->AddRow(std::make_unique<TNameRow>(name, L"HKLM"));
    int changes = 0;
    List->OnFocusChanged = [&](TComponent*) { ++changes; };

    List->SelectRow(0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(List->FocusedRow(), 0);
    EXPECT_EQ(List->SelectedRow(), 0);

    SetFocus(List->Handle());
    SendMessageW(List->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    PumpMessages();
    EXPECT_EQ(List->FocusedRow(), 1);
    EXPECT_EQ(List->SelectedRow(), 1) << "single selection follows the focus";
    EXPECT_EQ(changes, 2);
}

TEST_F(ListViewTest, KeysAndTheMenuKeyReachThePage)
{
    List->AddRow(std::make_unique<TNameRow>(L"a", L"HKLM"));
    List->SelectRow(0);
    std::vector<WORD> keys;
    List->OnKeyDown = [&](TComponent*, WORD key) { keys.push_back(key); };
    std::optional<POINT> popup;
    List->OnContextPopup = [&](TComponent*, POINT at) { popup = at; };

    SetFocus(List->Handle());
    SendMessageW(List->Handle(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(keys, std::vector<WORD>{VK_F5});

    // The keyboard's menu key: the menu opens below the focused row.
    SendMessageW(List->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List->Handle()), -1);
    ASSERT_TRUE(popup.has_value());
    RECT row{};
    ListView_GetItemRect(List->Handle(), 0, &row, LVIR_LABEL);
    POINT below{row.left, row.bottom};
    ClientToScreen(List->Handle(), &below);
    EXPECT_EQ(popup->x, below.x);
    EXPECT_EQ(popup->y, below.y);
}

TEST(ImageCollection, IconsKeepTheirSizeInCellsOfTheRowHeight)
{
    TImageCollection images(nullptr, L"DataIcon");
    HICON shared = LoadIconW(nullptr, IDI_APPLICATION);
    EXPECT_EQ(images.AddIconCopy(shared), 0);
    EXPECT_EQ(images.AddIcon(nullptr), -1);
    HIMAGELIST list = images.ImageList(16, 24);
    ASSERT_NE(list, nullptr);
    int width = 0, height = 0;
    ImageList_GetIconSize(list, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 24);
    EXPECT_EQ(ImageList_GetImageCount(list), 1);

    // Icons added later join the image list at the same index.
    EXPECT_EQ(images.AddIconCopy(shared), 1);
    EXPECT_EQ(ImageList_GetImageCount(images.ImageList(16, 24)), 2);
    EXPECT_EQ(images.ImageList(16, 24), list) << "same sizes, same list";
}

TEST(CheckBox, ClicksRunTheHandlerAndSettingTheMarkDoesNot)
{
    TTestForm form;
    auto* box = new TCheckBox(&form, &form, L"ChkAllList");
    box->SetBounds(10, 10, 120, 20);
    box->SetCaption(L"전체목록");
    int clicks = 0;
    box->OnClick = [&](TComponent*) { ++clicks; };

    EXPECT_FALSE(box->Checked());
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 1);
    box->SetChecked(false);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 1);

    wchar_t text[32] = L"";
    GetWindowTextW(box->Handle(), text, 32);
    EXPECT_STREQ(text, L"전체목록") << "the caption is the window text a screen reader reads";
}

}  // namespace

namespace {

std::wstring OwnExePath()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(GetIconIndex, TakesEachFilesIconOnceAndFallsBackAsTheSourceSays)
{
    TImageCollection images(nullptr, L"DataIcon");
    for (int i = 0; i < 4; ++i)
        images.AddIconCopy(LoadIconW(nullptr, IDI_APPLICATION));
    TIconCache cache;
    const std::wstring exe = OwnExePath();

    EXPECT_EQ(GetIconIndex(cache, images, L"", 1), 1) << "no source: the default";
    EXPECT_EQ(GetIconIndex(cache, images, L" \"\" ", 3), 3);
    EXPECT_EQ(GetIconIndex(cache, images, L"C:\\no\\such\\file.exe", 1), 0) << "a missing file: image 0";
    EXPECT_EQ(images.Count(), 4);

    const int first = GetIconIndex(cache, images, L"\"" + exe + L"\"", 1);
    EXPECT_EQ(first, 4) << "a new icon goes to the end";
    EXPECT_EQ(GetIconIndex(cache, images, exe, 1), first) << "quotes do not make another source";
    EXPECT_EQ(images.Count(), 5) << "the second call is served from the cache";

    const int numbered = GetIconIndex(cache, images, exe + L",0", 1);
    EXPECT_EQ(numbered, 5) << "\"file,n\" is a source of its own";
    EXPECT_EQ(GetIconIndex(cache, images, L" " + exe + L",0 ", 1), numbered) << "the source is trimmed";
}

}  // namespace
