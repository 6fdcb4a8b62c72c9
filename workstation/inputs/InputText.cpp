#include "inputs/InputText.h"

#include <cstdio>
#include <cstring>

#include "OstrelSDK.h"
#include "foundation/Helpers.h"

namespace {

// Index of the first `c` in [from, end) or -1.
int findByte(const char* text, int from, int end, char c) {
  for (int i = from; i < end; ++i)
    if (text[i] == c) return i;
  return -1;
}

QString utf8(const char* text, int begin, int end) {
  return QString::fromUtf8(text + begin, end - begin);
}

}  // namespace

IdentityParts splitCameraIdentity(const char (&cameraId)[32], const char (&cameraType)[16]) {
  IdentityParts out;
  const int p = (cameraId[5] >= '0' && cameraId[5] <= '9') ? 5 : 6;
  const int n = findByte(cameraId, p, 32, 'N');
  const int z = n < 0 ? -1 : findByte(cameraId, n, 32, '\0');
  if (n > 0 && z > 0) {
    out.cameraModel = utf8(cameraId, 0, p);
    out.tempRange = utf8(cameraId, p, n);
    out.cameraSerial = utf8(cameraId, n + 1, z);
  }
  int s = -1;
  for (int i = 8; i < 16; ++i) {
    if (static_cast<unsigned char>(cameraType[i]) >= 'A') {
      s = i;
      break;
    }
  }
  const int e = s < 0 ? -1 : findByte(cameraType, s, 16, '\0');
  if (s > 0 && e > 0) out.lensName = utf8(cameraType, s, e);
  return out;
}

QString safeCameraIdName(const char* cameraId, size_t field) {
  QByteArray name(cameraId, static_cast<qsizetype>(strnlen(cameraId, field)));
  for (char& c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '_' || c == '-';
    if (!ok) c = '_';
  }
  return QString::fromLatin1(name);
}

QString deviceConfPath(const QString& configDir, const char (&cameraId)[32]) {
  return configDir + QStringLiteral("/Device-") + safeCameraIdName(cameraId, sizeof cameraId) +
         QStringLiteral(".conf");
}

int64_t legacyStreamSize(int32_t width, int32_t height) {
  const int64_t h = height < 0 ? -static_cast<int64_t>(height) : height;
  return (h * width + 224) * 6;
}

bool checkRadiometricFile(const QString& path) {
  const bool jpg = path.endsWith(QStringLiteral(".jpg"), Qt::CaseSensitive);
  const bool bmp = path.endsWith(QStringLiteral(".bmp"), Qt::CaseSensitive);
  if (!jpg && !bmp) return false;
  const QByteArray name = path.toUtf8();
  FILE* f = ostrel::fopenUtf8(name.constData(), "rb");
  if (f == nullptr) return false;
  bool accepted = false;
  if (jpg) {
    BlockTrailer t;
    if (std::fseek(f, -static_cast<long>(sizeof t), SEEK_END) == 0 && std::fread(&t, 1, sizeof t, f) == sizeof t) {
      uint32_t word;
      std::memcpy(&word, t.tag, sizeof word);
      if (std::memcmp(t.tag, "TEMP", 4) == 0 || std::memcmp(t.tag, "CONF", 4) == 0)
        accepted = true;
      else if (word == 0)
        accepted = t.width != 0 && t.height != 0;
    }
  } else {
    uint8_t head[64];
    if (std::fread(head, 1, sizeof head, f) == sizeof head && std::fseek(f, 0, SEEK_END) == 0) {
      const int64_t size = ftello(f);
      int32_t w, h;
      std::memcpy(&w, head + 18, sizeof w);
      std::memcpy(&h, head + 22, sizeof h);
      accepted = size >= 0 && legacyStreamSize(w, h) == size;
    }
  }
  std::fclose(f);
  return accepted;
}

bool addressTextGreater(const QString& left, const QString& right) {
  return left.compare(right, Qt::CaseSensitive) > 0;
}
