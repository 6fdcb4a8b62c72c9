// File inputs: a radiometric picture (CInputJpg) or a stream recording (CInputStream). The base
// keeps the path, one thermal-file handle of the SDK and the descriptors of the open file.
#pragma once

#include <QFileInfo>

#include "workstation/CInputBase.h"

class CInputFileBase : public CInputBase {
  Q_OBJECT
  Q_PROPERTY(QString fileName READ fileName CONSTANT)

 public:
  explicit CInputFileBase(QObject* parent = nullptr);
  ~CInputFileBase() override;

  void copyFrom(QObject* other) override;
  // When open: bytes 0..275 of the file's own TempFileConf; else nothing.
  void fillCameraInfo(TempFileConf* out) override;

  // Points the input at a file (not opened): names, icon URL and the file information.
  void setPath(const QString& path);
  // Zeroes the frame description before the file is read.
  void resetData(bool frameCount);

  QString fileName() const { return fileInfo_.fileName(); }
  TFContext* handle() const { return tf_; }

  // The write side of the open file's record block (its size field is `confSize`), or null when
  // no file is open. Taking it marks a write as pending.
  static TFRaw* writeRawBegin(CInputFileBase* input);
  // Whether the block's view-and-measurement part differs from the file's record.
  static bool writeRawCheckConf(CInputFileBase* input);
  // Writes the block's record into the file: the SDK's result, or -7 when no file is open.
  static int writeRawEnd(CInputFileBase* input);
  bool writeRawPending() const { return rawPending_; }
  void setWriteRawPending(bool pending) { rawPending_ = pending; }

 protected:
  QFileInfo fileInfo_;
  TFContext* tf_ = nullptr;
  TFRaw raw_{};      // filled by TF_ReadRaw at open
  TFRaw rawEdit_{};  // write side, for editing the file's record
  bool rawPending_ = false;
  TFFrame frame_{};  // the first frame's head
};

class CInputJpg : public CInputFileBase {
  Q_OBJECT
 public:
  explicit CInputJpg(QObject* parent = nullptr);
  void copyFrom(QObject* other) override;
};

class CInputStream : public CInputFileBase {
  Q_OBJECT
 public:
  explicit CInputStream(QObject* parent = nullptr);
  void copyFrom(QObject* other) override;
};
