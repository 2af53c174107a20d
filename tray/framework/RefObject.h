// Base of every framework object: a reference count and the objects it owns.
#pragma once

#include <functional>

class TPtrList;
class TRefObject;

// What an owner does to an owned object when the owner dies.
using OwnedProc = void (*)(TRefObject* object);

class TRefObject {
public:
    TRefObject() = default;
    TRefObject(const TRefObject&) = delete;
    TRefObject& operator=(const TRefObject&) = delete;

    void Hold();
    void Release();
    int RefCount() const { return FRefCount; }
    bool IsDestroying() const { return FDestroying; }

    // Called once, with the object, when its destruction starts.
    std::function<void(TRefObject*)> OnDestroy;

    void AddOwnedPair(OwnedProc proc, TRefObject* object);
    void RemoveOwned(const TRefObject* object);
    int OwnedCount() const;

protected:
    virtual ~TRefObject() = default;
    // Overrides free what the object holds and then call TRefObject::Destroy,
    // which releases the owned objects and frees the object.
    virtual void Destroy();

private:
    int FRefCount = 0;
    bool FDestroying = false;
    TPtrList* FOwned = nullptr;
};

// The procedure that AddOwned registers: one release.
void ReleaseObject(TRefObject* object);
void AddOwned(TRefObject* owner, TRefObject* object);
