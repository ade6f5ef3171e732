#include "host/VideoRestart.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

// Last: Xlib's macros (None, True, Bool) would break the headers above.
#include <X11/Xlib.h>

namespace {

// An X server forgets its atoms when it resets, so an atom made before a
// restart and still known after it shows that the server did not reset.
constexpr const char* ProbeAtom = "KORVALE_VIDEO_RESTART_PROBE";

// A connection to the server once it takes connections again, or null.
Display* WaitForServer()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr))
            return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

bool ServerKnowsProbe(bool create)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    const bool known = XInternAtom(display, ProbeAtom, create ? False : True) != None;
    XCloseDisplay(display);
    return known;
}

}

// These need an X display; CTest runs them under their own Xvfb, where the
// test is the display's only client, the case in which the X server resets
// whenever the last connection closes and refuses connections meanwhile.
class VideoRestart : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "needs an X display";
        // The previous test's last connection has closed, so the server may
        // still be resetting: wait until it takes connections again, and
        // hold one until SDL has its own.
        Display* const waiting = WaitForServer();
        ASSERT_NE(waiting, nullptr) << "the X server did not come back";
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        const int started = SDL_Init(SDL_INIT_VIDEO);
        XCloseDisplay(waiting);
        ASSERT_EQ(started, 0) << SDL_GetError();
    }
    void TearDown() override { SDL_Quit(); }
};

TEST_F(VideoRestart, KeepsTheXServerFromResettingAndReconnectsAtOnce)
{
    // SDL's own connection stays open meanwhile, so making the probe does
    // not reset the server.
    ASSERT_TRUE(ServerKnowsProbe(true));
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(Host::RestartVideo({}), 1) << "restart " << i << ": " << SDL_GetError();
        ASSERT_TRUE(ServerKnowsProbe(false)) << "the X server reset during restart " << i;
    }
}

TEST_F(VideoRestart, ADisplayThatCannotBeReachedFailsAndTheNextRestartWorks)
{
    const std::string display = std::getenv("DISPLAY");
    EXPECT_EQ(Host::RestartVideo([] { setenv("DISPLAY", ":32000", 1); }), 0);
    EXPECT_NE(std::string(SDL_GetError()).find("x11"), std::string::npos) << SDL_GetError();
    // Nothing held the display across the failed start, so the server may be
    // resetting now: the restart works, possibly after a retry.
    EXPECT_GE(Host::RestartVideo([&display] { setenv("DISPLAY", display.c_str(), 1); }), 1) << SDL_GetError();
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
}
