/* Login sessions, configuration exchanges and control commands.
 *
 * Common rules of this header:
 * - Every function returns a status code of OstrelTypes.h (0 or a user id on success).
 * - A user id is a login slot index 0..255 from Ostrel_Login / Ostrel_LoginV2; an id outside that
 *   range or of a slot not in use gives -10. A null pointer argument gives -8.
 * - Every call that talks to the camera opens its own TCP connection to the camera's command port,
 *   blocks the calling thread for at most connect + send + receive time-out (Ostrel_SetTimeout;
 *   the receive bound is 10000 ms for Ostrel_SendControlX) and may run on any thread, also in
 *   parallel with other calls. The SDK's slot lock is never held during the exchange.
 * - Records are the caller's: the SDK reads or fills them during the call and keeps no pointer. A
 *   get fills the caller's record only on success. */
#ifndef OSTREL_LINK_H
#define OSTREL_LINK_H

#include "OstrelRecords.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* ---- Login sessions ---- */

/* Logs in to the camera at info->ip (dotted IPv4 text) on the default ports. Reads the camera's
 * basic record into *out (also on a failure after that read) and its correction record, sends the
 * PC's UTC clock when the settings ask for it, and takes the lowest free login slot.
 * Returns the user id 0..255, or -4 not initialised, -8 bad address or null pointer, -6 no free
 * slot or a snapshot buffer that cannot be allocated (data and picture sizes beyond 16 Mi pixels),
 * or the command channel's -97..-99. When the camera reports an image size of 0 the data size is
 * filled in; a sendRatio of 0 is reported as 1. */
OSTREL_API int Ostrel_Login(const LoginInfo* info, CameraBasicInfoRecord* out);

/* As Ostrel_Login, with the five ports from *info (0 = default). */
OSTREL_API int Ostrel_LoginV2(const LoginInfoV2* info, CameraBasicInfoRecord* out);

/* Frees the login slot and its snapshot buffer. Returns 0 (also for a slot not in use), -4 when
 * not initialised, -10 for an id outside 0..255. Does not block on the network. */
OSTREL_API int Ostrel_Logout(int userId);

/* ---- Configuration records: typed pairs ---- */

OSTREL_API int Ostrel_GetCameraBasicInfo(int userId, CameraBasicInfoRecord* record);
OSTREL_API int Ostrel_SetCameraBasicInfo(int userId, const CameraBasicInfoRecord* record);
OSTREL_API int Ostrel_GetCameraNetworkInfo(int userId, CameraNetworkInfoRecord* record);
OSTREL_API int Ostrel_SetCameraNetworkInfo(int userId, const CameraNetworkInfoRecord* record);
OSTREL_API int Ostrel_GetFFCInfo(int userId, FFCInfoRecord* record);
OSTREL_API int Ostrel_SetFFCInfo(int userId, const FFCInfoRecord* record);
/* A successful get or set of the correction record also makes it the login's copy, which stream
 * recordings begun afterwards carry (until then the one read at login). */
OSTREL_API int Ostrel_GetFixInfo(int userId, FixInfoRecord* record);
OSTREL_API int Ostrel_SetFixInfo(int userId, const FixInfoRecord* record);
OSTREL_API int Ostrel_GetTvoutInfo(int userId, TvoutInfoRecord* record);
OSTREL_API int Ostrel_SetTvoutInfo(int userId, const TvoutInfoRecord* record);
OSTREL_API int Ostrel_GetSerialPortInfo(int userId, SerialPortInfoRecord* record);
OSTREL_API int Ostrel_SetSerialPortInfo(int userId, const SerialPortInfoRecord* record);
OSTREL_API int Ostrel_GetGpioInfo(int userId, GpioInfoRecord* record);
OSTREL_API int Ostrel_SetGpioInfo(int userId, const GpioInfoRecord* record);
/* The plug-in pair: -2 when the camera's reply carries another operation word than the request. */
OSTREL_API int Ostrel_GetCameraPluginInfo(int userId, CameraPluginInfoRecord* record);
OSTREL_API int Ostrel_SetCameraPluginInfo(int userId, const CameraPluginInfoRecord* record);
OSTREL_API int Ostrel_GetCameraTimeInfo(int userId, CameraTimeInfoRecord* record);
OSTREL_API int Ostrel_SetCameraTimeInfo(int userId, const CameraTimeInfoRecord* record);
OSTREL_API int Ostrel_GetCameraOSDInfo(int userId, CameraOSDInfoRecord* record);
OSTREL_API int Ostrel_SetCameraOSDInfo(int userId, const CameraOSDInfoRecord* record);
OSTREL_API int Ostrel_GetCameraOutputInfo(int userId, CameraOutputInfoRecord* record);
OSTREL_API int Ostrel_SetCameraOutputInfo(int userId, const CameraOutputInfoRecord* record);
OSTREL_API int Ostrel_GetFPAInfoZR160(int userId, FPAInfoZR160Record* record);
OSTREL_API int Ostrel_SetFPAInfoZR160(int userId, const FPAInfoZR160Record* record);
OSTREL_API int Ostrel_GetFPAInfoQM(int userId, FPAInfoQMRecord* record);
OSTREL_API int Ostrel_SetFPAInfoQM(int userId, const FPAInfoQMRecord* record);

