// Saves what an image module shows: a picture with the measurement items and the colour bar
// burnt in (optionally radiometric), and for recordings a cut, a picture per frame or a video.
// The module fills an ExportJob and hands it over; the worker thread writes the file and reports
// the result through saveFinished on the GUI thread.
//
// Threads: ImageExporter and its configuration live on the GUI thread; ExportWorker, its thermal
// file handle, its encoder and its canvas on the exporter's thread. A job carries a copy of the
// settings, so the worker never reads the configuration object.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include "exporter/ExportCanvas.h"
#include "exporter/ExportJob.h"

struct TFContext;
struct H264Encoder;

class ImageExporterConfig : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString fn READ fn WRITE setFn NOTIFY fnChanged)
  Q_PROPERTY(int colorbar READ colorbar WRITE setColorbar NOTIFY colorbarChanged)
  Q_PROPERTY(int timestamp READ timestamp WRITE setTimestamp NOTIFY timestampChanged)
  Q_PROPERTY(bool withRoi READ withRoi WRITE setWithRoi NOTIFY withRoiChanged)
  Q_PROPERTY(bool withTemp READ withTemp WRITE setWithTemp NOTIFY withTempChanged)
  Q_PROPERTY(int streamBegin READ streamBegin WRITE setStreamBegin NOTIFY streamBeginChanged)
  Q_PROPERTY(int streamEnd READ streamEnd WRITE setStreamEnd NOTIFY streamEndChanged)
  Q_PROPERTY(int streamInterval READ streamInterval WRITE setStreamInterval NOTIFY streamIntervalChanged)
  Q_PROPERTY(bool splitAsJpg READ splitAsJpg WRITE setSplitAsJpg NOTIFY splitAsJpgChanged)

 public:
  explicit ImageExporterConfig(QObject* parent = nullptr) : QObject(parent) {}

  QString fn() const { return fn_; }
  int colorbar() const { return colorbar_; }
  int timestamp() const { return timestamp_; }
  bool withRoi() const { return withRoi_; }
  bool withTemp() const { return withTemp_; }
  int streamBegin() const { return streamBegin_; }
  int streamEnd() const { return streamEnd_; }
  int streamInterval() const { return streamInterval_; }
  bool splitAsJpg() const { return splitAsJpg_; }

  void setFn(const QString& v);
  void setColorbar(int v);
  void setTimestamp(int v);
  void setWithRoi(bool v);
  void setWithTemp(bool v);
  void setStreamBegin(int v);
  void setStreamEnd(int v);
  void setStreamInterval(int v);
  void setSplitAsJpg(bool v);

  ExportSettings settings() const { return ExportSettings{colorbar_, withRoi_, withTemp_}; }

 signals:
  void fnChanged();
  void colorbarChanged();
  void timestampChanged();
  void withRoiChanged();
  void withTempChanged();
  void streamBeginChanged();
  void streamEndChanged();
  void streamIntervalChanged();
  void splitAsJpgChanged();

 private:
  QString fn_;
  int colorbar_ = 2;
  int timestamp_ = 0;
  bool withRoi_ = true;
  bool withTemp_ = true;
  int streamBegin_ = 0;
  int streamEnd_ = 0;
  int streamInterval_ = 0;
  bool splitAsJpg_ = false;
};

// The frames a stream export takes: indices first, first + step, ... below stop.
struct ExportRange {
  int first = 0;
  int stop = 0;
  int step = 1;
  int count() const { return stop > first ? (stop - first + step - 1) / step : 0; }
};
// The range rule: begin >= 1, end - 1 <= frameCount and interval >= 1 select begin - 1 ...
// below end - 1 in steps of interval; anything else selects every frame in steps of 1.
ExportRange exportRange(int begin, int end, int interval, int frameCount);

// The worker: one job at a time, in arrival order, on the exporter's thread.
class ExportWorker : public QObject {
  Q_OBJECT
 public:
  ExportWorker();
  ~ExportWorker() override;

  // Runs one job and returns its result (the slot's body; tests call it directly).
  int run(const QString& path, ExportJob* job);

 public slots:
  void onSaveStarted(const QString& path, ExportJob* job);

 signals:
  void saveFinished(const QString& path, int result);

 private:
  int savePicture(const QString& path, ExportJob* job);
  int saveCut(const QString& path, ExportJob* job);
  int savePictures(const QString& path, ExportJob* job);
  int saveVideo(const QString& path, ExportJob* job, bool overlay);
  // Draws one stream frame with items and bar as the job asks.
  void drawStreamFrame(ExportJob* job, const TFFrame& frame, MeaResult* results);
  // Opens the job's source and applies its view settings.
  int openSource(ExportJob* job);

  TFContext* tf_ = nullptr;
  H264Encoder* encoder_ = nullptr;
  ExportCanvas canvas_;
};

class ImageExporter : public QObject {
  Q_OBJECT
  Q_PROPERTY(ImageExporterConfig* config READ config CONSTANT)

 public:
  explicit ImageExporter(QObject* parent = nullptr);
  // Lets every job handed over finish, then ends the thread and deletes the worker.
  ~ImageExporter() override;

  // Registers the exporter's types for the views ("Ostrel" 1.0). 0.
  static int init();

  ImageExporterConfig* config() { return &config_; }
  // A zeroed job of kind 1 for a w x h frame; null outside 19200 .. 1310720 pixels.
  static ExportJob* newJob(int w, int h);
  // Hands the job to the worker with a copy of the current settings; the job is the worker's
  // from now on. 0; -8 for a null job (nothing is emitted then).
  int startSave(const QString& path, ExportJob* job);
  // Ends the worker thread once the jobs handed over so far are done.
  void quitThread();
  // Waits until the worker thread has ended; false when `ms` passed first (negative: no limit).
  bool waitThread(int ms = -1);

 signals:
  void saveStarted(const QString& path, ExportJob* job);
  void saveFinished(const QString& path, int result);

 private:
  ImageExporterConfig config_;
  QThread thread_;
  ExportWorker* worker_ = nullptr;
};

Q_DECLARE_METATYPE(ExportJob*)
