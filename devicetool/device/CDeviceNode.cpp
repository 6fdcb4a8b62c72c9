#include "CDeviceNode.h"

#include <cstring>

#include "foundation_qt/Ipv4Text.h"

namespace {
QString text32(const char* p) {
  return QString::fromUtf8(p, qsizetype(strnlen(p, 32)));
}
}  // namespace

void CDeviceNode::fromDiscovery(const DiscoverNode& node) {
  deviceIp_ = ipv4ToString(node.ipv4);
  deviceId_ = text32(node.info.cameraId);
  softwareId_ = text32(node.info.softwareId);
  fpaId_ = text32(node.info.fpaId);
  edit_select_ = false;
}
