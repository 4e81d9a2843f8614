#include "support/MediaFixtures.h"

#include <objbase.h>
#include <wincodec.h>

#include <cmath>
#include <vector>

#include "platform/ComPtr.h"

namespace {

uint32_t Crc32(const std::string& data, size_t from = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < data.size(); ++i) crc = table[(crc ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutBig32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void PutLittle(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i));
}

void PngChunk(std::string& png, const char* type, const std::string& data) {
  PutBig32(png, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  PutBig32(png, Crc32(body));
}

// zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
  std::string out = "\x78\x01";
  size_t pos = 0;
  do {
    size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    bool last = pos + n == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    PutLittle(out, static_cast<uint32_t>(n), 2);
    PutLittle(out, static_cast<uint32_t>(~n & 0xFFFF), 2);
    out.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(out, (b << 16) | a);
  return out;
}

// A RIFF chunk (or, with a list type, a LIST) padded to an even size.
std::string RiffChunk(const char* id, const std::string& data, const char* listType = nullptr) {
  std::string body = listType ? std::string(listType, 4) + data : data;
  std::string chunk(id, 4);
  PutLittle(chunk, static_cast<uint32_t>(body.size()), 4);
  chunk += body;
  if (body.size() % 2) chunk += '\0';
  return chunk;
}

std::string AviStreamHeader(const char* type, const char* handler, uint32_t scale, uint32_t rate, uint32_t length,
                            uint32_t bufferSize, uint32_t sampleSize, int width, int height) {
  std::string strh(type, 4);
  strh.append(handler, 4);
  PutLittle(strh, 0, 4);  // flags
  PutLittle(strh, 0, 4);  // priority, language
  PutLittle(strh, 0, 4);  // initial frames
  PutLittle(strh, scale, 4);
  PutLittle(strh, rate, 4);
  PutLittle(strh, 0, 4);  // start
  PutLittle(strh, length, 4);
  PutLittle(strh, bufferSize, 4);
  PutLittle(strh, 0xFFFFFFFFu, 4);  // quality: default
  PutLittle(strh, sampleSize, 4);
  PutLittle(strh, 0, 4);  // frame: left, top
  PutLittle(strh, static_cast<uint32_t>(width), 2);
  PutLittle(strh, static_cast<uint32_t>(height), 2);
  return strh;
}

// Digits 0-9 in a 5x7 grid, one row of five bits per byte.
const uint8_t kDigits[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};

std::string EncodePng(int width, int height, const std::vector<uint32_t>& pixels) {
  std::string raw;
  raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < width; ++x) {
      uint32_t c = pixels[static_cast<size_t>(y) * width + x];
      raw += static_cast<char>(c >> 16);
      raw += static_cast<char>(c >> 8);
      raw += static_cast<char>(c);
    }
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBig32(header, static_cast<uint32_t>(width));
  PutBig32(header, static_cast<uint32_t>(height));
  header += "\x08\x02";  // 8 bits, RGB
  header += std::string("\0\0\0", 3);
  PngChunk(png, "IHDR", header);
  PngChunk(png, "IDAT", StoredZlib(raw));
  PngChunk(png, "IEND", std::string());
  return png;
}

void PutBig16(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

// Numbers of the Exif structure in its own byte order.
void PutExif(std::string& out, uint32_t v, int bytes, bool bigEndian) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * (bigEndian ? bytes - 1 - i : i)));
}

// Makes COM usable on this thread for the call, as far as it is not already.
class ComForCall {
 public:
  ComForCall() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComForCall() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }

 private:
  HRESULT hr_;
};

std::string EncodeJpeg(int width, int height, const std::vector<uint32_t>& pixels) {
  ComForCall com;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                              reinterpret_cast<void**>(factory.Receive()))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive())) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Receive())) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Receive(), options.Receive())))
    return std::string();
  PROPBAG2 quality = {};
  quality.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
  VARIANT best;
  VariantInit(&best);
  best.vt = VT_R4;
  best.fltVal = 1.0f;
  options->Write(1, &quality, &best);  // an encoder without the option keeps its own
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->Initialize(options.Get())) || FAILED(frame->SetSize(width, height)) ||
      FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
    return std::string();
  const UINT stride = static_cast<UINT>(width) * 3;
  std::vector<BYTE> rows(static_cast<size_t>(stride) * height);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    rows[i * 3] = static_cast<BYTE>(pixels[i]);
    rows[i * 3 + 1] = static_cast<BYTE>(pixels[i] >> 8);
    rows[i * 3 + 2] = static_cast<BYTE>(pixels[i] >> 16);
  }
  if (FAILED(frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()))
    return std::string();
  STATSTG stat = {};
  HGLOBAL memory = nullptr;
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream.Get(), &memory)))
    return std::string();
  const char* bytes = static_cast<const char*>(GlobalLock(memory));
  std::string jpeg(bytes, static_cast<size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return jpeg;
}

}  // namespace

