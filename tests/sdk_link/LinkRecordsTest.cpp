#include "LinkFixture.h"
#include "camsim/Wire.h"

using namespace linktest;

namespace {

// Reads a record through its typed get, writes a changed copy through its typed set, and checks
// both against the simulator's stored bytes.
template <typename R>
void roundTrip(LinkEnv& env, int user, int (*get)(int, R*), int (*set)(int, const R*), uint16_t getType,
               const char* name) {
  SCOPED_TRACE(name);
  R r;
  std::memset(&r, 0xEE, sizeof r);
  ASSERT_EQ(get(user, &r), 0);
  EXPECT_EQ(bytesOf(r), env.stored(getType));
  auto* p = reinterpret_cast<uint8_t*>(&r);
  for (size_t i = 0; i < sizeof r; ++i) p[i] = uint8_t(p[i] ^ 0x5A);
  ASSERT_EQ(set(user, &r), 0);
  EXPECT_EQ(env.stored(getType), bytesOf(r));
  R back;
  ASSERT_EQ(get(user, &back), 0);
  EXPECT_EQ(bytesOf(back), bytesOf(r));
}

template <typename R>
void selectorRoundTrip(LinkEnv& env, int user, int (*get)(int, R*, int), int (*set)(int, const R*, int),
                       const uint16_t (&getTypes)[3], const char* name) {
  for (int sel = 0; sel < 3; ++sel) {
    SCOPED_TRACE(std::string(name) + " selector " + std::to_string(sel));
    R r;
    ASSERT_EQ(get(user, &r, sel), 0);
    EXPECT_EQ(bytesOf(r), pattern(getTypes[sel], sizeof r));
    std::memset(&r, sel + 1, sizeof r);
    ASSERT_EQ(set(user, &r, sel), 0);
    EXPECT_EQ(env.stored(getTypes[sel]), bytesOf(r));
  }
  R r{};
  const uint64_t before = env.connections();
  EXPECT_EQ(get(user, &r, 3), -2);
  EXPECT_EQ(set(user, &r, -1), -2);
  EXPECT_EQ(get(999, &r, 3), -2);  // the selector is checked before the user id
  EXPECT_EQ(get(user, nullptr, 0), -8);
  EXPECT_EQ(env.connections(), before);
}

}  // namespace

TEST(LinkRecords, EveryTypedPairRoundTrips) {
  LinkEnv env(20);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  roundTrip<CameraNetworkInfoRecord>(env, user, Ostrel_GetCameraNetworkInfo, Ostrel_SetCameraNetworkInfo, 11,
                                     "network");
  roundTrip<FFCInfoRecord>(env, user, Ostrel_GetFFCInfo, Ostrel_SetFFCInfo, 15, "ffc");
  roundTrip<FixInfoRecord>(env, user, Ostrel_GetFixInfo, Ostrel_SetFixInfo, 23, "fix");
  roundTrip<TvoutInfoRecord>(env, user, Ostrel_GetTvoutInfo, Ostrel_SetTvoutInfo, 31, "tvout");
  roundTrip<SerialPortInfoRecord>(env, user, Ostrel_GetSerialPortInfo, Ostrel_SetSerialPortInfo, 37,
                                  "serial");
  roundTrip<GpioInfoRecord>(env, user, Ostrel_GetGpioInfo, Ostrel_SetGpioInfo, 42, "gpio");
  roundTrip<CameraTimeInfoRecord>(env, user, Ostrel_GetCameraTimeInfo, Ostrel_SetCameraTimeInfo, 52, "time");
  roundTrip<CameraOSDInfoRecord>(env, user, Ostrel_GetCameraOSDInfo, Ostrel_SetCameraOSDInfo, 66, "osd");
  roundTrip<CameraOutputInfoRecord>(env, user, Ostrel_GetCameraOutputInfo, Ostrel_SetCameraOutputInfo, 70,
                                    "output");
  roundTrip<FPAInfoZR160Record>(env, user, Ostrel_GetFPAInfoZR160, Ostrel_SetFPAInfoZR160, 74, "zr160");
  roundTrip<FPAInfoQMRecord>(env, user, Ostrel_GetFPAInfoQM, Ostrel_SetFPAInfoQM, 120, "qm");
  roundTrip<CameraBasicInfoRecord>(env, user, Ostrel_GetCameraBasicInfo, Ostrel_SetCameraBasicInfo, 7,
                                   "basic");
  // Each set carried the whole record behind a header of its set type.
  for (const auto& o : env.sim.log().snapshot())
    if (o.type == 25) {
      EXPECT_EQ(o.size, 76);
    }
}

