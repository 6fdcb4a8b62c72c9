/* Alarm and business-data push: one program pushes messages over TCP, another receives them.
 *
 * An alarm message is a 512-byte AlarmMessage header followed by up to four attachments back to
 * back (16 MiB in all); a business-data message is a 512-byte BusiMessage header followed by a
 * payload (4 GiB in all), sent from memory or straight from a message file. Each message travels
 * as its own connection carrying exactly `totalSize` bytes; nothing comes back. Once it has sent
 * the whole message the client ends its direction and waits (up to its time-out) for the server
 * to close the connection, which the server does when it holds the message.
 *
 * Objects: a client queues messages and its worker thread delivers them, newest first; a server
 * listens on 0.0.0.0:port and receives from up to 16 connections side by side, each message
 * under one deadline: the header within timeoutMs, the rest at 1 MiB/s or faster on average
 * (so a 16 MiB message has timeoutMs + 16 s), and never a silence longer than timeoutMs. A
 * connection that misses it is closed and its partial message dropped, logged as a failed
 * receive (-97). The server keeps the whole messages in a list and hands them to the callback one
 * at a time, in the order they completed, on its delivering thread. Callbacks never run under the
 * object's lock, so they may call the object's PostData/PostFile/FreeData but not Stop or Free.
 * Times are FILETIME (100-ns ticks since 1601-01-01 UTC); texts and paths are UTF-8; integers are
 * little-endian. Nothing here needs Ostrel_InitSDK. Results: >= 0 success, < 0 a status code. */
#ifndef OSTREL_PUSH_H
#define OSTREL_PUSH_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* Largest alarm message (header + attachments) and largest business-data message, in bytes. */
#define ALARM_MAX_TOTAL_SIZE 0x1000000
#define BUSI_MAX_TOTAL_SIZE 0x100000000LL
#define PUSH_HEADER_SIZE 512

/* Alarm types (AlarmDataType_num2str) and attachment kinds; a kind's name is its file extension. */
enum AlarmType { AlarmType_None = 0, AlarmType_SmokeFirePerson = 1 };
enum AlarmAttachKind {
  AlarmAttach_None = 0, /* "none" */
  AlarmAttach_Alg = 1,  /* "alg" */
  AlarmAttach_Txt = 2,  /* "txt" */
  AlarmAttach_Jpg = 3,  /* "jpg" */
  AlarmAttach_Mp4 = 4   /* "mp4" */
};
/* Business-data types (BusiType_num2str): type 1 carries a TempStreamFile as its payload. */
enum BusiType { BusiType_None = 0, BusiType_TLZW = 1 };

#pragma pack(push, 1)

/* Header of an alarm message; the attachments follow it in slot order. A valid message has
 * totalSize = 512 + the four lengths, each length >= 0; the first empty slot ends the list. */
typedef struct AlarmMessage {
  int32_t totalSize;          /* 0: header + attachments, 512 .. ALARM_MAX_TOTAL_SIZE */
  int32_t alarmType;          /* 4: AlarmType */
  char sender[72];            /* 8: NUL-terminated within the field, or exactly 72 characters */
  int64_t alarmTime;          /* 80: FILETIME; the receiving server stores its receive time */
  int32_t attachLen[4];       /* 88: bytes of each attachment, 0 for an empty slot */
  uint8_t attachKind[4];      /* 104: AlarmAttachKind of each slot */
  uint8_t reserved108[404];   /* 108: not read */
} AlarmMessage;
OSTREL_STATIC_ASSERT(sizeof(AlarmMessage) == 512, "AlarmMessage is 512 bytes");
OSTREL_STATIC_ASSERT(offsetof(AlarmMessage, alarmType) == 4, "alarmType at 4");
OSTREL_STATIC_ASSERT(offsetof(AlarmMessage, sender) == 8, "sender at 8");
OSTREL_STATIC_ASSERT(offsetof(AlarmMessage, alarmTime) == 80, "alarmTime at 80");
OSTREL_STATIC_ASSERT(offsetof(AlarmMessage, attachLen) == 88, "attachLen at 88");
OSTREL_STATIC_ASSERT(offsetof(AlarmMessage, attachKind) == 104, "attachKind at 104");