std::string ExifOrientationSegment(int orientation, bool bigEndian) {
  std::string tiff = bigEndian ? "MM" : "II";
  PutExif(tiff, 42, 2, bigEndian);
  PutExif(tiff, 8, 4, bigEndian);       // the first directory follows the header
  PutExif(tiff, 1, 2, bigEndian);       // one entry
  PutExif(tiff, 0x0112, 2, bigEndian);  // Orientation
  PutExif(tiff, 3, 2, bigEndian);       // SHORT
  PutExif(tiff, 1, 4, bigEndian);
  PutExif(tiff, static_cast<uint32_t>(orientation), 2, bigEndian);
  PutExif(tiff, 0, 2, bigEndian);
  PutExif(tiff, 0, 4, bigEndian);  // no further directory
  std::string body = std::string("Exif\0\0", 6) + tiff;
  std::string segment = "\xFF\xE1";
  PutBig16(segment, static_cast<uint32_t>(body.size() + 2));
  return segment + body;
}

std::vector<uint32_t> QuarterPixels(int width, int height, const uint32_t quarters[4]) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] = quarters[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
  return pixels;
}

std::string MakeJpeg(int width, int height, const std::vector<uint32_t>& pixels, int orientation, bool bigEndian) {
  std::string jpeg = EncodeJpeg(width, height, pixels);
  if (jpeg.size() < 2 || orientation == 0) return jpeg;
  return jpeg.substr(0, 2) + ExifOrientationSegment(orientation, bigEndian) + jpeg.substr(2);
}

std::string MakePixelsPng(int width, int height, const std::vector<uint32_t>& pixels) {
  return EncodePng(width, height, pixels);
}

std::string MakePng(int width, int height, uint32_t rgb, uint32_t bandRgb) {
  return MakeNumberedPng(width, height, rgb, bandRgb, -1);
}

std::string MakeNumberedPng(int width, int height, uint32_t rgb, uint32_t bandRgb, int number) {
  return EncodePng(width, height, NumberedPixels(width, height, rgb, bandRgb, number));
}

std::vector<uint32_t> NumberedPixels(int width, int height, uint32_t rgb, uint32_t bandRgb, int number) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    bool band = y >= height / 3 && y < 2 * height / 3;
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = band ? bandRgb : rgb;
  }
  if (number >= 0) {
    std::string digits = std::to_string(number);
    int cell = height / 12 > 0 ? height / 12 : 1;  // one font pixel
    int textWidth = static_cast<int>(digits.size()) * 6 * cell - cell;
    int left = (width - textWidth) / 2, top = (height - 7 * cell) / 2;
    for (size_t d = 0; d < digits.size(); ++d)
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col) {
          if (!(kDigits[digits[d] - '0'][row] & (0x10 >> col))) continue;
          for (int dy = 0; dy < cell; ++dy)
            for (int dx = 0; dx < cell; ++dx) {
              int x = left + static_cast<int>(d) * 6 * cell + col * cell + dx, y = top + row * cell + dy;
              if (x >= 0 && x < width && y >= 0 && y < height) pixels[static_cast<size_t>(y) * width + x] = 0xFFFFFF;
            }
        }
  }
  return pixels;
}

std::string MakeWav(double seconds, int sampleRate, double frequency) {
  uint32_t samples = static_cast<uint32_t>(seconds * sampleRate);
  std::string wav = "RIFF";
  PutLittle(wav, 36 + samples * 2, 4);
  wav += "WAVEfmt ";
  PutLittle(wav, 16, 4);
  PutLittle(wav, 1, 2);  // PCM
  PutLittle(wav, 1, 2);  // mono
  PutLittle(wav, static_cast<uint32_t>(sampleRate), 4);
  PutLittle(wav, static_cast<uint32_t>(sampleRate * 2), 4);
  PutLittle(wav, 2, 2);
  PutLittle(wav, 16, 2);
  wav += "data";
  PutLittle(wav, samples * 2, 4);
  for (uint32_t i = 0; i < samples; ++i) {
    double s = std::sin(2.0 * 3.14159265358979 * frequency * i / sampleRate);
    PutLittle(wav, static_cast<uint32_t>(static_cast<int16_t>(s * 12000)) & 0xFFFF, 2);
  }
  return wav;
}

