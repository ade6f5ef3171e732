#include "render/CMemoryVertexBuffer.h"

namespace Tarn {

CMemoryVertexBuffer::CMemoryVertexBuffer(std::uint32_t length, IOwner& owner_) : bytes(length), owner(owner_) {}

CMemoryVertexBuffer::~CMemoryVertexBuffer()
{
    owner.OnRelease(*this);
}

DeviceResult CMemoryVertexBuffer::Lock(std::uint32_t offset, std::uint32_t size, void** data)
{
    if (data == nullptr)
        return DeviceFail;
    *data = nullptr;
    const std::uint64_t length = bytes.size();
    if (offset > length || static_cast<std::uint64_t>(offset) + size > length)
        return DeviceFail;
    if (DeviceResult r = owner.OnLock(*this, offset, size); Failed(r))
        return r;
    *data = bytes.data() + offset;
    ++locks;
    ++version;
    return DeviceOk;
}

DeviceResult CMemoryVertexBuffer::Unlock()
{
    if (locks == 0)
        return DeviceFail;
    --locks;
    return owner.OnUnlock(*this);
}

} // namespace Tarn
