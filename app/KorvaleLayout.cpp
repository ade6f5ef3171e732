#include "app/KorvaleLayout.h"

#include "app/SensorPanel.h"

#include <algorithm>

namespace Korvale {

namespace KorvaleLayout {

Rect WorldView(int width, int height)
{
    const Rect view{10, 55, width - 170, height - 35};
    if (view.right <= view.left || view.bottom <= view.top)
        return {0, 0, width, height};
    return view;
}

Place DevicePanel(int width, int)
{
    return {width - 170, 0, 170, 170};
}

Place UserPanel(int width, int height)
{
    return {width - 170, height - 400, 170, 240};
}

Place RunBar(int width, int height) { return {width - 170 - 290, height - 33, 290, 30}; }

Place SensorPanel(int width, int height)
{
    const Rect view = WorldView(width, height);
    return {std::max(0, view.right - SensorPanel::Width - 6), view.top + 6, SensorPanel::Width, SensorPanel::Height};
}

int SliderValueFromZoom(float zoom)
{
    const float x = std::clamp((zoom - 0.01f) / 0.04f, 0.0f, 1.0f);
    return static_cast<int>(x * 100);
}

float ZoomFromSliderValue(int value)
{
    return static_cast<float>(value) / 100 * 0.04f + 0.01f;
}

}

} // namespace Korvale
