#include "tools/SimRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "model/CFenWorld.h"
#include "run/CommandError.h"
#include "run/SimulationCore.h"
#include "run/SwarmTrace.h"
#include "run/TraceWriter.h"
#include "tools/KeyScript.h"
#include "tools/ProgressBar.h"
#include "tools/RunPictures.h"
#include "tools/SimOptions.h"
#include "tools/SvgPlot.h"
#include "tools/SwarmSummary.h"

namespace Korvale::Tools {

namespace {

// The status line shows a command's error text one line under the other;
// korvale-sim prints it, and nothing for a fault without text.
void PrintError(std::ostream& err, const std::string& text)
{
    if (!text.empty())
        err << text << '\n';
    err.flush();
}

// The warnings of the loads, held until the control is chosen or a load
// fails, so that a line the failure repeats (why the network cannot drive)
// shows once; then one line each on standard error, the exit status as it
// would be without them.
class HeldWarnings {
public:
    explicit HeldWarnings(std::ostream& err_) : err(err_) {}

    void Hold(const std::string& text) { pending.push_back(text); }
    void Flush(const std::string& failure = {})
    {
        for (const std::string& warning : pending)
            if (failure.find(warning + '\n') == std::string::npos)
                err << warning << '\n';
        pending.clear();
        err.flush();
    }

private:
    std::ostream& err;
    std::vector<std::string> pending;
};

Run::SimulationOptions LoadOptions(const SimOptions& options, HeldWarnings& warnings)
{
    Run::SimulationOptions load;
    load.scene = Run::ModelFile::Named(options.scene);
    load.robot = Run::ModelFile::Named(options.robot);
    load.network = Run::ModelFile::Named(options.network);
    if (!options.robot.empty())
        load.control = options.control == SimOptions::Control::Network ? Run::Control::Network : Run::Control::Keyboard;
    load.networkControlNeedsNetwork = true;
    load.distanceOnly = true; // the summary's distance is all the run reads
    load.seed = options.seed;
    load.dt = options.frameTime;
    switch (options.pairs) {
    case SimOptions::Pairs::Automatic: load.pairSearch = Fen::PairSearch::automatic; break;
    case SimOptions::Pairs::All: load.pairSearch = Fen::PairSearch::allPairs; break;
    case SimOptions::Pairs::Broad: load.pairSearch = Fen::PairSearch::broadPhase; break;
    }
    load.warn = [&warnings](const std::string& text) { warnings.Hold(text); };
    return load;
}

// Every robot's place after a frame (or at the start) on its path.
void AddPathPoints(SvgPlot& plot, const Run::SimulationCore& simulation)
{
    for (std::size_t i = 0; i < simulation.SwarmSize(); ++i)
        plot.AddPathPoint(i, simulation.SwarmRobot(i)->pos);
}

std::size_t MostInfraredSensors(const Run::SimulationCore& simulation)
{
    std::size_t most = 0;
    for (std::size_t i = 0; i < simulation.SwarmSize(); ++i)
        most = std::max(most, simulation.SwarmRobot(i)->irSensors.size());
    return most;
}

} // namespace

int SimRun::Run(const SimOptions& options, std::ostream& out, std::ostream& err, bool terminal)
{
    const KeyScript keys = options.keys.empty() ? KeyScript{} : KeyScript::Load(options.keys);

    // The noise starts from the seed before anything is loaded.
    HeldWarnings warnings(err);
    std::optional<Run::SimulationCore> simulation;
    try {
        simulation.emplace(LoadOptions(options, warnings));
    } catch (const Run::CommandError& error) {
        // The status line's text, each line ended.
        warnings.Flush(error.what() + std::string("\n"));
        PrintError(err, error.what());
        return 1;
    }
    warnings.Flush();
    const std::size_t robots = simulation->SwarmSize();
    // These need a robot, the user's or one of the scene's: known only now.
    if (robots == 0 && !options.trace.empty())
        throw UsageError("--trace needs --robot FILE");
    if (robots == 0 && options.follow)
        throw UsageError("--follow needs --robot FILE");

    // The picture files are taken before anything else is written, so that a
    // name in the way stops the run with every file as it was.
    std::unique_ptr<RunPictures> pictures;
    if (options.WantsPictures()
        && !(pictures = RunPictures::Start(options, simulation->DrawingContext(), simulation->Scene(), err)))
        return 1;

    std::ofstream traceFile;
    std::unique_ptr<Run::TraceWriter> trace;
    std::unique_ptr<Run::SwarmTraceWriter> swarmTrace;
    // Robot 0: the user's robot when one is loaded, else the scene's first.
    const Fen::NeuralRobot* robot = simulation->SwarmRobot(0);
    std::vector<double> traceRow;
    if (!options.trace.empty()) {
        traceFile.open(options.trace, std::ios::binary | std::ios::trunc);
        if (!traceFile) {
            err << "korvale-sim: cannot write the trace '" << options.trace << "'\n";
            return 1;
        }
        if (robots == 1) {
            trace = std::make_unique<Run::TraceWriter>(traceFile, robot->irSensors.size());
            traceRow.resize(Run::TraceColumns(robot->irSensors.size()));
        } else {
            swarmTrace = std::make_unique<Run::SwarmTraceWriter>(traceFile, MostInfraredSensors(*simulation));
        }
    }
    std::ofstream plotFile;
    if (!options.plot.empty()) {
        plotFile.open(options.plot, std::ios::binary | std::ios::trunc);
        if (!plotFile) {
            err << "korvale-sim: cannot write the plot '" << options.plot << "'\n";
            return 1;
        }
    }

    if (!options.log.empty()) {
        try {
            simulation->StartLog(options.log);
        } catch (const Run::CommandError& error) {
            PrintError(err, error.what());
            return 1;
        }
    }

    const float elapsed = static_cast<float>(options.frameTime);
    // The paths are kept for the plot alone, in bounded memory.
    std::optional<SvgPlot> plot;
    if (!options.plot.empty())
        plot.emplace(simulation->World(), robots);
    if (plot)
        AddPathPoints(*plot, *simulation);

    int status = 0;
    const auto wallStart = std::chrono::steady_clock::now();
    ProgressBar progress(err, terminal && !options.quiet, options.frames);
    std::size_t nextKey = 0;
    while (simulation->FrameCount() < options.frames) {
        const double frameStart = simulation->Time();
        while (nextKey < keys.Events().size() && keys.Events()[nextKey].time <= frameStart) {
            const KeyScript::Event& event = keys.Events()[nextKey++];
            simulation->KeyMessage(event.key, event.down);
        }
        // A log that stopped on a fault (a full disk) ends the run with its
        // message, after the frame: what was asked for can no longer be
        // recorded.
        std::optional<std::string> fault;
        try {
            simulation->Frame();
        } catch (const Run::CommandError& error) {
            fault = error.what();
        }
        const std::int64_t framesRun = simulation->FrameCount();
        if (pictures)
            pictures->AfterFrame(framesRun, elapsed);
        if (plot)
            AddPathPoints(*plot, *simulation);
        if (trace) {
            Run::TraceRow(simulation->Time(), *robot, traceRow.data());
            trace->Row(traceRow.data());
        }
        if (swarmTrace)
            for (std::size_t i = 0; i < robots; ++i)
                swarmTrace->Row(simulation->Time(), i, *simulation->SwarmRobot(i));
        progress.Update(framesRun);
        if (fault) {
            PrintError(err, *fault);
            status = 1;
            break;
        }
    }
    progress.Finish();
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const std::int64_t framesRun = simulation->FrameCount();

    if (!options.log.empty()) {
        try {
            simulation->StopLog();
        } catch (const Run::CommandError& error) {
            PrintError(err, error.what());
            status = 1;
        }
    }
    if (pictures && !pictures->Finish(framesRun, err))
        status = 1;
    if (trace && !traceFile.flush()) {
        err << "korvale-sim: cannot write the trace '" << options.trace << "'\n";
        status = 1;
    }
    if (plot) {
        plot->Write(plotFile, simulation->World());
        if (!plotFile.flush()) {
            err << "korvale-sim: cannot write the plot '" << options.plot << "'\n";
            status = 1;
        }
    }

    if (!options.quiet) {
        const double simulated = simulation->SimulatedTime();
        out << "simulated " << Fixed(simulated, 3) << " s in " << Fixed(wallSeconds, 3) << " s wall time ("
            << (wallSeconds > 0 ? Fixed(simulated / wallSeconds, 1) + "x" : std::string("-")) << " real time), ";
        if (robots > 1) {
            out << SwarmSummary(*simulation) << '\n';
        } else {
            const double distance = simulation->LiveMetrics().distance();
            out << "robot travelled " << (robot ? Fixed(distance, 3) + " units" : std::string("nothing: no robot"))
                << '\n';
        }
    }
    if (options.perRobot)
        out << RobotDistances(*simulation);
    return status;
}

} // namespace Korvale::Tools
