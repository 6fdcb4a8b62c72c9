// 64-bit positioned file access and whole-file replacement through a temporary file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace ostrel::files {

// Bytes to read by position: a file or a memory image of one. Readers take every offset and size
// from here, so a truncated or hostile file can never make them read outside it.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Length in bytes, or a negative code (-193) when it cannot be found.
  virtual int64_t size() = 0;
  // Reads exactly n bytes at `offset`: 0, -193 when the offset is negative or the seek fails,
  // -198 when fewer than n bytes are there.
  virtual int readAt(int64_t offset, void* dst, size_t n) = 0;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, size_t length) : data_(static_cast<const uint8_t*>(data)), length_(length) {}
  int64_t size() override { return static_cast<int64_t>(length_); }
  int readAt(int64_t offset, void* dst, size_t n) override;

 private:
  const uint8_t* data_;
  size_t length_;
};

// A FILE* opened by the caller, positioned with fseeko/ftello (off_t is 64-bit here).
class FileSource final : public ByteSource {
 public:
  explicit FileSource(FILE* f) : f_(f) {}
  int64_t size() override;
  int readAt(int64_t offset, void* dst, size_t n) override;
  // Writes all n bytes at `offset`: 0, or -197 when the seek or the write fails.
  int writeAt(int64_t offset, const void* src, size_t n);

 private:
  FILE* f_;
};

// Replaces the file at `path` with `length` bytes: written to a temporary file in the same folder,
// flushed to disk, then renamed over the target, so a failed write (disk full) leaves the old file
// whole. An existing target keeps its permission bits; an existing target without write permission
// is refused like a plain "wb" open. Returns 1, -200 when the target or the temporary file cannot be
// created, -197 when the write, flush or rename fails (the temporary file is removed).
int replaceFile(const char* path, const void* data, size_t length);

// One piece of a file written by replaceFile.
struct FilePart {
  const void* data;
  size_t length;
};

// replaceFile with the content given as pieces written one after another.
int replaceFile(const char* path, const FilePart* parts, int count);

// A file written through a temporary file beside `path` and renamed over it on commit, for
// writers that produce their bytes piece by piece (downloads): until commit, whatever stood at
// `path` stays as it was; a writer dropped without commit removes its temporary file.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();
  // 0, or -200 when the temporary file cannot be created or the target is not writable.
  int open(const char* path);
  // Appends all bytes: 0, or -197.
  int write(const void* data, size_t length);
  // Flushes to disk and renames over the target: 0, or -197 (the temporary file is removed).
  int commit();
  // Removes the temporary file; the target is untouched.
  void discard();

 private:
  int fd_ = -1;
  int64_t limit_ = -1;
  std::string path_, temp_;
};

// Test hook: when >= 0, replaceFile and each AtomicFile write at most this many bytes and then
// fail as a full disk would. -1 (the default) turns it off. Tests only; not thread-safe against running writes.
void setReplaceFileByteLimit(int64_t limit);

}  // namespace ostrel::files
