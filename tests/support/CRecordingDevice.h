#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>
#include "render/CMemoryVertexBuffer.h"
#include "render/IGraphicsDevice.h"

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
class CRecordingDevice : public IGraphicsDevice, private CMemoryVertexBuffer::IOwner {
public:
    struct ClearRecord {
        std::uint32_t flags = 0;
        std::uint32_t color = 0;
        float z = 0;
        std::uint32_t stencil = 0;
        DeviceViewport viewport; // the area cleared
    };
    struct DrawRecord {
        PrimitiveType type = PrimitiveType::PointList;
        std::uint32_t start = 0;
        std::uint32_t count = 0;
        std::vector<Vertex> vertices; // exactly those the primitives consume
        Matrix world;
        Matrix view;
        Matrix projection;
        DeviceViewport viewport;
    };

    // The render target's size; the viewport starts as all of it.
    explicit CRecordingDevice(std::uint32_t width = 640, std::uint32_t height = 480);
    ~CRecordingDevice() override;

    DeviceResult Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil) override;
    DeviceResult BeginScene() override;
    DeviceResult EndScene() override;
    DeviceResult SetRenderState(RenderState state, std::uint32_t value) override;
    DeviceResult CreateVertexBuffer(std::uint32_t length, std::uint32_t fvf,
                                    std::unique_ptr<IDeviceVertexBuffer>* buffer) override;
    DeviceResult SetStreamSource(std::uint32_t stream, IDeviceVertexBuffer* buffer, std::uint32_t offset,
                                 std::uint32_t stride) override;
    DeviceResult SetFVF(std::uint32_t fvf) override;
    DeviceResult DrawPrimitive(PrimitiveType type, std::uint32_t start, std::uint32_t count) override;
    DeviceResult GetViewport(DeviceViewport* viewport) override;
    DeviceResult SetViewport(const DeviceViewport& viewport) override;
    DeviceResult GetTransform(TransformState state, Matrix* matrix) override;
    DeviceResult SetTransform(TransformState state, const Matrix& matrix) override;

    // Every later call of that kind returns `result` (and changes nothing).
    void FailOn(DeviceCall call, DeviceResult result = DeviceFail) { failures[call] = result; }
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
    std::uint32_t GetRenderState(RenderState state) const;
    const DeviceViewport& GetCurrentViewport() const { return viewport; }
    const Matrix& GetCurrentTransform(TransformState state) const;
    bool IsInScene() const { return inScene; }

private:
    DeviceResult Record(DeviceCall call);
    DeviceResult OnLock(const CMemoryVertexBuffer& buffer, std::uint32_t offset, std::uint32_t size) override;
    DeviceResult OnUnlock(const CMemoryVertexBuffer& buffer) override;
    void OnRelease(const CMemoryVertexBuffer& buffer) override;

    std::map<DeviceCall, DeviceResult> failures;
    std::vector<DeviceCall> calls;
    std::vector<ClearRecord> clears;
    std::vector<DrawRecord> draws;
    std::vector<std::uint32_t> createdBuffers;
    int liveBuffers = 0;

    DeviceViewport viewport;
    Matrix transforms[3];
    std::map<RenderState, std::uint32_t> renderStates;
    const CMemoryVertexBuffer* stream = nullptr;
    std::uint32_t streamOffset = 0;
    std::uint32_t streamStride = 0;
    std::uint32_t fvf = 0;
    bool inScene = false;
};
