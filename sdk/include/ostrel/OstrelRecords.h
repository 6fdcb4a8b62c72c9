/* Camera configuration records and command records (ControlInfo, ControlInfoX). */
#ifndef OSTREL_RECORDS_H
#define OSTREL_RECORDS_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* Identity and data format of a camera (216 bytes; also the body of a discovery reply).
 * Texts are NUL-terminated within their width; reserved bytes are carried unchanged. */
typedef struct CameraBasicInfoRecord {
  char cameraId[32];   /* unique; discovery de-duplicates by it */
  char cameraName[32];
  char cameraType[16];
  char fpaId[32];
  char hardwareId[32];
  char softwareId[32];
  uint16_t dataWidth;  /* temperature frame width, pixels */
  uint16_t dataHeight;
  uint16_t dataFps;
  uint16_t dataRatio;
  uint16_t sendRatio;
  uint8_t dataTransform;
  uint8_t reserved187[3];
  uint8_t desmearLevel;
  uint8_t filterMedian; /* 0 or 1 */
  uint8_t reserved192[20];
  uint16_t imageWidth; /* size of the camera's picture; 0 = same as the data */
  uint16_t imageHeight;
} CameraBasicInfoRecord;
OSTREL_STATIC_ASSERT(sizeof(CameraBasicInfoRecord) == 216, "CameraBasicInfoRecord size");
OSTREL_STATIC_ASSERT(offsetof(CameraBasicInfoRecord, dataWidth) == 176, "dataWidth offset");
OSTREL_STATIC_ASSERT(offsetof(CameraBasicInfoRecord, desmearLevel) == 190, "desmearLevel offset");
OSTREL_STATIC_ASSERT(offsetof(CameraBasicInfoRecord, imageWidth) == 212, "imageWidth offset");

/* Network settings of a camera (52 bytes). IPv4 addresses carry the first octet in the most
 * significant byte. */
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
OSTREL_STATIC_ASSERT(sizeof(CameraNetworkInfoRecord) == 52, "CameraNetworkInfoRecord size");
OSTREL_STATIC_ASSERT(offsetof(CameraNetworkInfoRecord, macAddr) == 20, "macAddr offset");
OSTREL_STATIC_ASSERT(offsetof(CameraNetworkInfoRecord, dns2) == 32, "dns2 offset");


OSTREL_END_DECLS

#endif /* OSTREL_RECORDS_H */
