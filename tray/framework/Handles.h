// Owners for the Win32 resources the tray helper uses: each type releases
// what it holds when it goes out of scope, with the one function that
// matches how the resource was made. No other file of the helper closes
// handles, keys, internet handles, modules, icons or GDI objects by hand.
// Any thread may use them; an owner itself is not shared between threads.
//
// The helper shares no code with the main program, so it has this header of
// its own. It speaks WinINet (wininet.h), never WinHTTP: the two headers
// cannot be included together.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wininet.h>

#include <utility>

// A unique owner of one resource. Traits give the resource's type, its
// "nothing held" value and the function that releases it:
//   struct Traits { using Type = ...; static Type Invalid(); static void Close(Type); };
template <class Traits>
class TUniqueResource {
public:
    using Type = typename Traits::Type;

    TUniqueResource() noexcept = default;
    explicit TUniqueResource(Type value) noexcept : FValue(value) {}
    ~TUniqueResource() { Reset(); }

    TUniqueResource(TUniqueResource&& other) noexcept : FValue(other.Release()) {}
    TUniqueResource& operator=(TUniqueResource&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    TUniqueResource(const TUniqueResource&) = delete;
    TUniqueResource& operator=(const TUniqueResource&) = delete;

    Type Get() const noexcept { return FValue; }
    explicit operator bool() const noexcept { return FValue != Traits::Invalid(); }

    // Gives the resource up without releasing it.
    Type Release() noexcept { return std::exchange(FValue, Traits::Invalid()); }
    // Releases what is held and takes `value` instead.
    void Reset(Type value = Traits::Invalid()) noexcept
    {
        Type old = std::exchange(FValue, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }
    // For functions that write the new resource into an out parameter
    // (RegOpenKeyExW and the like): releases what is held first.
    Type* Put() noexcept
    {
        Reset();
        return &FValue;
    }

private:
    Type FValue = Traits::Invalid();
};

namespace HandleTraits {

// Most kernel objects (processes, threads, events, mutexes) are null on
// failure; files are INVALID_HANDLE_VALUE. The two are kept apart so that a
// failed CreateFileW never counts as a handle.
struct Kernel {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};
struct File {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};
struct RegKey {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { RegCloseKey(h); }
};
struct Internet {
    using Type = HINTERNET;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { InternetCloseHandle(h); }
};
struct Module {
    using Type = HMODULE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { FreeLibrary(h); }
};
struct Icon {
    using Type = HICON;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DestroyIcon(h); }
};
template <class T>
struct GdiObject {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DeleteObject(h); }
};
struct MemoryDC {
    using Type = HDC;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DeleteDC(h); }
};

}  // namespace HandleTraits

using TKernelHandle = TUniqueResource<HandleTraits::Kernel>;
using TFileHandle = TUniqueResource<HandleTraits::File>;
using TRegKeyHandle = TUniqueResource<HandleTraits::RegKey>;
using TInternetHandle = TUniqueResource<HandleTraits::Internet>;
using TModuleHandle = TUniqueResource<HandleTraits::Module>;
using TIconHandle = TUniqueResource<HandleTraits::Icon>;
using TBrushHandle = TUniqueResource<HandleTraits::GdiObject<HBRUSH>>;
using TPenHandle = TUniqueResource<HandleTraits::GdiObject<HPEN>>;
using TFontHandle = TUniqueResource<HandleTraits::GdiObject<HFONT>>;
using TBitmapHandle = TUniqueResource<HandleTraits::GdiObject<HBITMAP>>;
using TRegionHandle = TUniqueResource<HandleTraits::GdiObject<HRGN>>;
using TMemoryDCHandle = TUniqueResource<HandleTraits::MemoryDC>;

// Selects an object into a DC for the scope and puts the previous one back.
// The object must outlive the scope: declare its owner first.
class TSelectObjectScope {
public:
    TSelectObjectScope(HDC dc, HGDIOBJ object) noexcept : FDc(dc), FOld(object ? SelectObject(dc, object) : nullptr) {}
    ~TSelectObjectScope()
    {
        if (FOld)
            SelectObject(FDc, FOld);
    }
    TSelectObjectScope(const TSelectObjectScope&) = delete;
    TSelectObjectScope& operator=(const TSelectObjectScope&) = delete;

private:
    HDC FDc;
    HGDIOBJ FOld;
};

// BeginPaint/EndPaint of a WM_PAINT.
class TPaintScope {
public:
    explicit TPaintScope(HWND window) noexcept : FWindow(window), FDc(BeginPaint(window, &FPaint)) {}
    ~TPaintScope() { EndPaint(FWindow, &FPaint); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;

    HDC DC() const noexcept { return FDc; }
    const PAINTSTRUCT& Paint() const noexcept { return FPaint; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDc;
};

// GetDC/ReleaseDC of a window, or of the screen for a null window.
class TWindowDCScope {
public:
    explicit TWindowDCScope(HWND window) noexcept : FWindow(window), FDc(GetDC(window)) {}
    ~TWindowDCScope()
    {
        if (FDc)
            ReleaseDC(FWindow, FDc);
    }
    TWindowDCScope(const TWindowDCScope&) = delete;
    TWindowDCScope& operator=(const TWindowDCScope&) = delete;

    HDC DC() const noexcept { return FDc; }
    explicit operator bool() const noexcept { return FDc != nullptr; }

private:
    HWND FWindow;
    HDC FDc;
};

// COM for the calling thread. A thread that already has COM in another
// apartment mode (RPC_E_CHANGED_MODE) may still use it, but must not
// uninitialise it: only a successful call is balanced.
class TComScope {
public:
    explicit TComScope(DWORD mode = COINIT_APARTMENTTHREADED) noexcept : FResult(CoInitializeEx(nullptr, mode)) {}
    ~TComScope()
    {
        if (SUCCEEDED(FResult))
            CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

    HRESULT Result() const noexcept { return FResult; }
    // COM is usable on this thread (initialised here or before, in any mode).
    bool Usable() const noexcept { return SUCCEEDED(FResult) || FResult == RPC_E_CHANGED_MODE; }

private:
    HRESULT FResult;
};
