#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "io/CXmlNode.h"

namespace Tarn {

class CFenIOStruct;
class CFenWorld;

// Reads the robot elements of a scene's "world" into its scene robots:
//   <robot file="Robot.xml" x="20" y="30" angle="90" network="Avoid.xml"/>
//   <robots file="Robot.xml" count="20" seed="7" network="Avoid.xml"/>
// "robot" places one robot; "robots" places `count` robots at free places
// drawn from `seed` (Fen::FreePlaces). Files are named relative to the
// scene's folder. A fault is reported in one line that names the element's
// line ("robot file 'Bad.xml' of the robot element at line 4: mass out of
// range") and the caller empties the world.
class SceneRobotsReader {
public:
    // Robots in one scene, and what all of them may carry together: enough
    // for the largest swarms, far below what would exhaust memory.
    static constexpr std::size_t maxRobots = 100000;
    static constexpr long long maxSensors = 1000000;
    static constexpr long long maxCameraPixels = 10000000;

    // Places the robot of a "robot" element at once; keeps a "robots"
    // element for Finish, so that its robots avoid every body of the file.
    bool Read(CFenIOStruct& io, const CXmlNode& element, CFenWorld& world);
    // Places the kept groups, in file order.
    bool Finish(CFenIOStruct& io, CFenWorld& world);

private:
    struct Group {
        CXmlNode element;
        std::string file;
        std::string network;
        std::size_t count = 0;
        unsigned long long seed = 0;
    };
    bool ReadOne(CFenIOStruct& io, const CXmlNode& element, CFenWorld& world);
    bool ReadGroup(CFenIOStruct& io, const CXmlNode& element);
    bool PlaceGroup(CFenIOStruct& io, const Group& group, CFenWorld& world);

    std::vector<Group> groups;
    std::size_t robots = 0; // placed and promised so far
    long long sensors = 0;
    long long cameraPixels = 0;
};

} // namespace Tarn
