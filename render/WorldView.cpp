#include "render/WorldView.h"

#include "render/CViewport.h"

namespace Tarn {

DeviceResult DrawWorldView(CViewport& viewport, const std::function<void()>& drawWorld)
{
    if (const DeviceResult result = viewport.Begin(); Failed(result))
        return result;
    viewport.Clear(WorldViewColor);
    drawWorld();
    return viewport.End();
}

} // namespace Tarn
