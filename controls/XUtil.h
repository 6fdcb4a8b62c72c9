// Colour mixing (the rule the theme's shades follow) and local path <-> file URL conversion.
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

class XUtil : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_SINGLETON

 public:
  explicit XUtil(QObject* parent = nullptr);

  // Channel-wise (c0 - c1) * alpha + c1 on red, green and blue in single precision; the inputs'
  // alpha is ignored and the result is opaque. Neither alpha nor the channels are clamped.
  Q_INVOKABLE QColor mix(const QColor& c0, const QColor& c1, float alpha) const;
  // c1 moved towards rgb(20, 20, 20) by the fraction alpha.
  Q_INVOKABLE QColor mix_dark(const QColor& c1, float alpha) const;
  // c1 moved towards white by the fraction alpha.
  Q_INVOKABLE QColor mix_white(const QColor& c1, float alpha) const;

  // Local path to file URL text. Characters with a meaning in URLs ('#', '?', '%') are escaped,
  // so the URL names exactly this file; an empty path gives the empty text.
  Q_INVOKABLE QString os2url(const QString& path) const;
  // File URL (a url value or its text) to local path; escapes are decoded once. Text that is not
  // a file URL is handed back unchanged, so a plain path passes through as it is.
  Q_INVOKABLE QString url2os(const QVariant& url) const;

  // What a notice says about a result code: "Success", or "Fail", the code and its meaning, in
  // the installed language.
  Q_INVOKABLE QString resultText(int code) const;
  // The meaning of a failure code alone ("invalid value" for -8); empty for an unknown code.
  Q_INVOKABLE QString statusMeaning(int code) const;

 private:
  const QColor dark_{20, 20, 20, 255};
  const QColor white_{255, 255, 255, 255};
};
