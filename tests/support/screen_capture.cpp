// The screen copied through GDI into a bitmap, and that bitmap encoded as PNG by WIC.
#include "tests/support/screen_capture.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <utility>

#include "unique_handle.h"

using Microsoft::WRL::ComPtr;

namespace {

// COM for this thread, for as long as the object lives; a thread already in another
// apartment keeps it and works in it.
class ComInitialization {
public:
    ComInitialization()
        : m_result(CoInitializeEx(nullptr, COINIT_MULTITHREADED))
    {
    }
    ~ComInitialization()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    bool Usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

// The screen's device context, released again on leaving.
class ScreenDc {
public:
    ScreenDc()
        : m_dc(GetDC(nullptr))
    {
    }
    ~ScreenDc()
    {
        if (m_dc)
            ReleaseDC(nullptr, m_dc);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

struct MemoryDcTraits {
    static HDC Null() { return nullptr; }
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

struct BitmapTraits {
    static HBITMAP Null() { return nullptr; }
    static bool IsValid(HBITMAP bitmap) { return bitmap != nullptr; }
    static void Close(HBITMAP bitmap) { DeleteObject(bitmap); }
};
using UniqueBitmap = UniqueHandle<HBITMAP, BitmapTraits>;

// A copy of the screen's pixels in a bitmap of our own; null when the copy failed.
UniqueBitmap CopyScreen(int width, int height)
{
    ScreenDc screen;
    if (!screen.Get())
        return UniqueBitmap();
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory.IsValid() || !bitmap.IsValid())
        return UniqueBitmap();
    HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
    const BOOL copied =
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), 0, 0, SRCCOPY | CAPTUREBLT);
    // WIC reads the bitmap's bits, which it may only do once no DC holds the bitmap.
    SelectObject(memory.Get(), previous);
    return copied ? std::move(bitmap) : UniqueBitmap();
}

HRESULT EncodePng(IWICImagingFactory* factory, IWICBitmapSource* source, const wchar_t* path)
{
    UINT width = 0, height = 0;
    HRESULT hr = source->GetSize(&width, &height);
    ComPtr<IWICStream> stream;
    if (SUCCEEDED(hr))
        hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path, GENERIC_WRITE);
    ComPtr<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    ComPtr<IWICBitmapFrameEncode> frame;
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(width, height);
    // The encoder may settle on another format than the one asked for; convert to whatever it took.
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    ComPtr<IWICBitmapSource> converted;
    if (SUCCEEDED(hr))
        hr = WICConvertBitmapSource(format, source, &converted);
    if (SUCCEEDED(hr))
        hr = frame->WriteSource(converted.Get(), nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    return hr;
}

}  // namespace

bool SaveScreenPng(const wchar_t* path)
{
    ComInitialization com;
    if (!com.Usable())
        return false;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    UniqueBitmap screen = CopyScreen(width, height);
    if (!screen.IsValid())
        return false;

    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory));
    ComPtr<IWICBitmap> bitmap;
    if (SUCCEEDED(hr))
        hr = factory->CreateBitmapFromHBITMAP(screen.Get(), nullptr, WICBitmapIgnoreAlpha, &bitmap);
    if (FAILED(hr))
        return false;
    if (FAILED(EncodePng(factory.Get(), bitmap.Get(), path))) {
        DeleteFileW(path);  // the stream is closed by now: EncodePng released it
        return false;
    }
    return true;
}
