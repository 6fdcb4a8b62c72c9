// Business-data push: messages of a 512-byte header and a payload (4 GiB in all), sent from
// memory or straight from a message file on disk.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "ostrel/OstrelPush.h"
#include "push/PushCore.h"
#include "push/PushFiles.h"
#include "push/PushSocket.h"
#include "push/PushWire.h"

namespace ostrel::push {
namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using BusiPtr = std::unique_ptr<BusiMessage, FreeDeleter>;

// A message file waiting to go: its path and the header read when it was posted.
struct FileEntry {
  std::string path;
  BusiMessage header;
};
using FilePtr = std::unique_ptr<FileEntry>;

constexpr size_t kMaxPathBytes = 512;  // path field of a queued file entry, NUL included
constexpr int kPassPauseMs = 1000;     // each queue delivers at most one item a second

int senderLen(const BusiMessage& m) { return static_cast<int>(strnlen(m.sender, sizeof m.sender)); }

bool sizeValid(int64_t totalSize) { return totalSize >= PUSH_HEADER_SIZE && totalSize <= BUSI_MAX_TOTAL_SIZE; }

// Reads exactly `length` bytes from the start of fd.
bool readHead(int fd, void* out, size_t length) {
  size_t done = 0;
  while (done < length) {
    ssize_t n = pread(fd, static_cast<uint8_t*>(out) + done, length - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace
}  // namespace ostrel::push

using namespace ostrel;
using namespace ostrel::push;

struct BusiClient final : ClientBase {
  ~BusiClient() override { stop(); }

  void configure(const BusiClientConfig& config, BusiCallback callback, void* user) {
    maxQueue_ = config.maxQueue;
    deleteAfterSend_ = config.deleteAfterSend != 0;
    callback_ = callback;
    user_ = user;
  }

  int postData(const BusiMessage* message) {
    if (message->busiType < 0 || !sizeValid(message->totalSize)) return OSTREL_E_ARGUMENT;
    if (!hasRoom(dataQueue_, dataInFlight_)) return OSTREL_E_STATE;
    BusiPtr copy(static_cast<BusiMessage*>(std::malloc(static_cast<size_t>(message->totalSize))));
    if (!copy) {
      OSTREL_LOG("no memory");
      return OSTREL_E_NO_MEMORY;
    }
    memcpy(copy.get(), message, static_cast<size_t>(message->totalSize));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running() || !roomLocked(dataQueue_, dataInFlight_)) return OSTREL_E_STATE;
      dataQueue_.push(std::move(copy));
    }
    notifyPosted();
    OSTREL_LOG("send data-pre: type %d, size %lld, sender %.*s", message->busiType,
               static_cast<long long>(message->totalSize), senderLen(*message), message->sender);
    return 0;
  }

  int postFile(const char* path) {
    if (strnlen(path, kMaxPathBytes) >= kMaxPathBytes) return refuse(path, OSTREL_E_ARGUMENT);
    if (!hasRoom(fileQueue_, fileInFlight_)) return OSTREL_E_STATE;
    FilePtr entry(new (std::nothrow) FileEntry);
    if (!entry) return OSTREL_E_NO_MEMORY;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return refuse(path, OSTREL_E_OPEN);
    struct stat st {};
    bool headRead = readHead(fd, &entry->header, sizeof entry->header);
    bool statted = fstat(fd, &st) == 0;
    close(fd);
    if (!headRead || !statted) return refuse(path, OSTREL_E_READ);
    const BusiMessage& h = entry->header;
    if (h.busiType < 0 || h.totalSize != static_cast<int64_t>(st.st_size) || h.totalSize > BUSI_MAX_TOTAL_SIZE)
      return refuse(path, OSTREL_E_FRAME_HEADER);
    try {
      entry->path = path;
    } catch (const std::bad_alloc&) {
      return OSTREL_E_NO_MEMORY;
    }
    const int type = h.busiType;
    const long long size = static_cast<long long>(h.totalSize);
    std::string sender(h.sender, static_cast<size_t>(senderLen(h)));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!running() || !roomLocked(fileQueue_, fileInFlight_)) return OSTREL_E_STATE;
      fileQueue_.push(std::move(entry));
    }
    notifyPosted();
    OSTREL_LOG("send file-pre: type %d, size %lld, sender %s, fn %s", type, size, sender.c_str(), path);
    return 0;
  }

 protected:
  void work() override {
    while (running()) {
      BusiPtr data;
      FilePtr file;
      uint64_t dataSeq = 0, fileSeq = 0;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        dataInFlight_ = dataQueue_.take(data, dataSeq);
        fileInFlight_ = fileQueue_.take(file, fileSeq);
      }
      if (!data && !file) {
        idle(kPassPauseMs, [this] { return !dataQueue_.empty() || !fileQueue_.empty(); });
        continue;
      }
      int dataRc = data ? sendData(*data) : 0;
      int fileRc = file ? sendFile(*file) : 0;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (data && dataRc != 0) dataQueue_.putBack(std::move(data), dataSeq);
        if (file && fileRc != 0) fileQueue_.putBack(std::move(file), fileSeq);
        dataInFlight_ = fileInFlight_ = false;
      }
      data.reset();
      file.reset();
      pause(kPassPauseMs);
    }
  }

  void dropQueued() override {
    std::lock_guard<std::mutex> lock(mutex_);
    dataQueue_.clear();
    fileQueue_.clear();
  }

 private:
  template <class Q>
  bool roomLocked(const Q& queue, bool inFlight) const {
    // The item out for delivery counts: it returns to the queue when delivery fails.
    return queue.size() + (inFlight ? 1 : 0) < maxQueue_;
  }
  template <class Q>
  bool hasRoom(const Q& queue, const bool& inFlight) {
    std::lock_guard<std::mutex> lock(mutex_);
    return running() && roomLocked(queue, inFlight);
  }

  static int refuse(const char* path, int rc) {
    OSTREL_LOG("invalid file %s, ret %d", path, rc);
    return rc;
  }

  int sendData(BusiMessage& message) {
    if (!running()) return OSTREL_E_STATE;
    int fd = -1;
    int rc = connectServer(&fd);
    if (rc == 0) {
      Io io = sendAll(fd, &message, static_cast<uint64_t>(message.totalSize), wakeFd(), timeoutMs());
      if (io == Io::Done) awaitPeerClose(fd, wakeFd(), timeoutMs());
      close(fd);
      rc = io == Io::Done ? 0 : OSTREL_E_SEND;
    }
    if (rc != 0) {
      OSTREL_LOG("send data failed: ret %d, type %d, size %lld, sender %.*s", rc, message.busiType,
                 static_cast<long long>(message.totalSize), senderLen(message), message.sender);
      return rc;
    }
    OSTREL_LOG("send data: type %d, size %lld, sender %.*s", message.busiType,
               static_cast<long long>(message.totalSize), senderLen(message), message.sender);
    callback_(0, &message, user_);
    return 0;
  }

  int sendFile(FileEntry& entry) {
    if (!running()) return OSTREL_E_STATE;
    const BusiMessage& h = entry.header;
    int rc = transmitFile(entry);
    if (rc != 0) {
      OSTREL_LOG("send file failed: ret %d, fn %s", rc, entry.path.c_str());
      return rc;
    }
    OSTREL_LOG("send file: type %d, size %lld, sender %.*s, fn %s", h.busiType, static_cast<long long>(h.totalSize),
               senderLen(h), h.sender, entry.path.c_str());
    callback_(0, &entry.header, user_);
    if (deleteAfterSend_ && unlink(entry.path.c_str()) != 0)
      OSTREL_LOG("delete %s failed: %s", entry.path.c_str(), strerror(errno));
    return 0;
  }

  // Sends the file from disk. A file shorter than its header says (it shrank after it was
  // posted) is a failed delivery, so it stays queued and is never deleted as sent.
  int transmitFile(const FileEntry& entry) {
    const uint64_t size = static_cast<uint64_t>(entry.header.totalSize);
    int file = open(entry.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return OSTREL_E_OPEN;
    struct stat st {};
    if (fstat(file, &st) != 0 || static_cast<uint64_t>(st.st_size) < size) {
      close(file);
      return OSTREL_E_READ;
    }
    int fd = -1;
    int rc = connectServer(&fd);
    if (rc == 0) {
      Io io = sendFileAll(fd, file, size, wakeFd(), timeoutMs());
      if (io == Io::Done) awaitPeerClose(fd, wakeFd(), timeoutMs());
      close(fd);
      rc = io == Io::Done ? 0 : io == Io::Closed ? OSTREL_E_READ : OSTREL_E_SEND;
    }
    close(file);
    return rc;
  }

  NewestFirstQueue<BusiPtr> dataQueue_;  // guarded by mutex_
  NewestFirstQueue<FilePtr> fileQueue_;  // guarded by mutex_
  bool dataInFlight_ = false;            // guarded by mutex_
  bool fileInFlight_ = false;            // guarded by mutex_
  uint16_t maxQueue_ = 0;
  bool deleteAfterSend_ = false;
  BusiCallback callback_ = nullptr;
  void* user_ = nullptr;
};

