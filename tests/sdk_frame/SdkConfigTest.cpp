#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "TestDir.h"
#include "frame/SdkConfig.h"

using namespace ostrel::sdk;
using ostrel::test::TestDir;

namespace {

int parse(const std::string& text, SdkSettings* s) {
  return SdkConfig_Parse(text.data(), text.size(), s);
}

void expectDefaults(const SdkSettings& s) {
  EXPECT_EQ(s.log, "");
  EXPECT_EQ(s.encoder, "");
  EXPECT_EQ(s.decoder, "");
  EXPECT_EQ(s.syncTime, 1u);
  EXPECT_EQ(s.previewEnableInterProcess, 1u);
  EXPECT_EQ(s.previewEnableThread2, 0u);
}

}  // namespace

TEST(SdkSettingsParse, EveryKeyTaken) {
  SdkSettings s;
  ASSERT_EQ(parse(R"({"log":"logs/sdk.log","encoder":"cuda","decoder":"qsv","syncTime":0,
                      "previewEnableInterProcess":0,"previewEnableThread2":1,"other":[1,2]})",
                  &s),
            0);
  EXPECT_EQ(s.log, "logs/sdk.log");
  EXPECT_EQ(s.encoder, "cuda");
  EXPECT_EQ(s.decoder, "qsv");
  EXPECT_EQ(s.syncTime, 0u);
  EXPECT_EQ(s.previewEnableInterProcess, 0u);
  EXPECT_EQ(s.previewEnableThread2, 1u);

  ASSERT_EQ(parse("{}", &s), 0);  // every key is optional
  expectDefaults(s);
  ASSERT_EQ(parse(R"({"syncTime":4294967295})", &s), 0);
  EXPECT_EQ(s.syncTime, 4294967295u);
}

TEST(SdkSettingsParse, BrokenJsonAndWrongTypesKeepTheDefaults) {
  const char* bad[] = {
      "",
      "{",
      R"({"log":"a",})",
      "[1,2]",
      "42",
      R"("text")",
      R"({"log":5})",
      R"({"encoder":null})",
      R"({"decoder":["cuda"]})",
      R"({"syncTime":"1"})",
      R"({"syncTime":true})",
      R"({"syncTime":1.5})",
      R"({"previewEnableThread2":-1})",
      R"({"previewEnableInterProcess":4294967296})",
      R"({"log":"x"} trailing)",
      "{/* comment */}",
  };
  for (const char* text : bad) {
    SdkSettings s;
    s.log = "stale";  // a failed parse leaves nothing of an earlier value
    s.syncTime = 9;
    EXPECT_EQ(parse(text, &s), -11) << text;
    expectDefaults(s);
  }
  SdkSettings s;
  EXPECT_EQ(SdkConfig_Parse(nullptr, 3, &s), -11);
  EXPECT_EQ(SdkConfig_Parse("{}", 2, nullptr), -8);
  EXPECT_EQ(SdkConfig_FromJson(nlohmann::json::array(), &s), -11);
}

TEST(SdkSettingsParse, CodecNamesAreExact) {
  EXPECT_EQ(SdkConfig_CodecCode("cuda"), 2);
  EXPECT_EQ(SdkConfig_CodecCode("qsv"), 5);
  EXPECT_EQ(SdkConfig_CodecCode("d3d11va"), 7);
  for (const char* other : {"", "CUDA", "cuda ", " qsv", "d3d11", "d3d11va2", "h264", "qsv\n"})
    EXPECT_EQ(SdkConfig_CodecCode(other), 0) << other;
  EXPECT_EQ(SdkConfig_CodecCode(std::string_view("cuda\0x", 6)), 0);  // compared by length and bytes
}

TEST(SdkSettingsFile, AppliedFromTheFolderWithLogPlacement) {
  TestDir dir;
  SdkConfig c;
  ostrel::test::writeWhole(dir.file("OstrelSDK.json"),
                           R"({"log":"logs/sdk.log","encoder":"d3d11va","decoder":"cuda","syncTime":0})");
  ASSERT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  EXPECT_EQ(std::string(c.moduleDir), dir.path());
  EXPECT_EQ(std::string(c.logPath), dir.path() + "/logs/sdk.log");
  EXPECT_EQ(c.encoder, 7);
  EXPECT_EQ(c.decoder, 2);
  EXPECT_EQ(c.syncTime, 0u);
  EXPECT_EQ(c.previewEnableInterProcess, 1u);
  EXPECT_EQ(c.previewEnableThread2, 0u);

  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), R"({"log":"/var/tmp/abs/run.log"})");
  ASSERT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  EXPECT_STREQ(c.logPath, "/var/tmp/abs/run.log");

  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), R"({"log":""})");  // empty: no log file
  ASSERT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  EXPECT_STREQ(c.logPath, "");

  // A long value is cut to 1023 characters.
  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), "{\"log\":\"/" + std::string(1000, 'p') + "\"}");
  ASSERT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  EXPECT_EQ(std::string(c.logPath), "/" + std::string(1000, 'p'));
  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), "{\"log\":\"" + std::string(1000, 'q') + "\"}");
  ASSERT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  EXPECT_EQ(strlen(c.logPath), 1023u);
  EXPECT_EQ(std::string(c.logPath).substr(0, dir.path().size() + 2), dir.path() + "/q");
}

TEST(SdkSettingsFile, SizeRuleAndBadFilesKeepDefaults) {
  TestDir dir;
  SdkConfig c;
  auto expectDefaults = [&](const char* what) {
    EXPECT_EQ(c.encoder, 0) << what;
    EXPECT_EQ(c.decoder, 0) << what;
    EXPECT_STREQ(c.logPath, "") << what;
    EXPECT_EQ(c.syncTime, 1u) << what;
    EXPECT_EQ(c.previewEnableInterProcess, 1u) << what;
    EXPECT_EQ(c.previewEnableThread2, 0u) << what;
    EXPECT_EQ(std::string(c.moduleDir), dir.path()) << what;
  };
  EXPECT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  expectDefaults("missing");

  const std::string body = R"({"encoder":"qsv"})";
  std::string exact1023 = body + std::string(1023 - body.size(), ' ');
  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), exact1023);
  ASSERT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  EXPECT_EQ(c.encoder, 5);  // 1023 bytes are read

  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), exact1023 + " ");
  EXPECT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  expectDefaults("1024 bytes");
  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), exact1023 + std::string(5000, ' '));
  EXPECT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  expectDefaults("longer");

  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), "");
  EXPECT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), 0);
  expectDefaults("empty");

  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), R"({"encoder":"cuda","syncTime":"yes"})");
  EXPECT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), -11);
  expectDefaults("wrong type");  // nothing of the valid keys is half-applied

  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), std::string("{\"log\":\"a\0b\"}", 13));
  EXPECT_EQ(SdkConfig_LoadFrom(&c, dir.path().c_str()), -11);
  expectDefaults("raw NUL in text");
}
