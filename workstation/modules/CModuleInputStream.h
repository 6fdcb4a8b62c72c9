// The stream file module: plays a recorded stream on the input's player thread, shows each frame
// on its canvas, seeks and switches play modes, writes the edited view back into the file, and
// measures the canvas's items over the whole file for the time charts.
//
// Threads: the player thread only emits (frames and measurement results reach the GUI queued);
// everything else runs on the GUI thread. One frame is in flight at a time: the player reads no
// further frame until the GUI slot has handed the shown one back, so a lagging GUI never reads a
// frame slot the player has refilled.
#pragma once

#include <QList>
#include <QPointer>
#include <atomic>
#include <functional>
#include <mutex>

#include "inputs/CInputFileBase.h"
#include "modules/CModuleInputIrBase.h"

class CModuleInputStream : public CModuleInputFileBase {
  Q_OBJECT
  Q_PROPERTY(int frameCount READ frameCount NOTIFY frameCountChanged)
  Q_PROPERTY(int frameCurrent READ frameCurrent NOTIFY frameCurrentChanged)
  Q_PROPERTY(int playMode READ playMode WRITE setPlayMode NOTIFY playModeChanged)

 public:
  // The measurement engine takes at most this many items per request.
  static constexpr int kMaxMeaItems = 32;

  explicit CModuleInputStream(QObject* parent = nullptr);
  // Still attached: stops the player, saves when confirmed, closes and deletes the input.
  ~CModuleInputStream() override;

  // -8 (and an ERROR line) when the input is not a stream input; else the base's result. Makes
  // the module the player's consumer.
  int init(CInputBase* input, CFrame* frame) override;
  // unloadData, the base detach, then the input leaves the input manager and is deleted.
  void detach() override;

  // Opens the file and starts the player in forward mode; 0 when already open, else the open's
  // code.
  Q_INVOKABLE int loadData();
  // Stops the player, writes confirmed edits into the file, closes it.
  Q_INVOKABLE void unloadData();
  // Palette and image settings to the player (taken between two frames); the current frame is
  // shown again with them. -7 when not open.
  Q_INVOKABLE int applyImageConfig();
  // The player shows frame `index` at its next step; outside 0..frameCount-1 ignored.
  Q_INVOKABLE void seek(int index);

  int frameCount() const;
  int frameCurrent() const { return frameCurrent_; }
  int playMode() const { return playMode_; }
  void setPlayMode(int mode);

  // Whole-file measurement. Measures the canvas's items over every frame: the items of `wanted`
  // first (in that order; any no longer on this module's canvas is skipped), then the canvas's
  // other items in canvas order, at most kMaxMeaItems in all. 0 when queued: exactly one of
  // meaResultDataCreated or meaResultDataFailed follows. -7 when the stream is not open, its
  // player does not run or a request is pending; -8 when there is no item to measure; -5 when
  // the list cannot be allocated. A refused request leaves nothing behind.
  Q_INVOKABLE int requestMeaResult(const QList<QObject*>& wanted = {});

  // Receives one series' samples: `first` is the series item's result in frame 0, the next
  // frame's result lies `stride` records further; `times` holds frameCount time stamps.
  using SeriesFill = std::function<void(int seriesIndex, const int64_t* times, const MeaResult* first,
                                        int stride, int frameCount)>;
  // Hands `fill` the results of each item in `seriesItems` (the measurement item of series k at
  // position k) found in `data`. The items are matched by identity with those the request
  // measured, so items added, moved or deleted since the request do not mislead: a series whose
  // item was not measured or is gone is not called. 0; -7 when not open; -8 when `data` is null
  // or not this module's latest result, or its sizes do not fit the request.
  int fillSeries(const MeaResultData* data, const QList<QObject*>& seriesItems, const SeriesFill& fill);

  // Player-thread hand-overs (the stream input's consumer callbacks).
  static void frameCallback(int status, FrameSlot* slot, void* user);
  static void meaCallback(int status, MeaResultData* data, void* user);

 signals:
  void frameCountChanged();
  void frameCurrentChanged();
  void playModeChanged();
  void dataRecved_Signal(int status, TempData* frame);
  void dataRecved_SignalExternal(int status, TempData* frame);
  // A whole-file measurement succeeded; the receiver (the tab manager) frees `data` with free().
  // Emitted on the GUI thread.
  void meaResultDataCreated(QObject* module, MeaResultData* data);
  // A whole-file measurement failed (or was dropped because the stream closed) with this code.
  // Emitted on the GUI thread.
  void meaResultDataFailed(QObject* module, int code);

 public slots:
  void dataRecved_Slot(int status, TempData* frame);

 private slots:
  void onMeaResultReady();

 private:
  CInputStream* stream() const { return qobject_cast<CInputStream*>(input()); }
  void release();

  int frameCurrent_ = 0;
  int playMode_ = 1;
  bool loaded_ = false;
  // Items of the request in flight, in the order measured.
  QList<QPointer<QObject>> requestItems_;
  bool requestPending_ = false;
  // Items and block of the result last delivered, for fillSeries.
  QList<QPointer<QObject>> resultItems_;
  const MeaResultData* resultData_ = nullptr;
  // A result waiting for the GUI thread (the player hands it over here).
  std::mutex inboxMutex_;
  bool inboxFull_ = false;
  int inboxCode_ = 0;
  MeaResultData* inboxData_ = nullptr;
};
