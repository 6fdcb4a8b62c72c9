#include "frame/SdkConfig.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>

#include "foundation/Helpers.h"

namespace ostrel::sdk {

namespace {

bool takeText(const nlohmann::json& json, const char* key, std::string* out) {
  auto it = json.find(key);
  if (it == json.end()) return true;
  if (!it->is_string()) return false;
  *out = it->get_ref<const std::string&>();
  return true;
}

// The switches are unsigned 32-bit words; booleans, fractions and out-of-range numbers are
// type errors rather than silently wrapped values.
bool takeSwitch(const nlohmann::json& json, const char* key, uint32_t* out) {
  auto it = json.find(key);
  if (it == json.end()) return true;
  if (it->is_number_unsigned()) {
    uint64_t v = it->get<uint64_t>();
    if (v > std::numeric_limits<uint32_t>::max()) return false;
    *out = static_cast<uint32_t>(v);
    return true;
  }
  if (it->is_number_integer()) {
    int64_t v = it->get<int64_t>();
    if (v < 0 || v > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) return false;
    *out = static_cast<uint32_t>(v);
    return true;
  }
  return false;
}

}  // namespace

void SdkConfig_Clear(SdkSettings* parsed) {
  if (parsed) *parsed = SdkSettings{};
}

int32_t SdkConfig_CodecCode(std::string_view name) {
  if (name == "cuda") return 2;
  if (name == "qsv") return 5;
  if (name == "d3d11va") return 7;
  return 0;
}

int SdkConfig_FromJson(const nlohmann::json& json, SdkSettings* parsed) {
  if (!parsed) return -8;
  SdkSettings s;
  bool ok = json.is_object() && takeText(json, "log", &s.log) && takeText(json, "encoder", &s.encoder) &&
            takeText(json, "decoder", &s.decoder) && takeSwitch(json, "syncTime", &s.syncTime) &&
            takeSwitch(json, "previewEnableInterProcess", &s.previewEnableInterProcess) &&
            takeSwitch(json, "previewEnableThread2", &s.previewEnableThread2);
  if (!ok) {
    SdkConfig_Clear(parsed);
    return -11;
  }
  *parsed = std::move(s);
  return 0;
}

int SdkConfig_Parse(const char* text, size_t length, SdkSettings* parsed) {
  if (!parsed) return -8;
  SdkConfig_Clear(parsed);
  if (!text) return -11;
  try {
    nlohmann::json json = nlohmann::json::parse(text, text + length, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) return -11;
    return SdkConfig_FromJson(json, parsed);
  } catch (...) {  // allocation failure inside the parser: keep the defaults
    SdkConfig_Clear(parsed);
    return -11;
  }
}

int SdkConfig_LoadFrom(SdkConfig* config, const char* dir) {
  if (!config) return -8;
  std::memset(config, 0, sizeof *config);
  config->syncTime = 1;
  config->previewEnableInterProcess = 1;
  strCopyN(config->moduleDir, dir ? dir : "", sizeof config->moduleDir);

  char path[sizeof config->moduleDir + 32];
  if (safeSprintf(path, "%s/%s", config->moduleDir, kSdkConfigFileName) >= static_cast<int>(sizeof path))
    return 0;
  FILE* f = fopenUtf8(path, "rb");
  if (!f) return 0;
  // One byte more than the limit tells a file of exactly the limit from a longer one.
  char text[kSdkConfigMaxBytes + 1];
  size_t got = fread(text, 1, sizeof text, f);
  fclose(f);
  if (got == 0 || got > kSdkConfigMaxBytes) return 0;

  SdkSettings s;
  if (SdkConfig_Parse(text, got, &s) != 0) return -11;
  config->encoder = SdkConfig_CodecCode(s.encoder);
  config->decoder = SdkConfig_CodecCode(s.decoder);
  config->syncTime = s.syncTime;
  config->previewEnableInterProcess = s.previewEnableInterProcess;
  config->previewEnableThread2 = s.previewEnableThread2;
  // An absolute value stands as it is; any other lies under the executable's folder.
  const char* log = s.log.c_str();
  if (log[0] == '/')
    strCopyN(config->logPath, log, sizeof config->logPath);
  else if (log[0])
    safeSprintf(config->logPath, "%s/%s", config->moduleDir, log);
  return 0;
}

int SdkConfig_Load(SdkConfig* config) {
  char dir[sizeof config->moduleDir];
  moduleDir(dir, sizeof dir);
  return SdkConfig_LoadFrom(config, dir);
}

}  // namespace ostrel::sdk
