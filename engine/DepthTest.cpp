#include "engine/DepthTest.h"

namespace Fen {

void DepthTest::operate(double& zBufferEntry, Color& pixel, double depth, const Color& color)
{
    if (zBufferEntry > depth) {
        zBufferEntry = depth;
        pixel = color;
    }
}

DepthTest& DepthTest::instance()
{
    static DepthTest test;
    return test;
}

} // namespace Fen