std::string MakeY4m(int width, int height, int frames, int fps, uint8_t y, uint8_t u, uint8_t v) {
  std::string clip = "YUV4MPEG2 W" + std::to_string(width) + " H" + std::to_string(height) + " F" +
                     std::to_string(fps) + ":1 Ip A1:1 C420jpeg\n";
  int chromaW = (width + 1) / 2, chromaH = (height + 1) / 2;
  for (int f = 0; f < frames; ++f) {
    clip += "FRAME\n";
    int bar = frames > 1 ? f * (width - width / 8) / (frames - 1) : 0;
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col)
        clip += static_cast<char>(col >= bar && col < bar + width / 8 ? 235 : y);
    clip.append(static_cast<size_t>(chromaW) * chromaH, static_cast<char>(u));
    clip.append(static_cast<size_t>(chromaW) * chromaH, static_cast<char>(v));
  }
  return clip;
}

std::string MakeAvi(int width, int height, int frames, int fps, uint32_t rgb, int sampleRate, double frequency) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t frameBytes = stride * static_cast<uint32_t>(height);
  const uint32_t samplesPerFrame = static_cast<uint32_t>(sampleRate / fps);
  std::string frame(frameBytes, '\0');
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      size_t at = static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;  // blue, green, red
      frame[at] = static_cast<char>(rgb);
      frame[at + 1] = static_cast<char>(rgb >> 8);
      frame[at + 2] = static_cast<char>(rgb >> 16);
    }

  std::string avih;
  PutLittle(avih, 1000000u / static_cast<uint32_t>(fps), 4);
  PutLittle(avih, frameBytes * fps + static_cast<uint32_t>(sampleRate) * 2, 4);
  PutLittle(avih, 0, 4);
  PutLittle(avih, 0x110, 4);  // has an index, interleaved
  PutLittle(avih, static_cast<uint32_t>(frames), 4);
  PutLittle(avih, 0, 4);
  PutLittle(avih, 2, 4);  // streams
  PutLittle(avih, frameBytes, 4);
  PutLittle(avih, static_cast<uint32_t>(width), 4);
  PutLittle(avih, static_cast<uint32_t>(height), 4);
  avih.append(16, '\0');

  std::string bitmap;  // BITMAPINFOHEADER, bottom-up rows
  PutLittle(bitmap, 40, 4);
  PutLittle(bitmap, static_cast<uint32_t>(width), 4);
  PutLittle(bitmap, static_cast<uint32_t>(height), 4);
  PutLittle(bitmap, 1, 2);
  PutLittle(bitmap, 24, 2);
  PutLittle(bitmap, 0, 4);  // BI_RGB
  PutLittle(bitmap, frameBytes, 4);
  bitmap.append(16, '\0');

  std::string wave;  // WAVEFORMATEX, PCM
  PutLittle(wave, 1, 2);
  PutLittle(wave, 1, 2);
  PutLittle(wave, static_cast<uint32_t>(sampleRate), 4);
  PutLittle(wave, static_cast<uint32_t>(sampleRate) * 2, 4);
  PutLittle(wave, 2, 2);
  PutLittle(wave, 16, 2);
  PutLittle(wave, 0, 2);

  const uint32_t samples = samplesPerFrame * static_cast<uint32_t>(frames);
  std::string header =
      RiffChunk("avih", avih) +
      RiffChunk("LIST",
                RiffChunk("strh", AviStreamHeader("vids", "DIB ", 1, static_cast<uint32_t>(fps),
                                                  static_cast<uint32_t>(frames), frameBytes, 0, width, height)) +
                    RiffChunk("strf", bitmap),
                "strl") +
      RiffChunk("LIST",
                RiffChunk("strh", AviStreamHeader("auds", "\0\0\0\0", 1, static_cast<uint32_t>(sampleRate), samples,
                                                  samplesPerFrame * 2, 2, 0, 0)) +
                    RiffChunk("strf", wave),
                "strl");

  // Each frame with its share of the tone; the index gives offsets from the
  // "movi" list type.
  std::string movi, index;
  uint32_t sample = 0;
  for (int f = 0; f < frames; ++f) {
    std::string sound;
    for (uint32_t i = 0; i < samplesPerFrame; ++i, ++sample) {
      double s = std::sin(2.0 * 3.14159265358979 * frequency * sample / sampleRate);
      PutLittle(sound, static_cast<uint32_t>(static_cast<int16_t>(s * 12000)) & 0xFFFF, 2);
    }
    const struct {
      const char* id;
      const std::string* data;
    } chunks[] = {{"00db", &frame}, {"01wb", &sound}};
    for (const auto& chunk : chunks) {
      index.append(chunk.id, 4);
      PutLittle(index, 0x10, 4);  // key frame
      PutLittle(index, static_cast<uint32_t>(movi.size() + 4), 4);
      PutLittle(index, static_cast<uint32_t>(chunk.data->size()), 4);
      movi += RiffChunk(chunk.id, *chunk.data);
    }
  }
  return RiffChunk("RIFF",
                   RiffChunk("LIST", header, "hdrl") + RiffChunk("LIST", movi, "movi") + RiffChunk("idx1", index),
                   "AVI ");
}
