// Process-wide set-up of the Qorn renderer: resources, graphics API choice, the font-file cache and
// the colour helpers.
#pragma once

#include <qorn/QornCore.h>

#include <QByteArray>
#include <QColor>
#include <QString>

// Runs once per process, before the QML engine and the first window exist; later calls do
// nothing. Registers the shader and font resources, selects OpenGL unless QSG_RHI_BACKEND names
// another back end, and sets the default font (DejaVu Sans from the resources) and, when
// installed, the fallback font for Chinese text.
void qornInit();

// True after qornInit.
bool qornInitialized();

// Cached bytes of a font file, read on first use; null before qornInit or when the file cannot be
// read (such a path is not retried). The bytes live until the process ends. Any thread.
const QByteArray *qornFontFileData(const QString &path);

// Font file used by every painter's default font.
QString qornDefaultFontPath();
// Font searched for glyphs the default font lacks (WenQuanYi Micro Hei); empty when not installed.
QString qornFallbackFontPath();

// Logs the graphics API and renderer of the first window that renders with Qorn (once per
// process). Called from the render thread.
class QRhi;
void qornLogFirstRhi(QRhi *rhi);

// Colours: components 0..255 (or packed 0xAARRGGBB) divided by 255.
QornColor qornColor(const QColor &c);
QornColor qornColorFromArgb(quint32 argb);
QornColor qornColorFromRgba(int r, int g, int b, int a);
