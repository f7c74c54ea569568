#include "platform/win32/png_image.h"

#include <wincodec.h>

#include <algorithm>
#include <cmath>

#include "platform/win32/com_ptr.h"

namespace platform::win32 {

Picture LoadPngResource(int id, double scale) {
  Picture picture;
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = found ? ::SizeofResource(module, found) : 0;
  if (data == nullptr || size == 0) return picture;

  ComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out())))) {
    return picture;
  }
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  ComPtr<IWICBitmapScaler> scaler;
  UINT width = 0, height = 0;
  if (FAILED(factory->CreateStream(stream.Out())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Out())) ||
      FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height)) ||
      FAILED(factory->CreateFormatConverter(converter.Out())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return picture;
  }
  UINT scaled_width = std::max(1u, static_cast<UINT>(std::lround(width * scale)));
  UINT scaled_height = std::max(1u, static_cast<UINT>(std::lround(height * scale)));
  IWICBitmapSource* source = converter.get();
  if ((scaled_width != width || scaled_height != height) &&
      SUCCEEDED(factory->CreateBitmapScaler(scaler.Out())) &&
      SUCCEEDED(scaler->Initialize(converter.get(), scaled_width, scaled_height,
                                   WICBitmapInterpolationModeFant))) {
    source = scaler.get();
  } else {
    scaled_width = width;
    scaled_height = height;
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(scaled_width);
  info.bmiHeader.biHeight = -static_cast<LONG>(scaled_height);  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return picture;
  const UINT stride = scaled_width * 4;
  if (FAILED(source->CopyPixels(nullptr, stride, stride * scaled_height, static_cast<BYTE*>(bits)))) {
    return picture;
  }
  picture.bitmap = std::move(bitmap);
  picture.width = static_cast<int>(scaled_width);
  picture.height = static_cast<int>(scaled_height);
  return picture;
}

}  // namespace platform::win32
