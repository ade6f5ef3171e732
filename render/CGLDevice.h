#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "render/CMemoryVertexBuffer.h"
#include "render/IGraphicsDevice.h"

namespace Tarn {

// The graphics device on OpenGL 3.3 core. It draws into whatever framebuffer
// is bound (the window's, or an offscreen one) of the back-buffer size it is
// told. Vertex buffers live in main memory; each drawing streams the vertices
// it uses into one ring buffer, so that refilling a buffer never waits for the
// rasteriser to finish with the previous drawing.
//
// Starts with no culling; lighting is accepted and has no effect (vertex
// colours are always used as given). Depth test: smaller z in front.
class CGLDevice : public IGraphicsDevice, private CMemoryVertexBuffer::IOwner {
public:
    // Needs a current OpenGL 3.3 core context. None, with the reason in
    // `error`, if the shaders do not build.
    static std::unique_ptr<CGLDevice> Create(std::uint32_t backBufferWidth, std::uint32_t backBufferHeight,
                                             std::string* error = nullptr);
    CGLDevice(const CGLDevice&) = delete;
    CGLDevice& operator=(const CGLDevice&) = delete;
    ~CGLDevice() override;

    // After the window changed size: the viewport becomes the whole target again.
    void SetBackBufferSize(std::uint32_t width, std::uint32_t height);
    std::uint32_t GetBackBufferWidth() const { return backWidth; }
    std::uint32_t GetBackBufferHeight() const { return backHeight; }
    // Pixels of a rectangle (origin top left) as 0xAARRGGBB, rows from the top.
    std::vector<std::uint32_t> ReadPixels(std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                          std::uint32_t height) const;

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

private:
    CGLDevice(std::uint32_t width, std::uint32_t height);
    bool Build(std::string* error);
    void ApplyState();
    void ApplyViewport();
    void ApplyCulling();
    bool Upload(const unsigned char* bytes, std::uint32_t size, std::uint32_t* firstVertex);

    DeviceResult OnLock(const CMemoryVertexBuffer& buffer, std::uint32_t offset, std::uint32_t size) override;
    DeviceResult OnUnlock(const CMemoryVertexBuffer& buffer) override;
    void OnRelease(const CMemoryVertexBuffer& buffer) override;

    std::uint32_t backWidth;
    std::uint32_t backHeight;
    DeviceViewport viewport;
    Matrix transforms[3];
    bool matrixDirty = true;
    std::uint32_t cullMode = CullNone;
    std::uint32_t lighting = 0;
    const CMemoryVertexBuffer* stream = nullptr;
    std::uint32_t streamOffset = 0;
    std::uint32_t streamStride = 0;
    std::uint32_t fvf = 0;
    bool inScene = false;

    unsigned program = 0;
    int matrixLocation = -1;
    unsigned vertexArray = 0;
    unsigned ring = 0;
    std::uint32_t ringSize = 0;
    std::uint32_t ringOffset = 0;
};

} // namespace Tarn