/* Client settings (copied by AlarmClient_Start). The server uses port and timeoutMs. */
typedef struct AlarmClientConfig {
  char ip[16];          /* 0: dotted IPv4 of the server, NUL-terminated within the field */
  uint16_t port;        /* 16 */
  uint16_t timeoutMs;   /* 18: connect, send and receive time-out of each wait (server: header
                         * time-out and longest silence of a message); 0 means 5000 */
  uint16_t maxQueue;    /* 20: messages the client holds at most */
  uint8_t reserved[18]; /* 22: not read */
} AlarmClientConfig;
typedef AlarmClientConfig AlarmServerConfig;
OSTREL_STATIC_ASSERT(sizeof(AlarmClientConfig) == 40, "AlarmClientConfig is 40 bytes");
OSTREL_STATIC_ASSERT(offsetof(AlarmClientConfig, port) == 16, "port at 16");
OSTREL_STATIC_ASSERT(offsetof(AlarmClientConfig, timeoutMs) == 18, "timeoutMs at 18");
OSTREL_STATIC_ASSERT(offsetof(AlarmClientConfig, maxQueue) == 20, "maxQueue at 20");

/* Header of a business-data message; the payload (totalSize - 512 bytes) follows it. */
typedef struct BusiMessage {
  int64_t totalSize;        /* 0: header + payload, 512 .. BUSI_MAX_TOTAL_SIZE */
  int32_t busiType;         /* 8: BusiType, >= 0 */
  uint32_t reserved12;      /* 12: not read */
  char sender[64];          /* 16: NUL-terminated within the field, or exactly 64 characters */
  int64_t dataTime;         /* 80: FILETIME of the data */
  int64_t receiveTime;      /* 88: FILETIME; the receiving server stores its receive time */
  uint8_t reserved96[416];  /* 96: not read */
} BusiMessage;
OSTREL_STATIC_ASSERT(sizeof(BusiMessage) == 512, "BusiMessage is 512 bytes");
OSTREL_STATIC_ASSERT(offsetof(BusiMessage, busiType) == 8, "busiType at 8");
OSTREL_STATIC_ASSERT(offsetof(BusiMessage, sender) == 16, "sender at 16");
OSTREL_STATIC_ASSERT(offsetof(BusiMessage, dataTime) == 80, "dataTime at 80");
OSTREL_STATIC_ASSERT(offsetof(BusiMessage, receiveTime) == 88, "receiveTime at 88");

/* Business-data client settings (copied by BusiClient_Start). */
typedef struct BusiClientConfig {
  uint8_t reserved0[64];    /* 0: not read */
  char ip[16];              /* 64: dotted IPv4 of the server, NUL-terminated within the field */
  uint16_t port;            /* 80 */
  uint16_t timeoutMs;       /* 82: connect, send and receive time-out of each wait; 0 means 5000 */
  uint16_t maxQueue;        /* 84: limit of each of the two queues (messages, files) */
  uint16_t deleteAfterSend; /* 86: non-zero: a message file is deleted once sent whole */
  uint8_t reserved88[16];   /* 88: not read */
} BusiClientConfig;
OSTREL_STATIC_ASSERT(sizeof(BusiClientConfig) == 104, "BusiClientConfig is 104 bytes");
OSTREL_STATIC_ASSERT(offsetof(BusiClientConfig, ip) == 64, "ip at 64");
OSTREL_STATIC_ASSERT(offsetof(BusiClientConfig, port) == 80, "port at 80");
OSTREL_STATIC_ASSERT(offsetof(BusiClientConfig, timeoutMs) == 82, "timeoutMs at 82");
OSTREL_STATIC_ASSERT(offsetof(BusiClientConfig, maxQueue) == 84, "maxQueue at 84");
OSTREL_STATIC_ASSERT(offsetof(BusiClientConfig, deleteAfterSend) == 86, "deleteAfterSend at 86");

