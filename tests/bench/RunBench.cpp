// Times the cleanup run's own work and the pieces it is made of:
//   - MatchList of 300 realistic image paths against the default FILE_WHITE;
//   - snapshot, selection and termination pass on the live process table
//     (only processes started here are ended);
//   - selection and termination pass on a table of 300 synthetic entries;
//   - the first-window lookup for 300 processes among 300+ top-level windows,
//     one walk for all against one walk per process;
//   - how long the start-up request's worker takes to end once the program
//     closes during a pause.
// Prints one line per figure. Run it with scripts/bench.
#include "CleanupRun.h"
#include "ListLoaders.h"
#include "MatchList.h"
#include "Process.h"
#include "ProcessWindows.h"
#include "Text.h"
#include "ThreadHandover.h"
#include "UpdateCheck.h"

#include "child_process.h"
#include "test_env.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / frequency;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Best(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

// Milliseconds of `work`, median of `repeats` runs.
double Time(int repeats, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        double start = Now();
        work();
        times.push_back(Now() - start);
    }
    return Median(times);
}

void Print(const char* what, double value, const char* unit = "ms")
{
    std::printf("%-66s %10.3f %s\n", what, value, unit);
    std::fflush(stdout);
}

// Median and best of the rounds: the machine may be busy with other work.
void Print(const char* what, const std::vector<double>& values)
{
    std::printf("%-66s %10.3f ms (best %.3f)\n", what, Median(values), Best(values));
    std::fflush(stdout);
}

// Image paths as a home PC's process table shows them: many Windows
// processes (svchost many times over), drivers' helpers, security software,
// browsers, and the applications a run is meant to end.
std::vector<std::wstring> RealisticPaths(size_t count)
{
    const std::vector<std::wstring> protectedPaths = {
        L"C:\\Windows\\System32\\svchost.exe", L"C:\\Windows\\System32\\svchost.exe",
        L"C:\\Windows\\System32\\svchost.exe", L"C:\\Windows\\System32\\svchost.exe",
        L"C:\\Windows\\System32\\svchost.exe", L"C:\\Windows\\System32\\svchost.exe",
        L"C:\\Windows\\System32\\RuntimeBroker.exe", L"C:\\Windows\\System32\\conhost.exe",
        L"C:\\Windows\\System32\\csrss.exe", L"C:\\Windows\\System32\\dwm.exe", L"C:\\Windows\\explorer.exe",
        L"C:\\Windows\\System32\\lsass.exe", L"C:\\Windows\\System32\\services.exe",
        L"C:\\Windows\\System32\\winlogon.exe", L"C:\\Windows\\System32\\fontdrvhost.exe",
        L"C:\\Windows\\System32\\sihost.exe", L"C:\\Windows\\System32\\taskhostw.exe",
        L"C:\\Windows\\System32\\ctfmon.exe", L"C:\\Windows\\System32\\SearchIndexer.exe",
        L"C:\\Windows\\SystemApps\\Microsoft.Windows.StartMenuExperienceHost_cw5n1h2txyewy\\StartMenuExperienceHost.exe",
        L"C:\\Windows\\SystemApps\\MicrosoftWindows.Client.CBS_cw5n1h2txyewy\\TextInputHost.exe",
        L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
        L"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe",
        L"C:\\Program Files\\AhnLab\\V3Lite4\\V3Lite.exe", L"C:\\ProgramData\\Microsoft\\Windows Defender\\Platform\\4.18.24030.9-0\\MsMpEng.exe",
        L"C:\\Program Files\\Realtek\\Audio\\HDA\\RtkAudUService64.exe",
        L"C:\\Windows\\System32\\DriverStore\\FileRepository\\nvdm.inf_amd64\\Display.NvContainer\\NVDisplay.Container.exe",
        L"Registry", L"System", L"Memory Compression", L"Secure System",
        L"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe",
    };
    const std::vector<std::wstring> appPaths = {
        L"C:\\Program Files (x86)\\Kakao\\KakaoTalk\\KakaoTalk.exe",
        L"C:\\Program Files (x86)\\Steam\\steam.exe",
        L"C:\\Program Files (x86)\\Steam\\bin\\cef\\cef.win7x64\\steamwebhelper.exe",
        L"C:\\Users\\user\\AppData\\Local\\Programs\\Microsoft VS Code\\Code.exe",
        L"C:\\Program Files\\Microsoft Office\\root\\Office16\\EXCEL.EXE",
        L"C:\\Program Files (x86)\\Hnc\\Office 2020\\HOffice110\\Bin\\Hwp.exe",
        L"C:\\Program Files\\Adobe\\Acrobat DC\\Acrobat\\Acrobat.exe",
        L"C:\\Program Files (x86)\\Naver\\Naver Whale\\Application\\whale.exe",
        L"C:\\Users\\user\\AppData\\Roaming\\Zoom\\bin\\Zoom.exe",
        L"C:\\Program Files\\Bandizip\\Bandizip.exe",
        L"C:\\Program Files (x86)\\ESTsoft\\ALZip\\ALZipCon.exe",
        L"C:\\Program Files (x86)\\INCAInternet UNISIGN\\nProtect Online Security\\nosstarter.npe.exe",
        L"C:\\Program Files\\Wizvera\\Veraport20\\veraport.exe",
        L"C:\\Program Files (x86)\\IPinside_LWS\\I3GProc.exe",
        L"C:\\Users\\user\\AppData\\Local\\Microsoft\\OneDrive\\OneDrive.exe",
        L"C:\\Program Files\\NVIDIA Corporation\\NVIDIA GeForce Experience\\NVIDIA Share.exe",
    };
    std::vector<std::wstring> paths;
    for (size_t i = 0; paths.size() < count; ++i) {
        // About two in three are protected, as on a real machine.
        if (i % 3 != 2)
            paths.push_back(protectedPaths[i % protectedPaths.size()]);
        else
            paths.push_back(appPaths[i % appPaths.size()]);
    }
    return paths;
}

