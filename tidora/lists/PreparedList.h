// The form in which a name list is matched: every line trimmed, its path
// token expanded and case-folded once, when it enters the list, instead of
// on every MatchList call. TNameList keeps one beside its lines and updates
// it with every change; nothing else builds one.
//
// Read-only use (Matches) is safe from any number of threads at once; a
// change needs the list to itself, like any standard container.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class TPreparedList {
public:
    // Adds one list line as MatchList sees it (blank lines and "//" comments
    // are dropped here).
    void Add(std::wstring_view line);
    void Clear();

    // The matching rule; see MatchList.h.
    bool Matches(std::wstring_view text, bool fileNameMode) const;

private:
    // File-name mode, "name.exe*" entries: the name before the "*", ASCII
    // upper case, so that one lookup stands for an ASCII-case compare
    // against each of them.
    std::unordered_set<std::wstring> FFileNames;
    // File-name mode, every other entry, in locale upper case.
    std::vector<std::wstring> FUpperSubstrings;
    // Name mode: every entry, expanded, in list order.
    std::vector<std::wstring> FPrefixes;
};
