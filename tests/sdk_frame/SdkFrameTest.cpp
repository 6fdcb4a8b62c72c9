#include <gtest/gtest.h>

#include "OstrelSDK.h"
#include "frame/SdkFrame.h"

TEST(SdkFrame, InitFreeInitCycle) {
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    EXPECT_EQ(Ostrel_InitSDK(), 0);  // a second init keeps the state
    EXPECT_TRUE(ostrel::sdk::sdkInitialised());
    Ostrel_FreeSDK();
    EXPECT_FALSE(ostrel::sdk::sdkInitialised());
  }
}

TEST(SdkFrame, EveryStatusCodeHasAName) {
  for (int code : {0, -1, -2, -4, -5, -6, -7, -8, -10, -11, -12, -13, -14, -17, -18, -95, -96, -97, -98, -99,
                   -100, -193, -194, -195, -197, -198, -200})
    EXPECT_STRNE(ostrel::sdk::errorName(code), "unknown") << code;
  EXPECT_STREQ(ostrel::sdk::errorName(-3), "unknown");
}