TEST(LinkRecords, FieldsSitAtTheirWireOffsets) {
  LinkEnv env(21);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  // Fields written by name must land at the byte offsets a camera reads.
  FixInfoRecord fix{};
  fix.targetDistance = 12.5f;
  fix.enableAtmFix = 1;
  fix.infraredWindowTempOffset = -3.25f;
  ASSERT_EQ(Ostrel_SetFixInfo(user, &fix), 0);
  auto s = env.stored(23);
  EXPECT_EQ(ostrel::bytes::readF32(s.data(), s.size(), 20), 12.5f);
  EXPECT_EQ(s[36], 1);
  EXPECT_EQ(ostrel::bytes::readF32(s.data(), s.size(), 40), -3.25f);

  TvoutInfoRecord tv{};
  tv.h264_bitrate = 4000000;
  tv.man_temp1 = -215;
  tv.ct_color1 = 0xFF102030u;
  ASSERT_EQ(Ostrel_SetTvoutInfo(user, &tv), 0);
  s = env.stored(31);
  EXPECT_EQ(ostrel::bytes::readI32(s.data(), s.size(), 12), 4000000);
  EXPECT_EQ(int16_t(ostrel::bytes::readU16(s.data(), s.size(), 22)), -215);
  EXPECT_EQ(ostrel::bytes::readU32(s.data(), s.size(), 36), 0xFF102030u);

  CameraNetworkInfoRecord net{};
  net.staticIp = (10u << 24) | (1u << 16) | (2u << 8) | 3u;
  net.mtu = 1500;
  net.dns2 = 0x08080404u;
  ASSERT_EQ(Ostrel_SetCameraNetworkInfo(user, &net), 0);
  s = env.stored(11);
  EXPECT_EQ(s[4], 3);  // little-endian u32, first octet in the most significant byte
  EXPECT_EQ(s[7], 10);
  EXPECT_EQ(ostrel::bytes::readU16(s.data(), s.size(), 26), 1500);
  EXPECT_EQ(ostrel::bytes::readU32(s.data(), s.size(), 32), 0x08080404u);

  CameraOSDInfoRecord osd{};
  std::snprintf(osd.loc_name, sizeof osd.loc_name, "gate");
  osd.color = 0x00FFFF;
  ASSERT_EQ(Ostrel_SetCameraOSDInfo(user, &osd), 0);
  s = env.stored(66);
  EXPECT_EQ(camsim::getText(&s[12], 128), "gate");
  EXPECT_EQ(ostrel::bytes::readU32(s.data(), s.size(), 140), 0x00FFFFu);

  CameraBasicInfoRecord basic{};
  ASSERT_EQ(Ostrel_GetCameraBasicInfo(user, &basic), 0);
  EXPECT_EQ(basic.dataWidth, ostrel::bytes::readU16(env.stored(7).data(), env.stored(7).size(), 176));
  EXPECT_EQ(basic.dataFps, ostrel::bytes::readU16(env.stored(7).data(), env.stored(7).size(), 180));
}

