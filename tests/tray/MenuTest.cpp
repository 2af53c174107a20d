#include "AppState.h"
#include "Forms.h"
#include "Menu.h"
#include "framework_fixture.h"

#include <string>
#include <utility>
#include <vector>

namespace {

class MenuTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        app = MakeAppWindow(L"app");
        app->SetVisible(false);
        form = MakeForm(app, L"form");
        form->SetVisible(false);
    }
    void TearDown() override
    {
        if (app->Handle())
            DestroyWindow(app->Handle());
        FrameworkTest::TearDown();
    }

    // What OnItemClick received, as (menu, index).
    TMenu::ItemClick Recorder()
    {
        return [this](TMenu* menu, int index) { clicks.emplace_back(menu, index); };
    }
    LRESULT Click(UINT id, WORD code = 0, LPARAM lParam = 0)
    {
        return SendMessageW(form->GetHandle(), WM_COMMAND, MAKEWPARAM(id, code), lParam);
    }

    TControl* app = nullptr;
    TControl* form = nullptr;
    std::vector<std::pair<TMenu*, int>> clicks;
};

MENUITEMINFOW ItemInfo(HMENU menu, UINT position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info;
}

std::wstring ItemText(HMENU menu, UINT position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

TEST_F(MenuTest, EmptyFirstMenuBecomesTheMenuBarAndTheNextOneAPopup)
{
    const std::wstring empty[] = {L""};
    TMenu* bar = MakeMenu(form, empty, 0, nullptr);
    ASSERT_TRUE(bar->Handle());
    EXPECT_EQ(GetMenuItemCount(bar->Handle()), 0);
    EXPECT_EQ(form->FirstMenu(), bar);
    EXPECT_EQ(form->MenuBar(), bar->Handle());

    const std::wstring entries[] = {L"One", L""};
    TMenu* popup = MakeMenu(form, entries, 1, nullptr);
    EXPECT_NE(popup->Handle(), bar->Handle());
    EXPECT_EQ(bar->Next(), popup);
    EXPECT_EQ(form->MenuBar(), bar->Handle());

    // The bar goes onto the window when it is created.
    EXPECT_EQ(GetMenu(form->GetHandle()), bar->Handle());
}

TEST_F(MenuTest, FirstMenuOfAnExistingWindowIsSetAtOnce)
{
    HWND window = form->GetHandle();
    EXPECT_EQ(GetMenu(window), nullptr);
    const std::wstring entries[] = {L"File", L""};
    TMenu* bar = MakeMenu(form, entries, 1, nullptr);
    EXPECT_EQ(GetMenu(window), bar->Handle());
}

TEST_F(MenuTest, IndicesCountTheSeparatorAndIdentifiersContinue)
{
    const std::wstring empty[] = {L""};
    MakeMenu(form, empty, 0, nullptr);
    const UINT first = AppState().nextCommandId;
    ASSERT_GE(first, FirstMenuCommandId);

    const std::wstring entries[] = {L"A", L"B", L"-", L"C", L"D", L""};
    TMenu* popup = MakeMenu(form, entries, 5, Recorder());
    ASSERT_EQ(GetMenuItemCount(popup->Handle()), 5);
    for (UINT position = 0; position < 5; ++position)
        EXPECT_EQ(GetMenuItemID(popup->Handle(), static_cast<int>(position)), first + position);
    EXPECT_EQ(ItemText(popup->Handle(), 3), L"C");
    MENUITEMINFOW separator = ItemInfo(popup->Handle(), 2);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    EXPECT_TRUE(separator.fState & MFS_GRAYED);

    const std::wstring more[] = {L"E", L""};
    TMenu* second = MakeMenu(form, more, 1, Recorder());
    EXPECT_EQ(GetMenuItemID(second->Handle(), 0), first + 5);

    for (UINT position : {0u, 1u, 3u, 4u})
        EXPECT_EQ(Click(first + position), 0);
    Click(first + 5);
    Click(first + 1, 1);           // from an accelerator: acts too
    Click(first + 1, 2);           // any other notification code: not a menu click
    Click(first + 1, 0, 0x1234);   // from a control: not a menu click
    const std::vector<std::pair<TMenu*, int>> expected = {
        {popup, 0}, {popup, 1}, {popup, 3}, {popup, 4}, {second, 0}, {popup, 1}};
    EXPECT_EQ(clicks, expected);
}

TEST_F(MenuTest, RadioGroupsAndCheckableItems)
{
    const std::wstring empty[] = {L""};
    MakeMenu(form, empty, 0, nullptr);
    const std::wstring entries[] = {L"+!One", L"-!Two", L"-!!Three", L"+!Four", L"-Five", L"+Six", L"Plain", L""};
    TMenu* menu = MakeMenu(form, entries, 7, Recorder());
    HMENU handle = menu->Handle();

    const int groups[] = {1, 1, 2, 2, 0, 0, 0};
    const bool checked[] = {true, false, false, true, false, true, false};
    const wchar_t* texts[] = {L"One", L"Two", L"Three", L"Four", L"Five", L"Six", L"Plain"};
    for (int i = 0; i < 7; ++i) {
        TMenu* item = menu->Item(i);
        EXPECT_EQ(item->RadioGroup(), groups[i]) << i;
        EXPECT_EQ(item->Checked(), checked[i]) << i;
        EXPECT_EQ(item->Text(), texts[i]) << i;
        EXPECT_EQ(ItemText(handle, static_cast<UINT>(i)), texts[i]) << i;
        MENUITEMINFOW info = ItemInfo(handle, static_cast<UINT>(i));
        EXPECT_EQ((info.fType & MFT_RADIOCHECK) != 0, groups[i] != 0) << i;
        EXPECT_EQ((info.fState & MFS_CHECKED) != 0, checked[i]) << i;
    }
    EXPECT_FALSE(menu->Item(6)->IsCheckable());

    auto isChecked = [&](UINT position) { return (ItemInfo(handle, position).fState & MFS_CHECKED) != 0; };
    Click(menu->Item(1)->CommandId());  // Two takes the check of group 1 only
    EXPECT_FALSE(isChecked(0));
    EXPECT_TRUE(isChecked(1));
    EXPECT_TRUE(isChecked(3));
    Click(menu->Item(2)->CommandId());  // Three takes it from Four
    EXPECT_TRUE(isChecked(1));
    EXPECT_TRUE(isChecked(2));
    EXPECT_FALSE(isChecked(3));
    EXPECT_FALSE(menu->Item(3)->Checked());
    Click(menu->Item(4)->CommandId());  // a checkable item toggles
    EXPECT_TRUE(isChecked(4));
    Click(menu->Item(4)->CommandId());
    EXPECT_FALSE(isChecked(4));
    EXPECT_FALSE(menu->Item(4)->Checked());
    Click(menu->Item(6)->CommandId());
    EXPECT_FALSE(isChecked(6));
    EXPECT_EQ(clicks.size(), 5u);
}

TEST_F(MenuTest, SubMenusAreCountedDepthFirst)
{
    const std::wstring empty[] = {L""};
    MakeMenu(form, empty, 0, nullptr);
    const std::wstring entries[] = {L"File", L"(", L"Open", L"Recent", L"(", L"One", L")", L"Close", L")",
                                    L"Edit", L"", L"Never read"};
    TMenu* menu = MakeMenu(form, entries, 11, Recorder());
    HMENU handle = menu->Handle();
    ASSERT_EQ(GetMenuItemCount(handle), 2);
    HMENU file = GetSubMenu(handle, 0);
    ASSERT_TRUE(file);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    HMENU recent = GetSubMenu(file, 1);
    ASSERT_TRUE(recent);
    EXPECT_EQ(GetMenuItemCount(recent), 1);
    EXPECT_EQ(ItemText(recent, 0), L"One");
    EXPECT_EQ(ItemText(handle, 1), L"Edit");

    // Identifiers follow the template: File, Open, Recent, One, Close, Edit.
    const UINT fileId = GetMenuItemID(file, 0) - 1;
    EXPECT_EQ(menu->Item(0)->CommandId(), fileId);
    EXPECT_EQ(GetMenuItemID(recent, 0), fileId + 3);
    EXPECT_EQ(GetMenuItemID(handle, 1), fileId + 5);

    Click(fileId + 3);  // One
    Click(fileId + 4);  // Close
    Click(fileId + 5);  // Edit
    const std::vector<std::pair<TMenu*, int>> expected = {{menu, 3}, {menu, 4}, {menu, 5}};
    EXPECT_EQ(clicks, expected);
}

TEST_F(MenuTest, LastIndexLimitsTheTemplate)
{
    const std::wstring entries[] = {L"A", L"B", L"C"};
    TMenu* menu = MakeMenu(form, entries, 1, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu->Handle()), 2);
}

