#include "CrashReporter.h"

#include "Application.h"
#include "CoffSymbols.h"
#include "CrashDialog.h"
#include "DbgHelp.h"
#include "EventGuard.h"
#include "Form.h"
#include "StackTrace.h"
#include "Text.h"
#include "Translation.h"
#include "Win32Handles.h"

#include <shlobj.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cwchar>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>

// How it fits together:
// - C++ exceptions are caught by the event guard of the window toolkit,
//   which calls ReportCppError on the window thread. By then the stack of the
//   throw is unwound, so a vectored handler records the stack at the moment
//   of each throw inside a guarded event (possible where a throw is a
//   structured exception: 64-bit builds and MSVC).
// - Structured exceptions that nobody handles reach the unhandled-exception
//   filter on the thread that failed. That thread's state is unknown (its
//   stack may be exhausted), so it only hands the work to the reporter
//   thread, made at start-up, and waits. The program cannot go on after
//   such a fault: the dialog offers to close it only.
// - The reporter thread alone uses dbghelp: symbols, stack walks, dumps.
//   For C++ errors it writes the dump while the dialog is already open.

namespace {

constexpr DWORD GccThrowCode = 0x20474343;   // "GCC" with the throw flag
constexpr DWORD MsvcThrowCode = 0xE06D7363;  // ".msc"

// Exit codes: a fault ends the process with its exception code; an error
// without one ends it as abort() would; the user closing the program after
// a C++ error gives 1.
constexpr UINT AbortExitCode = 3;
constexpr UINT ClosedByUserExitCode = 1;

constexpr DWORD ReporterStackSize = 256 * 1024;
// Room for the filter to run when the window thread's stack overflows.
constexpr ULONG FaultStackGuarantee = 64 * 1024;
// How long a failed thread waits for its stack text, and how long closing
// the program waits for the dump.
constexpr DWORD DescribeTimeoutMs = 30000;
constexpr DWORD DumpTimeoutMs = 60000;

enum class TJobKind { CppError, Fault };

// One error on its way to the user. Shared between the thread that failed
// and the reporter thread, which may still write the dump after the
// dialog has closed.
struct TJob {
    TJobKind Kind = TJobKind::CppError;
    std::vector<void*> Frames;               // the stack (walked by the reporter for faults)
    EXCEPTION_POINTERS* Pointers = nullptr;  // faults only
    DWORD ThreadId = 0;
    TKernelHandle Thread;  // faults only: the failed thread, for the stack walk
    std::wstring Description;
    // Filled in by the reporter thread.
    std::wstring StackText;
    std::wstring DumpPath;
    TKernelHandle Described{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TKernelHandle Dumped{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<HWND> Dialog{nullptr};
};
using TJobPtr = std::shared_ptr<TJob>;

enum class TWork { Describe, Dump, Fatal };

struct TThrowRecord {
    std::array<void*, 64> Frames{};
    size_t Count = 0;
};

thread_local TThrowRecord lastThrow;

class TReporter {
public:
    void Start();
    bool Ready() const { return FThreadId != 0; }
    // Queues work for the reporter thread; Describe and Dump signal the
    // job's events when done, Fatal ends the process.
    void Submit(TWork work, TJobPtr job);
    DWORD ThreadId() const { return FThreadId; }
    std::atomic<bool> DialogOpen{false};

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void Describe(TJob& job);
    void Dump(TJob& job);

    std::mutex FLock;
    std::condition_variable FWake;
    std::deque<std::pair<TWork, TJobPtr>> FQueue;
    DWORD FThreadId = 0;
    TDbgHelp* FDbgHelp = nullptr;
    TCoffSymbols* FCoff = nullptr;
};

TReporter reporter;

std::wstring NewDumpPath()
{
    std::wstring folder = CrashDumpFolder();
    if (folder.empty())
        return {};
    SYSTEMTIME now;
    GetLocalTime(&now);
    static int counter = 0;
    wchar_t name[96];
    swprintf(name, 96, L"\\Tidora-%04u%02u%02u-%02u%02u%02u-%lu-%d.dmp", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, GetCurrentProcessId(), ++counter);
    return folder + name;
}

std::wstring Hex(unsigned long long value, int digits)
{
    wchar_t text[32];
    swprintf(text, 32, L"0x%0*llX", digits, value);
    return text;
}

// what() texts are UTF-8 in this program; other bytes are read in the
// ANSI code page.
std::wstring WhatText(const char* what)
{
    std::string_view bytes = what ? what : "";
    std::wstring text = Utf8ToWide(bytes);
    if (text.find(L'\xFFFD') != std::wstring::npos)
        text = DecodeBytes(bytes, CP_ACP);
    return text;
}

std::wstring DescribeCppError(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::system_error& e) {
        return WhatText(e.what()) + L" (" + Translate(L"오류 코드") + L" " + std::to_wstring(e.code().value()) + L")";
    } catch (const std::exception& e) {
        return WhatText(e.what());
    } catch (...) {
        return Translate(L"알 수 없는 C++ 예외");
    }
}

std::wstring DescribeFault(const EXCEPTION_RECORD& record)
{
    struct TKnown {
        DWORD Code;
        const wchar_t* Name;
    };
    static constexpr TKnown known[] = {
        {EXCEPTION_ACCESS_VIOLATION, L"access violation"},
        {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, L"array bounds exceeded"},
        {EXCEPTION_DATATYPE_MISALIGNMENT, L"datatype misalignment"},
        {EXCEPTION_FLT_DIVIDE_BY_ZERO, L"floating-point division by zero"},
        {EXCEPTION_FLT_INVALID_OPERATION, L"invalid floating-point operation"},
        {EXCEPTION_ILLEGAL_INSTRUCTION, L"illegal instruction"},
        {EXCEPTION_IN_PAGE_ERROR, L"in-page error"},
        {EXCEPTION_INT_DIVIDE_BY_ZERO, L"integer division by zero"},
        {EXCEPTION_INT_OVERFLOW, L"integer overflow"},
        {EXCEPTION_PRIV_INSTRUCTION, L"privileged instruction"},
        {EXCEPTION_STACK_OVERFLOW, L"stack overflow"},
        {0xC0000374, L"heap corruption"},
        {0xC0000409, L"stack buffer overrun"},
    };
    std::wstring text = Translate(L"구조적 예외") + L" " + Hex(record.ExceptionCode, 8);
    for (const auto& k : known)
        if (k.Code == record.ExceptionCode)
            text += L" (" + std::wstring(k.Name) + L")";
    text += L" " + Translate(L"위치") + L" " + ModuleOffset(record.ExceptionAddress);
    if ((record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION || record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR) &&
        record.NumberParameters >= 2) {
        const wchar_t* access = record.ExceptionInformation[0] == 1   ? L"write"
                                : record.ExceptionInformation[0] == 8 ? L"execute"
                                                                      : L"read";
        text += L", " + std::wstring(access) + L" " + Hex(record.ExceptionInformation[1], sizeof(void*) * 2);
    }
    return text;
}

std::wstring ReportText(const TJob& job)
{
    std::wstring text = Translate(L"오류 내용:") + L" " + job.Description + L"\r\n";
    text += Translate(L"오류 종류:") + L" " +
            (job.Kind == TJobKind::Fault ? Translate(L"구조적 예외") : Translate(L"C++ 예외")) + L"\r\n";
    text += L"\r\n" + Translate(L"호출 스택:") + L"\r\n";
    text += job.StackText.empty() ? L"  -\r\n" : job.StackText;
    return text;
}

// The thread runs for the life of the process and is only ever addressed
// by its id: its handle is not kept.
void TReporter::Start()
{
    TKernelHandle thread(CreateThread(nullptr, ReporterStackSize, ThreadMain, this, 0, &FThreadId));
    if (!thread)
        FThreadId = 0;
}

void TReporter::Submit(TWork work, TJobPtr job)
{
    {
        std::lock_guard<std::mutex> guard(FLock);
        FQueue.emplace_back(work, std::move(job));
    }
    FWake.notify_one();
}

DWORD WINAPI TReporter::ThreadMain(void* param)
{
    static_cast<TReporter*>(param)->Run();
    return 0;
}

void TReporter::Run()
{
    TDbgHelp dbgHelp;
    TCoffSymbols coff;
    FDbgHelp = &dbgHelp;
    FCoff = &coff;
    for (;;) {
        std::pair<TWork, TJobPtr> next;
        {
            std::unique_lock<std::mutex> guard(FLock);
            FWake.wait(guard, [this] { return !FQueue.empty(); });
            next = std::move(FQueue.front());
            FQueue.pop_front();
        }
        TJob& job = *next.second;
        switch (next.first) {
        case TWork::Describe:
            Describe(job);
            break;
        case TWork::Dump:
            Dump(job);
            break;
        case TWork::Fatal: {
            Describe(job);
            Dump(job);
            ShowCrashDialog(nullptr, {ReportText(job), job.DumpPath, false, false, nullptr});
            TerminateProcess(GetCurrentProcess(),
                             job.Pointers ? job.Pointers->ExceptionRecord->ExceptionCode : AbortExitCode);
            break;
        }
        }
    }
}

void TReporter::Describe(TJob& job)
{
    if (job.Kind == TJobKind::Fault && job.Pointers && job.Thread)
        job.Frames = WalkStoppedThread(*FDbgHelp, job.Thread.Get(), *job.Pointers->ContextRecord);
    job.StackText = FormatStack(*FDbgHelp, *FCoff, job.Frames);
    job.DumpPath = FDbgHelp->WriteDump ? NewDumpPath() : std::wstring();
    SetEvent(job.Described.Get());
}

// The dialog may open before or after the dump is done: whoever comes
// second tells it (see ReportCppError).
void TReporter::Dump(TJob& job)
{
    bool written = false;
    if (!job.DumpPath.empty()) {
        TFileHandle file(CreateFileW(job.DumpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            MINIDUMP_EXCEPTION_INFORMATION exception{};
            exception.ThreadId = job.ThreadId;
            exception.ExceptionPointers = job.Pointers;
            exception.ClientPointers = FALSE;
            written = FDbgHelp->WriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.Get(), MiniDumpNormal,
                                          job.Pointers ? &exception : nullptr, nullptr, nullptr) != FALSE;
            // Closed here, not at the end of the scope: the dialog may name
            // the file as soon as it is told, and a failed one is deleted.
            file.Reset();
            if (!written)
                DeleteFileW(job.DumpPath.c_str());
        }
        if (!written)
            job.DumpPath.clear();
    }
    SetEvent(job.Dumped.Get());
    if (HWND dialog = job.Dialog.load()) {
        auto* path = new std::wstring(job.DumpPath);
        if (!PostMessageW(dialog, CrashDumpWrittenMessage, 0, reinterpret_cast<LPARAM>(path)))
            delete path;
    }
}

[[noreturn]] void ReportFatal(TJobPtr job)
{
    if (reporter.Ready() && GetCurrentThreadId() != reporter.ThreadId()) {
        reporter.Submit(TWork::Fatal, job);
        // The reporter thread ends the process when the user closes the dialog.
        for (;;)
            Sleep(INFINITE);
    }
    TerminateProcess(GetCurrentProcess(),
                     job->Pointers ? job->Pointers->ExceptionRecord->ExceptionCode : AbortExitCode);
    for (;;)
        Sleep(INFINITE);
}

// Records the stack of each C++ throw inside a guarded event; the handler
// never handles anything itself.
LONG CALLBACK RecordThrow(EXCEPTION_POINTERS* pointers)
{
    DWORD code = pointers->ExceptionRecord->ExceptionCode;
    if ((code == GccThrowCode || code == MsvcThrowCode) && GuardedEventDepth() > 0) {
        std::vector<void*> frames = CaptureStackFrom(*pointers->ContextRecord);
        lastThrow.Count = std::min(frames.size(), lastThrow.Frames.size());
        std::copy_n(frames.begin(), lastThrow.Count, lastThrow.Frames.begin());
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void ReportCppError(std::exception_ptr error)
{
    // An error while the dialog is open (its message loop still runs the
    // program's windows) is not shown a second time.
    if (reporter.DialogOpen.exchange(true))
        return;
    auto job = std::make_shared<TJob>();
    job->Kind = TJobKind::CppError;
    job->Description = DescribeCppError(error);
    if (!reporter.Ready()) {
        // Without the reporter thread there is no stack and no dump.
        MessageBoxW(nullptr, job->Description.c_str(), Translate(L"타이도라 오류").c_str(), MB_ICONERROR | MB_OK);
        reporter.DialogOpen = false;
        return;
    }
    job->ThreadId = GetCurrentThreadId();
    if (lastThrow.Count) {
        job->Frames.assign(lastThrow.Frames.begin(), lastThrow.Frames.begin() + static_cast<long>(lastThrow.Count));
        lastThrow.Count = 0;
    } else {
        void* frames[64];
        USHORT n = RtlCaptureStackBackTrace(1, 64, frames, nullptr);
        job->Frames.assign(frames, frames + n);
    }
    reporter.Submit(TWork::Describe, job);
    WaitForSingleObject(job->Described.Get(), DescribeTimeoutMs);
    // The dump is written while the user reads the dialog.
    reporter.Submit(TWork::Dump, job);

    TForm* main = Application::MainForm();
    HWND owner = main && main->Handle() && GetWindowThreadProcessId(main->Handle(), nullptr) == GetCurrentThreadId()
                     ? main->Handle()
                     : nullptr;
    TCrashDialogText text{ReportText(*job), job->DumpPath, true, true, nullptr};
    text.DialogWindow = [job](HWND dialog) {
        job->Dialog = dialog;
        if (dialog && WaitForSingleObject(job->Dumped.Get(), 0) == WAIT_OBJECT_0)
            PostMessageW(dialog, CrashDumpWrittenMessage, 0, reinterpret_cast<LPARAM>(new std::wstring(job->DumpPath)));
    };
    TCrashChoice choice = ShowCrashDialog(owner, text);
    reporter.DialogOpen = false;
    if (choice == TCrashChoice::CloseProgram) {
        WaitForSingleObject(job->Dumped.Get(), DumpTimeoutMs);
        TerminateProcess(GetCurrentProcess(), ClosedByUserExitCode);
    }
}

LONG WINAPI UnhandledFault(EXCEPTION_POINTERS* pointers)
{
    auto job = std::make_shared<TJob>();
    job->Kind = TJobKind::Fault;
    job->Pointers = pointers;
    job->ThreadId = GetCurrentThreadId();
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), job->Thread.Put(), 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    job->Description = DescribeFault(*pointers->ExceptionRecord);
    ReportFatal(job);
}

// A C++ exception that no handler catches (outside any window event) ends
// in std::terminate; it is still shown before the program ends.
[[noreturn]] void Terminated()
{
    auto job = std::make_shared<TJob>();
    job->Kind = TJobKind::CppError;
    std::exception_ptr error = std::current_exception();
    job->Description = error ? DescribeCppError(error) : Translate(L"프로그램이 비정상적으로 끝났습니다.");
    job->ThreadId = GetCurrentThreadId();
    void* frames[64];
    USHORT n = RtlCaptureStackBackTrace(1, 64, frames, nullptr);
    job->Frames.assign(frames, frames + n);
    ReportFatal(job);
}

}  // namespace

std::wstring CrashDumpFolder()
{
    wchar_t base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return {};
    std::wstring folder = std::wstring(base) + L"\\Tidora";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\CrashDumps";
    CreateDirectoryW(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return folder;
}

void InstallCrashReporter()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    ULONG guarantee = FaultStackGuarantee;
    SetThreadStackGuarantee(&guarantee);
    reporter.Start();
    AddVectoredExceptionHandler(1, RecordThrow);
    SetUnhandledExceptionFilter(UnhandledFault);
    std::set_terminate(Terminated);
    SetEventErrorHandler(ReportCppError);
}
