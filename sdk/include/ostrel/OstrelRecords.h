/* Camera configuration records, login requests and command records (ControlInfo, ControlInfoX).
 *
 * Every record is little-endian and travels byte for byte as the payload of its command-channel
 * message. IPv4 addresses are uint32 with the first octet in the most significant byte ("a.b.c.d"
 * is a*2^24 + b*2^16 + c*2^8 + d). Texts are NUL-terminated within their fixed width. Bytes named
 * reserved are zero when the SDK builds a record and carried unchanged otherwise. */
#ifndef OSTREL_RECORDS_H
#define OSTREL_RECORDS_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* ---- Login requests ---- */

/* Camera address for Ostrel_Login (192 bytes). */
typedef struct LoginInfo {
  char ip[128]; /* dotted IPv4 text, NUL-terminated within the field */
  uint8_t reserved[64];
} LoginInfo;

/* Camera address and ports for Ostrel_LoginV2 (224 bytes); a port of 0 takes its default. */
typedef struct LoginInfoV2 {
  char ip[128];
  uint8_t reserved[64];
  uint16_t cmdPort;   /* command channel, default 55502 */
  uint16_t tempPort;  /* temperature stream, default 55503 */
  uint16_t snapPort;  /* snapshots, default 55505 */
  uint16_t videoPort; /* H.264 stream, default 55506 */
  uint16_t mixPort;   /* mixed stream, default 55507 */
  uint8_t reserved2[22];
} LoginInfoV2;

/* ---- Configuration records (one per channel) ---- */

/* Identity and data format; requests 7 / 9, info id 0 (216 bytes). */
typedef struct CameraBasicInfoRecord {
  char cameraId[32]; /* unique; discovery de-duplicates by it */
  char cameraName[32];
  char cameraType[16];
  char fpaId[32];
  char hardwareId[32];
  char softwareId[32];
  uint16_t dataWidth; /* temperature frame width in pixels */
  uint16_t dataHeight;
  uint16_t dataFps;
  uint16_t dataRatio;
  uint16_t sendRatio; /* frames sent = 1 of sendRatio; 0 counts as 1 */
  uint8_t dataTransform;
  uint8_t reserved187[3];
  uint8_t desmearLevel;
  uint8_t filterMedian; /* 0 or 1 */
  uint8_t reserved192[20];
  uint16_t imageWidth; /* size of the camera's picture; 0 = same as the data */
  uint16_t imageHeight;
} CameraBasicInfoRecord;

/* Network settings; requests 11 / 13, info id 1 (52 bytes). */
typedef struct CameraNetworkInfoRecord {
  uint8_t useStaticIp;
  uint8_t reserved1[3];
  uint32_t staticIp;
  uint32_t subnetMask;
  uint32_t gateway;
  uint8_t reserved16[4];
  uint8_t macAddr[6];
  uint16_t mtu;
  uint32_t dns;
  uint32_t dns2;
  uint8_t reserved36[16];
} CameraNetworkInfoRecord;

/* Temperature correction parameters; requests 23 / 25, info id 2 (72 bytes). */
typedef struct FixInfoRecord {
  float atmosphericTemperature; /* degrees Celsius */
  float relativeHumidity;
  float visibility;
  float rainfallIntensity;
  float snowfallIntensity;
  float targetDistance; /* metres */
  float globalEmissivity;
  float infraredWindowTrans;
  float tempOffset;
  uint8_t enableAtmFix;
  uint8_t reserved37[3];
  float infraredWindowTempOffset;
  uint8_t reserved44[28];
} FixInfoRecord;

/* Flat-field correction; requests 15 / 17, info id 3 (16 bytes). */
typedef struct FFCInfoRecord {
  uint8_t frames_skipped_after_close;
  uint8_t frames_accumlated_when_closed;
  uint8_t frames_skipped_after_open;
  uint8_t nst_enable;
  uint16_t time_interval;
  uint16_t temp_interval;
  uint8_t af_rebound;
  uint8_t fpa_shutter;
  uint8_t reserved10[2];
  uint16_t time_interval_sec;
  uint8_t reserved14[2];
} FFCInfoRecord;

/* Video output; requests 31 / 33, info id 4 (40 bytes). Temperatures in tenths of a degree. */
typedef struct TvoutInfoRecord {
  uint8_t enableTvout;
  uint8_t paletteType;
  uint8_t reserved2[3];
  uint8_t zoom;
  uint16_t xuiDisplayFlags;
  float gain;
  int32_t h264_bitrate;
  uint16_t h264_gopSize;
  uint8_t strechType;
  uint8_t ddeLevel;
  int16_t man_temp0;
  int16_t man_temp1;
  uint8_t man_enable;
  uint8_t temp2gray;
  uint8_t reserved26;
  uint8_t ct_type;
  int16_t ct_temp0;
  int16_t ct_temp1;
  uint32_t ct_color0; /* 0xFFRRGGBB */
  uint32_t ct_color1;
} TvoutInfoRecord;