TEST_F(MenuTest, ItemHandlerWinsOverTheMenuHandler)
{
    const std::wstring empty[] = {L""};
    MakeMenu(form, empty, 0, nullptr);
    const std::wstring entries[] = {L"A", L"B", L""};
    TMenu* menu = MakeMenu(form, entries, 2, Recorder());
    std::vector<int> own;
    menu->Item(1)->OnItemClick = [&](TMenu* received, int index) {
        EXPECT_EQ(received, menu);
        own.push_back(index);
    };
    Click(menu->Item(0)->CommandId());
    Click(menu->Item(1)->CommandId());
    EXPECT_EQ(clicks, (std::vector<std::pair<TMenu*, int>>{{menu, 0}}));
    EXPECT_EQ(own, std::vector<int>{1});
}

TEST_F(MenuTest, MenusDieWithTheirOwner)
{
    const std::wstring empty[] = {L""};
    TMenu* bar = MakeMenu(form, empty, 0, nullptr);
    const std::wstring entries[] = {L"A", L"(", L"B", L")", L""};
    TMenu* popup = MakeMenu(form, entries, 4, nullptr);
    std::vector<std::string> destroyed;
    bar->OnDestroy = [&](TRefObject*) { destroyed.push_back("bar"); };
    popup->OnDestroy = [&](TRefObject*) { destroyed.push_back("popup"); };
    HMENU barHandle = bar->Handle();
    HMENU popupHandle = popup->Handle();
    HMENU subHandle = GetSubMenu(popupHandle, 0);
    form->GetHandle();
    DestroyWindow(form->Handle());
    EXPECT_EQ(destroyed, (std::vector<std::string>{"bar", "popup"}));
    EXPECT_FALSE(IsMenu(barHandle));
    EXPECT_FALSE(IsMenu(popupHandle));
    EXPECT_FALSE(IsMenu(subHandle));
}

