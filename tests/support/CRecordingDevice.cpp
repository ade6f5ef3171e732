#include "tests/support/CRecordingDevice.h"
#include <algorithm>
#include <cstring>

namespace TestSupport {

CRecordingDevice::CRecordingDevice(std::uint32_t width, std::uint32_t height)
    : viewport{0, 0, width, height, 0, 1},
      transforms{Tarn::MatrixIdentity(), Tarn::MatrixIdentity(), Tarn::MatrixIdentity()}
{
    renderStates[Tarn::RenderState::CullMode] = Tarn::CullNone;
    renderStates[Tarn::RenderState::Lighting] = 0;
}

CRecordingDevice::~CRecordingDevice() = default;

Tarn::DeviceResult CRecordingDevice::Record(DeviceCall call)
{
    calls.push_back(call);
    const auto it = failures.find(call);
    return it == failures.end() ? Tarn::DeviceOk : it->second;
}

void CRecordingDevice::ClearRecords()
{
    calls.clear();
    clears.clear();
    draws.clear();
    createdBuffers.clear();
}

std::size_t CRecordingDevice::CountCalls(DeviceCall call) const
{
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
}

Tarn::DeviceResult CRecordingDevice::Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::Clear); Tarn::Failed(r))
        return r;
    clears.push_back({flags, color, z, stencil, viewport});
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::BeginScene()
{
    if (Tarn::DeviceResult r = Record(DeviceCall::BeginScene); Tarn::Failed(r))
        return r;
    if (inScene)
        return Tarn::DeviceFail;
    inScene = true;
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::EndScene()
{
    if (Tarn::DeviceResult r = Record(DeviceCall::EndScene); Tarn::Failed(r))
        return r;
    if (!inScene)
        return Tarn::DeviceFail;
    inScene = false;
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::SetRenderState(Tarn::RenderState state, std::uint32_t value)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::SetRenderState); Tarn::Failed(r))
        return r;
    renderStates[state] = value;
    return Tarn::DeviceOk;
}

std::uint32_t CRecordingDevice::GetRenderState(Tarn::RenderState state) const
{
    return renderStates.at(state);
}

Tarn::DeviceResult CRecordingDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t format,
                                                  std::unique_ptr<Tarn::IDeviceVertexBuffer>* buffer)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::CreateVertexBuffer); Tarn::Failed(r))
        return r;
    if (buffer == nullptr || length == 0 || format != Tarn::FvfPositionColor)
        return Tarn::DeviceFail;
    IOwner& owner = *this;
    *buffer = std::make_unique<Tarn::CMemoryVertexBuffer>(length, owner);
    createdBuffers.push_back(length);
    ++liveBuffers;
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::OnLock(const Tarn::CMemoryVertexBuffer&, std::uint32_t, std::uint32_t)
{
    return Record(DeviceCall::Lock);
}

Tarn::DeviceResult CRecordingDevice::OnUnlock(const Tarn::CMemoryVertexBuffer&)
{
    return Record(DeviceCall::Unlock);
}

void CRecordingDevice::OnRelease(const Tarn::CMemoryVertexBuffer& buffer)
{
    --liveBuffers;
    if (stream == &buffer)
        stream = nullptr;
}

Tarn::DeviceResult CRecordingDevice::SetStreamSource(std::uint32_t index, Tarn::IDeviceVertexBuffer* buffer,
                                               std::uint32_t offset, std::uint32_t stride)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::SetStreamSource); Tarn::Failed(r))
        return r;
    if (index != 0)
        return Tarn::DeviceFail;
    // Only buffers of this device can be bound.
    stream = dynamic_cast<const Tarn::CMemoryVertexBuffer*>(buffer);
    if (buffer != nullptr && stream == nullptr)
        return Tarn::DeviceFail;
    streamOffset = offset;
    streamStride = stride;
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::SetFVF(std::uint32_t format)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::SetFVF); Tarn::Failed(r))
        return r;
    fvf = format;
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::DrawPrimitive(Tarn::PrimitiveType type, std::uint32_t start, std::uint32_t count)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::DrawPrimitive); Tarn::Failed(r))
        return r;
    if (stream == nullptr || streamStride != Tarn::VertexStride || fvf != Tarn::FvfPositionColor || stream->IsLocked())
        return Tarn::DeviceFail;
    const std::uint64_t vertexCount = Tarn::VerticesForPrimitives(type, count);
    const std::uint64_t first = streamOffset + static_cast<std::uint64_t>(start) * Tarn::VertexStride;
    if (vertexCount == 0 || first + vertexCount * Tarn::VertexStride > stream->GetLength())
        return Tarn::DeviceFail;
    DrawRecord record{type, start, count, std::vector<Tarn::Vertex>(vertexCount), transforms[0], transforms[1],
                      transforms[2], viewport};
    std::memcpy(record.vertices.data(), stream->GetBytes() + first, vertexCount * Tarn::VertexStride);
    draws.push_back(std::move(record));
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::GetViewport(Tarn::DeviceViewport* out)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::GetViewport); Tarn::Failed(r))
        return r;
    if (out == nullptr)
        return Tarn::DeviceFail;
    *out = viewport;
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::SetViewport(const Tarn::DeviceViewport& newViewport)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::SetViewport); Tarn::Failed(r))
        return r;
    viewport = newViewport;
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::GetTransform(Tarn::TransformState state, Tarn::Matrix* matrix)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::GetTransform); Tarn::Failed(r))
        return r;
    if (matrix == nullptr)
        return Tarn::DeviceFail;
    *matrix = transforms[static_cast<int>(state)];
    return Tarn::DeviceOk;
}

Tarn::DeviceResult CRecordingDevice::SetTransform(Tarn::TransformState state, const Tarn::Matrix& matrix)
{
    if (Tarn::DeviceResult r = Record(DeviceCall::SetTransform); Tarn::Failed(r))
        return r;
    transforms[static_cast<int>(state)] = matrix;
    return Tarn::DeviceOk;
}

const Tarn::Matrix& CRecordingDevice::GetCurrentTransform(Tarn::TransformState state) const
{
    return transforms[static_cast<int>(state)];
}

} // namespace TestSupport
