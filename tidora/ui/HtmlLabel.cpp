#include "HtmlLabel.h"

#include "Win32Handles.h"

#include <algorithm>

namespace {

constexpr wchar_t ClassName[] = L"TidoraHtmlLabel";

// One piece of a laid-out line: a word or a space of one run.
struct TPiece {
    std::wstring Text;
    const THtmlRun* Run;
    SIZE Size;
};

}  // namespace

THtmlLabel::THtmlLabel(TComponent* owner, TControl* parent, std::wstring name)
    : TControl(owner, parent, std::move(name))
{
    RegisterControlClass(ClassName);
    CreateHandle(ClassName, 0, 0);
}

void THtmlLabel::SetCaption(const std::wstring& html)
{
    FHtml = html;
    FContent = ParseHtmlText(html);
    SetText(FContent.PlainText());
}

void THtmlLabel::SetCenteredVertically(bool centered)
{
    FCenteredVertically = centered;
    Invalidate();
}

void THtmlLabel::SetFontColor(COLORREF color)
{
    FFontColor = color;
    Invalidate();
}

// Words are laid out left to right and wrapped at spaces when a line is
// full; each line is centred when the text asks for it.
void THtmlLabel::Paint(HDC dc, const RECT& client)
{
    HFONT normal = Font();
    LOGFONTW lf{};
    GetObjectW(normal, sizeof(lf), &lf);
    lf.lfWeight = FW_BOLD;
    TFontHandle boldFont(CreateFontIndirectW(&lf));
    HFONT bold = boldFont.Get();
    // The pieces switch between the two fonts; the scope puts the DC's own
    // font back before the bold one is deleted.
    TSelectObjectScope selection(dc, normal);
    SetBkMode(dc, TRANSPARENT);

    std::vector<TPiece> pieces;
    for (const auto& run : FContent.Runs) {
        size_t start = 0;
        while (start < run.Text.size()) {
            size_t end = start;
            if (run.Text[start] == L' ')
                end = start + 1;
            else
                while (end < run.Text.size() && run.Text[end] != L' ')
                    ++end;
            TPiece piece{run.Text.substr(start, end - start), &run, {0, 0}};
            SelectObject(dc, run.Bold ? bold : normal);
            GetTextExtentPoint32W(dc, piece.Text.c_str(), static_cast<int>(piece.Text.size()), &piece.Size);
            pieces.push_back(std::move(piece));
            start = end;
        }
    }

    const int width = client.right - client.left;
    std::vector<std::vector<const TPiece*>> lines(1);
    int lineWidth = 0, lineHeight = 0;
    for (const auto& piece : pieces) {
        if (lineWidth > 0 && lineWidth + piece.Size.cx > width && piece.Text != L" ") {
            lines.emplace_back();
            lineWidth = 0;
        }
        if (lineWidth == 0 && piece.Text == L" ")
            continue;
        lines.back().push_back(&piece);
        lineWidth += piece.Size.cx;
        lineHeight = std::max(lineHeight, static_cast<int>(piece.Size.cy));
    }
    if (lineHeight == 0) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        lineHeight = metrics.tmHeight;
    }

    int total = lineHeight * static_cast<int>(lines.size());
    int y = client.top + (FCenteredVertically ? (client.bottom - client.top - total) / 2 : 0);
    const bool enabled = IsWindowEnabled(Handle());
    for (const auto& line : lines) {
        int lineW = 0;
        for (const TPiece* piece : line)
            lineW += piece->Size.cx;
        int x = client.left + (FContent.Centered ? (width - lineW) / 2 : 0);
        for (const TPiece* piece : line) {
            SelectObject(dc, piece->Run->Bold ? bold : normal);
            COLORREF color = piece->Run->Color.value_or(FFontColor);
            SetTextColor(dc, enabled ? color : GetSysColor(COLOR_GRAYTEXT));
            TextOutW(dc, x, y + (lineHeight - piece->Size.cy), piece->Text.c_str(), static_cast<int>(piece->Text.size()));
            x += piece->Size.cx;
        }
        y += lineHeight;
    }
}
