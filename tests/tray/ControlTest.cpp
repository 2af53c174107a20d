#include "Control.h"
#include "Forms.h"
#include "framework_fixture.h"
#include "helper_process.h"

#include <string>
#include <vector>

namespace {

using ControlTest = FrameworkTest;

std::vector<std::string> handlerCalls;

bool FirstHandler(TControl*, MSG& message, LRESULT& result)
{
    handlerCalls.push_back("first");
    result = 11;
    return message.message == WM_APP + 1;
}

bool SecondHandler(TControl*, MSG& message, LRESULT& result)
{
    handlerCalls.push_back("second");
    result = 22;
    return message.message == WM_APP;
}

bool formDestroyed = false;

bool ClosingHandler(TControl* sender, MSG& message, LRESULT& result)
{
    if (message.message != WM_APP)
        return false;
    DestroyWindow(sender->Handle());
    // The object is held while it handles the message: it dies afterwards.
    handlerCalls.push_back(formDestroyed ? "destroyed inside" : "alive inside");
    result = 5;
    return true;
}

bool StopAtSysCommand(TControl*, MSG& message, LRESULT& result)
{
    if (message.message != WM_SYSCOMMAND)
        return false;
    handlerCalls.push_back("app syscommand " + std::to_string(message.wParam & 0xFFF0));
    result = 0;
    return true;
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

TEST_F(ControlTest, WindowsAreCreatedWhenFirstNeededParentFirst)
{
    TControl* app = MakeAppWindow(L"App caption");
    app->SetVisible(false);
    TControl* form = MakeForm(app, L"Form caption");
    form->SetVisible(false);
    EXPECT_EQ(app->Handle(), nullptr);
    EXPECT_EQ(form->Handle(), nullptr);
    EXPECT_EQ(form->Caption(), L"Form caption");  // stored while no window exists

    HWND formWindow = form->GetHandle();
    ASSERT_NE(formWindow, nullptr);
    ASSERT_NE(app->Handle(), nullptr);
    EXPECT_EQ(GetWindow(formWindow, GW_OWNER), app->Handle());
    EXPECT_EQ(TControl::FromHandle(formWindow), form);
    EXPECT_EQ(reinterpret_cast<TControl*>(GetWindowLongPtrW(app->Handle(), GWLP_USERDATA)), app);
    EXPECT_EQ(ClassOf(app->Handle()), L"obj_App");
    EXPECT_EQ(ClassOf(formWindow), L"obj_Form");
    EXPECT_EQ(WindowText(app->Handle()), L"App caption");

    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, KindsHaveTheirStylesAndHiddenClearsVisible)
{
    TControl* app = MakeAppWindow(L"app");
    TControl* form = MakeForm(app, L"form");
    EXPECT_EQ(app->Style(), 0x90CA0000u);
    EXPECT_EQ(app->ExStyle(), static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(app->ClassStyle(), 0u);
    EXPECT_EQ(form->Style(), 0x16CF0000u);
    EXPECT_EQ(form->ExStyle(), static_cast<DWORD>(WS_EX_CONTROLPARENT));
    EXPECT_EQ(form->ClassStyle(), static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(form->TextColor(), SystemColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(form->BackColor(), SystemColor(COLOR_BTNFACE));

    app->SetVisible(false);
    form->SetVisible(false);
    EXPECT_EQ(app->Style(), 0x80CA0000u);
    EXPECT_EQ(form->Style(), 0x06CF0000u);
    form->SetWindowClassName(L"TrayTestStyles");
    HWND window = form->GetHandle();
    ASSERT_TRUE(window);
    EXPECT_EQ(ClassOf(window), L"TrayTestStyles");  // an explicit name has no prefix
    EXPECT_EQ(GetClassLongW(window, GCL_STYLE), static_cast<DWORD>(CS_DBLCLKS));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowVisible(app->Handle()));
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & 0x06CF0000, 0x06CF0000);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(GetWindowLongW(app->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);

    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, FormTakesItsSizeAndPosition)
{
    const int screen = GetSystemMetrics(SM_CYSCREEN);
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* form = MakeForm(app, L"form");
    form->SetSize(240, 40);
    form->SetTop(screen + 1);
    form->SetVisible(false);
    form->SetSize(0, -5);  // 0 or less leaves a dimension unchanged
    RECT rect = WindowRect(form->GetHandle());
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, screen + 1);
    EXPECT_EQ(rect.right - rect.left, 240);
    EXPECT_EQ(rect.bottom - rect.top, 40);

    form->SetTop(100);  // moves the existing window, keeping its height
    rect = WindowRect(form->Handle());
    EXPECT_EQ(rect.top, 100);
    EXPECT_EQ(rect.bottom - rect.top, 40);

    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, ApplicationSystemMenuOffersNoMaximizeMoveOrSize)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    HMENU menu = GetSystemMenu(app->GetHandle(), FALSE);
    ASSERT_TRUE(menu);
    EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
    UINT restore = GetMenuState(menu, SC_RESTORE, MF_BYCOMMAND);
    ASSERT_NE(restore, static_cast<UINT>(-1));
    EXPECT_TRUE(restore & MF_GRAYED);
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, TopLevelWindowsShowTheProgramIcon)
{
    HICON programIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    ASSERT_TRUE(programIcon);
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* form = MakeForm(app, L"form");
    form->SetVisible(false);
    HWND formWindow = form->GetHandle();
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(app->Handle(), WM_GETICON, ICON_BIG, 0)), programIcon);
    // The form shows its own copy of the application window's icon.
    auto formIcon = reinterpret_cast<HICON>(SendMessageW(formWindow, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(formIcon);
    EXPECT_NE(formIcon, programIcon);
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, CaptionFollowsTheWindowOnceItExists)
{
    TControl* app = MakeAppWindow(L"before");
    app->SetVisible(false);
    HWND window = app->GetHandle();
    app->SetCaption(L"after");
    EXPECT_EQ(WindowText(window), L"after");
    SetWindowTextW(window, L"changed outside");
    EXPECT_EQ(app->Caption(), L"changed outside");
    DestroyWindow(window);
}

TEST_F(ControlTest, HandlerChainRunsNewestFirstUntilOneHandles)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    app->AttachHandler(&FirstHandler);
    app->AttachHandler(&SecondHandler);
    HWND window = app->GetHandle();

    handlerCalls.clear();
    EXPECT_EQ(SendMessageW(window, WM_APP, 0, 0), 22);
    EXPECT_EQ(handlerCalls, std::vector<std::string>{"second"});

    handlerCalls.clear();
    EXPECT_EQ(SendMessageW(window, WM_APP + 1, 0, 0), 11);
    EXPECT_EQ(handlerCalls, (std::vector<std::string>{"second", "first"}));

    app->DetachHandler(&SecondHandler);
    EXPECT_FALSE(app->HasHandler(&SecondHandler));
    handlerCalls.clear();
    SendMessageW(window, WM_APP + 1, 0, 0);
    EXPECT_EQ(handlerCalls, std::vector<std::string>{"first"});

    // OnMessage sees the message before the chain.
    app->OnMessage = [](TControl*, MSG& message, LRESULT& result) {
        result = 33;
        return message.message == WM_APP + 1;
    };
    handlerCalls.clear();
    EXPECT_EQ(SendMessageW(window, WM_APP + 1, 0, 0), 33);
    EXPECT_TRUE(handlerCalls.empty());
    DestroyWindow(window);
}

TEST_F(ControlTest, OnceTerminatedOnlyRunWhileTerminatingHandlersRun)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    app->AttachHandler(&FirstHandler, true);
    app->AttachHandler(&SecondHandler);
    HWND window = app->GetHandle();
    AppState().terminated = true;
    handlerCalls.clear();
    SendMessageW(window, WM_APP, 0, 0);
    EXPECT_EQ(handlerCalls, std::vector<std::string>{"first"});
    AppState().terminated = false;
    DestroyWindow(window);
}

