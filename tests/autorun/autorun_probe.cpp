// A helper program for the older-Windows test: runs the autorun functions
// as the main program would (the Windows version taken from the system) in
// a process of its own, started after the test switched the prefix's
// version. Writes its answer, UTF-8, to the file named first:
//   autorun_probe <out file> version
//   autorun_probe <out file> set <From> <0|1> <Target>   -> 1 when done
//   autorun_probe <out file> list                        -> From|Target|Enabled|RawData lines
#include "Autorun.h"
#include "Process.h"
#include "Text.h"

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    const std::wstring command = argv[2];
    std::wstring answer;
    if (command == L"version") {
        answer = std::to_wstring(RealWindowsMajorVersion());
    } else if (command == L"set" && argc == 6) {
        answer = SetAutorun(argv[5], argv[3], argv[4][0] == L'1') ? L"1" : L"0";
    } else if (command == L"list") {
        TAutorunList list;
        GetAutorun(list);
        for (const TAutorunInfo& entry : list)
            answer += entry.From + L"|" + entry.Target + L"|" + (entry.Enabled ? L"1" : L"0") + L"|" + entry.RawData +
                      L"\n";
    } else {
        return 2;
    }
    const std::string bytes = WideToUtf8(answer);
    HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
