// MatchList against the prepared form of a list gives the answers that
// matching every line afresh on every call gave: a table of hard cases and
// a randomised comparison over the default lists, and after each kind of
// change to a list. Built twice: in the C locale and in the Korean locale.
#include "MatchList.h"

#include "ListAnswer.h"
#include "ListLoaders.h"
#include "PathTokens.h"
#include "Text.h"
#include "test_env.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The matching as it was before lists were prepared: every line trimmed,
// expanded and case-mapped on every call. The reference for the answers.
std::wstring ReferenceLocaleUpper(std::wstring_view text)
{
    std::wstring out(text);
    if (!out.empty())
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), out.data(),
                     static_cast<int>(out.size()));
    return out;
}

bool ReferenceMatchesEntry(std::wstring_view entry, std::wstring_view text, const std::wstring& upperText,
                           bool fileNameMode)
{
    if (fileNameMode) {
        if (entry.back() == L'*')
            return AsciiEqualsIgnoreCase(entry.substr(0, entry.size() - 1), FileNamePart(text));
        return upperText.find(ReferenceLocaleUpper(entry)) != std::wstring::npos;
    }
    return text.size() >= entry.size() &&
           CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.data(), static_cast<int>(entry.size()),
                          text.data(), static_cast<int>(entry.size())) == CSTR_EQUAL;
}

bool ReferenceMatchList(const TNameList& list, std::wstring_view text, bool fileNameMode)
{
    const std::wstring upperText = fileNameMode ? ReferenceLocaleUpper(text) : std::wstring();
    for (const auto& item : list.Items()) {
        const std::wstring entry = ExpandPath(Trim(item));
        if (entry.empty() || entry.starts_with(L"//"))
            continue;
        if (ReferenceMatchesEntry(entry, text, upperText, fileNameMode))
            return true;
    }
    return false;
}

std::string Show(std::wstring_view text)
{
    return testing::PrintToString(std::wstring(text));
}

// Both modes, the answer of the reference and of MatchList side by side.
void ExpectSameAnswers(const TNameList& list, std::wstring_view text, const std::string& where)
{
    for (bool fileNameMode : {true, false})
        EXPECT_EQ(MatchList(list, text, fileNameMode), ReferenceMatchList(list, text, fileNameMode))
            << where << ": text " << Show(text) << " mode " << (fileNameMode ? "file name" : "name");
}

TNameList LoadedList(const wchar_t* name)
{
    TNameList list;
    LoadListResource(list, name);
    return list;
}

// Entries where the three comparisons (ASCII case for "*" entries, locale
// upper case for substrings, NORM_IGNORECASE for prefixes) part ways.
const std::vector<std::wstring> AdversarialEntries = {
    L"äpfel.exe*", L"ÄPFEL.EXE*", L"straße.exe*", L"ǅ.exe*", L"ı.exe*", L"İ.exe*", L"ﬁle.exe*",
    L"ＡＢＣ.exe*", L"게임.exe*", L"  padded.exe*  ", L"\tTabbed.EXE*", L"*", L"**", L"a*b.exe*",
    L"dir\\name.exe*", L"c:name.exe*", L"// commented.exe*", L"  // spaced comment", L"/not-a-comment",
    L"%SystemRoot%\\System32\\", L"%systemroot%\\ÄPFEL\\", L"%ProgramFiles%", L"%ProgramFiles%x.exe",
    L"%AppData%\\게임\\", L"\\ÄPFEL\\", L"\\straße\\", L"ﬁ", L"Ǆ", L"우리은행 보안", L"Delfino G3 (x86)",
    L"Power", L"cbdhsvc_", L"", L"   ", L"e\u0301", L"\u00e9", L"A\u0308",
};

// Texts built from the pieces that the rules treat specially.
class TextMaker {
public:
    explicit TextMaker(unsigned seed) : FRandom(seed) {}

    std::wstring Random()
    {
        static const std::vector<std::wstring> pieces = {
            L"a", L"B", L"x", L".exe", L".EXE", L"\\", L":", L"*", L"/", L"//", L" ", L"\t", L"%", L"ä", L"Ä",
            L"ß", L"SS", L"ı", L"İ", L"i", L"I", L"ǅ", L"Ǆ", L"ǆ", L"ﬁ", L"FI", L"Ａ", L"ａ", L"게임", L"우리은행",
            L"보안", L"e\u0301", L"\u00e9", L"A\u0308", L"(x86)", L"System32", L"svchost", L"chrome", L"Power",
        };
        std::wstring text;
        const int count = Pick(0, 8);
        for (int i = 0; i < count; ++i)
            text += pieces[Pick(0, static_cast<int>(pieces.size()) - 1)];
        return text;
    }

