#include "render/CFenGraphicsFactory.h"

#include "render/CFenNeuralRobotGraphics.h"
#include "render/CFenPhysicalObjectGraphics.h"
#include "render/CFenWorldGraphics.h"

namespace Tarn {

std::unique_ptr<IFenGraphics> CFenGraphicsFactory::CreateGraphics(CFenWorld& world)
{
    return std::make_unique<CFenWorldGraphics>(vertexBuffer, world, &robotOptions);
}

std::unique_ptr<IFenGraphics> CFenGraphicsFactory::CreateGraphics(CFenPhysicalObject& object)
{
    return std::make_unique<CFenPhysicalObjectGraphics>(vertexBuffer, object);
}

std::unique_ptr<IFenGraphics> CFenGraphicsFactory::CreateGraphics(CFenNeuralRobot& robot)
{
    return std::make_unique<CFenNeuralRobotGraphics>(vertexBuffer, robot, &robotOptions);
}

} // namespace Tarn
