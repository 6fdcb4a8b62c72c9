// File inputs: a radiometric picture (CInputJpg) or a stream recording (CInputStream). The base
// keeps the path, one thermal-file handle of the SDK and the descriptors of the open file.
#pragma once

#include <QFileInfo>
#include <memory>

#include "FrameSlot.h"
#include "inputs/StreamPlayer.h"

#include "inputs/CInputBase.h"

class CInputFileBase : public CInputBase {
  Q_OBJECT
  Q_PROPERTY(QString fileName READ fileName CONSTANT)

 public:
  explicit CInputFileBase(QObject* parent = nullptr);
  ~CInputFileBase() override;

  void copyFrom(QObject* other) override;
  // When open: bytes 0..275 of the file's own TempFileConf; else nothing.
  void fillCameraInfo(TempFileConf* out) override;

  // Points the input at a file (not opened): names, icon URL and the file information, all from
  // the path's clean absolute form, the one every comparison of file inputs uses.
  void setPath(const QString& path);
  // A file's path as the program keeps and compares it: absolute, without "." and ".." parts.
  static QString cleanPath(const QString& path);
  // Zeroes the frame description before the file is read.
  void resetData(bool frameCount);

  QString fileName() const { return fileInfo_.fileName(); }
  TFContext* handle() const { return tf_; }

  // The write side of the open file's record block (its size field is `confSize`), or null when
  // no file is open. Taking it marks a write as pending.
  static TFRaw* writeRawBegin(CInputFileBase* input);
  // The view record the open file holds on disk; false when the file is not open.
  static bool readStoredConf(CInputFileBase* input, TempFileConf* out);
  // Whether the block's view-and-measurement part differs from the file's record.
  static bool writeRawCheckConf(CInputFileBase* input);
  // Writes the block's record into the file: the SDK's result, or -7 when no file is open.
  static int writeRawEnd(CInputFileBase* input);
  // The file's own record as read at open (null when closed).
  const TempFileConf* fileConf() const { return isOpen() ? raw_.conf : nullptr; }
  bool writeRawPending() const { return rawPending_; }
  void setWriteRawPending(bool pending) { rawPending_ = pending; }

 protected:
  // Opens the file as `openType`, reads its record and fills the descriptive properties; the
  // thermal-file code on failure (the file is then closed again).
  int openFile(int openType);
  void closeFile();

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
  ~CInputJpg() override;
  void copyFrom(QObject* other) override;

  // Opens and reads the picture; 0 when already open, else the thermal-file code.
  int open();
  // The picture's frame (index ignored), coloured with the current settings; null when not open
  // or unreadable. The slot is the input's own and stays valid until the next call.
  FrameSlot* readFrame(int index = 0);
  // Palette and image settings for the next readFrame; -7 when not open.
  int setImage(int palette, const StretchCtl* ctl);
  void close();

 private:
  TFFrame last_{};
  FrameSlot slot_{};
};

class CInputStream : public CInputFileBase {
  Q_OBJECT
 public:
  explicit CInputStream(QObject* parent = nullptr);
  // Stops the player and closes the file.
  ~CInputStream() override;
  void copyFrom(QObject* other) override;

  // Both callbacks and the consumer. The frame callback's slot stays valid until the consumer
  // hands it back with frameConsumed; the player reads nothing further before that. The
  // measurement callback gets status 0 with a block the consumer frees with free(), or a negative
  // code with null. -7 (nothing changed) while the player runs. -7 (nothing changed) while the player runs.
  int setConsumer(void* consumer, StreamFrameFn frameFn, StreamMeaFn meaFn);
  // Opens the file and starts the player in forward mode. 0 when already open; the thermal-file
  // code; -7 without both callbacks or with a running player (the file is then left closed).
  int open();
  // Stops the player and closes the file.
  void close();
  // Stops the player and waits for it; the file stays open (for writing the record back).
  void stopThread();
  bool playerRunning() const;

  // 0 pause, 1 forward, 2 backward (one frame a tick), 3 and 4 fast (four frames a tick); other
  // values are ignored.
  void setPlayMode(int mode);
  // Taken at the player's next tick when the player runs and 0 <= index < frameCount.
  void seek(int index);
  // The player takes `list` (malloc'd; it frees it after use) and measures it over the whole file
  // between two frames. 0; -7 (the list stays the caller's) when the player does not run or a
  // request is pending; -8 for a null list or a count outside 1..32.
  int requestMeaResult(MeaItemList* list);
  // Frames of the open file (0 when closed).
  int frameCount() const;
  // Palette and image settings: taken by the player before its next read while it runs, else
  // applied directly. 0; -7 when not open.
  int setImage(int palette, const StretchCtl* ctl);
  // The consumer is done with the frame last delivered.
  void frameConsumed();
  // Runs `fn(handle)` while the player (when it runs) keeps off the handle.
  template <class Fn>
  auto withPlayerHandle(Fn fn) {
    return player_->withHandle(fn);
  }

 private:
  std::unique_ptr<StreamPlayer> player_;
  void* consumer_ = nullptr;
  StreamFrameFn frameFn_ = nullptr;
  StreamMeaFn meaFn_ = nullptr;
};
