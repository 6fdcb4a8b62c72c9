// Alarm push: messages of a 512-byte header and up to four attachments (16 MiB in all).
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
using AlarmPtr = std::unique_ptr<AlarmMessage, FreeDeleter>;

// The sender as printable log text, never read past its field.
int senderLen(const AlarmMessage& m) { return static_cast<int>(strnlen(m.sender, sizeof m.sender)); }

const char* kindName(uint8_t kind) {
  static const char* const kNames[] = {"none", "alg", "txt", "jpg", "mp4"};
  return kind < 5 ? kNames[kind] : "unknown";
}

}  // namespace
}  // namespace ostrel::push

using namespace ostrel;
using namespace ostrel::push;

struct AlarmClient final : ClientBase {
  ~AlarmClient() override { stop(); }

  int post(const AlarmMessage* message) {
    if (!alarmHeaderValid(*message)) return OSTREL_E_ARGUMENT;
    AlarmPtr copy(static_cast<AlarmMessage*>(std::malloc(static_cast<size_t>(message->totalSize))));
    if (!copy) return OSTREL_E_STATE;
    memcpy(copy.get(), message, static_cast<size_t>(message->totalSize));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // The message out for delivery counts: it returns to the queue when delivery fails.
      if (!running() || queue_.size() + (inFlight_ ? 1 : 0) >= maxQueue_) return OSTREL_E_STATE;
      queue_.push(std::move(copy));
    }
    notifyPosted();
    OSTREL_LOG("send frame-pre: type %d, size %d, sender %.*s", message->alarmType, message->totalSize,
               senderLen(*message), message->sender);
    return 0;
  }

  void configure(const AlarmClientConfig& config, AlarmCallback callback, void* user) {
    maxQueue_ = config.maxQueue;
    callback_ = callback;
    user_ = user;
  }

 protected:
  void work() override {
    while (running()) {
      AlarmPtr message;
      uint64_t seq = 0;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        inFlight_ = queue_.take(message, seq);
      }
      if (!message) {
        idle(100, [this] { return !queue_.empty(); });
        continue;
      }
      int rc = deliver(*message);
      OSTREL_LOG("send data: ret %d, type %d, size %d, sender %.*s", rc, message->alarmType, message->totalSize,
                 senderLen(*message), message->sender);
      callback_(rc, message.get(), user_);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (rc != 0) queue_.putBack(std::move(message), seq);
        inFlight_ = false;
      }
      message.reset();
      if (rc != 0) pause(kRetryPauseMs);
    }
  }

  void dropQueued() override {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
  }

 private:
  int deliver(const AlarmMessage& message) {
    int fd = -1;
    int rc = connectServer(&fd);
    if (rc != 0) return rc;
    Io io = sendAll(fd, &message, static_cast<uint64_t>(message.totalSize), wakeFd(), timeoutMs());
    if (io == Io::Done) awaitPeerClose(fd, wakeFd(), timeoutMs());
    close(fd);
    return io == Io::Done ? 0 : OSTREL_E_SEND;
  }

  NewestFirstQueue<AlarmPtr> queue_;  // guarded by mutex_
  bool inFlight_ = false;             // guarded by mutex_
  uint16_t maxQueue_ = 0;
  AlarmCallback callback_ = nullptr;
  void* user_ = nullptr;
};

struct AlarmServer final : ServerBase {
  AlarmServer() : ServerBase(kAlarmFormat) {}
  ~AlarmServer() override { stop(); }

  void configure(AlarmCallback callback, void* user) {
    callback_ = callback;
    user_ = user;
  }

 protected:
  void received(const char* peer, int port, void* m) override {
    const auto* message = static_cast<const AlarmMessage*>(m);
    OSTREL_LOG("recv client %s:%d, type %d, size %d", peer, port, message->alarmType, message->totalSize);
  }

  void deliver(void* message) override { callback_(0, static_cast<AlarmMessage*>(message), user_); }

 private:
  AlarmCallback callback_ = nullptr;
  void* user_ = nullptr;
};

