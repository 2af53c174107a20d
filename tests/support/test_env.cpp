#include "test_env.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace testenv {

std::wstring Dir()
{
    const wchar_t* unixPath = _wgetenv(L"TIDORA_TEST_ENV");
    std::wstring path = L"Z:";
    path += unixPath ? unixPath : L"/tmp";
    for (auto& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::wstring BinDir()
{
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L'\\'));
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::vector<std::wstring> BrowserLog()
{
    std::vector<std::wstring> lines;
    std::string bytes = ReadFileBytes(Dir() + L"\\browser.log");
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        int n = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(n, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), n);
        if (!wide.empty())
            lines.push_back(wide);
        start = end + 1;
    }
    return lines;
}

void ClearBrowserLog()
{
    WriteFileBytes(Dir() + L"\\browser.log", "");
}

int ServicePort()
{
    return TIDORA_TEST_PORT;
}

std::wstring ServiceUrl()
{
    return L"https://localhost:" + std::to_wstring(ServicePort());
}

std::wstring WrongHostUrl()
{
    return L"https://localhost:" + std::to_wstring(ServicePort() + 1);
}

std::wstring PlainUrl()
{
    return L"http://127.0.0.1:" + std::to_wstring(ServicePort() + 2);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::wstring MakeTempDir(const std::wstring& hint)
{
    static std::atomic<int> counter{0};
    std::wstring root = Dir() + L"\\tmp";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring dir = root + L"\\" + hint + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(++counter);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

}  // namespace testenv
