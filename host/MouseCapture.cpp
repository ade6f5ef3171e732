#include "host/MouseCapture.h"

#include <SDL.h>

namespace Host {

void CaptureMouse(void* window)
{
    if (window)
        SDL_CaptureMouse(SDL_TRUE);
}

void ReleaseMouseCapture(void* window)
{
    if (window)
        SDL_CaptureMouse(SDL_FALSE);
}

}
