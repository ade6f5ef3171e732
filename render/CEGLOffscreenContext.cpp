#include "render/CEGLOffscreenContext.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>

namespace Tarn {

namespace {

void SetError(std::string* error, const std::string& text)
{
    if (error != nullptr)
        *error = text;
}

EGLDisplay OpenDisplay()
{
    // Surfaceless first: it needs no X server, no Wayland and no device node.
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr))
        return display;
    display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr))
        return display;
    return EGL_NO_DISPLAY;
}

} // namespace

std::unique_ptr<CEGLOffscreenContext> CEGLOffscreenContext::Create(std::uint32_t width, std::uint32_t height,
                                                                   std::string* error)
{
    if (width == 0 || height == 0) {
        SetError(error, "empty framebuffer");
        return nullptr;
    }
    EGLDisplay display = OpenDisplay();
    if (display == EGL_NO_DISPLAY) {
        SetError(error, "no EGL display");
        return nullptr;
    }
    std::unique_ptr<CEGLOffscreenContext> result(new CEGLOffscreenContext());
    result->display = display;
    result->width = width;
    result->height = height;

    if (!eglBindAPI(EGL_OPENGL_API)) {
        SetError(error, "EGL has no desktop OpenGL");
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1)
        config = nullptr; // surfaceless contexts can do without a config
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        SetError(error, "no OpenGL 3.3 core context");
        return nullptr;
    }
    result->context = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        SetError(error, "the context cannot be made current without a surface");
        return nullptr;
    }

    glGenRenderbuffers(1, &result->colorBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, result->colorBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glGenRenderbuffers(1, &result->depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, result->depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));
    glGenFramebuffers(1, &result->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, result->framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, result->colorBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, result->depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        SetError(error, "incomplete framebuffer");
        return nullptr;
    }
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    return result;
}

CEGLOffscreenContext::~CEGLOffscreenContext()
{
    if (context != nullptr && eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &colorBuffer);
        glDeleteRenderbuffers(1, &depthBuffer);
    }
    if (display != nullptr) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context != nullptr)
            eglDestroyContext(display, context);
        // Other contexts of the process may share the display: leave it initialised.
    }
}

bool CEGLOffscreenContext::MakeCurrent()
{
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        return false;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    return true;
}

void CEGLOffscreenContext::Release()
{
    if (eglGetCurrentContext() == context)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

} // namespace Tarn
