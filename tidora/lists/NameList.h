// A name list: ordered, unsorted text entries, duplicates allowed, with a
// presence test that compares in the user's locale, ignoring case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TNameList {
public:
    std::vector<std::wstring> Items;

    bool Contains(std::wstring_view entry) const;
    void Add(std::wstring entry) { Items.push_back(std::move(entry)); }
    size_t Count() const { return Items.size(); }
};