extern "C" {

OSTREL_API AlarmClient* AlarmClient_Create(void) { return new (std::nothrow) AlarmClient(); }

OSTREL_API AlarmServer* AlarmServer_Create(void) { return new (std::nothrow) AlarmServer(); }

OSTREL_API void AlarmClient_Free(AlarmClient** p) {
  if (!p || !*p) return;
  delete *p;
  *p = nullptr;
}

OSTREL_API void AlarmServer_Free(AlarmServer** p) {
  if (!p || !*p) return;
  delete *p;
  *p = nullptr;
}

OSTREL_API int AlarmClient_Start(AlarmClient* client, const AlarmClientConfig* config, AlarmCallback callback,
                                 void* user) {
  if (!client) return OSTREL_E_HANDLE;
  if (!config || !callback) return OSTREL_E_ARGUMENT;
  AlarmClientConfig c = *config;
  return client->start(c.ip, sizeof c.ip, c.port, c.timeoutMs, [&] { client->configure(c, callback, user); });
}

OSTREL_API int AlarmClient_Stop(AlarmClient* client) {
  if (!client) return OSTREL_E_HANDLE;
  return client->stop();
}

OSTREL_API int AlarmClient_PostData(AlarmClient* client, const AlarmMessage* message) {
  if (!client) return OSTREL_E_HANDLE;
  if (!message) return OSTREL_E_ARGUMENT;
  return client->post(message);
}

OSTREL_API int AlarmServer_Start(AlarmServer* server, const AlarmServerConfig* config, AlarmCallback callback,
                                 void* user) {
  if (!server) return OSTREL_E_HANDLE;
  if (!config || !callback) return OSTREL_E_ARGUMENT;
  return server->start(config->port, config->timeoutMs, [&] { server->configure(callback, user); });
}

OSTREL_API int AlarmServer_Stop(AlarmServer* server) {
  if (!server) return OSTREL_E_HANDLE;
  return server->stop();
}

OSTREL_API int AlarmServer_FreeData(AlarmServer* server, AlarmMessage* message) {
  if (!server) return OSTREL_E_HANDLE;
  server->freeData(message);
  return 0;
}

OSTREL_API AlarmMessage* AlarmData_Create(const AlarmMessage* header, const void* const data[4], int lengths[4],
                                          uint8_t kinds[4]) {
  if (!header || !lengths || !kinds) return nullptr;
  int64_t total = PUSH_HEADER_SIZE;
  for (int i = 0; i < 4; ++i) {
    if (lengths[i] <= 0) {
      lengths[i] = 0;
      kinds[i] = 0;
      continue;
    }
    if (!data || !data[i]) return nullptr;
    total += lengths[i];
  }
  if (total > ALARM_MAX_TOTAL_SIZE) return nullptr;
  auto* message = static_cast<AlarmMessage*>(std::malloc(static_cast<size_t>(total)));
  if (!message) return nullptr;
  memcpy(message, header, sizeof *message);
  auto* at = reinterpret_cast<uint8_t*>(message) + sizeof *message;
  for (int i = 0; i < 4; ++i) {
    message->attachLen[i] = lengths[i];
    message->attachKind[i] = kinds[i];
    if (lengths[i] > 0) {
      memcpy(at, data[i], static_cast<size_t>(lengths[i]));
      at += lengths[i];
    }
  }
  message->totalSize = static_cast<int32_t>(total);
  return message;
}

OSTREL_API int AlarmData_Save(const AlarmMessage* message, const char* dir, int flag, char* name, int capacity) {
  if (!message || !dir || !name) return OSTREL_E_ARGUMENT;
  if (!alarmHeaderValid(*message)) return OSTREL_E_MISMATCH;
  if (capacity < 128) return OSTREL_E_ARGUMENT;
  std::string sender = cleanSender(message->sender, sizeof message->sender);
  LocalStamp t = localStamp(message->alarmTime);
  int n = snprintf(name, static_cast<size_t>(capacity), "%s/%s_%s_%04d%02d%02d_%02d%02d%02d", dir,
                   AlarmDataType_num2str(message->alarmType), sender.c_str(), t.year, t.month, t.day, t.hour,
                   t.minute, t.second);
  if (n < 0 || n >= capacity) {
    name[0] = '\0';
    return OSTREL_E_ARGUMENT;
  }
  const std::string base(name);
  const auto* bytes = reinterpret_cast<const uint8_t*>(message);
  int err = 0;
  if (flag == 0) {
    std::string path = base + ".alarm";
    int rc = writeWholeFile(path, bytes, static_cast<uint64_t>(message->totalSize), &err);
    if (rc < 0) OSTREL_LOG("save %s failed: %d, %s", path.c_str(), rc, strerror(err));
    return rc < 0 ? rc : 0;
  }
  int64_t offset = PUSH_HEADER_SIZE;
  for (int i = 0; i < 4 && message->attachLen[i] > 0; ++i) {
    std::string path = base + "." + kindName(message->attachKind[i]);
    int rc = writeWholeFile(path, bytes + offset, static_cast<uint64_t>(message->attachLen[i]), &err);
    if (rc < 0) {
      OSTREL_LOG("save %s failed: %d, %s", path.c_str(), rc, strerror(err));
      return rc;
    }
    offset += message->attachLen[i];
  }
  return 0;
}

OSTREL_API const char* AlarmDataType_num2str(int type) {
  switch (type) {
    case AlarmType_None: return "None";
    case AlarmType_SmokeFirePerson: return "SmokeFirePerson";
    default: return "unknown";
  }
}

}  // extern "C"