/* ---- Detector registers with a selector 0, 1 or 2 (any other value: -2 before any check) ---- */

OSTREL_API int Ostrel_GetFPAInfo(int userId, FPAInfoRecord* record, int selector);
OSTREL_API int Ostrel_SetFPAInfo(int userId, const FPAInfoRecord* record, int selector);
OSTREL_API int Ostrel_GetFPAInfoQJ(int userId, FPAInfoQJRecord* record, int selector);
OSTREL_API int Ostrel_SetFPAInfoQJ(int userId, const FPAInfoQJRecord* record, int selector);
OSTREL_API int Ostrel_GetFPAInfoQP(int userId, FPAInfoQPRecord* record, int selector);
OSTREL_API int Ostrel_SetFPAInfoQP(int userId, const FPAInfoQPRecord* record, int selector);
OSTREL_API int Ostrel_GetFPAInfoVNR(int userId, FPAInfoVNRRecord* record, int selector);
OSTREL_API int Ostrel_SetFPAInfoVNR(int userId, const FPAInfoVNRRecord* record, int selector);

/* ---- Generic pair ----
 * infoId: 0 basic, 1 network, 2 fix, 3 FFC, 4 tvout, 5 output, 6 time, 7 OSD, 8 GPIO, 9 serial,
 * 10 plug-in, 11 destripe, 12 denoise, 100..102 FPA, 103..105 FPA QJ, 106..108 FPA QP,
 * 109..111 FPA VNR (selectors 0..2), 112 FPA QM, 113 FPA ZR160, 1000..1002 extended blocks.
 * bufferSize in bytes; the record is read from / written to the first record-size bytes.
 * Returns -8 for an unknown id or a buffer smaller than the record (checked after the user id,
 * before any traffic). The basic record (id 0) is handed on as received. */
OSTREL_API int Ostrel_GetInfo(int userId, int infoId, void* buffer, int bufferSize);
OSTREL_API int Ostrel_SetInfo(int userId, int infoId, const void* buffer, int bufferSize);

/* ---- Control commands ---- */

/* Sends the 10-byte one-way command; returns 0 as soon as it is sent (no reply is read). */
OSTREL_API int Ostrel_SendControl(int userId, const ControlInfo* command);

/* Sends the 68-byte command and waits up to 10000 ms for the camera's answer, which overwrites
 * *command whole on success. Returns 0, -1 when the answer carries another command type (the
 * record then holds the answer), or a channel code. */
OSTREL_API int Ostrel_SendControlX(int userId, ControlInfoX* command);

/* Sends 32 bytes of raw data to the camera's serial port; 0 as soon as they are sent. */
OSTREL_API int Ostrel_WriteSerialPortData(int userId, const uint8_t data[32]);

/* ---- Memory block and file transfers ----
 * Each transfer is its own connection to the login's command port: a request, the camera's status
 * reply, then the raw bytes. Every step (connect, request, reply, each 1 MiB of data) is bounded by
 * its own time-out (Ostrel_SetTimeout), so a transfer blocks for as long as the bytes keep moving.
 * Any thread; transfers to one or several cameras may run at once (no SDK lock is held).
 * Common codes: -10 bad user id or slot not in use, -99 no connection, -98 request or bytes not
 * sent whole, -97 reply missing, short or of the wrong type, -2 the camera refused (status < 0;
 * no data bytes move), -11 the camera announced a negative size. Paths are UTF-8. */

/* Sends the file at localPath (under 2 GiB: -8 otherwise, before connecting) as fileType with
 * fileParam (carried, not interpreted). -200 when the file cannot be opened (no connection is
 * made), -5 no chunk buffer, -198 when the file ends before its announced size. */
OSTREL_API int Ostrel_UploadFileV2(int userId, const char* localPath, int fileType, int fileParam);
/* Ostrel_UploadFileV2 with fileParam 0. */
OSTREL_API int Ostrel_UploadFile(int userId, const char* localPath, int fileType);
/* Fetches the camera's file of fileType into localPath. The bytes go to a temporary file beside
 * it, renamed over localPath only when all announced bytes arrived: on any failure an earlier
 * file at localPath stays unchanged. -200 when the temporary file cannot be created, -197 when
 * writing or renaming fails. */
OSTREL_API int Ostrel_DownloadFile(int userId, const char* localPath, int fileType);
/* Sends length bytes at data (the caller's, read during the call) as memory block blockType.
 * -8 for a negative length or null data with a positive length. */
OSTREL_API int Ostrel_UploadMem(int userId, int blockType, const char* data, int length);
/* Fetches memory block blockType into buffer. *size: the buffer's capacity in bytes on entry,
 * the block's length on success (unchanged on failure). -5 when the block is longer than the
 * buffer (nothing is read), -8 for a null size, a negative capacity or a null buffer. */
OSTREL_API int Ostrel_DownloadMem(int userId, int blockType, char* buffer, int* size);

