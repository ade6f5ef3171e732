#include "render/COffscreenWorldView.h"

#include "model/IFenWorld.h"
#include "render/ReadPicture.h"
#include "render/WorldView.h"

namespace Tarn {

std::unique_ptr<COffscreenWorldView> COffscreenWorldView::Create(CVertexBuffer& drawingContext, int width, int height,
                                                                 std::string* error)
{
    if (width < MinPictureSide || height < MinPictureSide || width > MaxPictureSide || height > MaxPictureSide) {
        if (error != nullptr)
            *error = "no picture of " + std::to_string(width) + "x" + std::to_string(height) + " pixels";
        return nullptr;
    }
    std::unique_ptr<COffscreenWorldView> view(new COffscreenWorldView(drawingContext, width, height));
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(height);
    view->context = CEGLOffscreenContext::Create(w, h, error);
    if (view->context == nullptr)
        return nullptr;
    view->device = CGLDevice::Create(w, h, error);
    if (view->device == nullptr)
        return nullptr;

    // What the window does when its device is made and reset.
    CGLDevice& device = *view->device;
    drawingContext.OnCreateDevice(&device);
    view->viewport.OnCreateDevice(&device);
    if (Failed(drawingContext.OnResetDevice())) {
        if (error != nullptr)
            *error = "no vertex buffer";
        return nullptr;
    }
    view->viewport.OnResetDevice();
    device.SetRenderState(RenderState::CullMode, CullNone);
    device.SetRenderState(RenderState::Lighting, 0);
    view->viewport.SetRect(0, 0, w, h);
    return view;
}

COffscreenWorldView::COffscreenWorldView(CVertexBuffer& drawingContext_, int width_, int height_)
    : drawingContext(drawingContext_), width(width_), height(height_)
{
}

COffscreenWorldView::~COffscreenWorldView()
{
    // OpenGL objects go while their context is current.
    if (context != nullptr)
        context->MakeCurrent();
    if (device != nullptr) {
        drawingContext.OnLostDevice();
        drawingContext.OnDestroyDevice();
        viewport.OnLostDevice();
        viewport.OnDestroyDevice();
    }
    device.reset();
    context.reset();
}

bool COffscreenWorldView::Draw(IFenWorld& world, RgbImage& picture)
{
    if (!context->MakeCurrent())
        return false;
    device->BeginScene();
    DrawWorldView(viewport, [&world] { world.Draw(); });
    device->EndScene();
    picture = ReadPicture(*device, 0, 0, width, height);
    return true;
}

void COffscreenWorldView::Release() { context->Release(); }

} // namespace Tarn
