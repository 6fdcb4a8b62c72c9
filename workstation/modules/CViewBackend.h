// The common base of the workspace objects the views show (tab manager, tabs, frames, modules):
// the QML item showing the object, a display name and a position. GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QString>

class CViewBackend : public QObject {
  Q_OBJECT
  Q_PROPERTY(QQuickItem* view READ view WRITE setView NOTIFY viewChanged)
  Q_PROPERTY(QString viewName READ viewName WRITE setViewName NOTIFY viewNameChanged)
  Q_PROPERTY(int viewIndex READ viewIndex WRITE setViewIndex NOTIFY viewIndexChanged)

 public:
  explicit CViewBackend(QObject* parent = nullptr);

  // The item is the view's: it is not owned, and reads as null once the view deleted it.
  QQuickItem* view() const { return view_.data(); }
  void setView(QQuickItem* item);
  QString viewName() const { return viewName_; }
  void setViewName(const QString& name);
  int viewIndex() const { return viewIndex_; }
  void setViewIndex(int index);

 signals:
  void viewChanged();
  void viewNameChanged();
  void viewIndexChanged();

 private:
  QPointer<QQuickItem> view_;
  QString viewName_;
  int viewIndex_ = 0;
};
