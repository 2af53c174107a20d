#include "PtrList.h"
#include "RefObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records, in order, the names of objects whose destruction started.
struct DestroyLog {
    std::vector<std::string> names;

    TRefObject* Make(const std::string& name)
    {
        auto* object = new TRefObject();
        object->OnDestroy = [this, name](TRefObject*) { names.push_back(name); };
        return object;
    }
};

TEST(TRefObject, FreshObjectDiesAtItsFirstRelease)
{
    DestroyLog log;
    TRefObject* object = log.Make("a");
    EXPECT_EQ(object->RefCount(), 0);
    object->Release();
    EXPECT_EQ(log.names, std::vector<std::string>{"a"});
}

TEST(TRefObject, EachHoldKeepsItAliveForOneRelease)
{
    DestroyLog log;
    TRefObject* object = log.Make("a");
    object->Hold();
    object->Hold();
    EXPECT_EQ(object->RefCount(), 4);
    object->Release();
    object->Release();
    EXPECT_TRUE(log.names.empty());
    EXPECT_EQ(object->RefCount(), 0);
    object->Release();
    EXPECT_EQ(log.names, std::vector<std::string>{"a"});
}

TEST(TRefObject, OwnerNotifiesThenReleasesOwnedObjectsInRegistrationOrder)
{
    DestroyLog log;
    TRefObject* owner = log.Make("owner");
    static std::vector<std::string>* custom = nullptr;
    std::vector<std::string> customCalls;
    custom = &customCalls;

    AddOwned(owner, log.Make("first"));
    owner->AddOwnedPair([](TRefObject*) { custom->push_back("custom"); }, log.Make("kept"));
    AddOwned(owner, log.Make("third"));
    EXPECT_EQ(owner->OwnedCount(), 3);

    owner->Release();
    // The pair with its own procedure is not released by the owner.
    EXPECT_EQ(log.names, (std::vector<std::string>{"owner", "first", "third"}));
    EXPECT_EQ(customCalls, std::vector<std::string>{"custom"});
}

TEST(TRefObject, RemovedObjectIsNotReleasedByItsOwner)
{
    DestroyLog log;
    TRefObject* owner = log.Make("owner");
    TRefObject* object = log.Make("object");
    AddOwned(owner, object);
    owner->RemoveOwned(object);
    EXPECT_EQ(owner->OwnedCount(), 0);
    owner->Release();
    EXPECT_EQ(log.names, std::vector<std::string>{"owner"});
    object->Release();
    EXPECT_EQ(log.names, (std::vector<std::string>{"owner", "object"}));
}

TEST(TRefObject, OwnedObjectHeldElsewhereOutlivesItsOwner)
{
    DestroyLog log;
    TRefObject* owner = log.Make("owner");
    TRefObject* object = log.Make("object");
    AddOwned(owner, object);
    object->Hold();
    owner->Release();
    EXPECT_EQ(log.names, std::vector<std::string>{"owner"});
    object->Release();
    EXPECT_EQ(log.names, (std::vector<std::string>{"owner", "object"}));
}

// An owned object that removes itself from its owner while the owner dies
// must not make the owner skip (or twice release) the others.
TEST(TRefObject, OwnedObjectLeavingItsDyingOwnerDoesNotDisturbTheOthers)
{
    DestroyLog log;
    TRefObject* owner = log.Make("owner");
    TRefObject* leaving = log.Make("leaving");
    leaving->OnDestroy = [&](TRefObject* self) {
        log.names.push_back("leaving");
        owner->RemoveOwned(self);
    };
    AddOwned(owner, leaving);
    AddOwned(owner, log.Make("second"));
    AddOwned(owner, log.Make("third"));
    owner->Release();
    EXPECT_EQ(log.names, (std::vector<std::string>{"owner", "leaving", "second", "third"}));
}

TEST(TPtrList, GrowsByItsStep)
{
    TPtrList* list = MakeList();
    EXPECT_EQ(list->GrowthStep(), 4);
    const int expected[] = {4, 4, 4, 4, 8, 8, 8, 8, 12};
    int item = 0;
    for (int capacity : expected) {
        list->Add(&item);
        EXPECT_EQ(list->Capacity(), capacity) << "count " << list->Count();
    }
    list->Release();
}

TEST(TPtrList, WithoutStepGrowsByAQuarterOfItsCount)
{
    for (int step : {0, -3}) {
        auto* list = new TPtrList(step);
        const int expected[] = {1, 2, 3, 4, 6, 6, 8, 8, 11, 11, 11, 14};
        int item = 0;
        for (int capacity : expected) {
            list->Add(&item);
            EXPECT_EQ(list->Capacity(), capacity) << "step " << step << ", count " << list->Count();
        }
        list->Release();
    }
}

TEST(TPtrList, GrowthStopsAtAThousandItemsAtATime)
{
    auto* list = new TPtrList(0);
    int item = 0;
    while (list->Capacity() < 5000)
        list->Add(&item);
    while (list->Count() < list->Capacity())
        list->Add(&item);
    int before = list->Capacity();
    list->Add(&item);
    EXPECT_EQ(list->Capacity() - before, 1000);
    list->Release();
}

TEST(TPtrList, InsertDeleteAndFind)
{
    int a = 0, b = 0, c = 0, d = 0;
    TPtrList* list = MakeList();
    list->Add(&a);
    list->Add(&c);
    list->Insert(1, &b);
    list->Insert(3, &d);
    list->Insert(9, &d);   // outside 0..count: ignored
    list->Insert(-1, &d);
    ASSERT_EQ(list->Count(), 4);
    EXPECT_EQ(list->Item(0), &a);
    EXPECT_EQ(list->Item(1), &b);
    EXPECT_EQ(list->Item(2), &c);
    EXPECT_EQ(list->Item(3), &d);
    EXPECT_EQ(list->Item(4), nullptr);
    EXPECT_EQ(list->Item(-1), nullptr);

    list->Add(&b);
    EXPECT_EQ(list->IndexOf(&b), 1);  // first match
    EXPECT_EQ(list->IndexOf(&list), -1);
    list->Remove(&b);
    EXPECT_EQ(list->IndexOf(&b), 3);
    list->DeleteRange(2, 10);  // runs past the end: up to the end
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Item(1), &c);
    list->DeleteRange(5, 1);
    EXPECT_EQ(list->Count(), 2);
    list->Release();
}

}  // namespace
