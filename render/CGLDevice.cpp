#include "render/CGLDevice.h"
#include <algorithm>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

namespace Tarn {

namespace {

// Row-vector matrices arrive unchanged: read column-major they are the
// transpose, which is what m * v needs. Direct3D's depth runs 0..1; OpenGL's
// clip space -w..w, hence the remap of z.
const char* const VertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;
uniform mat4 transform;
out vec4 vertexColor;
void main()
{
    vec4 p = transform * vec4(position, 1.0);
    p.z = 2.0 * p.z - p.w;
    gl_Position = p;
    vertexColor = color;
}
)";

const char* const FragmentShader = R"(#version 330 core
in vec4 vertexColor;
out vec4 fragmentColor;
void main()
{
    fragmentColor = vertexColor;
}
)";

constexpr std::uint32_t InitialRingSize = 1u << 20;

GLuint Compile(GLenum type, const char* source, std::string* error)
{
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        if (error != nullptr)
            *error = log;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLenum GlPrimitive(PrimitiveType type)
{
    switch (type) {
    case PrimitiveType::PointList: return GL_POINTS;
    case PrimitiveType::LineList: return GL_LINES;
    case PrimitiveType::LineStrip: return GL_LINE_STRIP;
    case PrimitiveType::TriangleList: return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip: return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan: return GL_TRIANGLE_FAN;
    }
    return GL_POINTS;
}

float Channel(std::uint32_t color, int shift)
{
    return static_cast<float>((color >> shift) & 0xFFu) / 255.0f;
}

} // namespace

std::unique_ptr<CGLDevice> CGLDevice::Create(std::uint32_t width, std::uint32_t height, std::string* error)
{
    std::unique_ptr<CGLDevice> device(new CGLDevice(width, height));
    if (!device->Build(error))
        return nullptr;
    return device;
}

CGLDevice::CGLDevice(std::uint32_t width, std::uint32_t height)
    : backWidth(width), backHeight(height), viewport{0, 0, width, height, 0, 1},
      transforms{MatrixIdentity(), MatrixIdentity(), MatrixIdentity()}
{
}

bool CGLDevice::Build(std::string* error)
{
    const GLuint vs = Compile(GL_VERTEX_SHADER, VertexShader, error);
    const GLuint fs = vs == 0 ? 0 : Compile(GL_FRAGMENT_SHADER, FragmentShader, error);
    if (vs == 0 || fs == 0) {
        glDeleteShader(vs);
        return false;
    }
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        if (error != nullptr)
            *error = log;
        return false;
    }
    matrixLocation = glGetUniformLocation(program, "transform");

    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &ring);
    glBindBuffer(GL_ARRAY_BUFFER, ring);
    ringSize = InitialRingSize;
    glBufferData(GL_ARRAY_BUFFER, ringSize, nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, VertexStride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, VertexStride, reinterpret_cast<const void*>(12));
    ApplyState();
    return glGetError() == GL_NO_ERROR;
}

CGLDevice::~CGLDevice()
{
    glDeleteBuffers(1, &ring);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteProgram(program);
}

// Other drawing (the user interface) may change the shared OpenGL state
// between frames, so each scene sets all of it again.
void CGLDevice::ApplyState()
{
    glUseProgram(program);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, ring);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    ApplyCulling();
    ApplyViewport();
    matrixDirty = true;
}

void CGLDevice::ApplyViewport()
{
    // OpenGL counts rows from the bottom.
    const GLint y = static_cast<GLint>(backHeight) - static_cast<GLint>(viewport.y) -
                    static_cast<GLint>(viewport.height);
    glViewport(static_cast<GLint>(viewport.x), y, static_cast<GLsizei>(viewport.width),
               static_cast<GLsizei>(viewport.height));
    glDepthRange(viewport.minZ, viewport.maxZ);
}

