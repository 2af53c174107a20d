#include "PtrList.h"

#include <algorithm>

TPtrList* MakeList()
{
    return new TPtrList(4);
}

// A full list grows by its step; lists without a step grow by a quarter of
// their count (at least one item, at most a thousand) so that long lists do
// not reallocate on every add.
void TPtrList::Grow()
{
    int step = FGrowthStep > 0 ? FGrowthStep : std::min(1000, FCount / 4 + 1);
    FItems.resize(FItems.size() + static_cast<size_t>(step), nullptr);
}

void TPtrList::Add(void* item)
{
    Insert(FCount, item);
}

void TPtrList::Insert(int index, void* item)
{
    if (index < 0 || index > FCount)
        return;
    if (FCount == Capacity())
        Grow();
    std::move_backward(FItems.begin() + index, FItems.begin() + FCount, FItems.begin() + FCount + 1);
    FItems[static_cast<size_t>(index)] = item;
    ++FCount;
}

void TPtrList::DeleteRange(int index, int count)
{
    if (index < 0 || index >= FCount || count <= 0)
        return;
    count = std::min(count, FCount - index);
    std::move(FItems.begin() + index + count, FItems.begin() + FCount, FItems.begin() + index);
    std::fill(FItems.begin() + FCount - count, FItems.begin() + FCount, nullptr);
    FCount -= count;
}

int TPtrList::IndexOf(const void* item) const
{
    for (int i = 0; i < FCount; ++i)
        if (FItems[static_cast<size_t>(i)] == item)
            return i;
    return -1;
}

void TPtrList::Remove(const void* item)
{
    DeleteRange(IndexOf(item), 1);
}

void* TPtrList::Item(int index) const
{
    if (index < 0 || index >= FCount)
        return nullptr;
    return FItems[static_cast<size_t>(index)];
}
