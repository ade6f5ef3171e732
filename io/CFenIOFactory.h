#pragma once

#include "model/IFenIOFactory.h"

namespace Tarn {

// Gives each adapter the reader of its model-file element: "world",
// "object" or "neuralrobot".
class CFenIOFactory : public IFenIOFactory {
public:
    std::unique_ptr<IFenIO> CreateIO(CFenWorld& world) override;
    std::unique_ptr<IFenIO> CreateIO(CFenPhysicalObject& object) override;
    std::unique_ptr<IFenIO> CreateIO(CFenNeuralRobot& robot) override;
};

} // namespace Tarn
