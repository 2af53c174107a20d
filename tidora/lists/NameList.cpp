#include "NameList.h"

#include <windows.h>

bool TNameList::Contains(std::wstring_view entry) const
{
    for (const auto& item : FItems) {
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, item.data(), static_cast<int>(item.size()),
                           entry.data(), static_cast<int>(entry.size())) == CSTR_EQUAL)
            return true;
    }
    return false;
}

void TNameList::Add(std::wstring entry)
{
    FPrepared.Add(entry);
    FItems.push_back(std::move(entry));
}

void TNameList::Assign(std::vector<std::wstring> items)
{
    FItems = std::move(items);
    FPrepared.Clear();
    for (const auto& item : FItems)
        FPrepared.Add(item);
}

void TNameList::Clear()
{
    FItems.clear();
    FPrepared.Clear();
}
