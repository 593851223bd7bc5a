#include "ui/picture_win.h"

#include <objbase.h>
#include <wincodec.h>

#include <utility>

namespace doumteo::ui {

UniqueBitmap loadPicture(int resourceId) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!res) return nullptr;
  const auto* data = static_cast<BYTE*>(LockResource(LoadResource(self, res)));
  const DWORD size = SizeofResource(self, res);
  if (!data || !size) return nullptr;

  // Balanced per call; the program initialises COM for good elsewhere if it
  // needs it, and a second initialisation is counted.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  UniqueBitmap result;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   factory.putVoid())) &&
        SUCCEEDED(factory->CreateStream(stream.put())) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(data), size)) &&
        SUCCEEDED(
            factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.put())) &&
        SUCCEEDED(decoder->GetFrame(0, frame.put())) && SUCCEEDED(factory->CreateFormatConverter(converter.put())) &&
        SUCCEEDED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
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
      UniqueBitmap dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
      if (dib && SUCCEEDED(converter->CopyPixels(nullptr, w * 4, w * h * 4, static_cast<BYTE*>(bits))))
        result = std::move(dib);
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return result;
}

}  // namespace doumteo::ui