/* Output settings, carried whole; requests 70 / 72, info id 5 (48 bytes). */
typedef struct CameraOutputInfoRecord {
  uint8_t data[48];
} CameraOutputInfoRecord;

/* Clock settings; requests 52 / 54, info id 6 (128 bytes). */
typedef struct CameraTimeInfoRecord {
  char ntpServer[32];
  char ntpServer2[32];
  char timeZone[32];
  uint8_t reserved96[32];
} CameraTimeInfoRecord;

/* On-screen display; requests 66 / 68, info id 7 (272 bytes). */
typedef struct CameraOSDInfoRecord {
  int16_t loc_enable;
  uint16_t loc_x;
  uint16_t loc_y;
  int16_t time_enable;
  uint16_t time_x;
  uint16_t time_y;
  char loc_name[128];
  int32_t color;
  uint8_t reserved144[128];
} CameraOSDInfoRecord;

/* GPIO settings; requests 42 / 44, info id 8 (16 bytes). */
typedef struct GpioInfoRecord {
  uint8_t input0;
  uint8_t input1;
  uint8_t output0;
  uint8_t output1;
  uint8_t reserved4[12];
} GpioInfoRecord;

/* Serial port settings (codes); requests 37 / 39, info id 9 (16 bytes). */
typedef struct SerialPortInfoRecord {
  uint8_t usage;
  uint8_t portAddr;
  uint8_t baudRate;
  uint8_t dataBits;
  uint8_t stopBits;
  uint8_t parity;
  uint8_t reserved6[10];
} SerialPortInfoRecord;

/* Protocol plug-ins; request 48 both ways behind an int32 operation word, info id 10 (64 bytes). */
typedef struct CameraPluginInfoRecord {
  int32_t version;
  int32_t onvif_version;
  int32_t gb28181_version;
  int32_t modbus_version;
  char username[16];
  char password[16];
  uint8_t onvif_enable;
  uint8_t gb28181_enable;
  uint8_t modbus_enable;
  uint8_t kqdatavm_enable;
  uint8_t h5_enable;
  uint8_t reserved53[11];
} CameraPluginInfoRecord;

/* Destripe filter settings; requests 124 / 126, info id 11 (32 bytes). */
typedef struct DestripInfoRecord {
  uint16_t type;
  uint16_t width; /* frame size, written by the SDK before filtering */
  uint16_t height;
  uint16_t s0_radius;
  uint16_t s0_regular;
  uint16_t s1_radius;
  uint16_t s1_regular;
  uint8_t sub_y;
  uint8_t sub_t;
  uint8_t reserved16[16];
} DestripInfoRecord;

/* Denoise filter settings; requests 128 / 130, info id 12 (64 bytes). */
typedef struct DenoiseInfoRecord {
  uint16_t type;
  uint16_t width; /* frame size, written by the SDK before filtering */
  uint16_t height;
  uint16_t gf_radius;
  uint16_t gf_regular;
  uint8_t reserved10[54];
} DenoiseInfoRecord;

/* Detector register records, one layout per detector family, carried whole. */
typedef struct FPAInfoRecord {
  uint8_t data[12];
} FPAInfoRecord;
typedef struct FPAInfoQJRecord {
  uint8_t data[88];
} FPAInfoQJRecord;
typedef struct FPAInfoQPRecord {
  uint8_t data[88];
} FPAInfoQPRecord;
typedef struct FPAInfoVNRRecord {
  uint8_t data[88];
} FPAInfoVNRRecord;
typedef struct FPAInfoQMRecord {
  uint8_t data0[18];
  uint16_t vol_offset; /* detector voltage offset (converter counts) */
  uint8_t data20[112];
} FPAInfoQMRecord;
typedef struct FPAInfoZR160Record {
  uint8_t data[128];
} FPAInfoZR160Record;

/* One of three 512-byte blocks carried whole (info ids 1000..1002). */
typedef struct ExtendedInfoBlock {
  uint8_t data[512];
} ExtendedInfoBlock;

/* ---- Camera commands ---- */

/* One-way command (10 bytes): u16 type, then an argument byte or int16 at byte 2; rest zero. */
typedef struct ControlInfo {
  uint16_t type;
  uint8_t arg[8];
} ControlInfo;

