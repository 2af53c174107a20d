#include "NameList.h"

#include <windows.h>

bool TNameList::Contains(std::wstring_view entry) const
{
    for (const auto& item : Items) {
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, item.data(), static_cast<int>(item.size()),
                           entry.data(), static_cast<int>(entry.size())) == CSTR_EQUAL)
            return true;
    }
    return false;
}
