#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace Tarn {

// An OpenGL 3.3 core context without any window system (Mesa's surfaceless
// EGL platform), made current, drawing into its own framebuffer object of the
// given size with a 24-bit depth and 8-bit stencil buffer. For tests, the
// benchmark and command-line tools.
class CEGLOffscreenContext {
public:
    // None, with the reason in `error`, if no such context can be made.
    static std::unique_ptr<CEGLOffscreenContext> Create(std::uint32_t width, std::uint32_t height,
                                                        std::string* error = nullptr);
    CEGLOffscreenContext(const CEGLOffscreenContext&) = delete;
    CEGLOffscreenContext& operator=(const CEGLOffscreenContext&) = delete;
    ~CEGLOffscreenContext();

    std::uint32_t GetWidth() const { return width; }
    std::uint32_t GetHeight() const { return height; }
    // Makes the context current and binds its framebuffer again.
    bool MakeCurrent();
    // Leaves the calling thread without a current context, so that another
    // thread can make this one current.
    void Release();

private:
    CEGLOffscreenContext() = default;

    void* display = nullptr;
    void* context = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    unsigned framebuffer = 0;
    unsigned colorBuffer = 0;
    unsigned depthBuffer = 0;
};

} // namespace Tarn