/* Request-reply command (68 bytes): int32 type, then a 64-byte payload laid out per type.
 * Type 1 set clock: six int32 year, month, day, hour, minute, second (UTC) at payload start.
 * Type 2 get gear: the reply's int32 at record byte 4 is the level. Type 3 set gear: int32 level
 * at record byte 4. */
typedef struct ControlInfoX {
  int32_t type;
  uint8_t payload[64];
} ControlInfoX;

OSTREL_END_DECLS

#define OSTREL_RECORD_OFFSET(T, f, off) OSTREL_STATIC_ASSERT(offsetof(T, f) == (off), #T "." #f)
#define OSTREL_RECORD_SIZE(T, n) OSTREL_STATIC_ASSERT(sizeof(T) == (n), "size of " #T)

OSTREL_RECORD_SIZE(LoginInfo, 192);
OSTREL_RECORD_SIZE(LoginInfoV2, 224);
OSTREL_RECORD_OFFSET(LoginInfoV2, cmdPort, 192);
OSTREL_RECORD_OFFSET(LoginInfoV2, tempPort, 194);
OSTREL_RECORD_OFFSET(LoginInfoV2, snapPort, 196);
OSTREL_RECORD_OFFSET(LoginInfoV2, videoPort, 198);
OSTREL_RECORD_OFFSET(LoginInfoV2, mixPort, 200);

OSTREL_RECORD_SIZE(CameraBasicInfoRecord, 216);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, cameraName, 32);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, cameraType, 64);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, fpaId, 80);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, hardwareId, 112);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, softwareId, 144);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, dataWidth, 176);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, dataHeight, 178);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, dataFps, 180);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, dataRatio, 182);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, sendRatio, 184);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, dataTransform, 186);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, desmearLevel, 190);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, filterMedian, 191);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, imageWidth, 212);
OSTREL_RECORD_OFFSET(CameraBasicInfoRecord, imageHeight, 214);

OSTREL_RECORD_SIZE(CameraNetworkInfoRecord, 52);
OSTREL_RECORD_OFFSET(CameraNetworkInfoRecord, staticIp, 4);
OSTREL_RECORD_OFFSET(CameraNetworkInfoRecord, subnetMask, 8);
OSTREL_RECORD_OFFSET(CameraNetworkInfoRecord, gateway, 12);
OSTREL_RECORD_OFFSET(CameraNetworkInfoRecord, macAddr, 20);
OSTREL_RECORD_OFFSET(CameraNetworkInfoRecord, mtu, 26);
OSTREL_RECORD_OFFSET(CameraNetworkInfoRecord, dns, 28);
OSTREL_RECORD_OFFSET(CameraNetworkInfoRecord, dns2, 32);

OSTREL_RECORD_SIZE(FixInfoRecord, 72);
OSTREL_RECORD_OFFSET(FixInfoRecord, relativeHumidity, 4);
OSTREL_RECORD_OFFSET(FixInfoRecord, visibility, 8);
OSTREL_RECORD_OFFSET(FixInfoRecord, rainfallIntensity, 12);
OSTREL_RECORD_OFFSET(FixInfoRecord, snowfallIntensity, 16);
OSTREL_RECORD_OFFSET(FixInfoRecord, targetDistance, 20);
OSTREL_RECORD_OFFSET(FixInfoRecord, globalEmissivity, 24);
OSTREL_RECORD_OFFSET(FixInfoRecord, infraredWindowTrans, 28);
OSTREL_RECORD_OFFSET(FixInfoRecord, tempOffset, 32);
OSTREL_RECORD_OFFSET(FixInfoRecord, enableAtmFix, 36);
OSTREL_RECORD_OFFSET(FixInfoRecord, infraredWindowTempOffset, 40);

OSTREL_RECORD_SIZE(FFCInfoRecord, 16);
OSTREL_RECORD_OFFSET(FFCInfoRecord, nst_enable, 3);
OSTREL_RECORD_OFFSET(FFCInfoRecord, time_interval, 4);
OSTREL_RECORD_OFFSET(FFCInfoRecord, temp_interval, 6);
OSTREL_RECORD_OFFSET(FFCInfoRecord, af_rebound, 8);
OSTREL_RECORD_OFFSET(FFCInfoRecord, fpa_shutter, 9);
OSTREL_RECORD_OFFSET(FFCInfoRecord, time_interval_sec, 12);

