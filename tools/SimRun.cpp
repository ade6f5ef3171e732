#include "tools/SimRun.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "render/CVertexBuffer.h"
#include "tools/KeyScript.h"
#include "tools/ProgressBar.h"
#include "tools/RunPictures.h"
#include "tools/SimOptions.h"
#include "tools/SvgPlot.h"
#include "tools/TraceWriter.h"

namespace Korvale::Tools {

namespace {

// The runner's side of the panel commands: errors and warnings are printed,
// the rest of what the window would do has nothing to act on.
class RunnerHost : public ISceneCommandHost {
public:
    explicit RunnerHost(std::ostream& err_) : err(err_) {}

    void ShowInfo(const std::string&) override {}
    // The status line shows the text one line under the other; a line feed
    // ends every line, so the trailing ones carry nothing to show.
    void ShowError(const std::string& text) override
    {
        FlushWarnings(text);
        const std::size_t end = text.find_last_not_of('\n');
        if (end != std::string::npos)
            err << text.substr(0, end + 1) << '\n';
        err.flush();
    }
    // One line on standard error; the run goes on, its exit status unchanged.
    // Held until the control is chosen (FlushWarnings) or a command fails,
    // so that a line the failure repeats (why the network cannot drive)
    // shows once.
    void ShowWarning(const std::string& text) override { pending.push_back(text); }
    void FlushWarnings(const std::string& failure = {})
    {
        for (const std::string& warning : pending)
            if (failure.find(warning + '\n') == std::string::npos)
                err << warning << '\n';
        pending.clear();
        err.flush();
    }
    void ResetZoom() override {}
    void CheckKeyboardButton() override {}
    void CheckNoTargetButton() override {}

private:
    std::ostream& err;
    std::vector<std::string> pending;
};

Fen::NeuralRobot* EngineRobot(CKorvaleScene& scene)
{
    Tarn::CFenNeuralRobot* robot = scene.GetRobot();
    return robot ? &robot->GetPhysicalObject() : nullptr;
}

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

} // namespace

int SimRun::Run(const SimOptions& options, std::ostream& out, std::ostream& err, bool terminal)
{
    const KeyScript keys = options.keys.empty() ? KeyScript{} : KeyScript::Load(options.keys);

    // The noise generator starts from the seed before anything is loaded.
    if (options.seed)
        Fen::setRandomState(Fen::seedState(*options.seed));

    CKeyboard keyboard;
    Tarn::CVertexBuffer vertexBuffer; // no device: nothing is drawn
    CKorvaleScene scene(&vertexBuffer, &keyboard);
    RunnerHost host(err);
    CSceneCommands commands(scene, host);

    if (!commands.LoadScene(options.scene))
        return 1;
    Fen::World& world = scene.GetWorld()->GetFenWorld();
    switch (options.pairs) {
    case SimOptions::Pairs::Automatic: world.pairSearch = Fen::PairSearch::automatic; break;
    case SimOptions::Pairs::All: world.pairSearch = Fen::PairSearch::allPairs; break;
    case SimOptions::Pairs::Broad: world.pairSearch = Fen::PairSearch::broadPhase; break;
    }
    if (!options.robot.empty() && !commands.LoadRobot(options.robot))
        return 1;
    if (!options.network.empty() && !commands.LoadNetwork(options.network))
        return 1;
    if (!options.robot.empty()) {
        const bool ok = options.control == SimOptions::Control::Network ? commands.SelectNeuralNetwork()
                                                                         : commands.SelectKeyboard();
        if (!ok)
            return 1;
    }
    host.FlushWarnings();

    // The picture files are taken before anything else is written, so that a
    // name in the way stops the run with every file as it was.
    std::unique_ptr<RunPictures> pictures;
    if (options.WantsPictures() && !(pictures = RunPictures::Start(options, vertexBuffer, scene, err)))
        return 1;

    std::ofstream traceFile;
    std::unique_ptr<TraceWriter> trace;
    Fen::NeuralRobot* robot = EngineRobot(scene);
    if (!options.trace.empty()) {
        traceFile.open(options.trace, std::ios::binary | std::ios::trunc);
        if (!traceFile) {
            err << "korvale-sim: cannot write the trace '" << options.trace << "'\n";
            return 1;
        }
        trace = std::make_unique<TraceWriter>(traceFile, robot->irSensors.size());
    }
    std::ofstream plotFile;
    if (!options.plot.empty()) {
        plotFile.open(options.plot, std::ios::binary | std::ios::trunc);
        if (!plotFile) {
            err << "korvale-sim: cannot write the plot '" << options.plot << "'\n";
            return 1;
        }
    }

    if (!options.log.empty() && !commands.StartLog(options.log))
        return 1;

    // The host hands the frame's elapsed time over in single precision.
    const float elapsed = static_cast<float>(options.frameTime);
    const double frameTime = options.frameTime;
    // The path is kept for the plot alone, in bounded memory.
    std::optional<SvgPlot> plot;
    if (!options.plot.empty())
        plot.emplace(scene.GetWorld()->GetFenWorld());
    double distance = 0;
    if (robot != nullptr && plot)
        plot->AddPathPoint(robot->pos);

    int status = 0;
    const auto wallStart = std::chrono::steady_clock::now();
    ProgressBar progress(err, terminal && !options.quiet, options.frames);
    std::size_t nextKey = 0;
    std::int64_t framesRun = 0;
    while (framesRun < options.frames) {
        const double frameStart = static_cast<double>(framesRun) * frameTime;
        while (nextKey < keys.Events().size() && keys.Events()[nextKey].time <= frameStart) {
            const KeyScript::Event& event = keys.Events()[nextKey++];
            const std::uint32_t message = event.down ? Tarn::WindowMessage::KeyDown : Tarn::WindowMessage::KeyUp;
            keyboard.OnMsg(nullptr, message, event.key, 0);
        }
        const Fen::Point before = robot ? robot->pos : Fen::Point{};
        scene.AdvanceFrame(elapsed);
        ++framesRun;
        if (pictures)
            pictures->AfterFrame(framesRun, elapsed);
        if (robot != nullptr) {
            distance += (robot->pos - before).norm();
            if (plot)
                plot->AddPathPoint(robot->pos);
        }
        if (trace)
            trace->Row(static_cast<double>(framesRun) * frameTime, *robot);
        progress.Update(framesRun);
        // A log that stopped on a fault (a full disk) ends the run with its
        // message: what was asked for can no longer be recorded.
        if (!commands.CheckSceneErrors()) {
            status = 1;
            break;
        }
    }
    progress.Finish();
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    if (!options.log.empty() && !commands.StopLog())
        status = 1;
    if (pictures && !pictures->Finish(framesRun, err))
        status = 1;
    if (trace && !traceFile.flush()) {
        err << "korvale-sim: cannot write the trace '" << options.trace << "'\n";
        status = 1;
    }
    if (plot) {
        plot->Write(plotFile, scene.GetWorld()->GetFenWorld());
        if (!plotFile.flush()) {
            err << "korvale-sim: cannot write the plot '" << options.plot << "'\n";
            status = 1;
        }
    }

    if (!options.quiet) {
        const double simulated = static_cast<double>(framesRun) * Tarn::CFenWorld::StepTime(elapsed);
        out << "simulated " << Fixed(simulated, 3) << " s in " << Fixed(wallSeconds, 3) << " s wall time ("
            << (wallSeconds > 0 ? Fixed(simulated / wallSeconds, 1) + "x" : std::string("-"))
            << " real time), robot travelled "
            << (robot ? Fixed(distance, 3) + " units" : std::string("nothing: no robot")) << '\n';
    }
    return status;
}

} // namespace Korvale::Tools
