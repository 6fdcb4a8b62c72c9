#include "XUtil.h"

#include <QUrl>

#include "foundation_qt/StatusText.h"

XUtil::XUtil(QObject* parent) : QObject(parent) {}

QColor XUtil::mix(const QColor& c0, const QColor& c1, float alpha) const {
  const float r = (c0.redF() - c1.redF()) * alpha + c1.redF();
  const float g = (c0.greenF() - c1.greenF()) * alpha + c1.greenF();
  const float b = (c0.blueF() - c1.blueF()) * alpha + c1.blueF();
  return QColor::fromRgbF(r, g, b, 1.0f);
}

QColor XUtil::mix_dark(const QColor& c1, float alpha) const { return mix(dark_, c1, alpha); }

QColor XUtil::mix_white(const QColor& c1, float alpha) const { return mix(white_, c1, alpha); }

QString XUtil::os2url(const QString& path) const {
  if (path.isEmpty())
    return {};
  // Pretty form: spaces and non-ASCII letters stay readable, reserved characters are escaped.
  return QUrl::fromLocalFile(path).toString();
}

QString XUtil::url2os(const QVariant& value) const {
  QUrl url;
  if (value.metaType() == QMetaType::fromType<QUrl>()) {
    url = value.toUrl();
  } else {
    const QString text = value.toString();
    if (!text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
      return text;
    // Tolerant parsing reads a stray '%' as the character itself instead of failing.
    url = QUrl(text, QUrl::TolerantMode);
  }
  if (url.isEmpty())
    return {};
  if (url.isLocalFile())
    return url.toLocalFile();
  return url.toString();
}

QString XUtil::resultText(int code) const { return ::resultText(code); }

QString XUtil::statusMeaning(int code) const { return ::statusMeaning(code); }
