#include "StackTrace.h"

#include <cwchar>

namespace {

constexpr size_t MaxFrames = 64;

std::wstring Hex(unsigned long long value, int digits)
{
    wchar_t text[32];
    swprintf(text, 32, L"0x%0*llX", digits, value);
    return text;
}

}  // namespace

std::vector<void*> CaptureStackFrom(const CONTEXT& start)
{
    std::vector<void*> frames;
#if defined(_M_X64) || defined(__x86_64__)
    CONTEXT context = start;
    while (frames.size() < MaxFrames && context.Rip) {
        frames.push_back(reinterpret_cast<void*>(context.Rip));
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (!function) {
            // A leaf function: the return address is on top of the stack.
            if (!context.Rsp)
                break;
            context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        void* handlerData = nullptr;
        DWORD64 establisher = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData, &establisher,
                         nullptr);
    }
#else
    (void)start;
    void* buffer[MaxFrames];
    USHORT n = RtlCaptureStackBackTrace(1, static_cast<DWORD>(MaxFrames), buffer, nullptr);
    frames.assign(buffer, buffer + n);
#endif
    return frames;
}

std::vector<void*> WalkStoppedThread(TDbgHelp& dbgHelp, HANDLE thread, const CONTEXT& start)
{
    std::vector<void*> frames;
    if (!dbgHelp.StackWalk || !dbgHelp.FunctionTableAccess || !dbgHelp.GetModuleBase)
        return frames;
    dbgHelp.InitSymbols();
    CONTEXT context = start;
    STACKFRAME64 frame{};
    DWORD machine;
#if defined(_M_X64) || defined(__x86_64__)
    machine = IMAGE_FILE_MACHINE_AMD64;
    frame.AddrPC.Offset = context.Rip;
    frame.AddrFrame.Offset = context.Rbp;
    frame.AddrStack.Offset = context.Rsp;
#else
    machine = IMAGE_FILE_MACHINE_I386;
    frame.AddrPC.Offset = context.Eip;
    frame.AddrFrame.Offset = context.Ebp;
    frame.AddrStack.Offset = context.Esp;
#endif
    frame.AddrPC.Mode = frame.AddrFrame.Mode = frame.AddrStack.Mode = AddrModeFlat;
    while (frames.size() < MaxFrames &&
           dbgHelp.StackWalk(machine, GetCurrentProcess(), thread, &frame, &context, nullptr,
                             dbgHelp.FunctionTableAccess, dbgHelp.GetModuleBase, nullptr)) {
        if (!frame.AddrPC.Offset)
            break;
        frames.push_back(reinterpret_cast<void*>(static_cast<ULONG_PTR>(frame.AddrPC.Offset)));
    }
    return frames;
}

std::wstring ModuleOffset(const void* address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module) ||
        !module)
        return Hex(reinterpret_cast<ULONG_PTR>(address), static_cast<int>(sizeof(void*) * 2));
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name(path, n);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    return name + L"+" + Hex(reinterpret_cast<ULONG_PTR>(address) - reinterpret_cast<ULONG_PTR>(module), 1);
}

// Return addresses point behind the call; the name is looked up one byte
// earlier so that a call at the very end of a function names that function.
std::wstring FormatStack(TDbgHelp& dbgHelp, TCoffSymbols& coff, const std::vector<void*>& frames)
{
    std::wstring text;
    for (size_t i = 0; i < frames.size(); ++i) {
        text += L"  #" + std::to_wstring(i) + L"  " + ModuleOffset(frames[i]);
        const auto address = reinterpret_cast<ULONG_PTR>(frames[i]);
        const ULONG_PTR lookup = i == 0 ? address : address - 1;
        HMODULE module = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(lookup), &module);
        std::wstring name;
        size_t offset = 0;
        if (dbgHelp.SymFromAddr && module) {
            dbgHelp.LoadModule(module);
            alignas(SYMBOL_INFOW) unsigned char buffer[sizeof(SYMBOL_INFOW) + 256 * sizeof(wchar_t)] = {};
            auto* symbol = reinterpret_cast<SYMBOL_INFOW*>(buffer);
            symbol->SizeOfStruct = sizeof(SYMBOL_INFOW);
            symbol->MaxNameLen = 255;
            DWORD64 displacement = 0;
            if (dbgHelp.SymFromAddr(GetCurrentProcess(), lookup, &displacement, symbol) && symbol->Name[0]) {
                name = symbol->Name;
                offset = static_cast<size_t>(address - symbol->Address);
            }
        }
        if (name.empty() && module && coff.Find(module, reinterpret_cast<const void*>(lookup), name, offset))
            offset += address - lookup;
        if (!name.empty())
            text += L"  " + name + L"+" + Hex(offset, 1);
        text += L"\r\n";
    }
    return text;
}
