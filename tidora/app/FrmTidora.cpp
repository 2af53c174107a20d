#include "FrmTidora.h"

#include "Application.h"
#include "CleanupRun.h"
#include "EventGuard.h"
#include "ListAnswer.h"
#include "ListLoaders.h"
#include "MorvaneStyle.h"
#include "PathTokens.h"
#include "Process.h"
#include "ServiceProtocol.h"
#include "SystemProc.h"
#include "TidoraLogo.h"
#include "Text.h"
#include "StartupCheck.h"
#include "UpdateDialog.h"

#include "build_config.h"

#include <chrono>
#include <random>
#include <stdexcept>

namespace {

// Seeded from the clock when the program starts.
std::mt19937 programRandom(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));

// The tray helper runs with the user's ordinary rights and this window is
// elevated: without this, Windows drops its WM_USER on the way up.
void AcceptTrayMessage(HWND window)
{
    using FilterExProc = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using FilterProc = BOOL(WINAPI*)(UINT, DWORD);
    if (auto filterEx = LoadSystemProc<FilterExProc>(L"user32.dll", "ChangeWindowMessageFilterEx"))
        filterEx(window, WM_USER, 1 /* MSGFLT_ALLOW */, nullptr);
    else if (auto filter = LoadSystemProc<FilterProc>(L"user32.dll", "ChangeWindowMessageFilter"))
        filter(WM_USER, 1 /* MSGFLT_ADD */);
}

#ifdef TIDORA_TEST_BUILD
// Test builds fail on request, so that the crash reporter can be seen at
// work: wParam 1 throws a C++ exception, 2 writes to the address in lParam.
const UINT TestFaultMessage = RegisterWindowMessageW(L"TidoraTestFault");
#endif

// The home page shows one of the two, picked at random at each start.
const wchar_t* const Taglines[2] = {
    L"윈도우 필수 프로그램만 남기고 <B>종료</B>합니다.",
    L"프로그램은 종료만 되며, <B>삭제</B>하지 않습니다.",
};

}  // namespace

TFrmTidora::TFrmTidora() : TForm(nullptr, L"TFrmTidora", L"FrmTidora")
{
    CreateComponents();
    GuardEvent([this] { FormCreate(); });
}

// A window destroyed without a close still leaves no completion behind.
TFrmTidora::~TFrmTidora()
{
    EndUpdateCheck();
}

