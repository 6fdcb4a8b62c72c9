// Bitmap writers and the temperature text export.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "foundation/ByteOrder.h"

namespace ostrel::alg {

namespace {

using bytes::putU16;
using bytes::putU32;

// BITMAPFILEHEADER + BITMAPINFOHEADER (54 bytes).
void bmpHead(uint8_t* h, uint32_t fileSize, uint32_t dataOffset, int width, int height, int bits) {
  std::memset(h, 0, 54);
  h[0] = 'B';
  h[1] = 'M';
  putU32(h + 2, fileSize);
  putU32(h + 10, dataOffset);
  putU32(h + 14, 40);
  putU32(h + 18, static_cast<uint32_t>(width));
  putU32(h + 22, static_cast<uint32_t>(height));
  putU16(h + 26, 1);
  putU16(h + 28, static_cast<uint16_t>(bits));
}

// A file written under a temporary name beside the target and renamed over it at the end, so a
// failed write never destroys what was there.
class AtomicFile {
 public:
  explicit AtomicFile(const char* path) : path_(path) {
    tmp_ = path_ + ".tmp" + std::to_string(static_cast<long>(getpid())) + "_" +
           std::to_string(reinterpret_cast<uintptr_t>(this));
    file_ = std::fopen(tmp_.c_str(), "wb");
  }
  ~AtomicFile() {
    if (file_) {
      std::fclose(file_);
      std::remove(tmp_.c_str());
    }
  }
  bool opened() const { return file_ != nullptr; }
  bool write(const void* data, size_t bytes) {
    return !failed_ && (failed_ = std::fwrite(data, 1, bytes, file_) != bytes, !failed_);
  }
  // 0, or -197 when any write, the close or the rename failed (the temporary file is removed).
  int commit() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (failed_ || !closed || std::rename(tmp_.c_str(), path_.c_str()) != 0) {
      std::remove(tmp_.c_str());
      return OSTREL_E_WRITE;
    }
    return 0;
  }

 private:
  std::string path_, tmp_;
  FILE* file_ = nullptr;
  bool failed_ = false;
};

// Widest "%3.2f" text of a temperature code / scale + offset: |value| < 32768 + 32768, so at
// most "-65536.00" (9 characters) and a tab.
constexpr size_t kMaxValueText = 16;

// Appends `value` as "%.2f" does in the C locale (correctly rounded, '.' as decimal point).
char* formatTemperature(char* out, char* end, float value) {
  auto r = std::to_chars(out, end, static_cast<double>(value), std::chars_format::fixed, 2);
  return r.ptr;
}

}  // namespace

}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API int Util_SaveBGRA(const void* bgra, int width, int height, const char* path) {
  if (!bgra || !path || width <= 0 || height == 0 || height == INT32_MIN) return OSTREL_E_ARGUMENT;
  const uint64_t data = static_cast<uint64_t>(width) * static_cast<uint64_t>(std::abs(height)) * 4;
  if (data + 54 > UINT32_MAX) return OSTREL_E_ARGUMENT;  // the file size field is 32 bits
  uint8_t head[54];
  bmpHead(head, static_cast<uint32_t>(54 + data), 54, width, height, 32);
  AtomicFile f(path);
  if (!f.opened()) return OSTREL_E_OPEN;
  f.write(head, sizeof head);
  f.write(bgra, data);
  return f.commit();
}

extern "C" OSTREL_API int Util_SaveGRAY(const uint8_t* gray, int width, int height, const char* path,
                                        const void* colorTable) {
  if (!gray || !path || width <= 0 || height == 0 || height == INT32_MIN) return OSTREL_E_ARGUMENT;
  // Rows of a BMP are padded to 4 bytes; the caller's rows are not.
  const uint64_t rows = static_cast<uint64_t>(std::abs(height));
  const uint64_t stride = (static_cast<uint64_t>(width) + 3) & ~uint64_t{3};
  if (1078 + stride * rows > UINT32_MAX) return OSTREL_E_ARGUMENT;
  uint8_t head[1078];
  bmpHead(head, static_cast<uint32_t>(1078 + stride * rows), 1078, width, height, 8);
  if (colorTable) {
    std::memcpy(head + 54, colorTable, 1024);
  } else {
    for (int i = 0; i < 256; ++i) putU32(head + 54 + 4 * i, static_cast<uint32_t>(i * 0x010101));
  }
  AtomicFile f(path);
  if (!f.opened()) return OSTREL_E_OPEN;
  f.write(head, sizeof head);
  const uint8_t pad[4] = {0, 0, 0, 0};
  const size_t padBytes = static_cast<size_t>(stride - static_cast<uint64_t>(width));
  for (uint64_t y = 0; y < rows; ++y) {
    if (!f.write(gray + y * static_cast<uint64_t>(width), static_cast<size_t>(width))) break;
    if (padBytes && !f.write(pad, padBytes)) break;
  }
  return f.commit();
}

extern "C" OSTREL_API int Ostrel_ExportText(const DataFrameHead* head, const int16_t* codes,
                                            const char* path) {
  if (!head || !codes || !path) return OSTREL_E_ARGUMENT;
  const int w = head->width, h = head->height;
  if (w <= 0 || h <= 0 || head->scale == 0 || head->kind != 2) return OSTREL_E_ARGUMENT;
  const size_t capacity = static_cast<size_t>(w) * h * kMaxValueText + static_cast<size_t>(h);
  // Per call: two preview callbacks may export at the same time.
  char* text = static_cast<char*>(algAlloc(capacity));
  if (!text) return OSTREL_E_NO_MEMORY;
  const float scale = static_cast<float>(head->scale), offset = static_cast<float>(head->offset);
  char* p = text;
  char* end = text + capacity;
  for (int y = 0; y < h; ++y) {
    const int16_t* row = codes + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      // The same single-precision value a code-to-degrees table would hold.
      p = formatTemperature(p, end, static_cast<float>(row[x]) / scale + offset);
      *p++ = '\t';
    }
    *p++ = '\n';
  }
  int rc;
  {
    AtomicFile f(path);
    if (!f.opened()) {
      rc = OSTREL_E_OPEN;
    } else {
      f.write(text, static_cast<size_t>(p - text));
      rc = f.commit();
    }
  }
  std::free(text);
  return rc;
}