    // A text made from a list line the way a process path or a name would
    // look: as it is, expanded, in another case, cut short, or lengthened.
    std::wstring FromEntry(const std::wstring& line)
    {
        std::wstring text = Pick(0, 2) ? ExpandPath(Trim(line)) : line;
        if (!text.empty() && text.back() == L'*' && Pick(0, 3))
            text.pop_back();
        switch (Pick(0, 5)) {
        case 0: text = L"C:\\Folder\\" + text; break;
        case 1: text = L"D:" + text; break;
        case 2: text += Pick(0, 1) ? L" 2.0" : L".bak"; break;
        case 3:
            if (!text.empty())
                text.resize(static_cast<size_t>(Pick(0, static_cast<int>(text.size()))));
            break;
        default: break;
        }
        return ChangeCase(text);
    }

    std::wstring ChangeCase(std::wstring text)
    {
        const int how = Pick(0, 3);
        for (auto& c : text) {
            if (how == 0)
                break;
            if (how == 3 && Pick(0, 1))
                continue;
            wchar_t one[2] = {c, 0};
            if (how == 1 || (how == 3 && Pick(0, 1)))
                CharUpperBuffW(one, 1);
            else
                CharLowerBuffW(one, 1);
            c = one[0];
        }
        return text;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }

private:
    std::mt19937 FRandom;
};

struct TableCase {
    const wchar_t* entry;
    std::wstring text;
};

TEST(PreparedMatch, TableOfCasesWhereTheRulesPartWays)
{
    const std::wstring windows = GetSpecialFolder(CSIDL_WINDOWS);
    const std::wstring appData = GetSpecialFolder(CSIDL_APPDATA);
    const TableCase cases[] = {
        {L"äpfel.exe*", L"C:\\x\\ÄPFEL.EXE"},  // ASCII case only: no match
        {L"äpfel.exe*", L"C:\\x\\äPFEL.EXE"},
        {L"ÄPFEL.EXE*", L"C:\\x\\äpfel.exe"},
        {L"straße.exe*", L"C:\\x\\STRASSE.EXE"},
        {L"ı.exe*", L"C:\\x\\I.exe"},
        {L"İ.exe*", L"C:\\x\\i.exe"},
        {L"ǅ.exe*", L"C:\\x\\Ǆ.exe"},
        {L"ＡＢＣ.exe*", L"C:\\x\\ａｂｃ.exe"},
        {L"게임.exe*", L"D:\\게임.EXE"},
        {L"*", L"C:\\x\\"},
        {L"*", L"C:\\x\\a.exe"},
        {L"**", L"C:\\x\\*"},
        {L"a*b.exe*", L"C:\\A*B.EXE"},
        {L"dir\\name.exe*", L"C:\\dir\\name.exe"},
        {L"c:name.exe*", L"c:name.exe"},
        {L"  padded.exe*  ", L"C:\\PADDED.exe"},
        {L"\\ÄPFEL\\", L"C:\\äpfel\\x.exe"},
        {L"\\straße\\", L"C:\\STRASSE\\x.exe"},
        {L"ﬁ", L"C:\\FI\\x.exe"},
        {L"Ǆ", L"C:\\ǆ\\x.exe"},
        {L"e\u0301", L"C:\\\u00e9\\x.exe"},
        {L"%systemroot%\\ÄPFEL\\", windows + L"\\äpfel\\x.exe"},
        {L"%SystemRoot%\\System32\\", windows + L"\\system32\\svchost.exe"},
        {L"%ProgramFiles%", L"C:\\%PROGRAMFILES%\\x.exe"},
        {L"%AppData%\\게임\\", appData + L"\\게임\\a.exe"},
        {L"// commented.exe*", L"C:\\x\\// commented.exe"},
        {L"/not-a-comment", L"C:\\x/NOT-A-COMMENT"},
        {L"우리은행 보안", L"우리은행 보안 로그 수집기"},
        {L"Delfino G3 (x86)", L"delfino g3 (X86) 3.1"},
        {L"A\u0308", L"\u00c4pfel"},
        {L"\u00e9", L"e\u0301t\u00e9"},
        {L"", L""},
        {L"   ", L"anything"},
    };
    for (const auto& c : cases) {
        TNameList list;
        list.Add(c.entry);
        ExpectSameAnswers(list, c.text, "entry " + Show(c.entry));
    }
}

