#pragma once
#include <functional>

namespace Host {

// Stops SDL's video subsystem, calls whileStopped (the rasteriser is chosen
// from the environment when the display connection opens), and starts it
// again. Returns how many starts it took (1 when the first one worked), or
// 0 when video could not be started; SDL_GetError() then says why.
//
// An X server whose last client disconnects resets itself and refuses new
// connections until it is done (Xvfb on a display the program has to itself
// does this), so a plain stop and start fails now and then with "x11 not
// available". A second connection held across the restart keeps the server
// from resetting; a few spaced retries cover any other passing refusal.
int RestartVideo(const std::function<void()>& whileStopped);

}