TEST(LinkRecords, SelectorPairsPickTheirRegisterSets) {
  LinkEnv env(22);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  selectorRoundTrip<FPAInfoRecord>(env, user, Ostrel_GetFPAInfo, Ostrel_SetFPAInfo, {19, 58, 62}, "fpa");
  selectorRoundTrip<FPAInfoQJRecord>(env, user, Ostrel_GetFPAInfoQJ, Ostrel_SetFPAInfoQJ, {84, 88, 92}, "qj");
  selectorRoundTrip<FPAInfoQPRecord>(env, user, Ostrel_GetFPAInfoQP, Ostrel_SetFPAInfoQP, {96, 100, 104},
                                     "qp");
  selectorRoundTrip<FPAInfoVNRRecord>(env, user, Ostrel_GetFPAInfoVNR, Ostrel_SetFPAInfoVNR, {108, 112, 116},
                                      "vnr");
}

TEST(LinkRecords, GenericPairCoversEveryInfoId) {
  LinkEnv env(23);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  struct Row {
    int id;
    uint16_t getType;
    int size;
  };
  const Row rows[] = {{1, 11, 52},       {2, 23, 72},       {3, 15, 16},      {4, 31, 40},     {5, 70, 48},
                      {6, 52, 128},      {7, 66, 272},      {8, 42, 16},      {9, 37, 16},     {11, 124, 32},
                      {12, 128, 64},     {100, 19, 12},     {101, 58, 12},    {102, 62, 12},   {103, 84, 88},
                      {104, 88, 88},     {105, 92, 88},     {106, 96, 88},    {107, 100, 88},  {108, 104, 88},
                      {109, 108, 88},    {110, 112, 88},    {111, 116, 88},   {112, 120, 132}, {113, 74, 128},
                      {1000, 1000, 512}, {1001, 1004, 512}, {1002, 1008, 512}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    std::vector<uint8_t> buf(size_t(r.size) + 8, 0xEE);
    env.sim.log().clear();
    // What the camera holds: the numbered pattern, or a record the simulator seeds with real values.
    const std::vector<uint8_t> held = env.stored(r.getType);
    ASSERT_EQ(held.size(), size_t(r.size));
    ASSERT_EQ(Ostrel_GetInfo(user, r.id, buf.data(), int(buf.size())), 0);
    ASSERT_EQ(env.sim.log().count(), 1u);
    EXPECT_EQ(env.sim.log().snapshot()[0].type, r.getType);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + r.size), held);
    EXPECT_EQ(buf[size_t(r.size)], 0xEE);  // nothing written past the record
    for (int i = 0; i < r.size; ++i) buf[size_t(i)] = uint8_t(i);
    ASSERT_EQ(Ostrel_SetInfo(user, r.id, buf.data(), r.size), 0);
    EXPECT_EQ(env.sim.log().snapshot()[1].type, r.getType + 2);
    EXPECT_EQ(env.stored(r.getType), std::vector<uint8_t>(buf.begin(), buf.begin() + r.size));
  }
  // Short buffers and unknown ids are refused without traffic.
  const uint64_t before = env.connections();
  std::vector<uint8_t> buf(600);
  EXPECT_EQ(Ostrel_GetInfo(user, 2, buf.data(), 71), -8);
  EXPECT_EQ(Ostrel_SetInfo(user, 1000, buf.data(), 511), -8);
  EXPECT_EQ(Ostrel_GetInfo(user, 13, buf.data(), 600), -8);
  EXPECT_EQ(Ostrel_GetInfo(user, -1, buf.data(), 600), -8);
  EXPECT_EQ(Ostrel_GetInfo(user, 2, nullptr, 600), -8);
  EXPECT_EQ(Ostrel_SetInfo(user, 2, nullptr, 600), -8);
  EXPECT_EQ(Ostrel_GetInfo(5, 2, buf.data(), 600), -10);
  EXPECT_EQ(env.connections(), before);
  EXPECT_EQ(Ostrel_GetInfo(user, 2, buf.data(), 72), 0);
}