OSTREL_RECORD_SIZE(TvoutInfoRecord, 40);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, paletteType, 1);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, zoom, 5);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, xuiDisplayFlags, 6);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, gain, 8);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, h264_bitrate, 12);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, h264_gopSize, 16);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, strechType, 18);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, ddeLevel, 19);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, man_temp0, 20);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, man_temp1, 22);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, man_enable, 24);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, temp2gray, 25);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, ct_type, 27);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, ct_temp0, 28);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, ct_temp1, 30);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, ct_color0, 32);
OSTREL_RECORD_OFFSET(TvoutInfoRecord, ct_color1, 36);

OSTREL_RECORD_SIZE(CameraOutputInfoRecord, 48);

OSTREL_RECORD_SIZE(CameraTimeInfoRecord, 128);
OSTREL_RECORD_OFFSET(CameraTimeInfoRecord, ntpServer2, 32);
OSTREL_RECORD_OFFSET(CameraTimeInfoRecord, timeZone, 64);

OSTREL_RECORD_SIZE(CameraOSDInfoRecord, 272);
OSTREL_RECORD_OFFSET(CameraOSDInfoRecord, loc_x, 2);
OSTREL_RECORD_OFFSET(CameraOSDInfoRecord, loc_y, 4);
OSTREL_RECORD_OFFSET(CameraOSDInfoRecord, time_enable, 6);
OSTREL_RECORD_OFFSET(CameraOSDInfoRecord, time_x, 8);
OSTREL_RECORD_OFFSET(CameraOSDInfoRecord, time_y, 10);
OSTREL_RECORD_OFFSET(CameraOSDInfoRecord, loc_name, 12);
OSTREL_RECORD_OFFSET(CameraOSDInfoRecord, color, 140);

OSTREL_RECORD_SIZE(GpioInfoRecord, 16);
OSTREL_RECORD_OFFSET(GpioInfoRecord, output1, 3);

OSTREL_RECORD_SIZE(SerialPortInfoRecord, 16);
OSTREL_RECORD_OFFSET(SerialPortInfoRecord, parity, 5);

OSTREL_RECORD_SIZE(CameraPluginInfoRecord, 64);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, onvif_version, 4);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, gb28181_version, 8);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, modbus_version, 12);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, username, 16);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, password, 32);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, onvif_enable, 48);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, gb28181_enable, 49);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, modbus_enable, 50);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, kqdatavm_enable, 51);
OSTREL_RECORD_OFFSET(CameraPluginInfoRecord, h5_enable, 52);

OSTREL_RECORD_SIZE(DestripInfoRecord, 32);
OSTREL_RECORD_OFFSET(DestripInfoRecord, width, 2);
OSTREL_RECORD_OFFSET(DestripInfoRecord, height, 4);
OSTREL_RECORD_OFFSET(DestripInfoRecord, s0_radius, 6);
OSTREL_RECORD_OFFSET(DestripInfoRecord, s0_regular, 8);
OSTREL_RECORD_OFFSET(DestripInfoRecord, s1_radius, 10);
OSTREL_RECORD_OFFSET(DestripInfoRecord, s1_regular, 12);
OSTREL_RECORD_OFFSET(DestripInfoRecord, sub_y, 14);
OSTREL_RECORD_OFFSET(DestripInfoRecord, sub_t, 15);

OSTREL_RECORD_SIZE(DenoiseInfoRecord, 64);
OSTREL_RECORD_OFFSET(DenoiseInfoRecord, width, 2);
OSTREL_RECORD_OFFSET(DenoiseInfoRecord, height, 4);
OSTREL_RECORD_OFFSET(DenoiseInfoRecord, gf_radius, 6);
OSTREL_RECORD_OFFSET(DenoiseInfoRecord, gf_regular, 8);

OSTREL_RECORD_SIZE(FPAInfoRecord, 12);
OSTREL_RECORD_SIZE(FPAInfoQJRecord, 88);
OSTREL_RECORD_SIZE(FPAInfoQPRecord, 88);
OSTREL_RECORD_SIZE(FPAInfoVNRRecord, 88);
OSTREL_RECORD_SIZE(FPAInfoQMRecord, 132);
OSTREL_RECORD_OFFSET(FPAInfoQMRecord, vol_offset, 18);
OSTREL_RECORD_SIZE(FPAInfoZR160Record, 128);
OSTREL_RECORD_SIZE(ExtendedInfoBlock, 512);

OSTREL_RECORD_SIZE(ControlInfo, 10);
OSTREL_RECORD_OFFSET(ControlInfo, arg, 2);
OSTREL_RECORD_SIZE(ControlInfoX, 68);
OSTREL_RECORD_OFFSET(ControlInfoX, payload, 4);

#undef OSTREL_RECORD_OFFSET
#undef OSTREL_RECORD_SIZE

#endif /* OSTREL_RECORDS_H */
