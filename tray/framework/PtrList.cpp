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
    int step = growthStep_ > 0 ? growthStep_ : std::min(1000, count_ / 4 + 1);
    items_.resize(items_.size() + static_cast<size_t>(step), nullptr);
}

void TPtrList::Add(void* item)
{
    Insert(count_, item);
}

void TPtrList::Insert(int index, void* item)
{
    if (index < 0 || index > count_)
        return;
    if (count_ == Capacity())
        Grow();
    std::move_backward(items_.begin() + index, items_.begin() + count_, items_.begin() + count_ + 1);
    items_[static_cast<size_t>(index)] = item;
    ++count_;
}

void TPtrList::DeleteRange(int index, int count)
{
    if (index < 0 || index >= count_ || count <= 0)
        return;
    count = std::min(count, count_ - index);
    std::move(items_.begin() + index + count, items_.begin() + count_, items_.begin() + index);
    std::fill(items_.begin() + count_ - count, items_.begin() + count_, nullptr);
    count_ -= count;
}

int TPtrList::IndexOf(const void* item) const
{
    for (int i = 0; i < count_; ++i)
        if (items_[static_cast<size_t>(i)] == item)
            return i;
    return -1;
}

void TPtrList::Remove(const void* item)
{
    DeleteRange(IndexOf(item), 1);
}

void* TPtrList::Item(int index) const
{
    if (index < 0 || index >= count_)
        return nullptr;
    return items_[static_cast<size_t>(index)];
}
