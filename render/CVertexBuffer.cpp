#include "render/CVertexBuffer.h"
#include <cstring>
#include <limits>
#include <vector>

namespace Tarn {

DeviceResult CVertexBuffer::OnCreateDevice(IGraphicsDevice* newDevice)
{
    device = newDevice;
    return DeviceOk;
}

DeviceResult CVertexBuffer::OnResetDevice()
{
    if (device == nullptr)
        return DeviceFail;
    vertexBuffer.reset();
    size = 0;
    return device->CreateVertexBuffer(static_cast<std::uint32_t>(capacity), FvfPositionColor, &vertexBuffer);
}

DeviceResult CVertexBuffer::OnLostDevice()
{
    vertexBuffer.reset();
    size = 0;
    return DeviceOk;
}

DeviceResult CVertexBuffer::OnDestroyDevice()
{
    vertexBuffer.reset();
    size = 0;
    // The device is gone; drawing fails until the next one is created.
    device = nullptr;
    return DeviceOk;
}

DeviceResult CVertexBuffer::Clear()
{
    if (device == nullptr)
        return DeviceFail;
    size = 0;
    return DeviceOk;
}

// Replaces the buffer by one of the new capacity and carries the content
// over, so that an append that grows the buffer mid-drawing loses nothing.
DeviceResult CVertexBuffer::Grow(std::uint64_t newCapacity)
{
    if (newCapacity > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return DeviceFail;
    std::vector<unsigned char> kept(size);
    if (size > 0) {
        void* old = nullptr;
        if (DeviceResult r = vertexBuffer->Lock(0, size, &old); Failed(r))
            return r;
        std::memcpy(kept.data(), old, size);
        if (DeviceResult r = vertexBuffer->Unlock(); Failed(r))
            return r;
    }
    vertexBuffer.reset();
    capacity = static_cast<std::int32_t>(newCapacity);
    if (DeviceResult r = device->CreateVertexBuffer(static_cast<std::uint32_t>(capacity), FvfPositionColor,
                                                    &vertexBuffer);
        Failed(r)) {
        vertexBuffer.reset();
        size = 0;
        return r;
    }
    if (vertexBuffer == nullptr) {
        size = 0;
        return DeviceFail;
    }
    return Write(0, reinterpret_cast<const Vertex*>(kept.data()), size);
}

DeviceResult CVertexBuffer::Write(std::uint32_t offset, const Vertex* data, std::uint32_t byteCount)
{
    // A lock of 0 bytes would lock the whole rest of the buffer.
    if (byteCount == 0)
        return DeviceOk;
    if (data == nullptr)
        return DeviceFail;
    void* target = nullptr;
    if (DeviceResult r = vertexBuffer->Lock(offset, byteCount, &target); Failed(r))
        return r;
    std::memcpy(target, data, byteCount);
    return vertexBuffer->Unlock();
}

DeviceResult CVertexBuffer::Set(const Vertex* data, std::uint32_t byteCount)
{
    if (device == nullptr || vertexBuffer == nullptr)
        return DeviceFail;
    size = 0;
    if (static_cast<std::int64_t>(byteCount) >= capacity)
        if (DeviceResult r = Grow(2 * static_cast<std::uint64_t>(byteCount) + 1); Failed(r))
            return r;
    if (DeviceResult r = Write(0, data, byteCount); Failed(r))
        return r;
    size = byteCount;
    return DeviceOk;
}

DeviceResult CVertexBuffer::Append(const Vertex* data, std::uint32_t byteCount)
{
    if (device == nullptr || vertexBuffer == nullptr)
        return DeviceFail;
    const std::uint64_t needed = static_cast<std::uint64_t>(size) + byteCount;
    if (needed >= static_cast<std::uint64_t>(capacity))
        if (DeviceResult r = Grow(2 * static_cast<std::uint64_t>(size) + 2 * static_cast<std::uint64_t>(byteCount) + 1);
            Failed(r))
            return r;
    if (DeviceResult r = Write(size, data, byteCount); Failed(r))
        return r;
    size += byteCount;
    return DeviceOk;
}

DeviceResult CVertexBuffer::Bind()
{
    if (device == nullptr || vertexBuffer == nullptr)
        return DeviceFail;
    if (DeviceResult r = device->SetStreamSource(0, vertexBuffer.get(), 0, VertexStride); Failed(r))
        return r;
    return device->SetFVF(FvfPositionColor);
}

DeviceResult CVertexBuffer::Draw(int primitiveType)
{
    if (device == nullptr)
        return DeviceFail;
    const std::int64_t n = size / VertexStride;
    std::int64_t count = 0;
    switch (primitiveType) {
    case 1: count = n; break;
    case 2: count = n / 2; break;
    case 3: count = n - 1; break;
    case 4: count = size / (3 * VertexStride); break;
    case 5:
    case 6: count = n - 2; break;
    default: return DeviceOk;
    }
    if (count <= 0)
        return DeviceOk;
    return device->DrawPrimitive(static_cast<PrimitiveType>(primitiveType), 0, static_cast<std::uint32_t>(count));
}

DeviceResult CVertexBuffer::DrawTransformed(int primitiveType, const Matrix& m)
{
    if (device == nullptr)
        return DeviceFail;
    Matrix saved;
    if (DeviceResult r = device->GetTransform(TransformState::World, &saved); Failed(r))
        return r;
    if (DeviceResult r = device->SetTransform(TransformState::World, MatrixMultiply(m, saved)); Failed(r))
        return r;
    const DeviceResult drawn = Draw(primitiveType);
    const DeviceResult restored = device->SetTransform(TransformState::World, saved);
    return Failed(drawn) ? drawn : restored;
}

} // namespace Tarn
