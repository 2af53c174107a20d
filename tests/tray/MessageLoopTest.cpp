#include "Forms.h"
#include "MessageLoop.h"
#include "TrayIcon.h"
#include "framework_fixture.h"
#include "tray_observer.h"

#include <string>
#include <vector>

namespace {

using MessageLoopTest = FrameworkTest;

struct LoopLog {
    std::vector<std::string> events;
    HWND otherForm = nullptr;
    HWND mainForm = nullptr;
};
LoopLog loopLog;

// On WM_APP: notes what closing the other form did, then closes the main form.
bool CheckThenCloseMainForm(TControl*, MSG& message, LRESULT& result)
{
    if (message.message != WM_APP)
        return false;
    loopLog.events.push_back(std::string("other form ") + (IsWindow(loopLog.otherForm) ? "alive" : "gone") +
                             (AppState().terminated ? ", terminated" : ", running"));
    PostMessageW(loopLog.mainForm, WM_CLOSE, 0, 0);
    result = 0;
    return true;
}

TEST_F(MessageLoopTest, ClosingTheMainFormEndsTheLoopClosingAnotherFormDoesNot)
{
    loopLog = {};
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* mainForm = MakeForm(app, L"main");
    mainForm->SetVisible(false);
    TControl* otherForm = MakeForm(app, L"other");
    otherForm->SetVisible(false);
    app->AttachHandler(&CheckThenCloseMainForm);
    for (auto [object, name] : {std::pair<TControl*, const char*>{app, "app"}, {mainForm, "main"},
                                {otherForm, "other"}})
        object->OnDestroy = [name](TRefObject*) { loopLog.events.push_back(std::string(name) + " destroyed"); };

    HWND appWindow = app->GetHandle();
    loopLog.mainForm = mainForm->Handle();
    loopLog.otherForm = otherForm->Handle();
    PostMessageW(loopLog.otherForm, WM_CLOSE, 0, 0);
    PostMessageW(appWindow, WM_APP, 0, 0);
    RunMessageLoop(app);

    const std::vector<std::string> expected = {"other destroyed", "other form gone, running", "main destroyed",
                                               "app destroyed"};
    EXPECT_EQ(loopLog.events, expected);
    EXPECT_FALSE(IsWindow(appWindow));
    EXPECT_TRUE(AppState().terminated);
    EXPECT_FALSE(AppState().loopRunning);
    EXPECT_EQ(AppState().appWindow, nullptr);
}

TEST_F(MessageLoopTest, QuitMessageEndsTheLoopAndTheApplicationWindow)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    bool destroyed = false;
    app->OnDestroy = [&](TRefObject*) { destroyed = true; };
    HWND window = app->GetHandle();
    PostQuitMessage(0);
    RunMessageLoop(app);
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MessageLoopTest, ClosingTheApplicationWindowEndsTheLoop)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    MakeForm(app, L"main")->SetVisible(false);
    HWND window = app->GetHandle();
    PostMessageW(window, WM_CLOSE, 0, 0);
    RunMessageLoop(app);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(AppState().terminated);
}

TEST_F(MessageLoopTest, EndingTheLoopRemovesTheIconAndReleasesWhatTheWindowOwns)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* mainForm = MakeForm(app, L"main");
    mainForm->SetVisible(false);
    TTrayIcon* tray = MakeTrayIcon(app, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
    tray->SetTooltip(L"loop test: icon");
    AddOwned(app, tray);
    bool released = false;
    bool activeWhenReleased = true;
    tray->OnDestroy = [&](TRefObject* object) {
        released = true;
        activeWhenReleased = static_cast<TTrayIcon*>(object)->Active();
    };
    ASSERT_TRUE(WaitForTrayIcons(L"loop test: icon", 1));

    PostMessageW(mainForm->Handle(), WM_CLOSE, 0, 0);
    RunMessageLoop(app);
    EXPECT_TRUE(released);
    // Removed while the window was being destroyed, before the icon was released.
    EXPECT_FALSE(activeWhenReleased);
    EXPECT_TRUE(WaitForTrayIcons(L"loop test: icon", 0));
}

}  // namespace
