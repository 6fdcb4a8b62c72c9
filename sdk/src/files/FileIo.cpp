#include "files/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "ostrel/OstrelTypes.h"

namespace ostrel::files {

namespace {
std::atomic<int64_t> g_byteLimit{-1};
std::atomic<uint32_t> g_tempSerial{0};
}  // namespace

void setReplaceFileByteLimit(int64_t limit) {
  g_byteLimit.store(limit);
}

int MemorySource::readAt(int64_t offset, void* dst, size_t n) {
  if (offset < 0) return OSTREL_E_SEEK;
  uint64_t off = static_cast<uint64_t>(offset);
  if (off > length_ || n > length_ - off) return OSTREL_E_READ;
  if (n) memcpy(dst, data_ + off, n);
  return 0;
}

int64_t FileSource::size() {
  if (fseeko(f_, 0, SEEK_END) != 0) return OSTREL_E_SEEK;
  off_t end = ftello(f_);
  return end < 0 ? static_cast<int64_t>(OSTREL_E_SEEK) : static_cast<int64_t>(end);
}

int FileSource::readAt(int64_t offset, void* dst, size_t n) {
  if (offset < 0 || fseeko(f_, static_cast<off_t>(offset), SEEK_SET) != 0) return OSTREL_E_SEEK;
  size_t got = n ? fread(dst, 1, n, f_) : 0;
  return got == n ? 0 : OSTREL_E_READ;
}

int FileSource::writeAt(int64_t offset, const void* src, size_t n) {
  if (offset < 0 || fseeko(f_, static_cast<off_t>(offset), SEEK_SET) != 0) return OSTREL_E_WRITE;
  size_t put = n ? fwrite(src, 1, n, f_) : 0;
  if (put != n || fflush(f_) != 0) return OSTREL_E_WRITE;
  return 0;
}

AtomicFile::~AtomicFile() {
  discard();
}

int AtomicFile::open(const char* path) {
  discard();
  if (!path || !*path) return OSTREL_E_OPEN;
  mode_t mode = 0666;  // narrowed by the umask, as fopen("wb") would create it
  struct stat st {};
  const bool exists = stat(path, &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode) || access(path, W_OK) != 0) return OSTREL_E_OPEN;
    mode = st.st_mode & 07777;
  }
  std::string temp =
      std::string(path) + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(g_tempSerial.fetch_add(1));
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return OSTREL_E_OPEN;
  if (exists) fchmod(fd, mode);  // keep the target's bits despite the umask
  fd_ = fd;
  path_ = path;
  temp_ = std::move(temp);
  limit_ = g_byteLimit.load();
  return 0;
}

int AtomicFile::write(const void* data, size_t length) {
  if (fd_ < 0) return OSTREL_E_WRITE;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t left = length;
  while (left > 0) {
    size_t chunk = left;
    if (limit_ >= 0) {
      if (limit_ == 0) {
        errno = ENOSPC;
        return OSTREL_E_WRITE;
      }
      if (static_cast<int64_t>(chunk) > limit_) chunk = static_cast<size_t>(limit_);
    }
    ssize_t put = ::write(fd_, p, chunk);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return OSTREL_E_WRITE;
    p += put;
    left -= static_cast<size_t>(put);
    if (limit_ >= 0) limit_ -= put;
  }
  return 0;
}

int AtomicFile::commit() {
  if (fd_ < 0) return OSTREL_E_WRITE;
  bool ok = fsync(fd_) == 0;
  if (close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok && rename(temp_.c_str(), path_.c_str()) != 0) ok = false;
  if (!ok) {
    unlink(temp_.c_str());
    temp_.clear();
    return OSTREL_E_WRITE;
  }
  temp_.clear();
  return 0;
}

void AtomicFile::discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

int replaceFile(const char* path, const FilePart* parts, int count) {
  AtomicFile f;
  int rc = f.open(path);
  if (rc != 0) return rc;
  for (int i = 0; i < count; ++i)
    if (parts[i].length > 0 && f.write(parts[i].data, parts[i].length) != 0) return OSTREL_E_WRITE;
  rc = f.commit();
  return rc == 0 ? 1 : rc;
}

int replaceFile(const char* path, const void* data, size_t length) {
  const FilePart part{data, length};
  return replaceFile(path, &part, 1);
}

}  // namespace ostrel::files
