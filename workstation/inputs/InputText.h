// Pure rules of the inputs that need no object: the camera identity split, the settings file
// name of a camera, the radiometric file sniffing and the address text order.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

struct IdentityParts {
  std::optional<QString> cameraModel, tempRange, cameraSerial, lensName;
};

// Splits a 32-byte camera id and a 16-byte camera type (neither needs a terminating zero inside
// the field). Parts whose pattern does not match stay empty optionals.
IdentityParts splitCameraIdentity(const char (&cameraId)[32], const char (&cameraType)[16]);

// The camera id as it may stand in a file name: at most its 32 bytes, every byte outside
// [A-Za-z0-9._-] replaced by '_'. Ordinary ids come back unchanged.
QString safeCameraIdName(const char* cameraId, size_t field = 32);

// "<dir>/Device-<safe id>.conf".
QString deviceConfPath(const QString& configDir, const char (&cameraId)[32]);

// Whether a file is a radiometric picture (".jpg" by its trailer) or a legacy one-frame stream
// (".bmp" by its size); extensions compare case-sensitively.
bool checkRadiometricFile(const QString& path);

// Expected size of a legacy one-frame stream with the bitmap head's width and height:
// (|h| * w + 224) * 6, in 64 bits; negative when w is negative.
int64_t legacyStreamSize(int32_t width, int32_t height);

// Plain text order of two addresses, byte by byte (so "10.0.0.100" < "10.0.0.2").
bool addressTextGreater(const QString& left, const QString& right);
