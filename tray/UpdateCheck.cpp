#include "UpdateCheck.h"

#include "Arguments.h"
#include "InstallId.h"
#include "JsonUnescape.h"
#include "LocalText.h"
#include "MainExeVersion.h"
#include "Handles.h"
#include "build_config.h"

#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

namespace {

constexpr char UserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/115.0.0.0 Safari/537.36";
constexpr DWORD ReadPieceSize = 1025;

bool IsExistingFile(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        wchar_t a = text[i];
        wchar_t b = prefix[i];
        if (a >= L'A' && a <= L'Z')
            a = static_cast<wchar_t>(a - L'A' + L'a');
        if (a != b)
            return false;
    }
    return true;
}

void OpenAddress(const std::wstring& address)
{
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::wstring UpdateRequestHeaders(const std::wstring& version, const std::wstring& installId)
{
    return L"User-Version: " + version + L"\rUser-Debug: false\rUser-Union: " + installId;
}

// The key is matched exactly, and the value ends at the first double quote
// even behind a backslash. The shell would open whatever it is given (a
// program path, a script); only web addresses count as an update.
std::wstring UpdateAddressFromAnswer(std::wstring_view answer)
{
    constexpr std::wstring_view key = L"\"update\":\"";
    size_t start = answer.find(key);
    if (start == std::wstring_view::npos)
        return {};
    start += key.size();
    size_t end = answer.find(L'"', start);
    if (end == std::wstring_view::npos)
        return {};
    std::wstring value = UnescapeJsonText(answer.substr(start, end - start));
    if (!StartsWithIgnoringCase(value, L"https://") && !StartsWithIgnoringCase(value, L"http://"))
        return {};
    return value;
}

// One attempt over WinINet, direct (no proxy), with certificate checks left
// on. The body's bytes are text in the system's ANSI code page.
std::wstring FetchUpdateAnswer(const std::wstring& url)
{
    TInternetHandle root(InternetOpenA(UserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!root)
        return {};
    const std::wstring headers = UpdateRequestHeaders(MainExeVersion(L"%d.%d.%d.%d"), ReadInstallId());
    TInternetHandle request(InternetOpenUrlW(root.Get(), url.c_str(), headers.c_str(),
                                             static_cast<DWORD>(headers.size()),
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
    if (!request)
        return {};
    std::string body;
    char piece[ReadPieceSize];
    DWORD read = 0;
    while (InternetReadFile(request.Get(), piece, ReadPieceSize, &read) && read > 0)
        body.append(piece, read);
    if (body.empty())
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, body.data(), static_cast<int>(body.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, body.data(), static_cast<int>(body.size()), text.data(), length);
    return text;
}

CheckOutcome CheckInstallAndUpdate()
{
    const std::wstring caption = LocalText(L"Tidora");
    if (!IsExistingFile(OwnFolder() + L"Tidora.exe")) {
        std::wstring text = LocalText(L"The application configuration file is invalid.") + L"\r\r" +
                            LocalText(L"Please reinstall and run.");
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
        OpenAddress(TIDORA_SITE_URL);
        return CheckOutcome::Stop;
    }

    std::wstring address = UpdateAddressFromAnswer(FetchUpdateAnswer(TIDORA_REPORT_URL L"/tidora.php"));
    if (address.empty())
        return CheckOutcome::Continue;

    std::wstring text = LocalText(L"This program has been updated.") + L"\r\r" +
                        LocalText(L"It is recommended to download and execute new for stable use.") + L"\r\r" +
                        LocalText(L"Do you want to download it?");
    if (MessageBoxW(nullptr, text.c_str(), caption.c_str(),
                    MB_YESNO | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST) != IDYES)
        return CheckOutcome::Continue;
    OpenAddress(address);
    return CheckOutcome::Stop;
}
