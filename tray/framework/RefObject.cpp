#include "RefObject.h"

#include "PtrList.h"

namespace {

struct OwnedPair {
    OwnedProc proc;
    TRefObject* object;
};

}  // namespace

// Holding adds 2 and releasing subtracts 2, so a fresh object (count 0) dies
// at its first release and an object held once survives exactly one.
void TRefObject::Hold()
{
    FRefCount += 2;
}

void TRefObject::Release()
{
    FRefCount -= 2;
    if (FRefCount >= 0 || FDestroying)
        return;
    FDestroying = true;
    if (OnDestroy)
        OnDestroy(this);
    Destroy();
}

void TRefObject::AddOwnedPair(OwnedProc proc, TRefObject* object)
{
    if (!object)
        return;
    if (!FOwned)
        FOwned = MakeList();
    FOwned->Add(new OwnedPair{proc, object});
}

void TRefObject::RemoveOwned(const TRefObject* object)
{
    if (!FOwned)
        return;
    for (int i = 0; i < FOwned->Count(); ++i) {
        auto* pair = static_cast<OwnedPair*>(FOwned->Item(i));
        if (pair->object == object) {
            FOwned->DeleteRange(i, 1);
            delete pair;
            break;
        }
    }
    if (FOwned->Count() == 0) {
        TPtrList* list = FOwned;
        FOwned = nullptr;
        list->Release();
    }
}

int TRefObject::OwnedCount() const
{
    return FOwned ? FOwned->Count() : 0;
}

// The owned list is taken off the object before it is walked: an owned object
// that removes itself from its owner while dying then finds nothing to remove.
void TRefObject::Destroy()
{
    TPtrList* list = FOwned;
    FOwned = nullptr;
    if (list) {
        for (int i = 0; i < list->Count(); ++i) {
            auto* pair = static_cast<OwnedPair*>(list->Item(i));
            if (pair->proc)
                pair->proc(pair->object);
            delete pair;
        }
        list->Release();
    }
    delete this;
}

void ReleaseObject(TRefObject* object)
{
    if (object)
        object->Release();
}

void AddOwned(TRefObject* owner, TRefObject* object)
{
    if (owner)
        owner->AddOwnedPair(&ReleaseObject, object);
}
