#include "service_client.h"

#include "test_env.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>

namespace service {
namespace {

struct InternetHandleCloser {
    void operator()(HINTERNET h) const { WinHttpCloseHandle(h); }
};
using Handle = std::unique_ptr<void, InternetHandleCloser>;

std::string Base64Decode(const std::string& text)
{
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = -8;
    for (char c : text) {
        size_t pos = alphabet.find(c);
        if (pos == std::string::npos)
            break;
        value = (value << 6) + static_cast<unsigned>(pos);
        bits += 6;
        if (bits >= 0) {
            out.push_back(static_cast<char>((value >> bits) & 0xFF));
            bits -= 8;
        }
    }
    return out;
}

}  // namespace

std::string Call(const std::wstring& method, const std::wstring& path, const std::string& body)
{
    std::string answer;
    Handle session(WinHttpOpen(L"TidoraTest", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
    if (!session)
        return answer;
    Handle connection(WinHttpConnect(session.get(), L"127.0.0.1",
                                     static_cast<INTERNET_PORT>(testenv::ServicePort() + 2), 0));
    if (!connection)
        return answer;
    Handle request(WinHttpOpenRequest(connection.get(), method.c_str(), path.c_str(), nullptr, nullptr, nullptr, 0));
    if (!request)
        return answer;
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return answer;
    char chunk[8192];
    DWORD got = 0;
    while (WinHttpReadData(request.get(), chunk, sizeof(chunk), &got) && got > 0)
        answer.append(chunk, got);
    return answer;
}

void Reset()
{
    Call(L"POST", L"/_test/reset");
}

void SetRoute(const nlohmann::json& route)
{
    Call(L"POST", L"/_test/route", route.dump());
}

nlohmann::json Requests()
{
    return nlohmann::json::parse(Call(L"GET", L"/_test/requests"), nullptr, false);
}

std::string Header(const nlohmann::json& request, const std::string& name)
{
    for (const auto& pair : request.at("headers")) {
        std::string key = pair.at(0).get<std::string>();
        if (_stricmp(key.c_str(), name.c_str()) == 0)
            return pair.at(1).get<std::string>();
    }
    return {};
}

std::string Body(const nlohmann::json& request)
{
    return Base64Decode(request.at("body_b64").get<std::string>());
}

}  // namespace service
