// Memory block and file transfers: each is its own exchange on a new connection to the login's
// command port (request, status reply, then the raw bytes), outside the request table. Every step
// (connect, request, reply, each chunk of bytes) has its own deadline, so a transfer of any size
// is bounded by the silence it tolerates, not by its length.
#include <arpa/inet.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "OstrelSDK.h"
#include "foundation/ByteOrder.h"
#include "files/FileIo.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "frame/SdkState.h"
#include "link/CommandChannel.h"
#include "link/LoginSessions.h"

namespace ostrel::sdk {

namespace {

using tcp::Clock;

constexpr size_t kChunk = 0x100000;  // files move through one buffer of this size
constexpr uint16_t kFileUpload = 35, kFileUploadReply = 36;
constexpr uint16_t kFileDownload = 50, kFileDownloadReply = 51;
constexpr uint16_t kMemDownload = 78, kMemDownloadReply = 79;
constexpr uint16_t kMemUpload = 80, kMemUploadReply = 81;

Clock::time_point after(int ms) {
  return Clock::now() + std::chrono::milliseconds(ms);
}

// The common start: the login's address under the lock, then a connection outside it.
int openTransfer(int userId, tcp::Socket& s) {
  LoginTarget t{};
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  if (connectTo(s, t.cameraIp, t.cmdPort, after(sdkConnectTimeout())) != 0) {
    in_addr a{htonl(t.cameraIp)};
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &a, text, sizeof text);
    OSTREL_LOG("connect to %s error", text);
    return OSTREL_E_CONNECT;
  }
  return 0;
}

// Sends the request whole and receives the whole status reply (the status at +4), both under
// their own deadlines; the reply is checked by its type. 0, -98, -97, or -2 for a refusal.
int requestStep(tcp::Socket& s, const uint8_t* req, size_t reqSize, uint8_t* reply, size_t replySize,
                uint16_t replyType, const char* sendText, const char* recvText) {
  if (!tcp::sendAll(s.fd, req, reqSize, after(sdkSendTimeout()))) {
    OSTREL_LOG("%s", sendText);
    return OSTREL_E_SEND;
  }
  const auto deadline = after(sdkRecvTimeout());
  size_t got = tcp::recvAll(s.fd, reply, kCmdHeaderSize, deadline);
  if (got == kCmdHeaderSize && bytes::readU16(reply, got, 0) == replyType)
    got += tcp::recvAll(s.fd, reply + kCmdHeaderSize, replySize - kCmdHeaderSize, deadline);
  if (got != replySize || bytes::readU16(reply, got, 0) != replyType) {
    OSTREL_LOG("%s", recvText);
    return OSTREL_E_REPLY;
  }
  if (bytes::readI32(reply, replySize, 4) < 0) return OSTREL_E_UNSUPPORTED;
  return 0;
}

// Sends n bytes in slices of at most kChunk, each within the send time-out.
bool sendSliced(int fd, const uint8_t* p, size_t n, size_t* left) {
  *left = n;
  while (*left > 0) {
    const size_t k = *left < kChunk ? *left : kChunk;
    if (!tcp::sendAll(fd, p, k, after(sdkSendTimeout()))) return false;
    p += k;
    *left -= k;
  }
  return true;
}

std::unique_ptr<uint8_t[]> chunkBuffer() {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[kChunk]);
}

}  // namespace

}  // namespace ostrel::sdk

using namespace ostrel::sdk;
namespace bytes = ostrel::bytes;

extern "C" OSTREL_API int Ostrel_UploadFileV2(int userId, const char* path, int fileType, int fileParam) {
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  if (!path) return OSTREL_E_ARGUMENT;
  FILE* f = ostrel::fopenUtf8(path, "rb");
  if (!f) return OSTREL_E_OPEN;
  std::unique_ptr<FILE, int (*)(FILE*)> file(f, &fclose);
  if (fseeko(f, 0, SEEK_END) != 0) return OSTREL_E_SEEK;
  const off_t end = ftello(f);
  if (end < 0 || fseeko(f, 0, SEEK_SET) != 0) return OSTREL_E_SEEK;
  // The request carries the size as int32: a larger file cannot be announced.
  if (end > INT32_MAX) return OSTREL_E_ARGUMENT;
  const int32_t size = int32_t(end);

  tcp::Socket s;
  int rc = openTransfer(userId, s);
  if (rc != 0) return rc;
  uint8_t req[12];
  cmdPutHeader(req, kFileUpload, sizeof req);
  bytes::putU16(req + 4, uint16_t(fileType));
  bytes::putU16(req + 6, uint16_t(fileParam));
  bytes::putI32(req + 8, size);
  uint8_t reply[8];
  rc = requestStep(s, req, sizeof req, reply, sizeof reply, kFileUploadReply, "send req File_UploadFile error",
                   "recv resp File_UploadFile error");
  if (rc != 0) return rc;

  auto buf = chunkBuffer();
  if (!buf) return OSTREL_E_NO_MEMORY;
  int64_t toSend = size;
  while (toSend > 0) {
    const size_t want = toSend < int64_t(kChunk) ? size_t(toSend) : kChunk;
    const size_t got = fread(buf.get(), 1, want, f);
    if (got == 0) return OSTREL_E_READ;  // the file shrank under us
    size_t left = 0;
    if (!sendSliced(s.fd, buf.get(), got, &left)) {
      OSTREL_LOG("send file error, toSend %d", int(toSend));
      return OSTREL_E_SEND;
    }
    toSend -= int64_t(got);
  }
  return 0;
}

