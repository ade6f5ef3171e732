#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>
#include "render/CMemoryVertexBuffer.h"
#include "render/IGraphicsDevice.h"

namespace TestSupport {

enum class DeviceCall {
    Clear,
    BeginScene,
    EndScene,
    SetRenderState,
    CreateVertexBuffer,
    Lock,
    Unlock,
    SetStreamSource,
    SetFVF,
    DrawPrimitive,
    GetViewport,
    SetViewport,
    GetTransform,
    SetTransform,
};

// A device without a screen: it keeps its state as a real one would and
// records every call, every cleared area and every drawing with its vertices
// and matrices. Any kind of call can be told to fail.
class CRecordingDevice : public Tarn::IGraphicsDevice, private Tarn::CMemoryVertexBuffer::IOwner {
public:
    struct ClearRecord {
        std::uint32_t flags = 0;
        std::uint32_t color = 0;
        float z = 0;
        std::uint32_t stencil = 0;
        Tarn::DeviceViewport viewport; // the area cleared
    };
    struct DrawRecord {
        Tarn::PrimitiveType type = Tarn::PrimitiveType::PointList;
        std::uint32_t start = 0;
        std::uint32_t count = 0;
        std::vector<Tarn::Vertex> vertices; // exactly those the primitives consume
        Tarn::Matrix world;
        Tarn::Matrix view;
        Tarn::Matrix projection;
        Tarn::DeviceViewport viewport;
    };

    // The render target's size; the viewport starts as all of it.
    explicit CRecordingDevice(std::uint32_t width = 640, std::uint32_t height = 480);
    ~CRecordingDevice() override;

    Tarn::DeviceResult Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) override;
    Tarn::DeviceResult BeginScene() override;
    Tarn::DeviceResult EndScene() override;
    Tarn::DeviceResult SetRenderState(Tarn::RenderState state, std::uint32_t value) override;
    Tarn::DeviceResult CreateVertexBuffer(std::uint32_t length, std::uint32_t fvf,
                                    std::unique_ptr<Tarn::IDeviceVertexBuffer>* buffer) override;
    Tarn::DeviceResult SetStreamSource(std::uint32_t stream, Tarn::IDeviceVertexBuffer* buffer, std::uint32_t offset,
                                 std::uint32_t stride) override;
    Tarn::DeviceResult SetFVF(std::uint32_t fvf) override;
    Tarn::DeviceResult DrawPrimitive(Tarn::PrimitiveType type, std::uint32_t start, std::uint32_t count) override;
    Tarn::DeviceResult GetViewport(Tarn::DeviceViewport* viewport) override;
    Tarn::DeviceResult SetViewport(const Tarn::DeviceViewport& viewport) override;
    Tarn::DeviceResult GetTransform(Tarn::TransformState state, Tarn::Matrix* matrix) override;
    Tarn::DeviceResult SetTransform(Tarn::TransformState state, const Tarn::Matrix& matrix) override;

    // Every later call of that kind returns `result` (and changes nothing).
    void FailOn(DeviceCall call, Tarn::DeviceResult result = Tarn::DeviceFail) { failures[call] = result; }
    void StopFailing() { failures.clear(); }
    // Forgets the records, keeps the state.
    void ClearRecords();

    const std::vector<DeviceCall>& GetCalls() const { return calls; }
    std::size_t CountCalls(DeviceCall call) const;
    const std::vector<ClearRecord>& GetClears() const { return clears; }
    const std::vector<DrawRecord>& GetDraws() const { return draws; }
    // Lengths of the buffers made, in order.
    const std::vector<std::uint32_t>& GetCreatedBuffers() const { return createdBuffers; }
    int GetLiveBufferCount() const { return liveBuffers; }
    std::uint32_t GetRenderState(Tarn::RenderState state) const;
    const Tarn::DeviceViewport& GetCurrentViewport() const { return viewport; }
    const Tarn::Matrix& GetCurrentTransform(Tarn::TransformState state) const;
    bool IsInScene() const { return inScene; }

private:
    Tarn::DeviceResult Record(DeviceCall call);
    Tarn::DeviceResult OnLock(const Tarn::CMemoryVertexBuffer& buffer, std::uint32_t offset,
                              std::uint32_t size) override;
    Tarn::DeviceResult OnUnlock(const Tarn::CMemoryVertexBuffer& buffer) override;
    void OnRelease(const Tarn::CMemoryVertexBuffer& buffer) override;

    std::map<DeviceCall, Tarn::DeviceResult> failures;
    std::vector<DeviceCall> calls;
    std::vector<ClearRecord> clears;
    std::vector<DrawRecord> draws;
    std::vector<std::uint32_t> createdBuffers;
    int liveBuffers = 0;

    Tarn::DeviceViewport viewport;
    Tarn::Matrix transforms[3];
    std::map<Tarn::RenderState, std::uint32_t> renderStates;
    const Tarn::CMemoryVertexBuffer* stream = nullptr;
    std::uint32_t streamOffset = 0;
    std::uint32_t streamStride = 0;
    std::uint32_t fvf = 0;
    bool inScene = false;
};

} // namespace TestSupport
