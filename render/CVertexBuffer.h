#pragma once
#include <cstdint>
#include <memory>
#include "render/ID3DDeviceObserver.h"
#include "render/IGraphicsDevice.h"

namespace Tarn {

// The drawing context that every graphics object shares: one device vertex
// buffer, refilled by each drawing and drawn at once. It grows to twice the
// demand plus one byte when a drawing needs more room and never shrinks; the
// capacity survives device resets.
class CVertexBuffer : public ID3DDeviceObserver {
public:
    static constexpr std::int32_t InitialCapacity = 8192; // 512 vertices

    CVertexBuffer() = default;
    CVertexBuffer(const CVertexBuffer&) = delete;
    CVertexBuffer& operator=(const CVertexBuffer&) = delete;

    DeviceResult OnCreateDevice(IGraphicsDevice* device) override;
    DeviceResult OnResetDevice() override;
    DeviceResult OnLostDevice() override;
    DeviceResult OnDestroyDevice() override;

    // Each returns 0 or the first failing device result; without a device
    // (or, between a loss and the next reset, without a buffer) the general
    // failure code.
    DeviceResult Clear();
    // Replaces the content by `byteCount` bytes of vertices.
    DeviceResult Set(const Vertex* data, std::uint32_t byteCount);
    // Adds vertices after the content; growing keeps the content.
    DeviceResult Append(const Vertex* data, std::uint32_t byteCount);
    DeviceResult Bind();
    // Draws the whole content as the given primitive type (1 to 6); other
    // types draw nothing and succeed.
    DeviceResult Draw(int primitiveType);
    DeviceResult Draw(PrimitiveType type) { return Draw(static_cast<int>(type)); }
    // Draws with the device's world matrix W replaced by m * W for this call.
    DeviceResult DrawTransformed(int primitiveType, const Matrix& m);
    DeviceResult DrawTransformed(PrimitiveType type, const Matrix& m)
    {
        return DrawTransformed(static_cast<int>(type), m);
    }

    std::int32_t GetCapacity() const { return capacity; }
    std::uint32_t GetSize() const { return size; }
    IGraphicsDevice* GetDevice() const { return device; }

private:
    DeviceResult Grow(std::uint64_t newCapacity);
    DeviceResult Write(std::uint32_t offset, const Vertex* data, std::uint32_t byteCount);

    std::int32_t capacity = InitialCapacity;
    std::uint32_t size = 0;
    std::unique_ptr<IDeviceVertexBuffer> vertexBuffer;
    IGraphicsDevice* device = nullptr;
};

} // namespace Tarn
