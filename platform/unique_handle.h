// A move-only owner for one Win32 handle; the traits say what is invalid and how to close it.
// The owners of the handle kinds used in more than one place follow the template.
#pragma once

#include <windows.h>

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle)
        : m_handle(handle)
    {
    }
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_handle(other.m_handle)
    {
        other.m_handle = Traits::Null();
    }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_handle = other.m_handle;
            other.m_handle = Traits::Null();
        }
        return *this;
    }

    T Get() const { return m_handle; }
    bool IsValid() const { return Traits::IsValid(m_handle); }
    [[nodiscard]] T Release()
    {
        T handle = m_handle;
        m_handle = Traits::Null();
        return handle;
    }
    void Reset()
    {
        if (Traits::IsValid(m_handle))
            Traits::Close(m_handle);
        m_handle = Traits::Null();
    }

private:
    T m_handle = Traits::Null();
};

// Kernel objects: files, processes, threads, events, mutexes. Both null and INVALID_HANDLE_VALUE
// mean none. Closing keeps the last error: an owner often goes out of scope on a failure path
// whose error the caller is about to read.
struct KernelHandleTraits {
    static HANDLE Null() { return nullptr; }
    static bool IsValid(HANDLE handle)
    {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static void Close(HANDLE handle)
    {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
    }
};
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

// An opened or created registry key.
struct RegistryKeyTraits {
    static HKEY Null() { return nullptr; }
    static bool IsValid(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueHandle<HKEY, RegistryKeyTraits>;

// A pen, brush, font or bitmap that the code created or loaded (never a stock object).
template <typename T>
struct GdiObjectTraits {
    static T Null() { return nullptr; }
    static bool IsValid(T object) { return object != nullptr; }
    static void Close(T object) { DeleteObject(object); }
};
template <typename T>
using UniqueGdiObject = UniqueHandle<T, GdiObjectTraits<T>>;

// The screen's device context from GetDC(nullptr).
struct ScreenDcTraits {
    static HDC Null() { return nullptr; }
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { ReleaseDC(nullptr, dc); }
};
using UniqueScreenDc = UniqueHandle<HDC, ScreenDcTraits>;

// A menu that no window holds as its own (a window's menu goes with the window). Destroying it
// keeps the last error, as closing a kernel handle does.
struct MenuTraits {
    static HMENU Null() { return nullptr; }
    static bool IsValid(HMENU menu) { return menu != nullptr; }
    static void Close(HMENU menu)
    {
        const DWORD error = GetLastError();
        DestroyMenu(menu);
        SetLastError(error);
    }
};
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
