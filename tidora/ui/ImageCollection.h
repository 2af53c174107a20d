// A growing collection of icons, and the image list a list view draws them
// from. Every icon is drawn centred in a cell that is as high as a list row,
// so the image list also sets the list's row height. Window thread only.
#pragma once

#include "Component.h"
#include "Win32Handles.h"

#include <commctrl.h>

#include <vector>

class TImageCollection : public TComponent {
public:
    TImageCollection(TComponent* owner, std::wstring name);

    // Takes the icon over; the index it has in the collection, or -1 when
    // the icon is null.
    int AddIcon(HICON icon);
    // A copy of a shared or foreign icon.
    int AddIconCopy(HICON icon);
    int Count() const { return static_cast<int>(FIcons.size()); }
    HICON Icon(int index) const;

    // The image list with icons of `iconSize` pixels in cells `cellHeight`
    // pixels high (both already scaled); made anew when the sizes change,
    // kept up to date as icons are added. Owned by the collection.
    HIMAGELIST ImageList(int iconSize, int cellHeight);

private:
    void AppendToImageList(HICON icon);

    std::vector<TIconHandle> FIcons;
    TImageListHandle FImageList;
    int FIconSize = 0;
    int FCellHeight = 0;
};
