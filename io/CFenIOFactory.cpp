#include "io/CFenIOFactory.h"

#include "io/CFenNeuralRobotIO.h"
#include "io/CFenPhysicalObjectIO.h"
#include "io/CFenWorldIO.h"

namespace Tarn {

std::unique_ptr<IFenIO> CFenIOFactory::CreateIO(CFenWorld& world) { return std::make_unique<CFenWorldIO>(&world); }

std::unique_ptr<IFenIO> CFenIOFactory::CreateIO(CFenPhysicalObject& object)
{
    return std::make_unique<CFenPhysicalObjectIO>(&object);
}

std::unique_ptr<IFenIO> CFenIOFactory::CreateIO(CFenNeuralRobot& robot)
{
    return std::make_unique<CFenNeuralRobotIO>(&robot);
}

} // namespace Tarn
