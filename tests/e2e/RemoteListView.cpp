#include "RemoteListView.h"

#include <commctrl.h>

#include <cstring>

namespace {

// The block in the other process: the message's structure at its start,
// text after it.
constexpr size_t BlockSize = 8192;
constexpr size_t TextOffset = 1024;
constexpr int TextChars = static_cast<int>((BlockSize - TextOffset) / sizeof(wchar_t));
constexpr UINT Timeout = 10000;

}  // namespace

TRemoteListView::TRemoteListView(HWND list) : FList(list)
{
    DWORD pid = 0;
    if (!list || !GetWindowThreadProcessId(list, &pid))
        return;
    FProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (FProcess)
        FRemote = static_cast<BYTE*>(VirtualAllocEx(FProcess, nullptr, BlockSize, MEM_COMMIT, PAGE_READWRITE));
}

TRemoteListView::~TRemoteListView()
{
    if (FRemote)
        VirtualFreeEx(FProcess, FRemote, 0, MEM_RELEASE);
    if (FProcess)
        CloseHandle(FProcess);
}

// Copies `data` to the start of the block and sends the message with the
// block's address as lParam.
LRESULT TRemoteListView::Send(UINT message, WPARAM wParam, const void* data, size_t size) const
{
    if (!FRemote || !WriteProcessMemory(FProcess, FRemote, data, size, nullptr))
        return -1;
    DWORD_PTR result = static_cast<DWORD_PTR>(-1);
    if (!SendMessageTimeoutW(FList, message, wParam, reinterpret_cast<LPARAM>(FRemote), SMTO_ABORTIFHUNG, Timeout,
                             &result))
        return -1;
    return static_cast<LRESULT>(result);
}

int TRemoteListView::RowCount() const
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(FList, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, Timeout, &count))
        return -1;
    return static_cast<int>(count);
}

std::wstring TRemoteListView::Text(int row, int column) const
{
    if (!FRemote)
        return {};
    const wchar_t empty = L'\0';
    WriteProcessMemory(FProcess, FRemote + TextOffset, &empty, sizeof(empty), nullptr);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(FRemote + TextOffset);
    item.cchTextMax = TextChars;
    const LRESULT length = Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(row), &item, sizeof(item));
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (!ReadProcessMemory(FProcess, FRemote + TextOffset, text.data(), text.size() * sizeof(wchar_t), nullptr))
        return {};
    return text;
}

int TRemoteListView::FindRow(int column, const std::wstring& text) const
{
    const int count = RowCount();
    for (int row = 0; row < count; ++row)
        if (Text(row, column) == text)
            return row;
    return -1;
}

bool TRemoteListView::SelectRow(int row) const
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), &item, sizeof(item)) == TRUE;
}

RECT TRemoteListView::RowRect(int row) const
{
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    if (Send(LVM_GETITEMRECT, static_cast<WPARAM>(row), &rect, sizeof(rect)) != TRUE ||
        !ReadProcessMemory(FProcess, FRemote, &rect, sizeof(rect), nullptr))
        return RECT{};
    return rect;
}
