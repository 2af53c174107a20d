// A name list: ordered, unsorted text entries, duplicates allowed, with a
// presence test that compares in the user's locale, ignoring case.
//
// Every change goes through the member functions, which keep the prepared
// form for MatchList in step with the lines. A list is used by one thread at
// a time while it changes; a list nobody changes may be read by any thread.
#pragma once

#include "PreparedList.h"

#include <string>
#include <string_view>
#include <vector>

class TNameList {
public:
    TNameList() = default;
    explicit TNameList(std::vector<std::wstring> items) { Assign(std::move(items)); }

    const std::vector<std::wstring>& Items() const { return FItems; }
    size_t Count() const { return FItems.size(); }
    bool Contains(std::wstring_view entry) const;

    void Add(std::wstring entry);
    // Replaces every entry.
    void Assign(std::vector<std::wstring> items);
    void Clear();

    const TPreparedList& Prepared() const { return FPrepared; }

private:
    std::vector<std::wstring> FItems;
    TPreparedList FPrepared;
};