void CGLDevice::ApplyCulling()
{
    if (cullMode == CullNone) {
        glDisable(GL_CULL_FACE);
        return;
    }
    // Windings are judged on the screen, y down; OpenGL's window y is up,
    // which turns clockwise into counter-clockwise.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(cullMode == CullClockwise ? GL_FRONT : GL_BACK);
}

void CGLDevice::SetBackBufferSize(std::uint32_t width, std::uint32_t height)
{
    backWidth = width;
    backHeight = height;
    viewport = {0, 0, width, height, 0, 1};
    ApplyViewport();
}

std::vector<std::uint32_t> CGLDevice::ReadPixels(std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                                 std::uint32_t height) const
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    if (pixels.empty())
        return pixels;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(static_cast<GLint>(x), static_cast<GLint>(backHeight) - static_cast<GLint>(y + height),
                 static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 pixels.data());
    // Bottom row first from OpenGL: turn it upside down.
    for (std::uint32_t row = 0; row < height / 2; ++row)
        std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(row) * width,
                         pixels.begin() + static_cast<std::ptrdiff_t>(row + 1) * width,
                         pixels.begin() + static_cast<std::ptrdiff_t>(height - 1 - row) * width);
    return pixels;
}

DeviceResult CGLDevice::Clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil)
{
    GLbitfield bits = 0;
    if (flags & ClearTarget)
        bits |= GL_COLOR_BUFFER_BIT;
    if (flags & ClearZBuffer)
        bits |= GL_DEPTH_BUFFER_BIT;
    if (flags & ClearStencil)
        bits |= GL_STENCIL_BUFFER_BIT;
    if (bits == 0)
        return DeviceFail;
    // glClear ignores the viewport; the scissor keeps it to the viewport.
    const GLint y = static_cast<GLint>(backHeight) - static_cast<GLint>(viewport.y) -
                    static_cast<GLint>(viewport.height);
    glEnable(GL_SCISSOR_TEST);
    glScissor(static_cast<GLint>(viewport.x), y, static_cast<GLsizei>(viewport.width),
              static_cast<GLsizei>(viewport.height));
    glClearColor(Channel(color, 16), Channel(color, 8), Channel(color, 0), Channel(color, 24));
    glClearDepth(z);
    glClearStencil(static_cast<GLint>(stencil));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFFFFFFFFu);
    glClear(bits);
    glDisable(GL_SCISSOR_TEST);
    return DeviceOk;
}

DeviceResult CGLDevice::BeginScene()
{
    if (inScene)
        return DeviceFail;
    inScene = true;
    ApplyState();
    return DeviceOk;
}

DeviceResult CGLDevice::EndScene()
{
    if (!inScene)
        return DeviceFail;
    inScene = false;
    return DeviceOk;
}

DeviceResult CGLDevice::SetRenderState(RenderState state, std::uint32_t value)
{
    switch (state) {
    case RenderState::CullMode:
        if (value != CullNone && value != CullClockwise && value != CullCounterClockwise)
            return DeviceFail;
        cullMode = value;
        ApplyCulling();
        return DeviceOk;
    case RenderState::Lighting:
        lighting = value;
        return DeviceOk;
    }
    return DeviceFail;
}

DeviceResult CGLDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t format,
                                           std::unique_ptr<IDeviceVertexBuffer>* buffer)
{
    if (buffer == nullptr || length == 0 || format != FvfPositionColor)
        return DeviceFail;
    IOwner& owner = *this;
    *buffer = std::make_unique<CMemoryVertexBuffer>(length, owner);
    return DeviceOk;
}

DeviceResult CGLDevice::OnLock(const CMemoryVertexBuffer&, std::uint32_t, std::uint32_t)
{
    return DeviceOk;
}

DeviceResult CGLDevice::OnUnlock(const CMemoryVertexBuffer&)
{
    return DeviceOk;
}

void CGLDevice::OnRelease(const CMemoryVertexBuffer& buffer)
{
    if (stream == &buffer)
        stream = nullptr;
}

