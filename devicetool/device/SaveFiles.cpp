#include "SaveFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryFile>
#include <cstring>

namespace savefile {

namespace {

void putU16(char* p, uint16_t v) {
  p[0] = char(v & 0xFF);
  p[1] = char(v >> 8);
}

void putI32(char* p, int32_t v) {
  const uint32_t u = uint32_t(v);
  for (int i = 0; i < 4; ++i) p[i] = char((u >> (8 * i)) & 0xFF);
}

void putI64(char* p, int64_t v) {
  const uint64_t u = uint64_t(v);
  for (int i = 0; i < 8; ++i) p[i] = char((u >> (8 * i)) & 0xFF);
}

}  // namespace

int freeTimeFileName(const QByteArray& dirUtf8, const QDateTime& local, const char* suffix, QString* out) {
  if (dirUtf8.isEmpty()) return -8;
  const QByteArray stem = dirUtf8 + '/' + local.toString(QStringLiteral("yyyyMMdd_HHmmss")).toLatin1();
  const QByteArray tail(suffix != nullptr ? suffix : "");
  for (int n = 0;; ++n) {
    const QByteArray name = n == 0 ? stem + tail : stem + '_' + QByteArray::number(n) + tail;
    if (name.size() > kMaxPathBytes) return -8;
    const QString path = QString::fromUtf8(name);
    if (!QFileInfo::exists(path)) {
      *out = path;
      return 0;
    }
  }
}

QByteArray temperatureBlock(const char cameraId[32], int64_t fileTime, int width, int height,
                            const FixInfoRecord& fix, const DataFrameHead& head, const int16_t* codes) {
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return {};
  const qsizetype L = qsizetype(2) * width * height;
  QByteArray b(kBlockFixedBytes + L, '\0');
  char* p = b.data();
  putI32(p, int32_t(L + 16672));
  std::memcpy(p + 4, "teMp", 4);
  std::memcpy(p + 8, cameraId, strnlen(cameraId, 32));
  putI64(p + 40, fileTime);
  putU16(p + 48, uint16_t(width));
  putU16(p + 50, uint16_t(height));
  static_assert(sizeof(FixInfoRecord) == 72);
  std::memcpy(p + 52, &fix, sizeof fix);
  std::memcpy(p + 16520, &head, sizeof head);
  if (codes != nullptr) std::memcpy(p + 16648, codes, size_t(L));
  putU16(p + 16648 + L, uint16_t(width));
  putU16(p + 16650 + L, uint16_t(height));
  putI32(p + 16652 + L, kBlockDate);
  return b;
}

QByteArray encodeJpeg(const uint32_t* bgra, int width, int height) {
  if (bgra == nullptr || width <= 0 || height <= 0) return {};
  // BGRA bytes are Qt's RGB32 words on a little-endian machine; the alpha byte is ignored.
  const QImage image(reinterpret_cast<const uchar*>(bgra), width, height, qsizetype(width) * 4, QImage::Format_RGB32);
  QByteArray jpg;
  QBuffer buffer(&jpg);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "JPG")) return {};
  return jpg;
}

int writeNewFile(const QString& path, std::initializer_list<QByteArrayView> parts) {
  const QFileInfo target(path);
  QTemporaryFile tmp(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
  if (!tmp.open()) return -200;
  for (QByteArrayView part : parts) {
    if (part.isEmpty()) continue;
    if (tmp.write(part.data(), part.size()) != part.size()) return -197;
  }
  if (!tmp.flush()) return -197;
  tmp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                     QFileDevice::ReadOther);
  // QFile::rename never replaces an existing file, so a name taken meanwhile stays untouched.
  if (QFileInfo::exists(path) || !tmp.rename(path)) return QFileInfo::exists(path) ? -7 : -197;
  tmp.setAutoRemove(false);
  return 0;
}

}  // namespace savefile
