// What an image module asks of the canvas that shows its frames. The canvas item of the module's
// view is reached through this interface, so the module does not depend on how the canvas draws.
// Every call is made on the GUI thread.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "OstrelSDK.h"
#include "FrameSlot.h"

class ModuleCanvas {
 public:
  virtual ~ModuleCanvas() = default;

  virtual void setTfm_module(QObject* module) = 0;
  // Starts showing data of this size; 0 or a negative code.
  virtual int beginUpdate(int width, int height) = 0;
  virtual void endUpdate() = 0;
  // Takes a new frame. The record and its buffers are valid only during the call: a canvas that
  // keeps the frame copies it.
  virtual int updateData(TempData* frame) = 0;
  // Replaces the measurement items by `count` definitions.
  virtual void setItemDefs(const MeaItem* defs, int count) = 0;
  // Writes at most `max` definitions in canvas order; the number written.
  virtual int getItemDefs(MeaItem* out, int max) = 0;
  virtual void setInfoText(const QString& text) = 0;
  virtual void setShowInfo(bool show) = 0;
  virtual void setPaletteType(int type) = 0;
  // The manual range the colours are drawn with, so that the colour bar names the temperatures
  // its colours stand for; enable false: the frame's own range.
  virtual void setManualRange(bool enable, float low, float high) {
    (void)enable;
    (void)low;
    (void)high;
  }
  // The temperatures the colour bar shows (the manual range when on, else the frame's own).
  // False when the canvas keeps none.
  virtual bool paletteRange(float* low, float* high) {
    (void)low;
    (void)high;
    return false;
  }
  // The item objects in canvas order (the order of getItemDefs); none when the canvas has no
  // item objects.
  virtual QList<QObject*> itemObjects() { return {}; }
};

// The canvas interface of a view's canvas object, or null when the object does not provide one.
ModuleCanvas* moduleCanvasOf(QObject* canvas);
