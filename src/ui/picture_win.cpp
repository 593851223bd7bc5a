#include "ui/picture_win.h"

#include <objbase.h>
#include <wincodec.h>

namespace doumteo::ui {

namespace {
template <class T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};
}  // namespace

HBITMAP loadPicture(int resourceId) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!res) return nullptr;
  const auto* data = static_cast<BYTE*>(LockResource(LoadResource(self, res)));
  const DWORD size = SizeofResource(self, res);
  if (!data || !size) return nullptr;

  // Balanced per call; the program initialises COM for good elsewhere if it
  // needs it, and a second initialisation is counted.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HBITMAP result = nullptr;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(factory.out()))) &&
        SUCCEEDED(factory->CreateStream(stream.out())) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(data), size)) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnLoad, decoder.out())) &&
        SUCCEEDED(decoder->GetFrame(0, frame.out())) && SUCCEEDED(factory->CreateFormatConverter(converter.out())) &&
        SUCCEEDED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                        WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&w, &h))) {
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof bi.bmiHeader;
      bi.bmiHeader.biWidth = static_cast<LONG>(w);
      bi.bmiHeader.biHeight = -static_cast<LONG>(h);
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      bi.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (dib && SUCCEEDED(converter->CopyPixels(nullptr, w * 4, w * h * 4, static_cast<BYTE*>(bits)))) {
        result = dib;
      } else if (dib) {
        DeleteObject(dib);
      }
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return result;
}

}  // namespace doumteo::ui
