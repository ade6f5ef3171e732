#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "render/CEGLOffscreenContext.h"
#include "render/CGLDevice.h"
#include "render/CVertexBuffer.h"
#include "render/CViewport.h"

namespace {

constexpr std::uint32_t Width = 640;
constexpr std::uint32_t Height = 480;

// One context for the whole suite: making one costs far more than a test.
class GLDeviceTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        context = CEGLOffscreenContext::Create(Width, Height, &error);
        contextError = error;
    }
    static void TearDownTestSuite() { context.reset(); }

    void SetUp() override
    {
        ASSERT_NE(context, nullptr) << "no offscreen OpenGL: " << contextError;
        ASSERT_TRUE(context->MakeCurrent());
        std::string error;
        device = CGLDevice::Create(Width, Height, &error);
        ASSERT_NE(device, nullptr) << error;
    }

    std::uint32_t Pixel(std::uint32_t x, std::uint32_t y) const { return device->ReadPixels(x, y, 1, 1).at(0); }

    static inline std::unique_ptr<CEGLOffscreenContext> context;
    static inline std::string contextError;
    std::unique_ptr<CGLDevice> device;
};

TEST_F(GLDeviceTest, ClearKeepsToTheViewport)
{
    ASSERT_EQ(device->Clear(ClearTarget | ClearZBuffer, 0xFF2D32AAu, 1.0f, 0), DeviceOk);
    ASSERT_EQ(device->SetViewport({10, 55, 460, 390, 0, 1}), DeviceOk);
    ASSERT_EQ(device->Clear(ClearTarget | ClearZBuffer, 0x000000AAu, 1.0f, 0), DeviceOk);
    EXPECT_EQ(Pixel(10, 55) & 0xFFFFFFu, 0x0000AAu);
    EXPECT_EQ(Pixel(469, 444) & 0xFFFFFFu, 0x0000AAu);
    EXPECT_EQ(Pixel(9, 55) & 0xFFFFFFu, 0x2D32AAu);
    EXPECT_EQ(Pixel(470, 444) & 0xFFFFFFu, 0x2D32AAu);
    EXPECT_EQ(Pixel(10, 54) & 0xFFFFFFu, 0x2D32AAu);
    EXPECT_EQ(Pixel(10, 445) & 0xFFFFFFu, 0x2D32AAu);
}

} // namespace
