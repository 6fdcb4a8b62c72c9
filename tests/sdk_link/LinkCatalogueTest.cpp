// The request catalogue against the protocol's table of request types, written out by hand
// (request, request size, reply, reply size; totals with the 4-byte header).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "link/CommandTypes.h"

using ostrel::sdk::CmdTableEntry;
using ostrel::sdk::cmdLookup;
using ostrel::sdk::cmdTypeName;

namespace {

struct Row {
  uint16_t request, requestSize, reply, replySize;
};

constexpr Row kProtocol[] = {
    {2, 4, 3, 24},        {4, 4, 5, 4},         {6, 14, 0, 0},        {7, 4, 8, 220},
    {9, 220, 10, 4},      {11, 4, 12, 56},      {13, 56, 14, 4},      {15, 4, 16, 20},
    {17, 20, 18, 4},      {19, 4, 20, 16},      {21, 16, 22, 4},      {23, 4, 24, 76},
    {25, 76, 26, 4},      {31, 4, 32, 44},      {33, 44, 34, 4},      {37, 4, 38, 20},
    {39, 20, 40, 4},      {41, 36, 0, 0},       {42, 4, 43, 20},      {44, 20, 45, 4},
    {46, 4, 47, 8},       {48, 72, 49, 72},     {52, 4, 53, 132},     {54, 132, 55, 4},
    {56, 72, 57, 72},     {58, 4, 59, 16},      {60, 16, 61, 4},      {62, 4, 63, 16},
    {64, 16, 65, 4},      {66, 4, 67, 276},     {68, 276, 69, 4},     {70, 4, 71, 52},
    {72, 52, 73, 4},      {74, 4, 75, 132},     {76, 132, 77, 4},     {84, 4, 85, 92},
    {86, 92, 87, 4},      {88, 4, 89, 92},      {90, 92, 91, 4},      {92, 4, 93, 92},
    {94, 92, 95, 4},      {96, 4, 97, 92},      {98, 92, 99, 4},      {100, 4, 101, 92},
    {102, 92, 103, 4},    {104, 4, 105, 92},    {106, 92, 107, 4},    {108, 4, 109, 92},
    {110, 92, 111, 4},    {112, 4, 113, 92},    {114, 92, 115, 4},    {116, 4, 117, 92},
    {118, 92, 119, 4},    {120, 4, 121, 136},   {122, 136, 123, 4},   {124, 4, 125, 36},
    {126, 36, 127, 4},    {128, 4, 129, 68},    {130, 68, 131, 4},    {1000, 4, 1001, 516},
    {1002, 516, 1003, 4}, {1004, 4, 1005, 516}, {1006, 516, 1007, 4}, {1008, 4, 1009, 516},
    {1010, 516, 1011, 4},
};

}  // namespace

TEST(LinkCatalogue, EveryProtocolRequestTypeHasItsSizesAndAName) {
  std::set<std::string> names;
  for (const Row& r : kProtocol) {
    SCOPED_TRACE(r.request);
    const CmdTableEntry* e = cmdLookup(r.request);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->requestType, r.request);
    EXPECT_EQ(e->requestSize, r.requestSize);
    EXPECT_EQ(e->replyType, r.reply);
    EXPECT_EQ(e->replySize, r.replySize);
    ASSERT_NE(e->name, nullptr);
    EXPECT_STREQ(cmdTypeName(r.request), e->name);
    EXPECT_TRUE(names.insert(e->name).second) << "duplicate name " << e->name;
  }
  EXPECT_STREQ(ostrel::sdk::cmdTypeName(ostrel::sdk::cmd::kGetFixInfo), "GetFixInfo");
}

TEST(LinkCatalogue, TypesOutsideTheProtocolTableAreUnknown) {
  std::set<uint16_t> known;
  for (const Row& r : kProtocol) known.insert(r.request);
  for (uint32_t t = 0; t <= 0xFFFF; ++t) {
    if (known.count(uint16_t(t))) continue;
    ASSERT_EQ(cmdLookup(uint16_t(t)), nullptr) << t;
  }
  EXPECT_STREQ(cmdTypeName(35), "unknown");
  EXPECT_EQ(ostrel::sdk::kCmdMaxMessage, 516u);
}
