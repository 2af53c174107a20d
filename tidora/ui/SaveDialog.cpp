#include "SaveDialog.h"

#include <commdlg.h>

#include <algorithm>

#include <vector>

std::optional<std::wstring> ShowSaveDialog(HWND owner, const TSaveDialogOptions& options)
{
    // The dialog wants the filter's pieces separated by NUL and ended by two.
    std::wstring filter = options.Filter;
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.append(2, L'\0');

    // Long enough for any path the dialog may give back.
    std::vector<wchar_t> path(32768, L'\0');
    options.FileName.copy(path.data(), std::min(options.FileName.size(), path.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(options.FilterIndex);
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = options.Title.empty() ? nullptr : options.Title.c_str();
    dialog.lpstrDefExt = options.DefaultExt.empty() ? nullptr : options.DefaultExt.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog))
        return std::nullopt;
    return std::wstring(path.data());
}
