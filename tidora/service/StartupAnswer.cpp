#include "StartupAnswer.h"

#include "JsonText.h"
#include "ListAnswer.h"
#include "ServiceProtocol.h"
#include "Text.h"

namespace {

// A string member found by its marker: name in quotes, colon, opening quote.
std::wstring StringMember(std::wstring_view text, std::wstring_view name)
{
    return JSONUnescape(TextBetween(text, L"\"" + std::wstring(name) + L"\":\"", L"\""));
}

}  // namespace

std::wstring ReadUpdateAddress(std::wstring_view answer)
{
    return WebAddressOrEmpty(StringMember(answer, L"update"));
}

TNoticeInfo ReadNoticeInfo(std::wstring_view answer)
{
    const std::wstring info = TextBetween(answer, L"\"info\":{", L"}");
    TNoticeInfo notice;
    notice.Style = StringMember(info, L"style");
    notice.Text = StringMember(info, L"text");
    notice.Flag = StringMember(info, L"flag");
    notice.Url = WebAddressOrEmpty(StringMember(info, L"url"));
    return notice;
}

void MergeStartupLists(std::wstring_view answer, TNameList& fileWhite, TNameList& nameWhite, TNameList& nameBlack)
{
    auto parsed = ParseListAnswer(WideToUtf8(answer));
    if (!parsed)
        return;
    MergeListJSON(fileWhite, *parsed, "file_white");
    MergeListJSON(nameWhite, *parsed, "name_white");
    MergeListJSON(nameBlack, *parsed, "name_black");
}
