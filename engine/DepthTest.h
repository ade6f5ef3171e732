#pragma once
#include "engine/PixelOperationFunctor.h"

namespace Fen {

// Keeps the nearer candidate: strictly smaller depth wins.
class DepthTest : public PixelOperationFunctor {
public:
    void operate(double& zBufferEntry, Color& pixel, double depth, const Color& color) override;
    // The one instance shared by all cameras.
    static DepthTest& instance();
};

} // namespace Fen
