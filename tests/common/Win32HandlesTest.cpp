#include "Win32Handles.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// A handle that has been closed is refused by the kernel.
bool Closed(HANDLE handle)
{
    SetLastError(0);
    return WaitForSingleObject(handle, 0) == WAIT_FAILED && GetLastError() == ERROR_INVALID_HANDLE;
}

TEST(Win32Handles, FailedFileOpenHoldsNothingAndAnEmptyKernelOwnerIsFalse)
{
    TFileHandle file(CreateFileW(L"C:\\no such folder\\none.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(file.Get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file);
    TKernelHandle none;
    EXPECT_EQ(none.Get(), nullptr);
    EXPECT_FALSE(none);
}

TEST(Win32Handles, MovedHandleIsClosedOnceByItsLastOwner)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    {
        TKernelHandle last;
        {
            TKernelHandle first(event);
            TKernelHandle second(std::move(first));
            EXPECT_FALSE(first);
            last = std::move(second);
            EXPECT_FALSE(second);
        }
        EXPECT_EQ(last.Get(), event);
        EXPECT_FALSE(Closed(event)) << "the moved-from owners must not close it";
    }
    EXPECT_TRUE(Closed(event)) << "the last owner closes it";
}

TEST(Win32Handles, AssigningOverAnOwnerClosesWhatItHeld)
{
    HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE b = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(a && b);
    TKernelHandle owner(a);
    TKernelHandle other(b);
    owner = std::move(other);
    EXPECT_TRUE(Closed(a));
    EXPECT_FALSE(Closed(b));
    owner.Reset();
    EXPECT_TRUE(Closed(b));
}

TEST(Win32Handles, SelectionScopePutsThePreviousObjectBack)
{
    TMemoryDCHandle dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_FONT);
    TFontHandle font(CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    ASSERT_TRUE(font);
    {
        TSelectObjectScope selection(dc.Get(), font.Get());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), original);
    const HFONT raw = font.Get();
    font.Reset();
    EXPECT_EQ(GetObjectType(raw), 0u) << "the owner deletes the font";
}

TEST(Win32Handles, RegistryKeyPutReleasesTheOldKeyFirst)
{
    TRegKeyHandle key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
    ASSERT_TRUE(key);
    const HKEY first = key.Get();
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyW(first, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    HKEY* slot = key.Put();
    EXPECT_EQ(*slot, nullptr);
    EXPECT_FALSE(key);
    EXPECT_EQ(RegQueryInfoKeyW(first, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_INVALID_HANDLE);
}

}  // namespace
