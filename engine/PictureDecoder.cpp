#include "engine/PictureDecoder.h"

#include <algorithm>
#include <new>

#include "engine/PictureFit.h"
#include "engine/PictureOrientation.h"

namespace {

// The orientation tag through the decoder's metadata reader; where the
// system's decoder gives none for the Exif segment, read from the file.
int JpegOrientation(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* frame,
                    const std::wstring& path) {
  GUID container = {};
  if (FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatJpeg) return 1;
  ComPtr<IWICMetadataQueryReader> reader;
  if (SUCCEEDED(frame->GetMetadataQueryReader(reader.Receive())) && reader) {
    PROPVARIANT value;
    PropVariantInit(&value);
    HRESULT hr = reader->GetMetadataByName(L"/app1/ifd/{ushort=274}", &value);
    int orientation = SUCCEEDED(hr) && value.vt == VT_UI2 ? value.uiVal : 0;
    PropVariantClear(&value);
    if (SUCCEEDED(hr)) return orientation >= 1 && orientation <= 8 ? orientation : 1;
  }
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Receive())) ||
      FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_READ)))
    return 1;
  return ReadJpegOrientation(stream.Get());
}

// The stored picture averaged down to width x height, each target pixel the
// mean of the source pixels that fall in it, written where the turn puts it
// in the upright picture. The source is read a few rows at a time, top to
// bottom, as the decoders prefer.
HRESULT AverageDown(IWICBitmapSource* source, UINT sourceWidth, UINT sourceHeight, int width, int height,
                    PictureTurn turn, DecodedPicture* picture) {
  const int uprightWidth = turn.swap ? height : width;
  const int uprightHeight = turn.swap ? width : height;
  std::vector<int> columnOf(sourceWidth);
  std::vector<UINT> columnCount(width, 0);
  for (UINT x = 0; x < sourceWidth; ++x) {
    columnOf[x] = static_cast<int>(static_cast<unsigned long long>(x) * width / sourceWidth);
    ++columnCount[columnOf[x]];
  }
  const UINT stride = sourceWidth * 4;
  const UINT maxRows = (sourceHeight + height - 1) / height;
  // A strip's size must stay countable in the decoders' 32 bits.
  if (static_cast<unsigned long long>(stride) * maxRows > 0x7FFFFFFF) return E_OUTOFMEMORY;
  std::vector<BYTE> rows(static_cast<size_t>(stride) * maxRows);
  std::vector<uint64_t> sums(static_cast<size_t>(width) * 3);  // whatever the picture's size
  picture->pixels.assign(static_cast<size_t>(uprightWidth) * uprightHeight, 0);
  for (int ty = 0; ty < height; ++ty) {
    UINT top = static_cast<UINT>(static_cast<unsigned long long>(ty) * sourceHeight / height);
    UINT bottom = static_cast<UINT>(static_cast<unsigned long long>(ty + 1) * sourceHeight / height);
    UINT count = bottom - top;
    WICRect strip = {0, static_cast<INT>(top), static_cast<INT>(sourceWidth), static_cast<INT>(count)};
    HRESULT hr = source->CopyPixels(&strip, stride, stride * count, rows.data());
    if (FAILED(hr)) return hr;
    std::fill(sums.begin(), sums.end(), 0);
    for (UINT r = 0; r < count; ++r) {
      const BYTE* p = rows.data() + static_cast<size_t>(r) * stride;
      for (UINT x = 0; x < sourceWidth; ++x, p += 4) {
        uint64_t* sum = &sums[static_cast<size_t>(columnOf[x]) * 3];
        sum[0] += p[0];
        sum[1] += p[1];
        sum[2] += p[2];
      }
    }
    for (int tx = 0; tx < width; ++tx) {
      uint64_t n = static_cast<uint64_t>(count) * columnCount[tx];
      const uint64_t* sum = &sums[static_cast<size_t>(tx) * 3];
      uint32_t b = static_cast<uint32_t>((sum[0] + n / 2) / n), g = static_cast<uint32_t>((sum[1] + n / 2) / n),
               r = static_cast<uint32_t>((sum[2] + n / 2) / n);
      int x = turn.swap ? ty : tx;
      int y = turn.swap ? tx : ty;
      if (turn.flipX) x = uprightWidth - 1 - x;
      if (turn.flipY) y = uprightHeight - 1 - y;
      picture->pixels[static_cast<size_t>(y) * uprightWidth + x] = (r << 16) | (g << 8) | b;
    }
  }
  picture->pixelWidth = uprightWidth;
  picture->pixelHeight = uprightHeight;
  return S_OK;
}

}  // namespace

bool CPictureDecoder::Decode(const std::wstring& path, int areaWidth, int areaHeight, DecodedPicture* picture) {
  *picture = DecodedPicture();
  if (!factory_ && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           __uuidof(IWICImagingFactory), reinterpret_cast<void**>(factory_.Receive()))))
    return false;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT sourceWidth = 0, sourceHeight = 0;
  if (FAILED(factory_->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                 decoder.Receive())) ||
      FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(frame->GetSize(&sourceWidth, &sourceHeight)))
    return false;
  if (sourceWidth == 0 || sourceHeight == 0 || sourceWidth > 0xFFFFFF || sourceHeight > 0xFFFFFF) return false;

  PictureTurn turn = TurnForOrientation(JpegOrientation(factory_.Get(), decoder.Get(), frame.Get(), path));
  int uprightWidth = static_cast<int>(turn.swap ? sourceHeight : sourceWidth);
  int uprightHeight = static_cast<int>(turn.swap ? sourceWidth : sourceHeight);
  PictureRect fit = FitPicture(uprightWidth, uprightHeight, areaWidth, areaHeight);
  if (fit.width <= 0) return false;
  bool larger = fit.width < uprightWidth || fit.height < uprightHeight;
  int width = larger ? fit.width : uprightWidth;
  int height = larger ? fit.height : uprightHeight;

  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory_->CreateFormatConverter(converter.Receive())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return false;
  try {
    if (FAILED(AverageDown(converter.Get(), sourceWidth, sourceHeight, turn.swap ? height : width,
                           turn.swap ? width : height, turn, picture))) {
      *picture = DecodedPicture();
      return false;
    }
  } catch (const std::bad_alloc&) {
    *picture = DecodedPicture();
    return false;
  }
  picture->width = uprightWidth;
  picture->height = uprightHeight;
  return true;
}
