#pragma once
#include <cstdint>
#include <vector>
#include "render/IDeviceVertexBuffer.h"

namespace Tarn {

// A device vertex buffer kept in main memory. The device that made it reads
// the bytes when it draws and hears of every lock and of the release.
class CMemoryVertexBuffer : public IDeviceVertexBuffer {
public:
    class IOwner {
    public:
        virtual ~IOwner() = default;
        // A failing result makes the lock fail.
        virtual DeviceResult OnLock(const CMemoryVertexBuffer& buffer, std::uint32_t offset, std::uint32_t size) = 0;
        virtual DeviceResult OnUnlock(const CMemoryVertexBuffer& buffer) = 0;
        virtual void OnRelease(const CMemoryVertexBuffer& buffer) = 0;
    };

    CMemoryVertexBuffer(std::uint32_t length, IOwner& owner);
    CMemoryVertexBuffer(const CMemoryVertexBuffer&) = delete;
    CMemoryVertexBuffer& operator=(const CMemoryVertexBuffer&) = delete;
    ~CMemoryVertexBuffer() override;

    std::uint32_t GetLength() const override { return static_cast<std::uint32_t>(bytes.size()); }
    DeviceResult Lock(std::uint32_t offset, std::uint32_t size, void** data) override;
    DeviceResult Unlock() override;

    const unsigned char* GetBytes() const { return bytes.data(); }
    bool IsLocked() const { return locks > 0; }
    // Counts the locks, so that a reader can tell whether the bytes changed.
    std::uint64_t GetVersion() const { return version; }

private:
    std::vector<unsigned char> bytes;
    IOwner& owner;
    int locks = 0;
    std::uint64_t version = 0;
};

} // namespace Tarn
