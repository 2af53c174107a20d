#include "ListView.h"

#include <uxtheme.h>

#include <algorithm>

namespace {

constexpr int IconSize = 16;  // at 96 dpi

LVITEMW ItemFor(int row, int column, UINT mask)
{
    LVITEMW item{};
    item.mask = mask;
    item.iItem = row;
    item.iSubItem = column;
    return item;
}

}  // namespace

TListView::TListView(TComponent* owner, TControl* parent, std::wstring name) : TControl(owner, parent, std::move(name))
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    CreateHandle(WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                 0);
    if (!Handle())
        return;
    // Whole-row selection; double buffering keeps the Explorer theme's hot
    // tracking and selection from flickering.
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
    ListView_SetExtendedListViewStyleEx(Handle(), extended, extended);
    SetWindowTheme(Handle(), L"Explorer", nullptr);
    ApplyImages();
}

TListView::~TListView()
{
    // The control goes first: it must not ask for a record that is gone.
    DestroyHandle();
    if (OnFreeNode)
        for (auto& record : FRows)
            OnFreeNode(*record);
}

void TListView::AddColumn(const std::wstring& caption, int width)
{
    FColumns.push_back({caption, width});
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    column.cx = Scale(width);
    column.iSubItem = ColumnCount() - 1;
    ListView_InsertColumn(Handle(), ColumnCount() - 1, &column);
    FitAutoSizeColumn();
}

std::wstring TListView::ColumnCaption(int column) const
{
    return column >= 0 && column < ColumnCount() ? FColumns[static_cast<size_t>(column)].Caption : std::wstring();
}

void TListView::SetColumnCaption(int column, const std::wstring& caption)
{
    if (column < 0 || column >= ColumnCount())
        return;
    FColumns[static_cast<size_t>(column)].Caption = caption;
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = const_cast<wchar_t*>(caption.c_str());
    ListView_SetColumn(Handle(), column, &info);
}

void TListView::SetAutoSizeColumn(int column)
{
    FAutoSizeColumn = column;
    FitAutoSizeColumn();
}

void TListView::SetImages(TImageCollection* images)
{
    FImages = images;
    ApplyImages();
}

// The image list's cell height is the row height: a list view makes every
// row as high as its small images.
void TListView::ApplyImages()
{
    if (!Handle())
        return;
    TImageCollection& images = FImages ? *FImages : FNoImages;
    const int iconSize = FImages ? Scale(IconSize) : 1;
    ListView_SetImageList(Handle(), images.ImageList(iconSize, Scale(FRowHeight) - FHeightPadding), LVSIL_SMALL);
}

// The control makes a row a little higher than its images (Wine by one
// pixel); that padding is measured on the first row and taken off the cells.
void TListView::MeasureHeightPadding()
{
    RECT row{};
    if (FPaddingMeasured || FRowHeight == 0 || !ListView_GetItemRect(Handle(), 0, &row, LVIR_BOUNDS))
        return;
    FPaddingMeasured = true;
    const int padding = FHeightPadding + (row.bottom - row.top) - Scale(FRowHeight);
    if (padding > 0 && padding < Scale(FRowHeight)) {
        FHeightPadding = padding;
        ApplyImages();
    }
}

void TListView::Repaint()
{
    // Icons added to the collection since the last paint join the image list.
    ApplyImages();
    Invalidate();
}

int TListView::AddRow(std::unique_ptr<TListRecord> record)
{
    if (!record)
        return -1;
    if (OnMeasureItem) {
        const int height = OnMeasureItem(*record);
        if (height > FRowHeight) {
            FRowHeight = height;
            ApplyImages();
        }
    }
    const int row = RowCount();
    FRows.push_back(std::move(record));
    LVITEMW item = ItemFor(row, 0, LVIF_TEXT | LVIF_IMAGE);
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = I_IMAGECALLBACK;
    if (ListView_InsertItem(Handle(), &item) < 0 && Handle()) {
        FRows.pop_back();
        return -1;
    }
    MeasureHeightPadding();
    return row;
}

void TListView::DeleteRow(int row)
{
    if (row < 0 || row >= RowCount())
        return;
    // The record stays alive until the control has let go of the row.
    std::unique_ptr<TListRecord> record = std::move(FRows[static_cast<size_t>(row)]);
    FRows.erase(FRows.begin() + row);
    ListView_DeleteItem(Handle(), row);
    if (OnFreeNode)
        OnFreeNode(*record);
}

void TListView::Clear()
{
    std::vector<std::unique_ptr<TListRecord>> rows = std::move(FRows);
    FRows.clear();
    ListView_DeleteAllItems(Handle());
    if (OnFreeNode)
        for (auto& record : rows)
            OnFreeNode(*record);
}

TListRecord* TListView::Row(int row) const
{
    return row >= 0 && row < RowCount() ? FRows[static_cast<size_t>(row)].get() : nullptr;
}

int TListView::FocusedRow() const
{
    return Handle() ? ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED) : -1;
}