extern "C" OSTREL_API int Ostrel_UploadFile(int userId, const char* path, int fileType) {
  return Ostrel_UploadFileV2(userId, path, fileType, 0);
}

extern "C" OSTREL_API int Ostrel_DownloadFile(int userId, const char* path, int fileType) {
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  if (!path) return OSTREL_E_ARGUMENT;
  tcp::Socket s;
  int rc = openTransfer(userId, s);
  if (rc != 0) return rc;
  uint8_t req[8];
  cmdPutHeader(req, kFileDownload, sizeof req);
  bytes::putI32(req + 4, fileType);
  uint8_t reply[12];
  rc = requestStep(s, req, sizeof req, reply, sizeof reply, kFileDownloadReply, "send req File_DownloadFile error",
                   "recv resp RespFile_DownloadFile error");
  if (rc != 0) return rc;
  const int32_t size = bytes::readI32(reply, sizeof reply, 8);
  if (size < 0) return OSTREL_E_MISMATCH;

  auto buf = chunkBuffer();
  if (!buf) return OSTREL_E_NO_MEMORY;
  // The bytes go to a temporary file renamed over the target only once all of them arrived, so a
  // broken download leaves the earlier file as it was.
  ostrel::files::AtomicFile out;
  rc = out.open(path);
  if (rc != 0) return rc;
  int64_t left = size;
  const int recvMs = sdkRecvTimeout();
  while (left > 0) {
    const size_t want = left < int64_t(kChunk) ? size_t(left) : kChunk;
    const size_t got = tcp::recvAll(s.fd, buf.get(), want, after(recvMs), recvMs);
    if (got != want) {
      OSTREL_LOG("recv file error, left %d", int(left));
      return OSTREL_E_REPLY;
    }
    if (out.write(buf.get(), got) != 0) return OSTREL_E_WRITE;
    left -= int64_t(got);
  }
  return out.commit();
}

extern "C" OSTREL_API int Ostrel_UploadMem(int userId, int blockType, const char* data, int length) {
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  if (length < 0 || (!data && length > 0)) return OSTREL_E_ARGUMENT;
  tcp::Socket s;
  int rc = openTransfer(userId, s);
  if (rc != 0) return rc;
  uint8_t req[12];
  cmdPutHeader(req, kMemUpload, sizeof req);
  bytes::putI32(req + 4, blockType);
  bytes::putI32(req + 8, length);
  uint8_t reply[8];
  rc = requestStep(s, req, sizeof req, reply, sizeof reply, kMemUploadReply, "send req Mem_UploadMem error",
                   "recv resp Mem_UploadMem error");
  if (rc != 0) return rc;
  size_t left = 0;
  if (!sendSliced(s.fd, reinterpret_cast<const uint8_t*>(data), size_t(length), &left)) {
    OSTREL_LOG("send mem error, toSend %d", int(left));
    return OSTREL_E_SEND;
  }
  return 0;
}

extern "C" OSTREL_API int Ostrel_DownloadMem(int userId, int blockType, char* buffer, int* size) {
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  if (!size || *size < 0 || (!buffer && *size > 0)) return OSTREL_E_ARGUMENT;
  tcp::Socket s;
  int rc = openTransfer(userId, s);
  if (rc != 0) return rc;
  uint8_t req[8];
  cmdPutHeader(req, kMemDownload, sizeof req);
  bytes::putI32(req + 4, blockType);
  uint8_t reply[12];
  rc = requestStep(s, req, sizeof req, reply, sizeof reply, kMemDownloadReply, "send req Mem_DownloadMem error",
                   "recv resp RespMem_DownloadMem error");
  if (rc != 0) return rc;
  const int32_t length = bytes::readI32(reply, sizeof reply, 8);
  if (length < 0) return OSTREL_E_MISMATCH;
  if (length > *size) return OSTREL_E_NO_MEMORY;
  const int recvMs = sdkRecvTimeout();
  auto* p = reinterpret_cast<uint8_t*>(buffer);
  for (int32_t done = 0; done < length;) {
    const size_t want = size_t(length - done) < kChunk ? size_t(length - done) : kChunk;
    if (tcp::recvAll(s.fd, p + done, want, after(recvMs), recvMs) != want) {
      OSTREL_LOG("recv mem error, left %d", int(length - done));
      return OSTREL_E_REPLY;
    }
    done += int32_t(want);
  }
  *size = length;
  return 0;
}
