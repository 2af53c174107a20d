// A growable list of untyped pointers, itself a reference-counted object.
#pragma once

#include "RefObject.h"

#include <vector>

class TPtrList : public TRefObject {
public:
    // `growthStep` 0 or less: grow by min(1000, count / 4 + 1).
    explicit TPtrList(int growthStep = 0) : FGrowthStep(growthStep) {}

    int Count() const { return FCount; }
    int Capacity() const { return static_cast<int>(FItems.size()); }
    int GrowthStep() const { return FGrowthStep; }

    void Add(void* item);
    void Insert(int index, void* item);
    void DeleteRange(int index, int count);
    int IndexOf(const void* item) const;
    void Remove(const void* item);
    void* Item(int index) const;

private:
    void Grow();

    int FCount = 0;
    int FGrowthStep;
    std::vector<void*> FItems;  // size() is the capacity
};

// The lists the framework makes for itself grow four items at a time.
TPtrList* MakeList();
