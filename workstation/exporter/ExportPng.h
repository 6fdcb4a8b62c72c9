// The exporter's PNG writer: an opaque picture as 8-bit RGB with its image data in stored
// (uncompressed) deflate blocks. Every byte of the picture is touched once, so a 640 x 512 picture
// takes about a millisecond, where a general PNG writer spends most of its time choosing a row
// filter per row; the file is as long as the uncompressed pixels, like one written at zlib level 0.
#pragma once

#include <QByteArray>
#include <QImage>

// Replaces png's contents with the picture as PNG: colour type 2 (RGB), 8 bits, no interlace, the
// picture's resolution in a pHYs chunk. Alpha is not kept: the exporter's pictures are opaque.
// False for a null picture or one too large for a PNG chunk.
bool writeExportPng(const QImage& picture, QByteArray* png);
