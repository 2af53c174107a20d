// Benchmark of the autorun reading (not a test): with 200 extra Run values
// and 50 extra services in the prefix, the time of GetAutorun against a bare
// walk of the same Run keys and services that only enumerates names. The
// extra values and services are removed again at the end.
#include "Autorun.h"
#include "Win32Handles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

size_t BareWalk()
{
    size_t count = 0;
    for (auto [root, key] : {std::pair{HKEY_LOCAL_MACHINE, RunKey},
                             std::pair{HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
                             std::pair{HKEY_CURRENT_USER, RunKey}}) {
        TRegKeyHandle handle;
        if (RegOpenKeyExW(root, key, 0, KEY_READ | KEY_WOW64_64KEY, handle.Put()) != ERROR_SUCCESS) {
            handle.Release();
            continue;
        }
        wchar_t name[16384];
        for (DWORD i = 0;; ++i) {
            DWORD length = 16384;
            if (RegEnumValueW(handle.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            ++count;
        }
    }
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    DWORD needed = 0, returned = 0, resume = 0;
    EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned, &resume);
    std::vector<ENUM_SERVICE_STATUSW> records(needed / sizeof(ENUM_SERVICE_STATUSW) + 1);
    resume = 0;
    if (EnumServicesStatusW(manager.Get(), SERVICE_WIN32, SERVICE_STATE_ALL, records.data(),
                            static_cast<DWORD>(records.size() * sizeof(ENUM_SERVICE_STATUSW)), &needed, &returned,
                            &resume))
        count += returned;
    return count;
}

template <class F>
double Milliseconds(int rounds, F&& work)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / rounds;
}

}  // namespace

int wmain()
{
    const std::wstring prefix = L"TidoraBench" + std::to_wstring(GetCurrentProcessId()) + L"_";
    TRegKeyHandle run;
    RegCreateKeyExW(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, run.Put(),
                    nullptr);
    for (int i = 0; i < 200; ++i) {
        std::wstring command = L"\"C:\\Program Files\\Bench\\tool" + std::to_wstring(i) + L".exe\" /background";
        RegSetValueExW(run.Get(), (prefix + std::to_wstring(i)).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    std::vector<std::wstring> services;
    for (int i = 0; i < 50; ++i) {
        std::wstring name = prefix + L"svc" + std::to_wstring(i);
        TServiceHandle service(CreateServiceW(manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                              SERVICE_WIN32_OWN_PROCESS, i % 2 ? SERVICE_AUTO_START : SERVICE_DEMAND_START,
                                              SERVICE_ERROR_IGNORE, L"C:\\windows\\system32\\notepad.exe", nullptr,
                                              nullptr, nullptr, nullptr, nullptr));
        if (service)
            services.push_back(name);
    }

    TAutorunList list;
    GetAutorun(list, nullptr);  // warm
    const double full = Milliseconds(5, [&] { GetAutorun(list, nullptr); });
    size_t bare = 0;
    const double walk = Milliseconds(5, [&] { bare = BareWalk(); });
    std::printf("autorun: GetAutorun %.1f ms for %zu entries; bare walk %.1f ms for %zu names (%zu extra services)\n",
                full, list.size(), walk, bare, services.size());

    for (int i = 0; i < 200; ++i)
        RegDeleteValueW(run.Get(), (prefix + std::to_wstring(i)).c_str());
    for (const std::wstring& name : services) {
        TServiceHandle service(OpenServiceW(manager.Get(), name.c_str(), DELETE));
        if (service)
            DeleteService(service.Get());
    }
    return 0;
}