struct BusiServer final : ServerBase {
  BusiServer() : ServerBase(kBusiFormat) {}
  ~BusiServer() override { stop(); }

  void configure(const BusiServerConfig& config, BusiCallback callback, void* user) {
    saveFolder_.assign(config.saveFolder, strnlen(config.saveFolder, sizeof config.saveFolder));
    saveEnable_ = config.saveEnable != 0;
    callback_ = callback;
    user_ = user;
  }

 protected:
  void received(const char* peer, int port, void* m) override {
    const auto* message = static_cast<const BusiMessage*>(m);
    OSTREL_LOG("recv client %s:%d, type %d, size %lld", peer, port, message->busiType,
               static_cast<long long>(message->totalSize));
    if (saveEnable_) save(*message);
  }

  void deliver(void* message) override { callback_(0, static_cast<BusiMessage*>(message), user_); }

 private:
  // A failed save is logged with its reason; the message is still kept and handed on.
  void save(const BusiMessage& message) {
    LocalStamp d = localStamp(message.dataTime);
    LocalStamp r = localStamp(message.receiveTime);
    const char* ext = message.busiType == BusiType_TLZW ? "stream" : message.busiType == BusiType_None ? "None"
                                                                                                      : "unknown";
    std::string sender = cleanSender(message.sender, sizeof message.sender);
    char stamps[64];
    snprintf(stamps, sizeof stamps, "-%04d%02d%02d%02d%02d%02d-%04d%02d%02d%02d%02d%02d.", d.year, d.month, d.day,
             d.hour, d.minute, d.second, r.year, r.month, r.day, r.hour, r.minute, r.second);
    std::string path = saveFolder_ + "/" + sender + stamps + ext;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&message);
    uint64_t offset = message.busiType == BusiType_TLZW ? PUSH_HEADER_SIZE : 0;
    int err = 0;
    int rc = writeWholeFile(path, bytes + offset, static_cast<uint64_t>(message.totalSize) - offset, &err);
    if (rc < 0) OSTREL_LOG("save %s failed: ret %d, %s", path.c_str(), rc, strerror(err));
  }

  std::string saveFolder_;
  bool saveEnable_ = false;
  BusiCallback callback_ = nullptr;
  void* user_ = nullptr;
};

