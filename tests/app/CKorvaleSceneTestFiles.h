#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TempFolder.h"

// Small model files for the scene and command tests, written into a fresh
// folder per test.
namespace SceneTestFiles {

inline constexpr const char* sceneWithStart = R"(<world width="200" height="100" startX="150" startY="60">
  <object x="50" y="50" r="5" color="red"/>
  <object x="100" y="20" mass="2">
    <polygone m="3">0 3 -2.6 -1.5 2.6 -1.5</polygone>
  </object>
</world>)";

inline constexpr const char* sceneWithoutStart = R"(<world width="80" height="60">
  <object x="10" y="10" r="2"/>
</world>)";

// The third object has no y.
inline constexpr const char* sceneBadThirdObject = R"(<world width="300" height="300" startX="10" startY="10">
  <object x="50" y="50" r="5"/>
  <object x="60" y="60" r="5"/>
  <object x="70" r="5"/>
</world>)";

inline constexpr const char* robotTwoSensors = R"(<neuralrobot wheelDistance="2" robotSpeed="4">
  <object x="20" y="30" r="1.5" mass="1"/>
  <sensors>
    <irsensor x="1" y="0.5" height="1" orientation="20" range="8"/>
    <irsensor x="1" y="-0.5" height="1" orientation="-20" range="8"/>
  </sensors>
</neuralrobot>)";

inline constexpr const char* robotBadCamera = R"(<neuralrobot wheelDistance="2" robotSpeed="4">
  <object x="20" y="30" r="1.5" mass="1"/>
  <sensors>
    <camera x="0" y="0" height="1" orientation="0" fieldOfView="30"/>
  </sensors>
</neuralrobot>)";

// One logsig layer: forward only, whatever the two readings.
inline constexpr const char* networkTwoInputs = R"(<network inputDimensions="2" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="4" n="2">0 0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>
</network>)";

inline constexpr const char* networkThreeInputs = R"(<network inputDimensions="3" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="4" n="3">0 0 0 0 0 0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>
</network>)";

// Two outputs where the control reads four: it never drives.
inline constexpr const char* networkTwoOutputs = R"(<network inputDimensions="2" outputDimensions="2" numLayers="1">
  <layers><layer index="1" dimensions="2" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="2" n="2">0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="2">5 5</vector></bias></biases>
</network>)";

inline constexpr const char* networkWithoutBiases = R"(<network inputDimensions="2" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="4" n="2">0 0 0 0 0 0 0 0</matrix></inputlayer></weights>
</network>)";


} // namespace SceneTestFiles