DeviceResult CGLDevice::SetStreamSource(std::uint32_t index, IDeviceVertexBuffer* buffer, std::uint32_t offset,
                                        std::uint32_t stride)
{
    if (index != 0)
        return DeviceFail;
    const auto* memory = dynamic_cast<const CMemoryVertexBuffer*>(buffer);
    if (buffer != nullptr && memory == nullptr)
        return DeviceFail;
    stream = memory;
    streamOffset = offset;
    streamStride = stride;
    return DeviceOk;
}

DeviceResult CGLDevice::SetFVF(std::uint32_t format)
{
    if (format != FvfPositionColor)
        return DeviceFail;
    fvf = format;
    return DeviceOk;
}

// Writes into the ring without waiting for earlier drawings: the range
// written was never handed to one since the ring was last renewed.
bool CGLDevice::Upload(const unsigned char* bytes, std::uint32_t size, std::uint32_t* firstVertex)
{
    glBindBuffer(GL_ARRAY_BUFFER, ring);
    if (size > ringSize) {
        while (ringSize < size)
            ringSize *= 2;
        glBufferData(GL_ARRAY_BUFFER, ringSize, nullptr, GL_STREAM_DRAW);
        ringOffset = 0;
    } else if (ringOffset + static_cast<std::uint64_t>(size) > ringSize) {
        // Fresh storage; the old one lives on until the drawings using it are done.
        glBufferData(GL_ARRAY_BUFFER, ringSize, nullptr, GL_STREAM_DRAW);
        ringOffset = 0;
    }
    void* target = glMapBufferRange(GL_ARRAY_BUFFER, ringOffset, size,
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (target == nullptr)
        return false;
    std::copy(bytes, bytes + size, static_cast<unsigned char*>(target));
    if (glUnmapBuffer(GL_ARRAY_BUFFER) != GL_TRUE)
        return false;
    *firstVertex = ringOffset / VertexStride;
    ringOffset += size;
    return true;
}

DeviceResult CGLDevice::DrawPrimitive(PrimitiveType type, std::uint32_t start, std::uint32_t count)
{
    if (stream == nullptr || streamStride != VertexStride || fvf != FvfPositionColor || stream->IsLocked())
        return DeviceFail;
    const std::uint64_t vertexCount = VerticesForPrimitives(type, count);
    const std::uint64_t first = streamOffset + static_cast<std::uint64_t>(start) * VertexStride;
    const std::uint64_t size = vertexCount * VertexStride;
    if (vertexCount == 0 || first + size > stream->GetLength())
        return DeviceFail;

    glUseProgram(program);
    glBindVertexArray(vertexArray);
    if (matrixDirty) {
        const Matrix m = MatrixMultiply(MatrixMultiply(transforms[0], transforms[1]), transforms[2]);
        glUniformMatrix4fv(matrixLocation, 1, GL_FALSE, &m.m[0][0]);
        matrixDirty = false;
    }
    std::uint32_t firstVertex = 0;
    if (!Upload(stream->GetBytes() + first, static_cast<std::uint32_t>(size), &firstVertex))
        return DeviceFail;
    glDrawArrays(GlPrimitive(type), static_cast<GLint>(firstVertex), static_cast<GLsizei>(vertexCount));
    return DeviceOk;
}

DeviceResult CGLDevice::GetViewport(DeviceViewport* out)
{
    if (out == nullptr)
        return DeviceFail;
    *out = viewport;
    return DeviceOk;
}

DeviceResult CGLDevice::SetViewport(const DeviceViewport& newViewport)
{
    viewport = newViewport;
    ApplyViewport();
    return DeviceOk;
}

DeviceResult CGLDevice::GetTransform(TransformState state, Matrix* matrix)
{
    if (matrix == nullptr)
        return DeviceFail;
    *matrix = transforms[static_cast<int>(state)];
    return DeviceOk;
}

DeviceResult CGLDevice::SetTransform(TransformState state, const Matrix& matrix)
{
    transforms[static_cast<int>(state)] = matrix;
    matrixDirty = true;
    return DeviceOk;
}

} // namespace Tarn
