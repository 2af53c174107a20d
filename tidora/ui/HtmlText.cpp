#include "HtmlText.h"

#include "Text.h"

namespace {

struct TNamedColor {
    const wchar_t* Name;
    COLORREF Color;
};

constexpr TNamedColor NamedColors[] = {
    {L"clBlack", RGB(0, 0, 0)},         {L"clMaroon", RGB(128, 0, 0)},   {L"clGreen", RGB(0, 128, 0)},
    {L"clOlive", RGB(128, 128, 0)},     {L"clNavy", RGB(0, 0, 128)},     {L"clPurple", RGB(128, 0, 128)},
    {L"clTeal", RGB(0, 128, 128)},      {L"clGray", RGB(128, 128, 128)}, {L"clSilver", RGB(192, 192, 192)},
    {L"clRed", RGB(255, 0, 0)},         {L"clLime", RGB(0, 255, 0)},     {L"clYellow", RGB(255, 255, 0)},
    {L"clBlue", RGB(0, 0, 255)},        {L"clFuchsia", RGB(255, 0, 255)}, {L"clAqua", RGB(0, 255, 255)},
    {L"clWhite", RGB(255, 255, 255)},
};

}  // namespace

std::optional<COLORREF> HtmlColor(std::wstring_view name)
{
    for (const auto& named : NamedColors)
        if (AsciiEqualsIgnoreCase(name, named.Name))
            return named.Color;
    if (name.size() == 7 && name[0] == L'#') {
        int value[6];
        for (size_t i = 0; i < 6; ++i)
            if ((value[i] = HexDigitValue(name[i + 1])) < 0)
                return std::nullopt;
        return RGB(value[0] * 16 + value[1], value[2] * 16 + value[3], value[4] * 16 + value[5]);
    }
    return std::nullopt;
}

std::wstring THtmlText::PlainText() const
{
    std::wstring text;
    for (const auto& run : Runs)
        text += run.Text;
    return text;
}

// Tags nest: bold counts its openings, colours form a stack. A closing tag
// without its opening one is ignored; a "<" that starts no known tag is text.
THtmlText ParseHtmlText(std::wstring_view html)
{
    THtmlText result;
    int bold = 0;
    std::vector<COLORREF> colors;
    std::wstring pending;

    auto flush = [&] {
        if (pending.empty())
            return;
        THtmlRun run{pending, bold > 0, colors.empty() ? std::nullopt : std::optional<COLORREF>(colors.back())};
        if (!result.Runs.empty() && result.Runs.back().Bold == run.Bold && result.Runs.back().Color == run.Color)
            result.Runs.back().Text += run.Text;
        else
            result.Runs.push_back(std::move(run));
        pending.clear();
    };

    size_t i = 0;
    while (i < html.size()) {
        if (html[i] == L'<') {
            size_t end = html.find(L'>', i);
            if (end != std::wstring_view::npos) {
                std::wstring_view tag = html.substr(i + 1, end - i - 1);
                bool known = true;
                if (AsciiEqualsIgnoreCase(tag, L"C")) {
                    result.Centered = true;
                } else if (AsciiEqualsIgnoreCase(tag, L"/C")) {
                } else if (AsciiEqualsIgnoreCase(tag, L"B")) {
                    flush();
                    ++bold;
                } else if (AsciiEqualsIgnoreCase(tag, L"/B")) {
                    flush();
                    if (bold > 0)
                        --bold;
                } else if (AsciiStartsWithIgnoreCase(tag, L"FC:") && HtmlColor(tag.substr(3))) {
                    flush();
                    colors.push_back(*HtmlColor(tag.substr(3)));
                } else if (AsciiEqualsIgnoreCase(tag, L"/FC")) {
                    flush();
                    if (!colors.empty())
                        colors.pop_back();
                } else {
                    known = false;
                }
                if (known) {
                    i = end + 1;
                    continue;
                }
            }
        }
        pending += html[i++];
    }
    flush();
    return result;
}