int TListView::SelectedRow() const
{
    return Handle() ? ListView_GetNextItem(Handle(), -1, LVNI_SELECTED) : -1;
}

void TListView::SelectRow(int row)
{
    if (row < 0 || row >= RowCount())
        return;
    ListView_SetItemState(Handle(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(Handle(), row, FALSE);
}

std::wstring TListView::RowText(int row, int column) const
{
    const TListRecord* record = Row(row);
    return record && OnGetText ? OnGetText(*record, column) : std::wstring();
}

void TListView::FitAutoSizeColumn()
{
    if (!Handle() || FAutoSizeColumn < 0 || FAutoSizeColumn >= ColumnCount())
        return;
    RECT client;
    GetClientRect(Handle(), &client);
    int rest = client.right - client.left;
    for (int column = 0; column < ColumnCount(); ++column)
        if (column != FAutoSizeColumn)
            rest -= ListView_GetColumnWidth(Handle(), column);
    ListView_SetColumnWidth(Handle(), FAutoSizeColumn, std::max(rest, Scale(20)));
}

void TListView::ScaleChanged()
{
    for (int column = 0; column < ColumnCount(); ++column)
        if (column != FAutoSizeColumn)
            ListView_SetColumnWidth(Handle(), column, Scale(FColumns[static_cast<size_t>(column)].Width));
    ApplyImages();
    FitAutoSizeColumn();
}

LRESULT TListView::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE: {
        LRESULT result = TControl::WndProc(message, wParam, lParam);
        FitAutoSizeColumn();
        return result;
    }
    case WM_CONTEXTMENU:
        ContextPopup(lParam);
        return 0;
    case WM_GETDLGCODE: {
        // Enter activates the focused row (as a double click does) instead of
        // going to the form's dialog navigation.
        LRESULT code = TControl::WndProc(message, wParam, lParam);
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_UPDATEUISTATE:
        // The focus rectangle stays hidden, also after keyboard use; the
        // selection shows where the focus is.
        wParam = MAKEWPARAM(UIS_SET, HIWORD(wParam) | UISF_HIDEFOCUS);
        break;
    default:
        break;
    }
    return TControl::WndProc(message, wParam, lParam);
}

// Right click or the keyboard's menu key: the menu opens at the mouse, or
// below the focused row when the keyboard asked (lParam -1, -1).
void TListView::ContextPopup(LPARAM lParam)
{
    if (!OnContextPopup)
        return;
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {
        RECT area{};
        const int row = FocusedRow();
        if (row < 0 || !ListView_GetItemRect(Handle(), row, &area, LVIR_LABEL))
            GetClientRect(Handle(), &area);
        point = {area.left, area.bottom};
        ClientToScreen(Handle(), &point);
    }
    OnContextPopup(this, point);
}

bool TListView::Notify(NMHDR* header, LRESULT& result)
{
    switch (header->code) {
    case LVN_GETDISPINFOW:
        FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
        result = 0;
        return true;
    case NM_CUSTOMDRAW:
        result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        return true;
    case LVN_ITEMCHANGED: {
        const auto& change = *reinterpret_cast<NMLISTVIEW*>(header);
        if (change.iItem >= 0 && (change.uChanged & LVIF_STATE) &&
            ((change.uOldState ^ change.uNewState) & LVIS_FOCUSED) && (change.uNewState & LVIS_FOCUSED) &&
            OnFocusChanged)
            OnFocusChanged(this);
        return false;
    }
    case NM_CLICK:
        if (OnClick)
            OnClick(this);
        return false;
    case LVN_ITEMACTIVATE:
        if (OnDblClick)
            OnDblClick(this);
        return false;
    case LVN_KEYDOWN:
        if (OnKeyDown)
            OnKeyDown(this, reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey);
        return false;
    default:
        return false;
    }
}

void TListView::FillDisplayInfo(NMLVDISPINFOW& info) const
{
    const TListRecord* record = Row(info.item.iItem);
    if (!record)
        return;
    if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        const std::wstring text = OnGetText ? OnGetText(*record, info.item.iSubItem) : std::wstring();
        lstrcpynW(info.item.pszText, text.c_str(), info.item.cchTextMax);
    }
    if (info.item.mask & LVIF_IMAGE)
        info.item.iImage = OnGetImageIndex ? OnGetImageIndex(*record, info.item.iSubItem) : I_IMAGENONE;
}

// Per-cell colour and font through custom draw: the control still draws
// everything itself, in its theme.
LRESULT TListView::CustomDraw(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw.nmcd.uItemState &= ~CDIS_FOCUS;
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const TListRecord* record = Row(static_cast<int>(draw.nmcd.dwItemSpec));
        if (!record)
            return CDRF_DODEFAULT;
        COLORREF color = GetSysColor(COLOR_WINDOWTEXT);
        if (OnPaintText)
            OnPaintText(*record, draw.iSubItem, color);
        draw.clrText = color;
        HFONT font = nullptr;
        if (OnDrawText)
            OnDrawText(*record, draw.iSubItem, font);
        SelectObject(draw.nmcd.hdc, font ? font : Font());
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}