/* Business-data server settings (copied by BusiServer_Start). */
typedef struct BusiServerConfig {
  uint8_t reserved0[80];   /* 0: not read */
  uint16_t port;           /* 80 */
  uint16_t timeoutMs;      /* 82: header time-out and longest silence of a message; 0 means 5000 */
  char saveFolder[128];    /* 84: UTF-8 folder, NUL-terminated within the field or 128 bytes */
  uint8_t saveEnable;      /* 212: non-zero: every received message is also saved in saveFolder */
  uint8_t reserved213[19]; /* 213: not read */
} BusiServerConfig;
OSTREL_STATIC_ASSERT(sizeof(BusiServerConfig) == 232, "BusiServerConfig is 232 bytes");
OSTREL_STATIC_ASSERT(offsetof(BusiServerConfig, port) == 80, "port at 80");
OSTREL_STATIC_ASSERT(offsetof(BusiServerConfig, timeoutMs) == 82, "timeoutMs at 82");
OSTREL_STATIC_ASSERT(offsetof(BusiServerConfig, saveFolder) == 84, "saveFolder at 84");
OSTREL_STATIC_ASSERT(offsetof(BusiServerConfig, saveEnable) == 212, "saveEnable at 212");

#pragma pack(pop)

typedef struct AlarmClient AlarmClient;
typedef struct AlarmServer AlarmServer;
typedef struct BusiClient BusiClient;
typedef struct BusiServer BusiServer;

/* Client callback: the result of one delivery attempt (0 delivered; -100 socket, -99 connect,
 * -98 send) and the message, which belongs to the client and is valid only during the call;
 * called on the client's worker thread. Server callback: 0 and the received message, which
 * stays valid until the server's FreeData, Stop or Free; called on the server's delivering
 * thread, one call at a time. */
typedef void (*AlarmCallback)(int result, AlarmMessage* message, void* user);
typedef void (*BusiCallback)(int result, BusiMessage* message, void* user);

/* ---- Alarm push ---- */

/* A stopped client or server, or null when out of memory. Free it with the matching Free. */
OSTREL_API AlarmClient* AlarmClient_Create(void);
OSTREL_API AlarmServer* AlarmServer_Create(void);
/* Stops the object when running, frees everything it holds and sets *p to null; a null address
 * or object is ignored. Not from the object's own callback. */
OSTREL_API void AlarmClient_Free(AlarmClient** p);
OSTREL_API void AlarmServer_Free(AlarmServer** p);

/* Copies the config and starts the delivery thread. 0; -7 already running; -8 null config or
 * callback, or an ip that is not a dotted IPv4 address; -10 null client; -5 no memory. */
OSTREL_API int AlarmClient_Start(AlarmClient* client, const AlarmClientConfig* config,
                                 AlarmCallback callback, void* user);
/* Ends the delivery thread (an exchange in progress is cut off at once) and frees every queued
 * message. 0 (also when stopped); -10 null client. Blocks until the thread has ended. */
OSTREL_API int AlarmClient_Stop(AlarmClient* client);
/* Queues a copy of `message` (its totalSize bytes) to go out before every older one. 0 queued;
 * -7 stopped, maxQueue messages already waiting, or no memory; -8 null message or a header that
 * is not valid (totalSize outside 512..16 MiB, a negative length, lengths not adding up);
 * -10 null client. A failed delivery is retried 1000 ms later, until delivered or stopped. */
OSTREL_API int AlarmClient_PostData(AlarmClient* client, const AlarmMessage* message);

/* Listens on 0.0.0.0:port (SO_REUSEADDR, backlog 8) and starts the receiving and the delivering
 * thread. 0; -7 running; -8 null config or callback; -10 null server; -96 the port cannot be
 * bound. */
OSTREL_API int AlarmServer_Start(AlarmServer* server, const AlarmServerConfig* config,
                                 AlarmCallback callback, void* user);
/* Closes the listener, cuts off every receive in progress, ends the threads and frees every kept
 * message and every one not yet handed to the callback. 0 (also when stopped); -7 from the
 * callback; -10 null server. Returns within a moment, once a callback in progress has returned. */
OSTREL_API int AlarmServer_Stop(AlarmServer* server);
/* Removes `message` from the kept list and frees it; a message that is not kept is left alone.
 * 0; -10 null server. Any thread. */
OSTREL_API int AlarmServer_FreeData(AlarmServer* server, AlarmMessage* message);

/* A new message: the 512-byte header template, then the attachments `data[i]` of `lengths[i]`
 * bytes in slot order. A length <= 0 is set to 0 in the caller's array, and its kind to 0. The
 * header gets each slot's length and kind and totalSize. Null when header, lengths or kinds is
 * null, a used slot has no data, the total passes ALARM_MAX_TOTAL_SIZE, or memory runs out. The
 * caller frees the block with free(). */