/* ---- Camera snapshot ----
 * One complete radiometric picture from the camera's snapshot port: a 32-byte head, the TEMP block
 * (TempBlock layout of OstrelFiles.h) and the camera's own picture file, received into the
 * login's snapshot buffer. The SDK's slot lock is held for the whole call (connect and each
 * receive bounded by the time-outs), so other exports that need it wait. Any thread.
 * Codes: -4 not initialised, -10 bad user id or slot not in use, -8 null argument, -99 no
 * connection, -97 the stream ended early, -95 a head that does not fit the login (another data
 * size, a length shorter than head and TEMP block or longer than the buffer). A capture time of 0
 * in the block is replaced by the current time. */

/* Where the parts of the last snapshot lie; every pointer points into the login's snapshot buffer
 * and stays valid until the next snapshot of the same login or its logout. */
typedef struct SnapshotMemInfo {
  void* head;        /* TempFileHead of the TEMP block */
  void* headerExtra; /* the TEMP header bytes behind it (reserved word, palette index, StretchCtl) */
  void* frameHead;   /* DataFrameHead */
  int16_t* data;     /* dataWidth x dataHeight codes */
  void* reserved;    /* always null */
  void* picture;     /* the camera's picture file */
  int32_t reserved2; /* always 0 */
  int32_t pictureSize; /* bytes of the picture file */
} SnapshotMemInfo;

/* Writes the snapshot to path: the camera's picture file, followed by the TEMP block when withTemp
 * is non-zero (a radiometric picture). The file is written through a temporary file and renamed,
 * so a failed write leaves an earlier file whole: -200 cannot create, -197 short write. */
OSTREL_API int Ostrel_SaveFrame(int userId, const char* path, int withTemp);
/* Takes a snapshot and fills *out (the caller's record) with pointers into the login's buffer. */
OSTREL_API int Ostrel_SaveFrameToMem(int userId, SnapshotMemInfo* out);

/* ---- Built-in hardware configuration table ---- */

/* One window mode of a hardware configuration (8 bytes). */
typedef struct HwWindowMode {
  uint16_t width;
  uint16_t height;
  uint16_t frameRate;
  uint16_t one; /* 1 in every used entry */
} HwWindowMode;

/* One hardware configuration (512 bytes). Window modes end at the first all-zero entry. */
typedef struct HwStaticConfig {
  uint16_t configId;
  uint16_t secondCode;
  uint16_t thirdCode;
  uint16_t zero6;
  uint16_t one8;
  uint16_t zero10;
  uint16_t firstSize[2]; /* width, height */
  uint16_t secondSize[2];
  uint16_t thirdSize[2];
  int32_t firstValue;
  int32_t secondValue;
  HwWindowMode modes[60];
} HwStaticConfig;

/* Returns a new copy of the whole table (34 entries) and sets *count to 34, or null (count
 * untouched) when it cannot be allocated or count is null. The caller owns the copy and frees it
 * with HW_Free. Any thread; does not block. */
OSTREL_API HwStaticConfig* HW_GetStaticConfigArray(int* count);

/* HW_Free(&table) (declared in OstrelAlgFrame.h, the shared free of single-block objects) frees
 * a table from HW_GetStaticConfigArray and sets the pointer to null; null does nothing. */

OSTREL_END_DECLS

OSTREL_STATIC_ASSERT(sizeof(HwWindowMode) == 8, "size of HwWindowMode");
OSTREL_STATIC_ASSERT(sizeof(HwStaticConfig) == 512, "size of HwStaticConfig");
OSTREL_STATIC_ASSERT(offsetof(HwStaticConfig, firstSize) == 12, "HwStaticConfig.firstSize");
OSTREL_STATIC_ASSERT(offsetof(HwStaticConfig, secondSize) == 16, "HwStaticConfig.secondSize");
OSTREL_STATIC_ASSERT(offsetof(HwStaticConfig, thirdSize) == 20, "HwStaticConfig.thirdSize");
OSTREL_STATIC_ASSERT(offsetof(HwStaticConfig, firstValue) == 24, "HwStaticConfig.firstValue");
OSTREL_STATIC_ASSERT(offsetof(HwStaticConfig, secondValue) == 28, "HwStaticConfig.secondValue");
OSTREL_STATIC_ASSERT(offsetof(HwStaticConfig, modes) == 32, "HwStaticConfig.modes");

OSTREL_STATIC_ASSERT(sizeof(SnapshotMemInfo) == 56, "size of SnapshotMemInfo");
OSTREL_STATIC_ASSERT(offsetof(SnapshotMemInfo, data) == 24, "SnapshotMemInfo.data");
OSTREL_STATIC_ASSERT(offsetof(SnapshotMemInfo, picture) == 40, "SnapshotMemInfo.picture");
OSTREL_STATIC_ASSERT(offsetof(SnapshotMemInfo, reserved2) == 48, "SnapshotMemInfo.reserved2");
OSTREL_STATIC_ASSERT(offsetof(SnapshotMemInfo, pictureSize) == 52, "SnapshotMemInfo.pictureSize");

#endif /* OSTREL_LINK_H */
