// Reader of the SDK settings file "OstrelSDK.json" (read from the executable's folder).
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/SdkState.h"

namespace ostrel::sdk {

// The settings file is parsed only when it holds 1..1023 bytes.
constexpr size_t kSdkConfigMaxBytes = 1023;
constexpr const char* kSdkConfigFileName = "OstrelSDK.json";

// What the file says, before it is applied to an SdkConfig. Every key is optional.
struct SdkSettings {
  std::string log;
  std::string encoder;
  std::string decoder;
  uint32_t syncTime = 1;
  uint32_t previewEnableInterProcess = 1;
  uint32_t previewEnableThread2 = 0;
};

// Parses `length` bytes of json text. 0, or -11 for broken json or a key of the wrong type
// ("log", "encoder", "decoder" texts; the switches integers 0..4294967295); on -11 `parsed`
// holds the defaults.
int SdkConfig_Parse(const char* text, size_t length, SdkSettings* parsed);
// Takes the known keys of a parsed json object. 0 or -11 as SdkConfig_Parse.
int SdkConfig_FromJson(const nlohmann::json& json, SdkSettings* parsed);
// "cuda" 2, "qsv" 5, "d3d11va" 7, anything else 0 (exact, case-sensitive).
int32_t SdkConfig_CodecCode(std::string_view name);
// Back to the defaults.
void SdkConfig_Clear(SdkSettings* parsed);

// Fills `config`: defaults, moduleDir, then the settings file of that folder. 0 when the file
// was applied or there is none to read (missing, empty, 1024 bytes or more); -11 when its
// content is invalid (the defaults stay). Never fails the initialisation.
int SdkConfig_Load(SdkConfig* config);
// The same with an explicit folder in place of the executable's.
int SdkConfig_LoadFrom(SdkConfig* config, const char* dir);

}  // namespace ostrel::sdk
