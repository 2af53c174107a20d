// A list of records shown as a report: a list-view control of the common
// controls (SysListView32), so screen readers, UI Automation and test
// drivers read its rows and columns like those of any Windows list. Each row
// holds one record, owned by the list; what a row shows is asked of the
// page through callbacks each time it is drawn. Window thread only.
//
// The look: whole-row single selection, the Explorer theme with its hot
// tracking, no focus rectangle, the header visible, one column that takes
// the width the others leave. All rows have one height (a list view knows
// no other): the largest OnMeasureItem gives, applied through the image list.
#pragma once

#include "Control.h"
#include "ImageCollection.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The base of the pages' row records.
struct TListRecord {
    virtual ~TListRecord() = default;
};

class TListView : public TControl {
public:
    TListView(TComponent* owner, TControl* parent, std::wstring name);
    ~TListView() override;

    // A column with its caption and width at 96 dpi.
    void AddColumn(const std::wstring& caption, int width);
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    std::wstring ColumnCaption(int column) const;
    void SetColumnCaption(int column, const std::wstring& caption);
    // The column that takes the width the others leave (-1: none).
    void SetAutoSizeColumn(int column);

    // Images of the rows, drawn at 16 pixels (96 dpi) in cells of the row
    // height. Not owned.
    void SetImages(TImageCollection* images);
    // Draws the rows anew (after images were added or records changed).
    void Repaint();

    // Rows, in display order.
    int AddRow(std::unique_ptr<TListRecord> record);
    void DeleteRow(int row);
    void Clear();
    int RowCount() const { return static_cast<int>(FRows.size()); }
    TListRecord* Row(int row) const;
    template <class T>
    T* RowAs(int row) const
    {
        return static_cast<T*>(Row(row));
    }
    // The row with the keyboard focus, the (first) selected row: -1 for none.
    int FocusedRow() const;
    int SelectedRow() const;
    // Selects and focuses a row and scrolls it into view.
    void SelectRow(int row);
    // The row's text in a column as the list shows it.
    std::wstring RowText(int row, int column) const;

    // Callbacks of the page. Text and image are asked each time a cell is
    // drawn; OnPaintText may change the text colour of a cell and OnDrawText
    // its font (not owned; null keeps the list's font); OnMeasureItem gives
    // a row's height at 96 dpi; OnFreeNode runs before a record is destroyed.
    std::function<std::wstring(const TListRecord&, int column)> OnGetText;
    std::function<int(const TListRecord&, int column)> OnGetImageIndex;
    std::function<void(const TListRecord&, int column, COLORREF& color)> OnPaintText;
    std::function<void(const TListRecord&, int column, HFONT& font)> OnDrawText;
    std::function<int(const TListRecord&)> OnMeasureItem;
    std::function<void(TListRecord&)> OnFreeNode;

    // A click on the list; the focused row moved (mouse or keyboard); a row
    // was activated (double click or Enter); a key went down; the popup
    // menu was asked for at a screen point (keyboard: below the focused row).
    TNotifyEvent OnClick;
    TNotifyEvent OnFocusChanged;
    TNotifyEvent OnDblClick;
    std::function<void(TComponent* sender, WORD key)> OnKeyDown;
    std::function<void(TComponent* sender, POINT screen)> OnContextPopup;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Notify(NMHDR* header, LRESULT& result) override;
    void ScaleChanged() override;

private:
    struct TColumn {
        std::wstring Caption;
        int Width = 0;
    };

    void ApplyImages();
    void MeasureHeightPadding();
    void FitAutoSizeColumn();
    void FillDisplayInfo(NMLVDISPINFOW& info) const;
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    void ContextPopup(LPARAM lParam);

    std::vector<TColumn> FColumns;
    std::vector<std::unique_ptr<TListRecord>> FRows;
    int FAutoSizeColumn = -1;
    int FRowHeight = 0;  // at 96 dpi; 0 until a row says
    int FHeightPadding = 0;  // pixels the control adds to the image height
    bool FPaddingMeasured = false;
    TImageCollection* FImages = nullptr;
    // Without images the list still needs an image list for its row height.
    TImageCollection FNoImages{nullptr, L""};
};
