#pragma once
#include <string>

#include "run/ModelFile.h"
#include "run/SimulationOptions.h"

// The example files the run layer's tests drive: real scenes, a real robot
// with noisy sensors and the networks users start from.
namespace RunTestFiles {

inline std::string Example(const std::string& name) { return std::string(KORVALE_SOURCE_DIR) + "/examples/" + name; }

// The default scene with the example robot, driven by the obstacle avoider.
inline Korvale::Run::SimulationOptions Avoider(const std::string& scene = "Default.xml")
{
    Korvale::Run::SimulationOptions options;
    options.scene = Korvale::Run::ModelFile::Read(Example(scene));
    options.robot = Korvale::Run::ModelFile::Read(Example("Robot.xml"));
    options.network = Korvale::Run::ModelFile::Read(Example("AvoidObstacles.xml"));
    options.seed = 11;
    return options;
}

} // namespace RunTestFiles