TEST(LinkRecords, PluginRecordTravelsBehindItsOperationWord) {
  LinkEnv env(24);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  CameraPluginInfoRecord rec{};
  ASSERT_EQ(Ostrel_GetCameraPluginInfo(user, &rec), 0);
  EXPECT_EQ(bytesOf(rec), pattern(48, 64));
  auto log = env.sim.log().snapshot();
  EXPECT_EQ(log.back().size, 72);
  EXPECT_EQ(ostrel::bytes::readI32(log.back().bytes.data(), log.back().bytes.size(), 4), 0);

  std::snprintf(rec.username, sizeof rec.username, "operator");
  rec.h5_enable = 1;
  ASSERT_EQ(Ostrel_SetCameraPluginInfo(user, &rec), 0);
  log = env.sim.log().snapshot();
  EXPECT_EQ(ostrel::bytes::readI32(log.back().bytes.data(), log.back().bytes.size(), 4), 2);
  const auto stored = env.stored(48);
  EXPECT_EQ(camsim::getText(&stored[16], 16), "operator");
  EXPECT_EQ(stored[52], 1);

  // A camera answering a write with the read word refuses it; a read answered with the write word
  // copies nothing.
  camsim::CommandFaults f;
  f.pluginReplyWord = 0;
  env.faults(f);
  EXPECT_EQ(Ostrel_SetCameraPluginInfo(user, &rec), -2);
  f.pluginReplyWord = 2;
  env.faults(f);
  CameraPluginInfoRecord untouched;
  std::memset(&untouched, 0x77, sizeof untouched);
  EXPECT_EQ(Ostrel_GetCameraPluginInfo(user, &untouched), -2);
  EXPECT_EQ(untouched.version, 0x77777777);
  EXPECT_EQ(Ostrel_GetInfo(user, 10, &untouched, sizeof untouched), -2);
  env.faults({});
  EXPECT_EQ(Ostrel_GetInfo(user, 10, &untouched, sizeof untouched), 0);
  EXPECT_STREQ(untouched.username, "operator");
}

TEST(LinkRecords, BadUserIdsAndNullRecordsSendNothing) {
  LinkEnv env(25);
  ASSERT_EQ(env.login(), 0);
  const uint64_t before = env.connections();
  FixInfoRecord fix{};
  EXPECT_EQ(Ostrel_GetFixInfo(-1, &fix), -10);
  EXPECT_EQ(Ostrel_GetFixInfo(256, &fix), -10);
  EXPECT_EQ(Ostrel_SetFixInfo(1, &fix), -10);
  EXPECT_EQ(Ostrel_GetFixInfo(0, nullptr), -8);
  EXPECT_EQ(Ostrel_SetCameraBasicInfo(0, nullptr), -8);
  EXPECT_EQ(Ostrel_GetCameraBasicInfo(0, nullptr), -8);
  EXPECT_EQ(Ostrel_GetCameraPluginInfo(0, nullptr), -8);
  EXPECT_EQ(env.connections(), before);
}

TEST(LinkRecords, AFailedGetLeavesTheCallersRecordAlone) {
  LinkEnv env(26);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.replyTypeDelta = 2;  // answers 9 + ... : a reply of another type
  env.faults(f);
  CameraOSDInfoRecord osd;
  std::memset(&osd, 0x33, sizeof osd);
  EXPECT_EQ(Ostrel_GetCameraOSDInfo(user, &osd), -97);
  EXPECT_EQ(osd.loc_x, 0x3333);
  f = {};
  f.shortReplyBytes = 100;
  env.faults(f);
  EXPECT_EQ(Ostrel_GetCameraOSDInfo(user, &osd), -97);
  EXPECT_EQ(osd.color, 0x33333333);
  f = {};
  f.closeEarly = true;
  env.faults(f);
  EXPECT_EQ(Ostrel_GetCameraOSDInfo(user, &osd), -97);
  EXPECT_EQ(Ostrel_SetCameraOSDInfo(user, &osd), -97);
}
