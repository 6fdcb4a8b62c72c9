// Names and files of saved push messages. The sender text comes from the network, so it is read
// only within its field and every character that could leave the folder or upset a file system
// is replaced before it becomes part of a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ostrel::push {

// The text of a fixed field (up to the first NUL or the field's end), with '/', '\\', ':',
// control characters and a leading '.' replaced by '_'.
std::string cleanSender(const char* field, size_t capacity);

// "YYYYMMDD", "hhmmss" style parts of a FILETIME in local time; zeros when it cannot be converted.
struct LocalStamp {
  int year, month, day, hour, minute, second;
};
LocalStamp localStamp(int64_t filetime);

// Writes `length` bytes to `path` through a temporary file in the same folder and a rename, so a
// failed write leaves nothing half-written under the name. 1 written; -200 cannot create;
// -197 write failed. *err gets the errno of the failure (0 on success).
int writeWholeFile(const std::string& path, const void* data, uint64_t length, int* err);

}  // namespace ostrel::push
