// What every image module shares: the canvas of its view, the palette and image settings, the
// frame last shown and the information overlay; and, for file modules, how their edited view
// configuration goes back into the file. GUI thread only.
#pragma once

#include <QPointer>
#include <memory>

#include "TempImageConfig.h"
#include "modules/CModule.h"
#include "FrameSlot.h"
#include "modules/ModuleCanvas.h"
#include "modules/TempCanvasSink.h"

class CModuleInputIrBase : public CModule {
  Q_OBJECT
  Q_PROPERTY(QObject* tempCanvas READ tempCanvasObject WRITE setTempCanvas NOTIFY tempCanvasChanged)
  Q_PROPERTY(TempImageConfig* imageConfig READ imageConfig CONSTANT)
  Q_PROPERTY(bool showInfo READ showInfo WRITE setShowInfo NOTIFY showInfoChanged)

 public:
  // The view hands over its canvas item (a TempCanvas, or any object with the canvas interface);
  // any other object counts as none.
  QObject* tempCanvasObject() const { return canvasObject_.data(); }
  void setTempCanvas(QObject* canvas);
  // The canvas, or null when none was given or it has been deleted.
  ModuleCanvas* canvas() const { return canvasObject_.isNull() ? nullptr : canvas_; }
  TempImageConfig* imageConfig() { return &imageConfig_; }
  bool showInfo() const { return showInfo_; }
  // Stored only while a canvas is set: the switch lives on the canvas.
  void setShowInfo(bool show);
  TempData* currentFrame() const { return currentFrame_; }

  // Takes the palette, the image settings and the measurement items of a stored record into the
  // image settings and the canvas; nothing without a canvas.
  void applyConf(const TempFileConf& conf);

  // Hands the frame last shown to the application's exporter: a picture (exportType 1), or for a
  // stream module a cut or picture series (2) or a video (3) of the range set in the exporter's
  // configuration; every other module exports a picture whatever the type. A non-zero value
  // replaces the record's capture time (FILETIME). 0 once handed over (the result follows in
  // the exporter's saveFinished); -7 without a frame or input; -4 without an exporter; -5 when no
  // job can be made for the frame's size; -8 when the target is the input's own file, the frame's
  // size is not the input's, or for a
  // stream range that is not 1 <= begin <= end <= frame count with interval >= 1 (begin and end
  // count from 1, end included).
  Q_INVOKABLE int exportImage(const QString& path, int exportType, qint64 value);
  // Whether `path` names the file this module's input reads, however it is spelt (relative, with
  // dots, through links): a picture written there would replace the radiometric original.
  Q_INVOKABLE bool isSourceFile(const QString& path) const;
  // For a stream module: the exporter's range becomes the whole recording in steps of one.
  Q_INVOKABLE void initExportConfig();

 signals:
  void tempCanvasChanged();
  void showInfoChanged();

 protected:
  explicit CModuleInputIrBase(int moduleType, QObject* parent = nullptr);
  // Palette, image settings and up to 32 canvas items into `conf` (the capture part untouched).
  void fillViewConf(TempFileConf* conf);
  // The view record as the input stores it; false when there is none to read.
  virtual bool storedViewConf(TempFileConf* out) {
    (void)out;
    return false;
  }
  int input_storedItemIndex(int canvasIndex) override;
  // The canvas's palette and the range its colours span, as the image settings give them: an
  // empty or inverted manual range counts as off.
  void showPalette();

  TempData* currentFrame_ = nullptr;

 private:
  QPointer<QObject> canvasObject_;
  ModuleCanvas* canvas_ = nullptr;
  std::unique_ptr<TempCanvasSink> sink_;  // when the canvas is a TempCanvas
  TempImageConfig imageConfig_;
  bool showInfo_ = false;
};

class CModuleInputFileBase : public CModuleInputIrBase {
  Q_OBJECT
 public:
  bool input_saveRequired() override;
  void saveInput() override;
  bool storedViewConf(TempFileConf* out) override;

 protected:
  explicit CModuleInputFileBase(int moduleType, QObject* parent = nullptr);
};