TEST_F(ControlTest, HandlerMayDestroyItsOwnWindow)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* form = MakeForm(app, L"form");
    form->SetVisible(false);
    form->AttachHandler(&ClosingHandler);
    formDestroyed = false;
    form->OnDestroy = [](TRefObject*) { formDestroyed = true; };
    HWND window = form->GetHandle();

    handlerCalls.clear();
    EXPECT_EQ(SendMessageW(window, WM_APP, 0, 0), 5);
    EXPECT_EQ(handlerCalls, std::vector<std::string>{"alive inside"});
    EXPECT_TRUE(formDestroyed);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(app->ChildCount(), 0);  // the dead form left its parent
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, DefaultHandlingAnswersUnicodeAndPaintsTheBackground)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* form = MakeForm(app, L"form");
    form->SetSize(100, 80);
    form->SetVisible(false);
    HWND window = form->GetHandle();
    EXPECT_EQ(SendMessageW(window, WM_NOTIFYFORMAT, 0, NF_QUERY), NFR_UNICODE);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 200);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, 200, 200};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0), 1);
    EXPECT_EQ(GetPixel(memory, 1, 1), GetSysColor(COLOR_BTNFACE));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, MinimizingTheMainFormGoesToTheApplicationWindow)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    app->AttachHandler(&StopAtSysCommand);
    TControl* mainForm = MakeForm(app, L"main");
    mainForm->SetVisible(false);
    TControl* other = MakeForm(app, L"other");
    other->SetVisible(false);
    app->GetHandle();

    handlerCalls.clear();
    EXPECT_EQ(SendMessageW(mainForm->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
    EXPECT_FALSE(IsIconic(mainForm->Handle()));
    Pump();
    EXPECT_EQ(handlerCalls, std::vector<std::string>{"app syscommand " + std::to_string(SC_MINIMIZE)});
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, ClosingTheApplicationWindowFromItsSystemMenuClosesTheMainForm)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* mainForm = MakeForm(app, L"main");
    mainForm->SetVisible(false);
    app->GetHandle();
    HWND mainWindow = mainForm->Handle();
    SendMessageW(app->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(app->Handle()));
    Pump();
    EXPECT_FALSE(IsWindow(mainWindow));
    EXPECT_TRUE(AppState().terminated);
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, MessagesOfWindowsWithoutObjectGoToTheApplicationWindow)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* form = MakeForm(app, L"form");
    form->SetVisible(false);
    form->SetWindowClassName(L"TrayTestRouting");
    form->GetHandle();
    ASSERT_EQ(AppState().appWindow, app);

    app->AttachHandler([](TControl*, MSG& message, LRESULT& result) {
        if (message.message != WM_APP + 7)
            return false;
        result = reinterpret_cast<LRESULT>(message.hwnd);
        return true;
    });
    // A window of the framework's class made behind its back has no object.
    HWND stray = CreateWindowExW(0, L"TrayTestRouting", L"stray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(stray);
    EXPECT_EQ(TControl::FromHandle(stray), nullptr);
    EXPECT_EQ(SendMessageW(stray, WM_APP + 7, 0, 0), reinterpret_cast<LRESULT>(stray));
    DestroyWindow(stray);
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, SendToWindowCreatesTheWindow)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    EXPECT_EQ(app->Handle(), nullptr);
    EXPECT_EQ(SendToWindow(app, WM_NOTIFYFORMAT, 0, NF_QUERY), NFR_UNICODE);
    EXPECT_NE(app->Handle(), nullptr);
    DestroyWindow(app->Handle());
}

TEST_F(ControlTest, ReleasedObjectDestroysItsWindowAndChildren)
{
    TControl* app = MakeAppWindow(L"app");
    app->SetVisible(false);
    TControl* withWindow = MakeForm(app, L"with window");
    withWindow->SetVisible(false);
    app->GetHandle();
    TControl* withoutWindow = MakeForm(app, L"without window");
    std::vector<std::string> destroyed;
    app->OnDestroy = [&](TRefObject*) { destroyed.push_back("app"); };
    withWindow->OnDestroy = [&](TRefObject*) { destroyed.push_back("with window"); };
    withoutWindow->OnDestroy = [&](TRefObject*) { destroyed.push_back("without window"); };
    HWND appWindow = app->Handle();
    HWND formWindow = withWindow->Handle();

    DestroyWindow(appWindow);
    EXPECT_FALSE(IsWindow(formWindow));
    EXPECT_EQ(destroyed, (std::vector<std::string>{"with window", "app", "without window"}));
    EXPECT_EQ(AppState().appWindow, nullptr);
}

}  // namespace