extern "C" {

OSTREL_API BusiClient* BusiClient_Create(void) { return new (std::nothrow) BusiClient(); }

OSTREL_API BusiServer* BusiServer_Create(void) { return new (std::nothrow) BusiServer(); }

OSTREL_API void BusiClient_Free(BusiClient** p) {
  if (!p || !*p) return;
  delete *p;
  *p = nullptr;
}

OSTREL_API void BusiServer_Free(BusiServer** p) {
  if (!p || !*p) return;
  delete *p;
  *p = nullptr;
}

OSTREL_API int BusiClient_Start(BusiClient* client, const BusiClientConfig* config, BusiCallback callback,
                                void* user) {
  if (!client) return OSTREL_E_HANDLE;
  if (!config || !callback) return OSTREL_E_ARGUMENT;
  BusiClientConfig c = *config;
  return client->start(c.ip, sizeof c.ip, c.port, c.timeoutMs, [&] { client->configure(c, callback, user); });
}

OSTREL_API int BusiClient_Stop(BusiClient* client) {
  if (!client) return OSTREL_E_HANDLE;
  return client->stop();
}

OSTREL_API int BusiClient_PostData(BusiClient* client, const BusiMessage* message) {
  if (!client) return OSTREL_E_HANDLE;
  if (!message) return OSTREL_E_ARGUMENT;
  return client->postData(message);
}

OSTREL_API int BusiClient_PostFile(BusiClient* client, const char* path) {
  if (!client) return OSTREL_E_HANDLE;
  if (!path) return OSTREL_E_ARGUMENT;
  return client->postFile(path);
}

OSTREL_API int BusiServer_Start(BusiServer* server, const BusiServerConfig* config, BusiCallback callback,
                                void* user) {
  if (!server) return OSTREL_E_HANDLE;
  if (!config || !callback) return OSTREL_E_ARGUMENT;
  BusiServerConfig c = *config;
  return server->start(c.port, c.timeoutMs, [&] { server->configure(c, callback, user); });
}

OSTREL_API int BusiServer_Stop(BusiServer* server) {
  if (!server) return OSTREL_E_HANDLE;
  return server->stop();
}

OSTREL_API int BusiServer_FreeData(BusiServer* server, BusiMessage* message) {
  if (!server) return OSTREL_E_HANDLE;
  server->freeData(message);
  return 0;
}

OSTREL_API BusiMessage* BusiData_Create(int type, int64_t totalSize) {
  if (type < 0 || !sizeValid(totalSize)) return nullptr;
  auto* message = static_cast<BusiMessage*>(std::calloc(1, static_cast<size_t>(totalSize)));
  if (!message) return nullptr;
  message->busiType = type;
  message->totalSize = totalSize;
  return message;
}

OSTREL_API int BusiData_Save(const BusiMessage* message, const char* dir) {
  if (!message || !dir) return OSTREL_E_ARGUMENT;
  if (message->totalSize <= PUSH_HEADER_SIZE || message->totalSize > BUSI_MAX_TOTAL_SIZE) return OSTREL_E_ARGUMENT;
  LocalStamp t = localStamp(message->receiveTime);
  char stamp[32];
  snprintf(stamp, sizeof stamp, "_%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  std::string path = std::string(dir) + "/" + BusiType_num2str(message->busiType) + "_" +
                     cleanSender(message->sender, sizeof message->sender) + stamp;
  int err = 0;
  int rc = writeWholeFile(path, reinterpret_cast<const uint8_t*>(message) + PUSH_HEADER_SIZE,
                          static_cast<uint64_t>(message->totalSize) - PUSH_HEADER_SIZE, &err);
  if (rc < 0) OSTREL_LOG("save %s failed: ret %d, %s", path.c_str(), rc, strerror(err));
  return rc;
}

OSTREL_API const char* BusiType_num2str(int type) {
  switch (type) {
    case BusiType_None: return "None";
    case BusiType_TLZW: return "TLZW";
    default: return "unknown";
  }
}

}  // extern "C"
