#include "HtmlText.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF Gray = RGB(128, 128, 128);

struct THtmlRow {
    const wchar_t* Html;
    bool Centered;
    std::vector<THtmlRun> Runs;
};

TEST(HtmlText, ParsesTheTagsOfTheLabel)
{
    const THtmlRow rows[] = {
        {L"<C><FC:clGray>윈도우 필수 프로그램만 남기고 <B>종료</B>합니다.</FC></C>",
         true,
         {{L"윈도우 필수 프로그램만 남기고 ", false, Gray}, {L"종료", true, Gray}, {L"합니다.", false, Gray}}},
        {L"plain", false, {{L"plain", false, std::nullopt}}},
        {L"<b>Bold</b> <B><b>twice</b></B> end",
         false,
         {{L"Bold", true, std::nullopt}, {L" ", false, std::nullopt}, {L"twice", true, std::nullopt},
          {L" end", false, std::nullopt}}},
        {L"<FC:#FF0000>red<FC:clBlue>blue</FC>red</FC>",
         false,
         {{L"red", false, RGB(255, 0, 0)}, {L"blue", false, RGB(0, 0, 255)}, {L"red", false, RGB(255, 0, 0)}}},
        // What is not a known tag stays text, closing tags without an opening are dropped.
        {L"a < b <X>c</B>", false, {{L"a < b <X>c", false, std::nullopt}}},
        {L"<FC:nocolour>x</FC>", false, {{L"<FC:nocolour>x", false, std::nullopt}}},
        {L"unclosed <B", false, {{L"unclosed <B", false, std::nullopt}}},
        {L"", false, {}},
    };
    for (const auto& row : rows) {
        THtmlText text = ParseHtmlText(row.Html);
        EXPECT_EQ(text.Centered, row.Centered) << row.Html;
        EXPECT_EQ(text.Runs, row.Runs) << row.Html;
    }
}

TEST(HtmlText, PlainTextDropsTheTags)
{
    EXPECT_EQ(ParseHtmlText(L"<C><FC:clGray>프로그램은 종료만 되며, <B>삭제</B>하지 않습니다.</FC></C>").PlainText(),
              L"프로그램은 종료만 되며, 삭제하지 않습니다.");
}

TEST(HtmlText, KnowsColourNamesAndHexColours)
{
    EXPECT_EQ(HtmlColor(L"clGray"), Gray);
    EXPECT_EQ(HtmlColor(L"CLGRAY"), Gray);
    EXPECT_EQ(HtmlColor(L"clSilver"), RGB(192, 192, 192));
    EXPECT_EQ(HtmlColor(L"#3D84DD"), RGB(0x3D, 0x84, 0xDD));
    EXPECT_EQ(HtmlColor(L"#3D84D"), std::nullopt);
    EXPECT_EQ(HtmlColor(L"#GG0000"), std::nullopt);
    EXPECT_EQ(HtmlColor(L"gray"), std::nullopt);
}

}  // namespace
