#include "base/DeviceResult.h"

#include <gtest/gtest.h>

using namespace Tarn;

// One meaning everywhere, from a drawing to the host's device callbacks: the
// observers' fan-out has always counted a positive code as a failure, and so
// does everything else now.
TEST(DeviceResult, ZeroAloneIsSuccess)
{
    EXPECT_TRUE(Succeeded(DeviceOk));
    EXPECT_FALSE(Failed(DeviceOk));
    for (const DeviceResult code : {DeviceFail, DeviceResult{-1}, DeviceResult{1}, DeviceResult{0x7FFFFFFF}}) {
        EXPECT_TRUE(Failed(code)) << code;
        EXPECT_FALSE(Succeeded(code)) << code;
    }
    EXPECT_LT(DeviceFail, 0);
}
