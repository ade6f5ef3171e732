#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/World.h"
#include "run/ModelFile.h"

namespace Tarn {
class CFeedForward;
}

namespace Korvale::Run {

// A network that simulations share and none changes.
using SharedNetwork = std::shared_ptr<const Tarn::CFeedForward>;

// The control that drives the robot.
enum class Control { Keyboard, Network };

// What a simulation loads and how it runs.
struct SimulationOptions {
    ModelFile scene;
    ModelFile robot; // not given: none
    ModelFile network; // not given: none
    SharedNetwork networkObject; // instead of a network file
    std::optional<Control> control; // default: the network when one is given
    // The network control selected as the panel's button selects it (as
    // korvale-sim's --control network does), which fails without a network;
    // otherwise a network control without one waits for one.
    bool networkControlNeedsNetwork = false;
    std::optional<std::uint64_t> seed;
    double dt = 1.0 / 60.0;
    // How the world finds the pairs of bodies that interact; every way
    // gives the same run. Default: the world's own choice.
    std::optional<Fen::PairSearch> pairSearch;
    // Only the distance is read (korvale-sim): the other metrics, whose
    // contact test costs a tenth of a crowded frame, are not kept.
    bool distanceOnly = false;
    // Takes each warning of a load as it comes; without it the warnings
    // wait for TakeWarnings.
    std::function<void(const std::string&)> warn;
    // Run a few times a second during Step and Trace, between frames; it
    // throws to interrupt them (see InterruptPoll).
    std::function<void()> interruptCheck;
    // Networks for the scene's robots in the file's order, in place of those
    // the scene gave them (none: the scene's), as a pickle carries them.
    std::vector<SharedNetwork> sceneNetworks;
    // The texts of files the scene names (its robots' files), by the name
    // written in it, read in place of the files; the others are read from
    // the scene's folder.
    std::map<std::string, std::string> sceneFiles;
};

// The files a simulation was loaded from (not given for none), and its
// network as a network file's text (none while the network is empty).
struct SimulationContents {
    ModelFile scene;
    ModelFile robot;
    ModelFile network;
    // Each scene robot's network, in the file's order (none for one without).
    std::vector<SharedNetwork> sceneNetworks;
    // The texts of the files a scene read as text named, by the name
    // written in it (none for a scene read from its file).
    std::map<std::string, std::string> sceneFiles;
};

} // namespace Korvale::Run
