#include "ImageCollection.h"

#include <algorithm>

TImageCollection::TImageCollection(TComponent* owner, std::wstring name) : TComponent(owner, std::move(name)) {}

int TImageCollection::AddIcon(HICON icon)
{
    if (!icon)
        return -1;
    FIcons.emplace_back(icon);
    if (FImageList)
        AppendToImageList(icon);
    return Count() - 1;
}

int TImageCollection::AddIconCopy(HICON icon)
{
    return icon ? AddIcon(CopyIcon(icon)) : -1;
}

HICON TImageCollection::Icon(int index) const
{
    return index >= 0 && index < Count() ? FIcons[static_cast<size_t>(index)].Get() : nullptr;
}

HIMAGELIST TImageCollection::ImageList(int iconSize, int cellHeight)
{
    cellHeight = std::max(cellHeight, iconSize);
    if (FImageList && iconSize == FIconSize && cellHeight == FCellHeight)
        return FImageList.Get();
    FIconSize = iconSize;
    FCellHeight = cellHeight;
    FImageList.Reset(ImageList_Create(iconSize, cellHeight, ILC_COLOR32, Count(), 8));
    if (FImageList)
        for (const auto& icon : FIcons)
            AppendToImageList(icon.Get());
    return FImageList.Get();
}

// The image list scales what it is given to its cell size, which would
// stretch a 16-pixel icon to the row height. So each icon is drawn at its own
// size into a transparent 32-bit cell first, centred vertically.
void TImageCollection::AppendToImageList(HICON icon)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = FIconSize;
    info.bmiHeader.biHeight = -FCellHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TBitmapHandle cell(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    TMemoryDCHandle dc(CreateCompatibleDC(nullptr));
    // A blank image where drawing fails keeps the indexes of later icons right.
    auto addBlank = [this] { ImageList_SetImageCount(FImageList.Get(), ImageList_GetImageCount(FImageList.Get()) + 1); };
    if (!cell || !dc || !bits) {
        addBlank();
        return;
    }
    std::fill_n(static_cast<DWORD*>(bits), static_cast<size_t>(FIconSize) * static_cast<size_t>(FCellHeight), 0u);
    {
        TSelectObjectScope select(dc.Get(), cell.Get());
        DrawIconEx(dc.Get(), 0, (FCellHeight - FIconSize) / 2, icon, FIconSize, FIconSize, 0, nullptr, DI_NORMAL);
    }
    if (ImageList_Add(FImageList.Get(), cell.Get(), nullptr) < 0)
        addBlank();
}
