#include "Forms.h"
#include "TrayIcon.h"
#include "framework_fixture.h"
#include "tray_observer.h"

#include <cstddef>
#include <string>
#include <vector>

namespace {

class TrayIconTest : public FrameworkTest {
protected:
    void SetUp() override
    {
        FrameworkTest::SetUp();
        app = MakeAppWindow(L"app");
        app->SetVisible(false);
        form = MakeForm(app, L"form");
        form->SetVisible(false);
        icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    }
    void TearDown() override
    {
        for (TTrayIcon* tray : made)
            tray->Release();
        if (app->Handle())
            DestroyWindow(app->Handle());
        FrameworkTest::TearDown();
    }
    TTrayIcon* Make(TControl* owner, const std::wstring& tooltip)
    {
        TTrayIcon* tray = MakeTrayIcon(owner, CopyIcon(icon));
        tray->SetTooltip(tooltip);
        made.push_back(tray);
        return tray;
    }

    TControl* app = nullptr;
    TControl* form = nullptr;
    HICON icon = nullptr;
    std::vector<TTrayIcon*> made;
};

TEST(TrayIconData, FirstVersionSizeForThisArchitecture)
{
    const DWORD expected = sizeof(void*) == 8 ? 168 : 152;
    EXPECT_EQ(NotifyIconDataSize(), expected);
    EXPECT_EQ(NotifyIconDataSize(), offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(wchar_t));
}

TEST_F(TrayIconTest, NotifyDataCarriesTheFirst63CharactersOfTheTooltip)
{
    TTrayIcon* tray = Make(form, L"");
    const std::wstring seventy = L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!@#$%^&*";
    ASSERT_EQ(seventy.size(), 70u);
    tray->SetTooltip(seventy);
    HWND window = form->Handle();
    NOTIFYICONDATAW data = tray->NotifyData(window, false);
    EXPECT_EQ(data.cbSize, NotifyIconDataSize());
    EXPECT_EQ(data.hWnd, window);
    EXPECT_EQ(data.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(tray)));
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.uCallbackMessage, 0xB008u);
    EXPECT_EQ(data.hIcon, tray->Icon());
    EXPECT_EQ(std::wstring(data.szTip), seventy.substr(0, 63));
    EXPECT_EQ(tray->NotifyData(window, true).uFlags, 0u);

    // The notification area shows the same.
    EXPECT_TRUE(WaitForTrayIcons(seventy.substr(0, 63), 1));
}

TEST_F(TrayIconTest, IconEntersTheNotificationAreaWithItsOwnersWindow)
{
    EXPECT_EQ(form->Handle(), nullptr);
    TTrayIcon* tray = Make(form, L"tray test: enters");
    EXPECT_TRUE(tray->Active());
    EXPECT_NE(form->Handle(), nullptr);  // made for the icon
    ASSERT_TRUE(WaitForTrayIcons(L"tray test: enters", 1));

    tray->SetTooltip(L"tray test: changed");
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: changed", 1));
    tray->SetActive(false);
    EXPECT_FALSE(tray->Active());
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: changed", 0));
}

TEST_F(TrayIconTest, WithoutAnIconHandleTheIconNeverShows)
{
    TTrayIcon* tray = MakeTrayIcon(form, nullptr);
    made.push_back(tray);
    tray->SetTooltip(L"tray test: no icon");
    EXPECT_FALSE(tray->Active());
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: no icon", 0, 500));
}

TEST_F(TrayIconTest, MousePressesReachTheIconsHandler)
{
    TTrayIcon* tray = Make(form, L"tray test: mouse");
    std::vector<WORD> received;
    tray->OnTrayMouse = [&](TTrayIcon* sender, WORD message) {
        EXPECT_EQ(sender, tray);
        received.push_back(message);
    };
    auto shown = ShownTrayIconsWithTooltip(L"tray test: mouse");
    ASSERT_EQ(shown.size(), 1u);

    // Through the notification area, as a user's click.
    PressTrayIcon(shown[0].window, WM_RBUTTONDOWN);
    for (int i = 0; i < 200 && received.empty(); ++i) {
        Pump();
        Sleep(10);
    }
    EXPECT_EQ(received, std::vector<WORD>{WM_RBUTTONDOWN});

    // Directly: messages up to 0x020D are passed on, to the icon named by wParam.
    received.clear();
    HWND window = form->Handle();
    EXPECT_EQ(SendMessageW(window, TrayCallbackMessage, tray->Id(), WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(SendMessageW(window, TrayCallbackMessage, tray->Id(), 0x020D), 0);
    EXPECT_EQ(SendMessageW(window, TrayCallbackMessage, tray->Id(), 0x020E), 0);
    EXPECT_EQ(SendMessageW(window, TrayCallbackMessage, tray->Id(), MAKELPARAM(WM_LBUTTONDOWN, 1)), 0);
    EXPECT_EQ(SendMessageW(window, TrayCallbackMessage, tray->Id() + 1, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(received, (std::vector<WORD>{WM_LBUTTONDBLCLK, 0x020D}));
}

TEST_F(TrayIconTest, DestroyingTheOwnerWindowRemovesItsIcons)
{
    TTrayIcon* first = Make(form, L"tray test: owner gone 1");
    TTrayIcon* second = Make(form, L"tray test: owner gone 2");
    TTrayIcon* kept = Make(form, L"tray test: kept");
    kept->KeepWhenOwnerDestroyed = true;
    TTrayIcon* other = Make(app, L"tray test: other owner");
    ASSERT_TRUE(WaitForTrayIcons(L"tray test: owner gone 2", 1));

    DestroyWindow(form->Handle());
    EXPECT_FALSE(first->Active());
    EXPECT_FALSE(second->Active());
    // The framework leaves this one alone (what the notification area then
    // shows for a dead window is up to the system).
    EXPECT_TRUE(kept->Active());
    EXPECT_TRUE(other->Active());
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: owner gone 1", 0));
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: owner gone 2", 0));
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: other owner", 1));
}

TEST_F(TrayIconTest, OnceTerminatedEveryCallRemovesTheIcon)
{
    TTrayIcon* tray = Make(form, L"tray test: terminating");
    ASSERT_TRUE(WaitForTrayIcons(L"tray test: terminating", 1));
    AppState().terminated = true;
    tray->SetTooltip(L"tray test: modified while terminating");
    EXPECT_FALSE(tray->Active());
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: terminating", 0));
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: modified while terminating", 0, 500));
    tray->SetActive(true);
    EXPECT_FALSE(tray->Active());
    AppState().terminated = false;
}

TEST_F(TrayIconTest, ReleasedIconLeavesTheNotificationArea)
{
    TTrayIcon* tray = MakeTrayIcon(form, CopyIcon(icon));
    tray->SetTooltip(L"tray test: released");
    ASSERT_TRUE(WaitForTrayIcons(L"tray test: released", 1));
    bool destroyed = false;
    tray->OnDestroy = [&](TRefObject*) { destroyed = true; };
    AddOwned(form, tray);
    DestroyWindow(form->Handle());
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(WaitForTrayIcons(L"tray test: released", 0));
    EXPECT_EQ(AppState().icons, nullptr);  // the last icon released the list
}

}  // namespace
