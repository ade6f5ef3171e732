#include "host/VideoRestart.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstring>

namespace Host {
namespace {

constexpr int StartAttempts = 10;
constexpr Uint32 RetryPauseMs = 100;

// One more connection to the X display for as long as it lives; nothing on
// other video drivers.
class DisplayHold {
public:
    DisplayHold()
    {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver != nullptr && std::strcmp(driver, "x11") == 0)
            display = XOpenDisplay(nullptr);
    }
    ~DisplayHold()
    {
        if (display != nullptr)
            XCloseDisplay(display);
    }
    DisplayHold(const DisplayHold&) = delete;
    DisplayHold& operator=(const DisplayHold&) = delete;

private:
    Display* display = nullptr;
};

}

int RestartVideo(const std::function<void()>& whileStopped)
{
    const DisplayHold hold;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (whileStopped)
        whileStopped();
    for (int attempt = 1; attempt <= StartAttempts; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return attempt;
        if (attempt < StartAttempts)
            SDL_Delay(RetryPauseMs);
    }
    return 0;
}

}