// The designed form: sizes and positions at 96 dpi.
void TFrmTidora::CreateComponents()
{
    SetCaption(L"타이도라");
    SetBorderStyle(TBorderStyle::Single);
    SetBorderIcons(true, false);
    SetColor(RGB(255, 255, 255));
    SetFont({L"Segoe UI", 12});
    SetClientSize(464, 417);
    AcceptTrayMessage(Handle());

    PnlHead = new TPanel(this, this, L"PnlHead");
    PnlHead->SetBounds(0, 0, 464, 50);
    PnlHead->SetAlign(TAlign::Top);

    // The toolbar comes first so that Tab reaches the page buttons before
    // the logo; alignment keeps the logo on the right.
    BtnHead = new TStyledToolBar(this, PnlHead, L"BtnHead");
    PnlLogo = new TPanel(this, PnlHead, L"PnlLogo");
    PnlLogo->SetBounds(0, 0, 120, 50);
    PnlLogo->SetAlign(TAlign::Right);
    ImgLogo = new TVectorImage(this, PnlLogo, L"ImgLogo");
    ImgLogo->SetBounds(3, 0, 112, 50);
    ImgLogo->SetText(L"Tidora");
    ImgLogo->SetHandCursor(true);
    ImgLogo->SetDrawer(DrawTidoraLogo);
    ImgLogo->OnClick = [this](TComponent* sender) { BtnHomeClick(sender); };

    BtnHead->SetAlign(TAlign::Client);
    BtnHead->SetMargins({10, 10, 10, 10});
    BtnHead->SetButtonSize(70, 30);
    BtnHead->SetIndent(10);
    auto headerButton = [this](const wchar_t* name, const wchar_t* caption) {
        auto* button = new TStyledToolButton(this, BtnHead, name);
        button->SetCaption(caption);
        button->SetStyle(L"Morvane", L"Primary", L"Header");
        button->SetShape(TButtonShape::RoundRect, 4);
        button->OnClick = [this](TComponent* sender) { BtnHomeClick(sender); };
        return button;
    };
    BtnHome = headerButton(L"BtnHome", L"처음화면");
    BtnAutorun = headerButton(L"BtnAutorun", L"자동실행");
    BtnInstall = headerButton(L"BtnInstall", L"강제설치");
    BtnHome->SetDown(true);

    PnlMain = new TCardPanel(this, this, L"PnlMain");
    PnlMain->SetAlign(TAlign::Client);
    PnlMain->SetPadding({8, 0, 8, 0});
    PnlCleaner = PnlMain->AddCard(this, L"PnlCleaner");
    PnlAutorun = PnlMain->AddCard(this, L"PnlAutorun");
    PnlInstall = PnlMain->AddCard(this, L"PnlInstall");

    LblTitle = new TLabel(this, PnlCleaner, L"LblTitle");
    LblTitle->SetBounds(0, 40, 450, 81);
    LblTitle->SetCentered(true);
    LblTitle->SetFont({L"Tahoma", 59, FW_NORMAL, ANTIALIASED_QUALITY});
    LblTitle->SetCaption(L"타이도라");

    LblContent = new THtmlLabel(this, PnlCleaner, L"LblContent");
    LblContent->SetBounds(2, 172, 449, 33);
    LblContent->SetCenteredVertically(true);

    BtnStart = new TStyledButton(this, PnlCleaner, L"BtnStart");
    BtnStart->SetBounds(142, 264, 162, 68);
    BtnStart->SetCaption(L"실행하기");
    BtnStart->SetStyle(L"Morvane", L"Primary", L"Outline");
    BtnStart->SetShape(TButtonShape::RoundRect, 4);
    BtnStart->OnClick = [this](TComponent* sender) { BtnStartClick(sender); };

    Indicator = new TActivityIndicator(this, PnlCleaner, L"Indicator");
    Indicator->SetBounds(207, 282, 32, 32);
    // Over the run button, which it covers while a run lasts.
    SetWindowPos(Indicator->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFrmTidora::FormCreate()
{
    FThemeHelper = new TThemeHelper(this);
    UseDesktopFont();
    Indicator->SetVisible(false);
    PnlMain->SetActiveCardIndex(0);
    Application::SetTitle(Caption());
    SetApplicationTitle(Caption());

    std::bernoulli_distribution firstText(0.5);
    const wchar_t* tagline = Taglines[firstText(programRandom) ? 0 : 1];
    LblContent->SetCaption(std::wstring(L"<C><FC:clGray>") + tagline + L"</FC></C>");

    FileWhite = std::make_unique<TNameList>();
    NameWhite = std::make_unique<TNameList>();
    NameBlack = std::make_unique<TNameList>();
    LoadListResource(*FileWhite, L"file_white");
    LoadListResource(*NameWhite, L"name_white");
    LoadListResource(*NameBlack, L"name_black");

    // The completion arrives through the thread hand-over; its errors go to
    // the crash reporter. FormClose ends the check before the lists go, and
    // no completion runs after that.
    CheckUpdate(StartupAddress(),
                [this](bool accepted, const std::wstring& answer) {
                    GuardEvent([&] { StartupAnswer(accepted, answer); });
                },
                0);
}

// A run ends on this window's thread (it opens the result page and closes
// the window): a close asked for meanwhile waits for it.
// A close during a run waits for the run, whose end closes the window. A
// close during a page load (served by the load's own message pass, possibly
// inside a registry watch's hand-over) waits for the load: closing then
// would free the page under its own load and join the very watch that is
// waiting for it. The load's end closes the window.
bool TFrmTidora::FormCloseQuery()
{
    if (FRunActive)
        return false;
    if ((FrmAutorun && FrmAutorun->Loading()) || (FrmInstall && FrmInstall->Loading())) {
        FCloseAfterLoad = true;
        return false;
    }
    return true;
}

void TFrmTidora::PageLoadFinished()
{
    if (FCloseAfterLoad) {
        FCloseAfterLoad = false;
        Close();
    }
}

void TFrmTidora::FormClose()
{
    EndUpdateCheck();
    // The pages go before the lists they refer to: a watch of the install
    // page could otherwise reload it against a released black list.
    delete FrmInstall;
    FrmInstall = nullptr;
    delete FrmAutorun;
    FrmAutorun = nullptr;
    NameBlack.reset();
    NameWhite.reset();
    FileWhite.reset();
}

void TFrmTidora::BtnHomeClick(TComponent* sender)
{
    static const wchar_t* const targets[] = {L"BtnHome", L"BtnAutorun", L"BtnInstall", L"ImgLogo"};
    int target = -1;
    for (int i = 0; i < 4 && sender; ++i)
        if (AsciiEqualsIgnoreCase(sender->Name(), targets[i]))
            target = i;
    if (target < 0 || target == PnlMain->ActiveCardIndex())
        return;

    if (auto* button = dynamic_cast<TStyledToolButton*>(sender)) {
        button->SetDown(true);
        PnlMain->SetActiveCardIndex(target);
        // The card is painted before a page starts loading.
        Application::ProcessMessages();
    }

    switch (target) {
    case 1:
        // The autorun page is made on the first visit and reloaded on every visit.
        if (!FrmAutorun && FileWhite && NameWhite && NameBlack) {
            FrmAutorun = new TFrmAutorun(this, PnlAutorun, *FileWhite, *NameWhite, *NameBlack);
            FrmAutorun->OnLoadFinished = [this](TComponent*) { PageLoadFinished(); };
        }
        if (FrmAutorun)
            FrmAutorun->LoadAutorun();
        break;
    case 2:
        // The install page likewise, with the black list handed over.
        if (!FrmInstall && NameBlack) {
            FrmInstall = new TFrmInstall(this, PnlInstall, *NameBlack);
            FrmInstall->OnLoadFinished = [this](TComponent*) { PageLoadFinished(); };
        }
        if (FrmInstall)
            FrmInstall->LoadInstall();
        break;
    case 3:
        ShellOpen(std::wstring(TIDORA_SHORT_URL) + L"/tidora");
        break;
    default:
        break;
    }
}

// The run: the window thread prepares it and hands a worker copies of what
// it reads, so that neither a start-up answer merged meanwhile nor a page
// reloaded meanwhile changes what the worker sees. The worker ends the run
// on this thread through `finished`, which opens the result page and
// closes the window.
void TFrmTidora::BtnStartClick(TComponent*)
{
    if (FRunActive || !FileWhite)
        return;
    FRunActive = true;
    BtnStart->SetCaption(L"");
    BtnStart->SetEnabled(false);
    Indicator->SetVisible(true);
    Indicator->SetAnimate(true);

    const std::int64_t oldAvailMemory = GetAvailableMemory();
    if (auto unreadable = AppendExclusionFiles(*FileWhite)) {
        RestoreRunButton();
        const std::wstring text = L"제외 목록 파일을 읽을 수 없습니다.\r\n\r\n" + *unreadable;
        MessageBoxW(Handle(), text.c_str(), Caption().c_str(), MB_OK | MB_ICONWARNING);
        return;
    }

    TCleanupRunInput input;
    input.FileWhite = *FileWhite;
    input.OldAvailMemory = oldAvailMemory;
    // The pages' entries as they are now: a reload during the run cannot
    // change what the worker reports.
    if (FrmAutorun) {
        std::vector<TReportStart> starts;
        starts.reserve(FrmAutorun->ListAutoObj.size());
        for (const TAutorunInfo& entry : FrmAutorun->ListAutoObj)
            starts.push_back({entry.Target, entry.From});
        input.StartRecords = std::move(starts);
    }
    if (FrmInstall) {
        std::vector<TReportInstall> installs;
        installs.reserve(FrmInstall->ListInstObj.size());
        for (const TInstallInfo& record : FrmInstall->ListInstObj)
            installs.push_back({record.DisplayName, record.Publisher});
        input.InstallRecords = std::move(installs);
    }

    StartCleanupRun(std::move(input), [this](const TCleanupRunOutcome& outcome) {
        // Errors do not cross the worker's hand-over: they go to the crash
        // reporter, and the window closes all the same.
        GuardEvent([&] {
            if (!outcome.ResultAddress.empty())
                ShellOpen(outcome.ResultAddress);
        });
        FRunActive = false;
        Close();
    });
}

// After a run that could not start: the button as it was before the press.
void TFrmTidora::RestoreRunButton()
{
    Indicator->SetAnimate(false);
    Indicator->SetVisible(false);
    BtnStart->SetCaption(L"실행하기");
    BtnStart->SetEnabled(true);
    FRunActive = false;
}

void TFrmTidora::StartupAnswer(bool closeProgram, const std::wstring& answer)
{
    if (closeProgram) {
        Close();
        return;
    }
    std::optional<TListAnswer> parsed = ParseListAnswer(WideToUtf8(answer));
    if (!parsed || !FileWhite || !NameWhite || !NameBlack)
        return;
    MergeListJSON(*FileWhite, *parsed, "file_white");
    MergeListJSON(*NameWhite, *parsed, "name_white");
    MergeListJSON(*NameBlack, *parsed, "name_black");
}

LRESULT TFrmTidora::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) {
        // 1: the tray helper was asked for the program, which already runs.
        // 2: the tray helper quits; a run in progress must not be cut short.
        if (wParam == 1) {
            if (IsIconic(Handle()))
                ShowWindow(Handle(), SW_RESTORE);
            SetForegroundWindow(Handle());
        }
        return 0;
    }
#ifdef TIDORA_TEST_BUILD
    if (message == TestFaultMessage) {
        if (wParam == 1)
            throw std::runtime_error("시험용 오류: 창 이벤트에서 던진 예외");
        if (wParam == 2)
            *reinterpret_cast<volatile int*>(lParam) = 1;
        return 0;
    }
#endif
    return TForm::WndProc(message, wParam, lParam);
}