// Children under names no list protects; they are the only processes a
// termination pass here may end.
std::vector<std::unique_ptr<ChildProcess>> StartVictims(const std::wstring& dir, int count, const wchar_t* stem)
{
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int i = 0; i < count; ++i) {
        std::wstring name = std::wstring(stem) + std::to_wstring(i) + L".exe";
        children.push_back(std::make_unique<ChildProcess>(ChildProcess::Options{}, ChildProcess::CopyAs(dir, name)));
    }
    for (auto& child : children)
        testenv::WaitUntil([&] { return !GetProcessImagePath(child->Pid()).empty(); });
    // Let them finish starting: a process table is measured at rest, not
    // while Wine is still loading twenty programs.
    Sleep(3000);
    return children;
}

// The default list plus every running process that is not one of ours.
TNameList ProtectingAllBut(const TNameList& base, const std::vector<std::unique_ptr<ChildProcess>>& ours)
{
    TNameList list = base;
    TProcessList running;
    SnapshotProcesses(running);
    for (const auto& p : running) {
        bool mine = std::any_of(ours.begin(), ours.end(), [&](const auto& c) { return c->Pid() == p.ProcessID; });
        if (!mine)
            list.Add(std::wstring(FileNamePart(p.FileName)) + L"*");
    }
    return list;
}

