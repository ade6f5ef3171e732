#pragma once

namespace Korvale {

// Where the world view and the two panels go for a back buffer of a given
// size, and how the zoom slider maps to the viewport's zoom.
namespace KorvaleLayout {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Place {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Left 10, top 55, right W - 170, bottom H - 35; the whole back buffer when
// that leaves nothing (W - 170 <= 10 or H - 35 <= 55).
Rect WorldView(int backBufferWidth, int backBufferHeight);
Place DevicePanel(int backBufferWidth, int backBufferHeight);
Place UserPanel(int backBufferWidth, int backBufferHeight);
// Under the world view, ending at its right edge (W - 170).
Place RunBar(int backBufferWidth, int backBufferHeight);
// In the top right corner of the world view.
Place SensorPanel(int backBufferWidth, int backBufferHeight);

// The slider covers zoom 0.01 to 0.05; zooms beyond that rest it at an end.
int SliderValueFromZoom(float zoom);
float ZoomFromSliderValue(int value);

}

} // namespace Korvale