TEST(PreparedMatch, RandomTextsAgainstTheDefaultListsAndHardEntries)
{
    const unsigned seed = 20240611;
    TextMaker maker(seed);
    struct {
        const char* name;
        TNameList list;
    } lists[] = {
        {"file_white", LoadedList(L"file_white")},
        {"name_white", LoadedList(L"name_white")},
        {"name_black", LoadedList(L"name_black")},
        {"hard entries", TNameList(AdversarialEntries)},
    };
    std::vector<std::wstring> allLines;
    for (const auto& l : lists)
        allLines.insert(allLines.end(), l.list.Items().begin(), l.list.Items().end());
    int matches = 0;
    for (auto& l : lists) {
        ASSERT_GT(l.list.Count(), 0u) << l.name;
        for (int i = 0; i < 600; ++i) {
            std::wstring text;
            switch (maker.Pick(0, 2)) {
            case 0: text = maker.FromEntry(l.list.Items()[maker.Pick(0, static_cast<int>(l.list.Count()) - 1)]); break;
            case 1: text = maker.FromEntry(allLines[maker.Pick(0, static_cast<int>(allLines.size()) - 1)]); break;
            default: text = maker.Random(); break;
            }
            matches += MatchList(l.list, text, true) + MatchList(l.list, text, false);
            ExpectSameAnswers(l.list, text, std::string(l.name) + " (seed " + std::to_string(seed) + ")");
        }
    }
    // The texts reach both answers, or the comparison would prove little.
    EXPECT_GT(matches, 600);
    EXPECT_LT(matches, 4 * 600 * 2 - 600);
}

// Every way a list changes reaches the prepared form: a text that the change
// makes match (or no longer match) gives the reference's answer afterwards.
TEST(PreparedMatch, EveryChangeToAListIsSeenByTheNextMatch)
{
    TNameList list = LoadedList(L"file_white");
    const std::wstring game = L"D:\\Games\\Game.exe";
    ASSERT_FALSE(MatchList(list, game, true));

    list.Add(L"game.EXE*");
    EXPECT_TRUE(MatchList(list, game, true));

    TNameList copy = list;
    copy.Add(L"\\Tools\\");
    EXPECT_TRUE(MatchList(copy, L"C:\\tools\\x.exe", true));
    EXPECT_FALSE(MatchList(list, L"C:\\tools\\x.exe", true));  // the copy changed alone

    list.Clear();
    EXPECT_FALSE(MatchList(list, game, true));
    EXPECT_FALSE(MatchList(list, L"C:\\Windows\\System32\\svchost.exe", true));

    const auto answer = ParseListAnswer(R"({"file_white":["Game.exe*"],"name_black":["Bad Module"]})");
    ASSERT_TRUE(answer);
    MergeListJSON(list, *answer, "file_white");
    EXPECT_TRUE(MatchList(list, game, true));
    TNameList black;
    MergeListJSON(black, *answer, "name_black");
    EXPECT_TRUE(MatchList(black, L"bad module 2.0", false));

    const std::wstring path = testenv::MakeTempDir(L"prepared") + L"\\NoClean.txt";
    testenv::WriteFileBytes(path, "other.exe*\r\n%AppData%\\Saves\\\r\n");
    ASSERT_EQ(LoadExclusionFile(list, path), TExclusionLoad::Loaded);
    EXPECT_TRUE(MatchList(list, L"C:\\x\\OTHER.exe", true));
    EXPECT_TRUE(MatchList(list, GetSpecialFolder(CSIDL_APPDATA) + L"\\saves\\x.exe", true));

    LoadListResource(list, L"name_black");  // replaces everything
    EXPECT_FALSE(MatchList(list, game, true));
    EXPECT_TRUE(MatchList(list, L"우리은행 보안 로그 수집기 2.0", false));

    TNameList assigned({L"  first.exe*", L"// second.exe*"});
    EXPECT_TRUE(MatchList(assigned, L"C:\\FIRST.EXE", true));
    EXPECT_FALSE(MatchList(assigned, L"C:\\second.exe", true));

    for (const auto* l : {&list, &copy, &black, &assigned})
        for (const auto& text : {game, std::wstring(L"C:\\tools\\x.exe"), std::wstring(L"Bad Module")})
            ExpectSameAnswers(*l, text, "after the changes");
}

}  // namespace
