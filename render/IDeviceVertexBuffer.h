#pragma once
#include <cstdint>
#include "base/DeviceResult.h"

namespace Tarn {

// A vertex buffer made by a graphics device. It is lost with the device's
// reset, so its owner releases it on loss and makes a new one on reset; it
// must be released before the device that made it.
class IDeviceVertexBuffer {
public:
    virtual ~IDeviceVertexBuffer() = default;
    // Length in bytes.
    virtual std::uint32_t GetLength() const = 0;
    // A range holding the buffer's current bytes, writable until Unlock. A
    // size of 0 locks from offset to the end; a range past the end fails.
    virtual DeviceResult Lock(std::uint32_t offset, std::uint32_t size, void** data) = 0;
    virtual DeviceResult Unlock() = 0;
};

} // namespace Tarn
