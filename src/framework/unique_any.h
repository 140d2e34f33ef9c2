#pragma once
// One move-only owner for every kind of Win32 resource. A Traits type names the
// handle type, its "no handle" value and how to release it.
#include <windows.h>
#include <wininet.h>
#include <utility>

namespace fw {

template <typename Traits>
class UniqueAny {
public:
    using Handle = typename Traits::Handle;

    UniqueAny() noexcept : handle_(Traits::Invalid()) {}
    explicit UniqueAny(Handle h) noexcept : handle_(h) {}
    ~UniqueAny() { Reset(); }

    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : handle_(other.Release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }

    Handle Release() noexcept {
        Handle h = handle_;
        handle_ = Traits::Invalid();
        return h;
    }
    void Reset(Handle h = Traits::Invalid()) noexcept {
        if (handle_ != Traits::Invalid()) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_;
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct KernelHandleTraits {  // threads, events: "no handle" is null
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::InternetCloseHandle(h); }
};
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
struct MemoryDcTraits {  // DCs from CreateCompatibleDC
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};
struct ModuleTraits {  // modules from LoadLibrary
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};
struct GlobalTraits {
    using Handle = HGLOBAL;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::GlobalFree(h); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyIcon(h); }
};

using UniqueFile = UniqueAny<FileHandleTraits>;
using UniqueKernelHandle = UniqueAny<KernelHandleTraits>;
using UniqueInternet = UniqueAny<InternetHandleTraits>;
using UniqueGdiObject = UniqueAny<GdiObjectTraits>;
using UniqueMemoryDc = UniqueAny<MemoryDcTraits>;
using UniqueModule = UniqueAny<ModuleTraits>;
using UniqueGlobal = UniqueAny<GlobalTraits>;

// A DC from GetDC must go back through ReleaseDC with the same window.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() { if (dc_) ::ReleaseDC(hwnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Puts the previous object back into a DC when the scope ends.
class SelectionRestorer {
public:
    SelectionRestorer(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), previous_(::SelectObject(dc, obj)) {}
    ~SelectionRestorer() { if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_); }
    SelectionRestorer(const SelectionRestorer&) = delete;
    SelectionRestorer& operator=(const SelectionRestorer&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// COM interface pointer with one reference.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) { Reset(); p_ = o.p_; o.p_ = nullptr; }
        return *this;
    }
    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T** Put() noexcept { Reset(); return &p_; }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void Reset() noexcept { if (p_) { p_->Release(); p_ = nullptr; } }

private:
    T* p_ = nullptr;
};

// Balances a successful CoInitialize on this thread.
class ComScope {
public:
    ComScope() noexcept : hr_(::CoInitialize(nullptr)) {}
    ~ComScope() { if (SUCCEEDED(hr_)) ::CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Ok() const noexcept { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

// Enter/leave a critical section, on every path.
class CriticalSection {
public:
    CriticalSection() noexcept { ::InitializeCriticalSection(&cs_); }
    ~CriticalSection() { ::DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() noexcept { ::EnterCriticalSection(&cs_); }
    void Leave() noexcept { ::LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
};

class Lock {
public:
    explicit Lock(CriticalSection& cs) noexcept : cs_(cs) { cs_.Enter(); }
    ~Lock() { cs_.Leave(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CriticalSection& cs_;
};

}  // namespace fw
