#pragma once
#include <cstdint>
#include "model/IFenGraphics.h"

namespace Tarn {

class CVertexBuffer;
class CFenWorld;

// Draws the arena border, then every object and every robot of the world.
class CFenWorldGraphics : public IFenGraphics {
public:
    static constexpr float Depth = 0.5f;
    static constexpr std::uint32_t BorderColor = 0xFF000000u;

    CFenWorldGraphics(CVertexBuffer* vertexBuffer, CFenWorld& world);
    DeviceResult Draw() override;

private:
    CVertexBuffer* vertexBuffer; // not owned
    CFenWorld& world;
};

} // namespace Tarn
