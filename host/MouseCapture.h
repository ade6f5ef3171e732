#pragma once

namespace Host {

// Keeps pointer events coming while a button is held outside the window.
// A null window (no display, as in tests) does nothing.
void CaptureMouse(void* window);
void ReleaseMouseCapture(void* window);

}
