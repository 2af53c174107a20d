#include "ListAnswer.h"

#include "ListLoaders.h"

#include <gtest/gtest.h>

namespace {

TNameList Merged(const TNameList& start, const std::string& answer, const std::string& key)
{
    TNameList list = start;
    if (auto parsed = ParseListAnswer(answer))
        MergeListJSON(list, *parsed, key);
    return list;
}

TEST(MergeListJSON, AddsOnlyEntriesNotPresentIgnoringCase)
{
    TNameList fileWhite;
    LoadListResource(fileWhite, L"file_white");
    TNameList merged = Merged(fileWhite, R"({"file_white":["chrome.exe*","CHROME.EXE*","new.exe*"]})", "file_white");
    ASSERT_EQ(merged.Count(), fileWhite.Count() + 1);
    EXPECT_EQ(merged.Items().back(), L"new.exe*");
}

TEST(MergeListJSON, ElementsAddedInTheSameCallCountAsPresent)
{
    TNameList merged = Merged({}, R"({"k":["a.exe*","A.EXE*","b"]})", "k");
    EXPECT_EQ(merged.Items(), (std::vector<std::wstring>{L"a.exe*", L"b"}));
}

TEST(MergeListJSON, ElementTexts)
{
    TNameList merged =
        Merged({}, R"({"k":["\u0041\/x", 12, -7, 1.50, 2e3, true, false, null, {"a":1}, [1,2], "끝"]})", "k");
    // Nested values all contribute an empty entry, which is present after the first.
    EXPECT_EQ(merged.Items(), (std::vector<std::wstring>{L"A/x", L"12", L"-7", L"1.50", L"2e3", L"true", L"false",
                                                        L"null", L"", L"끝"}));
}

TEST(MergeListJSON, AnswersThatChangeNothing)
{
    TNameList start;
    start.Add(L"keep");
    const char* answers[] = {
        "",
        "<html><body>500 Internal Server Error</body></html>",
        R"(["file_white"])",
        R"({"file_white":"x.exe*"})",
        R"({"file_white":{"a":"b"}})",
        R"({"other":["x.exe*"]})",
        R"({"file_white":["x.exe*"])",  // cut short
        R"("just text")",
    };
    for (const char* answer : answers)
        EXPECT_EQ(Merged(start, answer, "file_white").Items(), start.Items()) << answer;
}

TEST(MergeListJSON, EachKeyGoesToItsOwnList)
{
    auto parsed = ParseListAnswer(
        R"({"update":"","file_white":["f.exe*"],"name_white":["Svc_"],"name_black":["Bad Module"],"info":{"x":[1]}})");
    ASSERT_TRUE(parsed);
    TNameList fileWhite, nameWhite, nameBlack;
    MergeListJSON(fileWhite, *parsed, "file_white");
    MergeListJSON(nameWhite, *parsed, "name_white");
    MergeListJSON(nameBlack, *parsed, "name_black");
    EXPECT_EQ(fileWhite.Items(), std::vector<std::wstring>{L"f.exe*"});
    EXPECT_EQ(nameWhite.Items(), std::vector<std::wstring>{L"Svc_"});
    EXPECT_EQ(nameBlack.Items(), std::vector<std::wstring>{L"Bad Module"});
}

TEST(MergeListJSON, TheFirstOfRepeatedMembersCounts)
{
    EXPECT_EQ(Merged({}, R"({"k":["first"],"k":["second"]})", "k").Items(), std::vector<std::wstring>{L"first"});
}

}  // namespace
