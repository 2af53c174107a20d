// A list-view control of another process, read and driven from a test.
// Messages that carry a pointer (item text, item state, item rectangle)
// need that structure in the owning process's memory: the helper keeps one
// block there for as long as it lives. Use it from one thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TRemoteListView {
public:
    explicit TRemoteListView(HWND list);
    ~TRemoteListView();
    TRemoteListView(const TRemoteListView&) = delete;
    TRemoteListView& operator=(const TRemoteListView&) = delete;

    // False when the owning process could not be opened or its memory not had.
    bool Ready() const { return FRemote != nullptr; }
    HWND Handle() const { return FList; }

    int RowCount() const;
    // The text the list shows in a cell (asked of its owner as for drawing).
    std::wstring Text(int row, int column) const;
    // The first row whose cell in `column` reads `text`; -1 when none does.
    int FindRow(int column, const std::wstring& text) const;
    // Selects and focuses a row, as a click on it would.
    bool SelectRow(int row) const;
    // The row's rectangle in the list's client coordinates.
    RECT RowRect(int row) const;

private:
    LRESULT Send(UINT message, WPARAM wParam, const void* data, size_t size) const;

    HWND FList;
    HANDLE FProcess = nullptr;
    BYTE* FRemote = nullptr;
};
