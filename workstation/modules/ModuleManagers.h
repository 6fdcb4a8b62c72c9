// The managers a module works with, handed to it by whoever creates it (the factory in
// `CTabManager`, which the application object fills). Any may be null: a module then does without
// what that manager gives (tests make modules with only the managers they look at). Guarded
// pointers: a module whose deletion was deferred past the managers' end finds them null.
#pragma once

#include <functional>

#include <QPointer>
#include <QString>

class CInputManager;
class ImageExporter;
class QQuickItem;
class RecorderManager;
class TempCanvasManager;

struct ModuleManagers {
  QPointer<CInputManager> inputs{};
  QPointer<RecorderManager> recorders{};
  QPointer<ImageExporter> exporter{};
  QPointer<TempCanvasManager> canvases{};
  // Captures an item into a picture file (empty path: the clipboard); the application's capture
  // rule and codes. Unset: nothing can be captured (-7).
  std::function<int(QQuickItem* item, const QString& path)> grab{};
};
