#pragma once
#include <memory>
#include <string>

#include "base/RgbImage.h"
#include "render/CEGLOffscreenContext.h"
#include "render/CGLDevice.h"
#include "render/CVertexBuffer.h"
#include "render/CViewport.h"

namespace Tarn {

class IFenWorld;

// The sizes of picture the world view is drawn in, in pixels a side: below
// 16 nothing can be made out, above 8192 a picture no longer fits many
// graphics devices.
inline constexpr int MinPictureSide = 16;
inline constexpr int MaxPictureSide = 8192;

// The world view without a window, for pictures and films: the window's
// OpenGL device and drawing code, drawing into an offscreen framebuffer
// (Mesa's surfaceless EGL: no X server, no GPU needed) that is all world
// view. While it lives it lends its device to the drawing context that the
// world's drawing objects draw through, which must have none of its own;
// when it goes the drawing context is left without a device again.
class COffscreenWorldView {
public:
    // None, with the reason in `error`, for a size outside MinPictureSide to
    // MaxPictureSide or if there is no offscreen OpenGL.
    static std::unique_ptr<COffscreenWorldView> Create(CVertexBuffer& drawingContext, int width, int height,
                                                       std::string* error = nullptr);
    ~COffscreenWorldView();
    COffscreenWorldView(const COffscreenWorldView&) = delete;
    COffscreenWorldView& operator=(const COffscreenWorldView&) = delete;

    // The camera; its rectangle is the whole picture.
    CViewport& GetViewport() { return viewport; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }

    // Draws the world view of the world and reads it into the picture
    // (which takes the view's size). False if the context cannot be made
    // current on this thread.
    bool Draw(IFenWorld& world, RgbImage& picture);
    // Lets go of the context on this thread, so that another thread may draw
    // next; Draw takes it again.
    void Release();

private:
    COffscreenWorldView(CVertexBuffer& drawingContext, int width, int height);

    CVertexBuffer& drawingContext;
    int width;
    int height;
    std::unique_ptr<CEGLOffscreenContext> context;
    std::unique_ptr<CGLDevice> device;
    CViewport viewport;
};

} // namespace Tarn
