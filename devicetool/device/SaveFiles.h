// The files the live device leaves in the save folder: snapshot pictures (a JPEG followed by the
// dated temperature block) and the names of snapshots and recordings. A file either appears whole
// under a name no other file had, or not at all.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <initializer_list>

#include "OstrelSDK.h"

namespace savefile {

// The longest file name (UTF-8 bytes) the tool hands to the file system.
constexpr qsizetype kMaxPathBytes = 1023;
constexpr int32_t kBlockDate = 20160901;
// The fixed part of a temperature block: everything but the 2 x W x H bytes of codes.
constexpr qsizetype kBlockFixedBytes = 16684;

// "<dir>/YYYYMMDD_hhmmss<suffix>" of `local`; when that exists, "..._1<suffix>", "..._2<suffix>"
// and so on, the first name not taken. -8 for an empty folder (a name at the file system's root)
// or a name longer than kMaxPathBytes; 0 otherwise.
int freeTimeFileName(const QByteArray& dirUtf8, const QDateTime& local, const char* suffix, QString* out);

// The temperature block of a snapshot: prefix (length, "teMp"), the capture head (camera id,
// time, width, height, correction record), the frame head at 16520, the codes, and the dated
// trailer. Empty for a frame size of 0.
QByteArray temperatureBlock(const char cameraId[32], int64_t fileTime, int width, int height,
                            const FixInfoRecord& fix, const DataFrameHead& head, const int16_t* codes);

// The frame's BGRA pixels as a JPEG at Qt's default quality; empty when encoding fails.
QByteArray encodeJpeg(const uint32_t* bgra, int width, int height);

// Writes the parts, in order, into a temporary file beside `path` and renames it to `path` only
// when every byte reached the disk and `path` is still free. 0; -200 when the temporary file
// cannot be made; -197 when a write or the flush falls short; -7 when `path` was taken meanwhile.
// Nothing is left behind on failure.
int writeNewFile(const QString& path, std::initializer_list<QByteArrayView> parts);

}  // namespace savefile