OSTREL_API AlarmMessage* AlarmData_Create(const AlarmMessage* header, const void* const data[4],
                                          int lengths[4], uint8_t kinds[4]);
/* Stores the message in `dir` under the base name "<dir>/<type>_<sender>_<YYYYMMDD>_<hhmmss>"
 * (local time of alarmTime, zeros when it cannot be converted; unsafe characters of the sender
 * become '_'), which is also written to `name`. flag 0: the whole message to "<base>.alarm";
 * otherwise each attachment up to the first empty slot to "<base>.<kind extension>".
 * Each file is written through a temporary file and a rename. 0 written; -11 the header is not
 * valid; -8 null argument, capacity < 128 or a name longer than the capacity; -200 a file cannot
 * be created; -197 a write failed. Blocks on file I/O. */
OSTREL_API int AlarmData_Save(const AlarmMessage* message, const char* dir, int flag, char* name,
                              int capacity);
/* "None", "SmokeFirePerson" or "unknown"; a static text. */
OSTREL_API const char* AlarmDataType_num2str(int type);

/* ---- Business-data push ---- */

OSTREL_API BusiClient* BusiClient_Create(void);
OSTREL_API BusiServer* BusiServer_Create(void);
OSTREL_API void BusiClient_Free(BusiClient** p);
OSTREL_API void BusiServer_Free(BusiServer** p);

/* As AlarmClient_Start. Each pass of the thread tries the newest message and the newest file
 * once and then waits 1000 ms, so each queue delivers at most one item a second. */
OSTREL_API int BusiClient_Start(BusiClient* client, const BusiClientConfig* config, BusiCallback callback,
                                void* user);
/* As AlarmClient_Stop; both queues are emptied (queued files stay on disk). */
OSTREL_API int BusiClient_Stop(BusiClient* client);
/* Queues a copy of the message. 0; -8 null message, busiType < 0 or totalSize outside
 * 512..4 GiB; -7 stopped or the message queue full; -5 no memory; -10 null client. The callback
 * reports deliveries only (result 0). */
OSTREL_API int BusiClient_PostData(BusiClient* client, const BusiMessage* message);
/* Queues a message file (a whole BusiMessage as stored) to be sent from disk. 0; -7 stopped or the
 * file queue full; -5 no memory; -8 null or a path of 512 bytes or more; -200 cannot open;
 * -198 fewer than 512 bytes; -194 busiType < 0, totalSize not the file length, or above 4 GiB;
 * -10 null client. A file that no longer has totalSize bytes when sent counts as not delivered:
 * it stays queued and on disk. With deleteAfterSend the file is deleted after a delivery. The
 * callback gets a copy of the file's header. Blocks on reading the header. */
OSTREL_API int BusiClient_PostFile(BusiClient* client, const char* path);

/* As AlarmServer_Start. With saveEnable each received message is also stored in saveFolder as
 * "<folder>/<sender>-<data time>-<receive time>.<ext>" (local times YYYYMMDDhhmmss; type 1:
 * ".stream", the payload only, i.e. the TempStreamFile; type 0: ".None", other types ".unknown",
 * the whole message). A failed save is logged; the message is kept and handed on all the same. */
OSTREL_API int BusiServer_Start(BusiServer* server, const BusiServerConfig* config, BusiCallback callback,
                                void* user);
OSTREL_API int BusiServer_Stop(BusiServer* server);
OSTREL_API int BusiServer_FreeData(BusiServer* server, BusiMessage* message);

/* A zeroed message of `totalSize` bytes with busiType and totalSize set; null when type < 0, the
 * size lies outside 512..4 GiB or memory runs out. The caller frees it with free(). */
OSTREL_API BusiMessage* BusiData_Create(int type, int64_t totalSize);
/* Writes the payload (totalSize - 512 bytes) to "<dir>/<type>_<sender>_<YYYYMMDD>_<hhmmss>" (local
 * time of receiveTime), through a temporary file and a rename. 1 written; -8 null argument or
 * totalSize <= 512 or above 4 GiB; -200 cannot create; -197 short write. Blocks on file I/O. */
OSTREL_API int BusiData_Save(const BusiMessage* message, const char* dir);
/* "None", "TLZW" or "unknown"; a static text. */
OSTREL_API const char* BusiType_num2str(int type);

OSTREL_END_DECLS

#endif /* OSTREL_PUSH_H */
