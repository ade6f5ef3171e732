#pragma once
#include "engine/Color.h"

namespace Fen {

// Merges a candidate colour at a depth into one camera pixel.
class PixelOperationFunctor {
public:
    virtual ~PixelOperationFunctor() = default;
    virtual void operate(double& zBufferEntry, Color& pixel, double depth, const Color& color) = 0;
};

} // namespace Fen
