#include "tests/support/CRecordingDevice.h"
#include <algorithm>
#include <cstring>

CRecordingDevice::CRecordingDevice(std::uint32_t width, std::uint32_t height)
    : viewport{0, 0, width, height, 0, 1},
      transforms{MatrixIdentity(), MatrixIdentity(), MatrixIdentity()}
{
    renderStates[RenderState::CullMode] = CullNone;
    renderStates[RenderState::Lighting] = 0;
}

CRecordingDevice::~CRecordingDevice() = default;

DeviceResult CRecordingDevice::Record(DeviceCall call)
{
    calls.push_back(call);
    const auto it = failures.find(call);
    return it == failures.end() ? DeviceOk : it->second;
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

DeviceResult CRecordingDevice::Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil)
{
    if (DeviceResult r = Record(DeviceCall::Clear); Failed(r))
        return r;
    clears.push_back({flags, color, z, stencil, viewport});
    return DeviceOk;
}

DeviceResult CRecordingDevice::BeginScene()
{
    if (DeviceResult r = Record(DeviceCall::BeginScene); Failed(r))
        return r;
    if (inScene)
        return DeviceFail;
    inScene = true;
    return DeviceOk;
}

DeviceResult CRecordingDevice::EndScene()
{
    if (DeviceResult r = Record(DeviceCall::EndScene); Failed(r))
        return r;
    if (!inScene)
        return DeviceFail;
    inScene = false;
    return DeviceOk;
}

DeviceResult CRecordingDevice::SetRenderState(RenderState state, std::uint32_t value)
{
    if (DeviceResult r = Record(DeviceCall::SetRenderState); Failed(r))
        return r;
    renderStates[state] = value;
    return DeviceOk;
}

std::uint32_t CRecordingDevice::GetRenderState(RenderState state) const
{
    return renderStates.at(state);
}

DeviceResult CRecordingDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t format,
                                                  std::unique_ptr<IDeviceVertexBuffer>* buffer)
{
    if (DeviceResult r = Record(DeviceCall::CreateVertexBuffer); Failed(r))
        return r;
    if (buffer == nullptr || length == 0 || format != FvfPositionColor)
        return DeviceFail;
    IOwner& owner = *this;
    *buffer = std::make_unique<CMemoryVertexBuffer>(length, owner);
    createdBuffers.push_back(length);
    ++liveBuffers;
    return DeviceOk;
}

DeviceResult CRecordingDevice::OnLock(const CMemoryVertexBuffer&, std::uint32_t, std::uint32_t)
{
    return Record(DeviceCall::Lock);
}

DeviceResult CRecordingDevice::OnUnlock(const CMemoryVertexBuffer&)
{
    return Record(DeviceCall::Unlock);
}

void CRecordingDevice::OnRelease(const CMemoryVertexBuffer& buffer)
{
    --liveBuffers;
    if (stream == &buffer)
        stream = nullptr;
}

DeviceResult CRecordingDevice::SetStreamSource(std::uint32_t index, IDeviceVertexBuffer* buffer,
                                               std::uint32_t offset, std::uint32_t stride)
{
    if (DeviceResult r = Record(DeviceCall::SetStreamSource); Failed(r))
        return r;
    if (index != 0)
        return DeviceFail;
    // Only buffers of this device can be bound.
    stream = dynamic_cast<const CMemoryVertexBuffer*>(buffer);
    if (buffer != nullptr && stream == nullptr)
        return DeviceFail;
    streamOffset = offset;
    streamStride = stride;
    return DeviceOk;
}

DeviceResult CRecordingDevice::SetFVF(std::uint32_t format)
{
    if (DeviceResult r = Record(DeviceCall::SetFVF); Failed(r))
        return r;
    fvf = format;
    return DeviceOk;
}

DeviceResult CRecordingDevice::DrawPrimitive(PrimitiveType type, std::uint32_t start, std::uint32_t count)
{
    if (DeviceResult r = Record(DeviceCall::DrawPrimitive); Failed(r))
        return r;
    if (stream == nullptr || streamStride != VertexStride || fvf != FvfPositionColor || stream->IsLocked())
        return DeviceFail;
    const std::uint64_t vertexCount = VerticesForPrimitives(type, count);
    const std::uint64_t first = streamOffset + static_cast<std::uint64_t>(start) * VertexStride;
    if (vertexCount == 0 || first + vertexCount * VertexStride > stream->GetLength())
        return DeviceFail;
    DrawRecord record{type, start, count, std::vector<Vertex>(vertexCount), transforms[0], transforms[1],
                      transforms[2], viewport};
    std::memcpy(record.vertices.data(), stream->GetBytes() + first, vertexCount * VertexStride);
    draws.push_back(std::move(record));
    return DeviceOk;
}

DeviceResult CRecordingDevice::GetViewport(DeviceViewport* out)
{
    if (DeviceResult r = Record(DeviceCall::GetViewport); Failed(r))
        return r;
    if (out == nullptr)
        return DeviceFail;
    *out = viewport;
    return DeviceOk;
}

DeviceResult CRecordingDevice::SetViewport(const DeviceViewport& newViewport)
{
    if (DeviceResult r = Record(DeviceCall::SetViewport); Failed(r))
        return r;
    viewport = newViewport;
    return DeviceOk;
}

DeviceResult CRecordingDevice::GetTransform(TransformState state, Matrix* matrix)
{
    if (DeviceResult r = Record(DeviceCall::GetTransform); Failed(r))
        return r;
    if (matrix == nullptr)
        return DeviceFail;
    *matrix = transforms[static_cast<int>(state)];
    return DeviceOk;
}

DeviceResult CRecordingDevice::SetTransform(TransformState state, const Matrix& matrix)
{
    if (DeviceResult r = Record(DeviceCall::SetTransform); Failed(r))
        return r;
    transforms[static_cast<int>(state)] = matrix;
    return DeviceOk;
}

const Matrix& CRecordingDevice::GetCurrentTransform(TransformState state) const
{
    return transforms[static_cast<int>(state)];
}
