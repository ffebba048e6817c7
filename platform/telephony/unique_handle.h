// A move-only owner for one Win32 handle; the traits say what is invalid and how to close it.
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

// Kernel objects: files, processes, threads, events. Both null and INVALID_HANDLE_VALUE mean none.
struct KernelHandleTraits {
    static HANDLE Null() { return nullptr; }
    static bool IsValid(HANDLE handle)
    {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static void Close(HANDLE handle)
    {
        DWORD error = GetLastError();
        CloseHandle(handle);
        SetLastError(error);
    }
};
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