// While the menu is up the hidden owner is shown below the screen; it is
// hidden and put back afterwards.
struct PopupObservation {
    bool seen = false;
    bool visible = false;
    RECT rect{};
    HWND owner = nullptr;
};
PopupObservation observation;

void CALLBACK ObserveAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    observation.seen = true;
    observation.visible = IsWindowVisible(observation.owner) != FALSE;
    GetWindowRect(observation.owner, &observation.rect);
    EndMenu();
}

TEST_F(MenuTest, PopupShowsAHiddenOwnerBelowTheScreenAndHidesItAgain)
{
    const int screen = GetSystemMetrics(SM_CYSCREEN);
    form->SetSize(240, 40);
    form->SetTop(screen + 1);
    const std::wstring empty[] = {L""};
    MakeMenu(form, empty, 0, nullptr);
    const std::wstring entries[] = {L"A", L"B", L""};
    TMenu* menu = MakeMenu(form, entries, 2, nullptr);
    bool beforePopup = false;
    menu->OnBeforePopup = [&](TMenu*) { beforePopup = true; };

    observation = {};
    observation.owner = form->GetHandle();
    SetTimer(nullptr, 0, 300, &ObserveAndCloseMenu);
    PopupAt(menu, 20, 20);

    EXPECT_TRUE(beforePopup);
    ASSERT_TRUE(observation.seen);
    EXPECT_TRUE(observation.visible);
    EXPECT_EQ(observation.rect.top, screen + 50);
    EXPECT_EQ(observation.rect.bottom - observation.rect.top, 40);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    RECT after{};
    GetWindowRect(form->Handle(), &after);
    EXPECT_EQ(after.top, screen + 1);
    EXPECT_FALSE(form->Visible());
}

}  // namespace
