#pragma once
#include <cstdint>
#include <memory>
#include "base/DeviceResult.h"
#include "render/DeviceViewport.h"
#include "render/IDeviceVertexBuffer.h"
#include "render/Matrix.h"
#include "render/Vertex.h"

namespace Tarn {

enum class TransformState { World, View, Projection };

enum class RenderState { CullMode, Lighting };

inline constexpr std::uint32_t CullNone = 1;
inline constexpr std::uint32_t CullClockwise = 2;
inline constexpr std::uint32_t CullCounterClockwise = 3;

inline constexpr std::uint32_t ClearTarget = 0x1;
inline constexpr std::uint32_t ClearZBuffer = 0x2;
inline constexpr std::uint32_t ClearStencil = 0x4;

// The graphics device services that the drawing needs. Vertices are the
// 16-byte `Vertex`; matrices follow the row-vector convention and the points
// drawn are p * world * view * projection; of two overlapping drawings the one
// with the smaller z is in front, whatever the drawing order. Every operation
// returns 0 on success and a negative code on failure.
class IGraphicsDevice {
public:
    virtual ~IGraphicsDevice() = default;

    // Clears target, depth and/or stencil inside the current viewport only.
    virtual DeviceResult Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) = 0;
    virtual DeviceResult BeginScene() = 0;
    virtual DeviceResult EndScene() = 0;
    virtual DeviceResult SetRenderState(RenderState state, std::uint32_t value) = 0;

    // A buffer of `length` bytes for vertices of format `fvf`.
    virtual DeviceResult CreateVertexBuffer(std::uint32_t length, std::uint32_t fvf,
                                            std::unique_ptr<IDeviceVertexBuffer>* buffer) = 0;
    // Only stream 0 exists. The buffer is not owned; a null one unbinds.
    virtual DeviceResult SetStreamSource(std::uint32_t stream, IDeviceVertexBuffer* buffer, std::uint32_t offset,
                                         std::uint32_t stride) = 0;
    virtual DeviceResult SetFVF(std::uint32_t fvf) = 0;
    // Draws `count` primitives from vertex `start` of the stream source.
    virtual DeviceResult DrawPrimitive(PrimitiveType type, std::uint32_t start, std::uint32_t count) = 0;

    virtual DeviceResult GetViewport(DeviceViewport* viewport) = 0;
    virtual DeviceResult SetViewport(const DeviceViewport& viewport) = 0;
    virtual DeviceResult GetTransform(TransformState state, Matrix* matrix) = 0;
    virtual DeviceResult SetTransform(TransformState state, const Matrix& matrix) = 0;
};

} // namespace Tarn