void WaitAllGone(const std::vector<std::unique_ptr<ChildProcess>>& children)
{
    for (auto& child : children)
        child->WaitForExit(10000);
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain()
{
    TNameList fileWhite;
    LoadListResource(fileWhite, L"file_white");
    std::printf("default FILE_WHITE entries: %zu\n", fileWhite.Count());

    // 1. MatchList of 300 paths against the default list.
    const std::vector<std::wstring> paths = RealisticPaths(300);
    int matched = 0;
    const double matchMs = Time(21, [&] {
        matched = 0;
        for (const auto& path : paths)
            matched += MatchList(fileWhite, path, true);
    });
    std::printf("MatchList: %d of %zu paths protected\n", matched, paths.size());
    Print("MatchList, 300 image paths vs default FILE_WHITE (median of 21)", matchMs);

    const std::wstring dir = testenv::MakeTempDir(L"bench");

    // 2. The run's own work on the live process table.
    std::vector<double> liveTotals, liveSnapshot, liveSelect, liveTerminate;
    size_t liveCount = 0;
    for (int round = 0; round < 5; ++round) {
        auto victims = StartVictims(dir, 20, (L"live" + std::to_wstring(round) + L"-").c_str());
        const TNameList copy = ProtectingAllBut(fileWhite, victims);
        TProcessList list;
        double t0 = Now();
        SnapshotProcesses(list);
        double t1 = Now();
        SelectForTermination(list, copy);
        double t2 = Now();
        TerminateSelected(list);
        double t3 = Now();
        liveCount = list.size();
        liveSnapshot.push_back(t1 - t0);
        liveSelect.push_back(t2 - t1);
        liveTerminate.push_back(t3 - t2);
        liveTotals.push_back(t3 - t0);
        size_t selected = std::count_if(list.begin(), list.end(), [](const TProcessInfo& p) { return p.State == TProcessState::Selected; });
        if (selected != victims.size())
            std::printf("warning: %zu selected, %zu started\n", selected, victims.size());
        WaitAllGone(victims);
    }
    std::printf("live process table: %zu processes, 20 of them ended per round\n", liveCount);
    {
        // Where a snapshot's time goes: the process table, the window walk,
        // the image paths.
        std::vector<double> table, windowsWalk, imagePaths;
        for (int round = 0; round < 5; ++round) {
            double t0 = Now();
            const auto ids = LiveProcessIds();
            double t1 = Now();
            const TProcessWindows windows;
            double t2 = Now();
            for (DWORD id : ids)
                GetProcessImagePath(id);
            double t3 = Now();
            table.push_back(t1 - t0);
            windowsWalk.push_back(t2 - t1);
            imagePaths.push_back(t3 - t2);
        }
        Print("  snapshot part: process table (Toolhelp)", table);
        Print("  snapshot part: window walk", windowsWalk);
        Print("  snapshot part: image paths", imagePaths);
    }
    Print("live table: snapshot (median of 5)", liveSnapshot);
    Print("live table: selection", liveSelect);
    Print("live table: termination pass (20 processes)", liveTerminate);
    Print("live table: run's own work, total", liveTotals);

    // 3. A table of 300 synthetic entries: 40 unprotected ones are real
    //    processes started here, the rest carry ids no process has.
    std::vector<double> synthSelect, synthTerminate, synthTotals;
    for (int round = 0; round < 5; ++round) {
        auto victims = StartVictims(dir, 40, (L"synth" + std::to_wstring(round) + L"-").c_str());
        TProcessList table;
        const auto live = LiveProcessIds();
        DWORD fakeId = 0x7F000000;
        size_t victim = 0;
        for (size_t i = 0; i < 300; ++i) {
            TProcessInfo p;
            p.FileName = paths[i];
            if (!MatchList(fileWhite, paths[i], true) && victim < victims.size()) {
                p.ProcessID = victims[victim++]->Pid();
            } else {
                do
                    fakeId += 4;
                while (live.contains(fakeId));
                p.ProcessID = fakeId;
                if (!MatchList(fileWhite, paths[i], true))
                    p.FileName = L"C:\\Windows\\System32\\svchost.exe";  // only the 40 may be ended
            }
            table.push_back(p);
        }
        double t0 = Now();
        SelectForTermination(table, fileWhite);
        double t1 = Now();
        TerminateSelected(table);
        double t2 = Now();
        synthSelect.push_back(t1 - t0);
        synthTerminate.push_back(t2 - t1);
        synthTotals.push_back(t2 - t0);
        WaitAllGone(victims);
    }
    Print("300 synthetic entries: selection (median of 5)", synthSelect);
    Print("300 synthetic entries: termination pass (40 real processes)", synthTerminate);
    Print("300 synthetic entries: selection + termination", synthTotals);
    Print("300 synthetic entries: + live snapshot = run's own work", Median(synthTotals) + Median(liveSnapshot));

    // 4. Window lookup: 300 processes among 300 top-level windows or more.
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TidoraBenchWindow";
    RegisterClassW(&wc);
    std::vector<HWND> windows;
    for (int i = 0; i < 300; ++i)
        windows.push_back(CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                          nullptr, wc.hInstance, nullptr));
    size_t topLevel = 0;
    for (HWND w = FindWindowW(nullptr, nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        ++topLevel;
    TProcessList running;
    SnapshotProcesses(running);
    std::vector<DWORD> pids;
    for (const auto& p : running)
        pids.push_back(p.ProcessID);
    for (DWORD fake = 0x7E000000; pids.size() < 300; fake += 4)
        pids.push_back(fake);
    std::vector<HWND> perProcess(pids.size()), oneWalk(pids.size());
    const double perProcessMs = Time(5, [&] {
        for (size_t i = 0; i < pids.size(); ++i)
            perProcess[i] = FindProcessWindow(pids[i]);
    });
    const double oneWalkMs = Time(5, [&] {
        const TProcessWindows all;
        for (size_t i = 0; i < pids.size(); ++i)
            oneWalk[i] = all.Find(pids[i]);
    });
    std::printf("window lookup: %zu processes, %zu top-level windows, results %s\n", pids.size(), topLevel,
                perProcess == oneWalk ? "identical" : "DIFFERENT");
    Print("window lookup: one walk per process (median of 5)", perProcessMs);
    Print("window lookup: one walk for all", oneWalkMs);
    Print("window lookup: speed-up", perProcessMs / oneWalkMs, "x");
    for (HWND w : windows)
        DestroyWindow(w);

    // 5. The start-up request's worker ends when the program closes.
    std::vector<double> endings;
    for (int round = 0; round < 5; ++round) {
        RequestStartupAnswer(L"http://127.0.0.1:1/api.init.php", WindowThreadHandover(), [](const std::wstring&) {}, 0);
        Sleep(1500 + round * 97);  // somewhere inside a pause
        double t0 = Now();
        EndUpdateCheck();
        WaitForUpdateCheck(5000);
        endings.push_back(Now() - t0);
    }
    Print("start-up request: end after close, worst of 5", *std::max_element(endings.begin(), endings.end()));
    return 0;
}
