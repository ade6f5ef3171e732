#pragma once

#include <cstddef>

#include "io/CFenCircularCamReader.h"
#include "io/CFenIRSensorReader.h"
#include "io/CFenPhysicalObjectReader.h"
#include "model/IFenIO.h"

namespace Tarn {

class CFenNeuralRobot;

// Reads a robot file's "neuralrobot" element into its robot adapter: the
// drive values, the body ("object", required) and the sensors ("sensors").
// The robot is cleared first, and again after any fault, so a failed read
// leaves it without sensors and with drive values 1.
class CFenNeuralRobotIO : public IFenIO {
public:
    // The cameras of one robot together may have at most this many pixels,
    // so that a file cannot claim memory it does not hold by repeating cameras.
    static constexpr long long maxCameraPixels = 1000000;
    // Infrared sensors and cameras of one robot together; each one is called
    // for every body in every step.
    static constexpr std::size_t maxSensors = 10000;

    explicit CFenNeuralRobotIO(CFenNeuralRobot* robot) : robot(robot) {}
    void Read(CFenIOStruct& io) override;
    // Reads a "sensors" element and attaches its sensors and cameras, in
    // file order, to the robot.
    virtual void ReadSensors(CFenIOStruct& io);

private:
    CFenNeuralRobot* robot;
    CFenPhysicalObjectReader objectReader;
    CFenCircularCamReader cameraReader;
    CFenIRSensorReader irSensorReader;
};

} // namespace Tarn
