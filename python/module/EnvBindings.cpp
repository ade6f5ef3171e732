// The environments' C++ cores (run/Environment, run/EnvironmentBatch) as
// _Arena under korvale.Env and _ArenaBatch under korvale.VectorEnv
// (python/module/env.py and vector_env.py): the names pickles hold.
#include <pybind11/stl.h>

#include "BindingHelpers.h"
#include "run/Cancellation.h"
#include "run/EnvironmentBatch.h"
#include "run/InterruptPoll.h"

namespace Korvale::Python {

namespace {

Reward RewardFrom(const std::string& name)
{
    if (const std::optional<Reward> reward = RewardNamed(name))
        return *reward;
    throw py::value_error("reward is " + QuotedRewardNames() + " or a callable, not \"" + name + "\"");
}

EnvironmentOptions OptionsFrom(const py::object& scene, const py::object& robot, const py::object& network,
                         const std::string& reward, std::int64_t maxSteps, const std::string& start, bool camera,
                         double dt, std::int64_t frameSkip)
{
    EnvironmentOptions options;
    if (frameSkip < 1 || frameSkip > EnvironmentOptions::maxFrameSkip)
        throw py::value_error("frame_skip must be a whole number from 1 to " + std::to_string(EnvironmentOptions::maxFrameSkip));
    options.frameSkip = static_cast<int>(frameSkip);
    options.simulation.scene = FileFrom(scene);
    options.simulation.robot = FileFrom(robot);
    SetNetworkOption(options.simulation, network);
    options.simulation.dt = dt;
    options.simulation.interruptCheck = CheckPythonSignals;
    options.reward = RewardFrom(reward);
    if (maxSteps < 0)
        throw py::value_error("max_steps must be at least 1, or None for episodes without end");
    options.maxSteps = maxSteps;
    if (start != "scene" && start != "random")
        throw py::value_error("start is \"scene\" or \"random\", not \"" + start + "\"");
    options.randomStart = start == "random";
    options.camera = camera;
    return options;
}

std::optional<std::array<double, 3>> PoseFrom(const py::object& pose)
{
    if (pose.is_none())
        return std::nullopt;
    const auto values = py::cast<std::vector<double>>(pose);
    if (values.size() != 3)
        throw py::value_error("a pose is (x, y, angle), angle in radians");
    return std::array<double, 3>{values[0], values[1], values[2]};
}

using Bytes = py::array_t<std::uint8_t, py::array::c_style>;

// What an action is: MultiBinary(4)'s members, 0 and 1 of any integer or
// float dtype or booleans, checked value by value before any frame; one
// action of four (environments 0) or a row of four per environment.
Bytes ActionsFrom(const py::object& actions, py::ssize_t environments)
{
    const bool one = environments == 0;
    const std::string shape = one ? "(4,)" : "(" + std::to_string(environments) + ", 4)";
    const std::string name = one ? "action" : "actions";
    py::array array;
    try {
        array = py::array::ensure(py::module_::import("numpy").attr("asarray")(actions));
    } catch (const py::error_already_set&) {
        throw py::type_error("an action is four values 0 or 1 (forward, backward, left, right): " + name
                             + " of shape " + shape + ", not " + py::repr(actions).cast<std::string>());
    }
    const char kind = array ? array.dtype().kind() : 'O';
    if (!array || (kind != 'b' && kind != 'i' && kind != 'u' && kind != 'f'))
        throw py::type_error("an action is four values 0 or 1 (forward, backward, left, right) of a number or "
                             "bool dtype, not " + py::repr(actions).cast<std::string>());
    const bool fits = one ? array.ndim() == 1 && array.shape(0) == 4
                          : array.ndim() == 2 && array.shape(0) == environments && array.shape(1) == 4;
    if (!fits) {
        std::string got = "(";
        for (py::ssize_t d = 0; d < array.ndim(); ++d)
            got += (d ? ", " : "") + std::to_string(array.shape(d));
        got += array.ndim() == 1 ? ",)" : ")";
        throw py::value_error(one ? "an action is four values 0 or 1 (forward, backward, left, right): shape (4,), not "
                                        + got
                                  : "the actions are one row of four values 0 or 1 per environment: shape " + shape
                                        + ", not " + got);
    }
    // Every value read as a double is exact for 0 and 1, and no other value
    // of any dtype reads as either.
    const auto values = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(array);
    Bytes keys(array.size());
    std::uint8_t* out = keys.mutable_data();
    const double* in = values.data();
    for (py::ssize_t i = 0; i < values.size(); ++i) {
        if (in[i] != 0 && in[i] != 1) {
            const std::string place = one ? "[" + std::to_string(i) + "]"
                                          : "[" + std::to_string(i / 4) + ", " + std::to_string(i % 4) + "]";
            const py::object value = array.attr("flat")[py::int_(i)];
            throw py::value_error(name + place + " is " + py::repr(value).cast<std::string>()
                                  + ", not 0 or 1 (forward, backward, left, right)");
        }
        out[i] = in[i] != 0;
    }
    return keys;
}

py::object CameraArray(std::size_t environments, std::size_t pixels, bool batched)
{
    if (batched)
        return py::array_t<float>(
            {static_cast<py::ssize_t>(environments), static_cast<py::ssize_t>(pixels), static_cast<py::ssize_t>(3)});
    return py::array_t<float>({static_cast<py::ssize_t>(pixels), static_cast<py::ssize_t>(3)});
}

// An episode's info: its run measures so far, its steps and its time.
py::dict Info(const Environment& environment)
{
    py::dict info = MetricsDict(environment.EpisodeMetrics());
    info["steps"] = environment.Steps();
    info["time"] = environment.GetSimulation()->Time();
    return info;
}

// What pickling keeps of an environment: its options, its simulation at the
// origin of its frames (pickled as a Simulation is), the loaded state, the
// episode's numbers, the frames, which the copy drives again, and the origin.
py::tuple Kept(const Environment& environment)
{
    const EnvironmentOptions& o = environment.GetOptions();
    const Simulation& simulation = *environment.GetSimulation();
    const Environment::Origin& origin = environment.GetOrigin();
    const bool checkpoint = !origin.checkpoint.empty();
    const py::tuple pickled = SimulationKept(simulation.GetContents(), simulation.FrameTime(),
                                             checkpoint ? origin.checkpoint : environment.GetStart());
    py::object pose = py::none();
    if (origin.pose)
        pose = py::make_tuple((*origin.pose)[0], (*origin.pose)[1], (*origin.pose)[2]);
    const py::object from = checkpoint ? py::object(py::none()) : py::object(py::make_tuple(origin.noise, pose));
    return py::make_tuple(std::string(RewardName(o.reward)), o.maxSteps, o.randomStart, o.camera, pickled,
                          py::bytes(environment.GetStart()), py::bytes(environment.GetEpisode()), py::bytes(environment.GetFrames()),
                          o.frameSkip, from);
}

std::unique_ptr<Environment> FromKept(const py::tuple& kept)
{
    // Seven items: a pickle of an earlier release, its simulation between two frames.
    if (kept.size() != 7 && kept.size() != 10)
        throw py::value_error("not a pickled korvale environment");
    EnvironmentOptions options;
    options.reward = RewardFrom(kept[0].cast<std::string>());
    options.maxSteps = kept[1].cast<std::int64_t>();
    options.randomStart = kept[2].cast<bool>();
    options.camera = kept[3].cast<bool>();
    const std::string start = kept[5].cast<std::string>(), episode = kept[6].cast<std::string>();
    if (kept.size() == 7) {
        auto simulation = kept[4].cast<std::shared_ptr<Simulation>>();
        py::gil_scoped_release release;
        return std::make_unique<Environment>(options, std::move(simulation), start, episode);
    }
    auto simulation = RestoreSimulation(kept[4]);
    const std::string frames = kept[7].cast<std::string>();
    options.frameSkip = kept[8].cast<int>();
    Environment::Origin origin;
    if (kept[9].is_none()) {
        origin.checkpoint = kept[4].cast<py::tuple>()[4].cast<std::string>();
    } else {
        const auto from = kept[9].cast<py::tuple>();
        origin.noise = from[0].cast<std::uint32_t>();
        if (!from[1].is_none())
            origin.pose = PoseFrom(from[1]);
    }
    py::gil_scoped_release release;
    return std::make_unique<Environment>(options, std::move(simulation), start, episode, &origin, frames);
}

// The arrays a batch call fills: observations, and per environment its
// flags and its episode's measures (Gymnasium's vector infos, each with its mask).
struct BatchArrays {
    py::array_t<float> readings;
    py::object pixels;
    py::array_t<double> rewards;
    py::array_t<bool> terminated, truncated, restarted;
    py::array_t<double> distance, stuck, avoid, time;
    py::array_t<std::int64_t> coverage, contacts, steps;

    explicit BatchArrays(const EnvironmentBatch& batch)
    {
        const auto n = static_cast<py::ssize_t>(batch.Size());
        const Environment& first = batch.At(0);
        readings = py::array_t<float>({n, static_cast<py::ssize_t>(first.Readings())});
        pixels = first.GetOptions().camera ? CameraArray(batch.Size(), first.Pixels(), true) : py::none();
        for (auto* array : {&rewards, &distance, &stuck, &avoid, &time})
            *array = py::array_t<double>(n);
        for (auto* array : {&terminated, &truncated, &restarted})
            *array = py::array_t<bool>(n);
        for (auto* array : {&coverage, &contacts, &steps})
            *array = py::array_t<std::int64_t>(n);
    }

    EnvironmentBatch::Output Output()
    {
        EnvironmentBatch::Output out;
        out.readings = readings.mutable_data();
        out.pixels = pixels.is_none() ? nullptr : pixels.cast<py::array_t<float>>().mutable_data();
        out.rewards = rewards.mutable_data();
        out.terminated = terminated.mutable_data();
        out.truncated = truncated.mutable_data();
        out.restarted = restarted.mutable_data();
        out.distance = distance.mutable_data();
        out.coverage = coverage.mutable_data();
        out.contactFrames = contacts.mutable_data();
        out.stuck = stuck.mutable_data();
        out.avoid = avoid.mutable_data();
        out.steps = steps.mutable_data();
        out.time = time.mutable_data();
        return out;
    }

    py::dict Infos() const
    {
        py::dict infos;
        const std::pair<const char*, py::object> measures[] = {
            {measureNames[0], distance}, {measureNames[1], coverage}, {measureNames[2], contacts},
            {measureNames[3], stuck},    {measureNames[4], avoid},    {"steps", steps},
            {"time", time}};
        py::array_t<bool> mask(rewards.size());
        std::fill(mask.mutable_data(), mask.mutable_data() + mask.size(), true);
        for (const auto& [name, values] : measures) {
            infos[name] = values;
            infos[(std::string("_") + name).c_str()] = mask;
        }
        return infos;
    }
};

std::vector<EnvironmentOptions> BatchOptionsFrom(const py::list& scenes, const py::object& robot, const py::object& network,
                                           const std::string& reward, std::int64_t maxSteps, const std::string& start,
                                           bool camera, double dt, std::int64_t frameSkip)
{
    if (scenes.empty())
        throw py::value_error("a VectorEnv needs at least one scene");
    std::vector<EnvironmentOptions> options;
    for (const py::handle scene : scenes)
        options.push_back(OptionsFrom(py::reinterpret_borrow<py::object>(scene), robot, network, reward, maxSteps,
                                      start, camera, dt, frameSkip));
    return options;
}

// An environment's observation arrays, filled without the interpreter lock.
struct Observation {
    py::array_t<float> readings;
    py::object pixels;
    float* readingsOut;
    float* pixelsOut;

    explicit Observation(const Environment& environment)
        : readings(static_cast<py::ssize_t>(environment.Readings())),
          pixels(environment.GetOptions().camera ? CameraArray(1, environment.Pixels(), false) : py::none()),
          readingsOut(readings.mutable_data()),
          pixelsOut(pixels.is_none() ? nullptr : pixels.cast<py::array_t<float>>().mutable_data())
    {
    }
};

std::array<bool, 4> KeysOf(const Bytes& array)
{
    std::array<bool, 4> keys{};
    for (std::size_t k = 0; k < 4; ++k)
        keys[k] = array.data()[k] != 0;
    return keys;
}

} // namespace

void BindEnvironments(py::module_& m)
{
    py::class_<Environment>(m, "_Arena")
        .def(py::init([](const py::object& scene, const py::object& robot, const py::object& network,
                         const std::string& reward, std::int64_t maxSteps, const std::string& start, bool camera,
                         double dt, std::int64_t frameSkip) {
                 const EnvironmentOptions options =
                     OptionsFrom(scene, robot, network, reward, maxSteps, start, camera, dt, frameSkip);
                 std::unique_ptr<Environment> environment;
                 {
                     py::gil_scoped_release release;
                     environment = std::make_unique<Environment>(options);
                 }
                 RaiseWarnings(environment->GetSimulation()->TakeWarnings());
                 return environment;
             }),
             py::arg("scene"), py::arg("robot"), py::arg("network"), py::arg("reward"), py::arg("max_steps"),
             py::arg("start"), py::arg("camera"), py::arg("dt"), py::arg("frame_skip"))
        .def_property_readonly("readings", &Environment::Readings)
        .def_property_readonly("pixels", &Environment::Pixels)
        .def_property_readonly("simulation", &Environment::GetSimulation)
        .def(
            "reset",
            [](Environment& environment, const py::object& seed, const py::object& pose) {
                const auto s = SeedFrom(seed);
                const auto p = PoseFrom(pose);
                Observation observation(environment);
                {
                    py::gil_scoped_release release;
                    environment.Reset(s, p);
                    environment.Observe(observation.readingsOut, observation.pixelsOut);
                }
                return py::make_tuple(observation.readings, observation.pixels);
            },
            py::arg("seed"), py::arg("pose"))
        .def(
            "step",
            [](Environment& environment, const py::object& action) {
                const bool network = action.is_none();
                const std::array<bool, 4> keys = network ? std::array<bool, 4>{} : KeysOf(ActionsFrom(action, 0));
                Observation observation(environment);
                Environment::Outcome outcome;
                {
                    py::gil_scoped_release release;
                    outcome = environment.Step(network ? nullptr : &keys);
                    environment.Observe(observation.readingsOut, observation.pixelsOut);
                }
                return py::make_tuple(observation.readings, observation.pixels, outcome.reward, outcome.terminated,
                                      outcome.truncated);
            },
            py::arg("action"))
        .def(
            "act",
            [](Environment& environment, const py::object& action) {
                const bool network = action.is_none();
                const std::array<bool, 4> keys = network ? std::array<bool, 4>{} : KeysOf(ActionsFrom(action, 0));
                Environment::Outcome outcome;
                {
                    py::gil_scoped_release release;
                    outcome = environment.Act(network ? nullptr : &keys);
                }
                return py::make_tuple(outcome.reward, outcome.terminated, outcome.truncated);
            },
            py::arg("action"), "The step's frames, without beginning the next (for a reward read between them).")
        .def(
            "sense",
            [](Environment& environment) {
                Observation observation(environment);
                {
                    py::gil_scoped_release release;
                    environment.Sense();
                    environment.Observe(observation.readingsOut, observation.pixelsOut);
                }
                return py::make_tuple(observation.readings, observation.pixels);
            },
            "Begins the next frame; the observation.")
        .def("info", &Info, "The episode's run measures so far, its steps and its time.")
        .def(py::pickle([](const Environment& environment) { return Kept(environment); },
                        [](const py::tuple& kept) { return FromKept(kept); }));

    py::class_<EnvironmentBatch>(m, "_ArenaBatch")
        .def(py::init([](std::int64_t count, const py::list& scenes, const py::object& robot,
                         const py::object& network, const std::string& reward, std::int64_t maxSteps,
                         const std::string& start, bool camera, double dt, const py::object& threads,
                         std::int64_t frameSkip) {
                 if (count < 1 || static_cast<std::uint64_t>(count) > EnvironmentBatch::maxEnvironments)
                     throw py::value_error("n must be from 1 to " + std::to_string(EnvironmentBatch::maxEnvironments)
                                           + " environments, not " + std::to_string(count));
                 const std::vector<EnvironmentOptions> options =
                     BatchOptionsFrom(scenes, robot, network, reward, maxSteps, start, camera, dt, frameSkip);
                 const unsigned pool = ThreadsFrom(threads);
                 Cancellation cancellation(CheckPythonSignals);
                 std::unique_ptr<EnvironmentBatch> batch;
                 {
                     py::gil_scoped_release release;
                     batch = std::make_unique<EnvironmentBatch>(options, static_cast<std::size_t>(count), pool, cancellation);
                     if (cancellation.Stopped())
                         batch.reset(); // the environments go without the lock
                 }
                 cancellation.RethrowIfInterrupted();
                 RaiseWarnings(batch->At(0).GetSimulation()->TakeWarnings());
                 return batch;
             }),
             py::arg("n"), py::arg("scenes"), py::arg("robot"), py::arg("network"), py::arg("reward"),
             py::arg("max_steps"), py::arg("start"), py::arg("camera"), py::arg("dt"), py::arg("threads"),
             py::arg("frame_skip"))
        .def_property_readonly("size", &EnvironmentBatch::Size)
        .def_property_readonly("threads", &EnvironmentBatch::Threads)
        .def_property_readonly("readings", [](const EnvironmentBatch& batch) { return batch.At(0).Readings(); })
        .def_property_readonly("pixels", [](const EnvironmentBatch& batch) { return batch.At(0).Pixels(); })
        .def("simulation", [](const EnvironmentBatch& batch, std::size_t i) { return batch.At(i).GetSimulation(); })
        .def("info", [](const EnvironmentBatch& batch, std::size_t i) { return Info(batch.At(i)); }, py::arg("i"))
        .def(
            "reset",
            [](EnvironmentBatch& batch, const std::vector<py::object>& seeds, const std::vector<py::object>& poses,
               const py::object& mask) {
                const std::size_t n = batch.Size();
                if (seeds.size() != n || poses.size() != n)
                    throw py::value_error("one seed and one pose (or None) per environment");
                std::vector<std::optional<std::uint64_t>> s;
                std::vector<std::optional<std::array<double, 3>>> p;
                for (std::size_t i = 0; i < n; ++i) {
                    s.push_back(SeedFrom(seeds[i]));
                    p.push_back(PoseFrom(poses[i]));
                }
                std::vector<char> which;
                if (!mask.is_none()) {
                    for (const bool chosen : mask.cast<std::vector<bool>>())
                        which.push_back(chosen ? 1 : 0);
                    if (which.size() != n)
                        throw py::value_error("the reset mask holds one truth value per environment");
                }
                BatchArrays arrays(batch);
                const EnvironmentBatch::Output out = arrays.Output();
                Cancellation cancellation(CheckPythonSignals);
                {
                    py::gil_scoped_release release;
                    batch.Reset(s, p, mask.is_none() ? nullptr : &which, out, cancellation);
                }
                cancellation.RethrowIfInterrupted();
                return py::make_tuple(arrays.readings, arrays.pixels, arrays.Infos());
            },
            py::arg("seeds"), py::arg("poses"), py::arg("mask"))
        .def(
            "step",
            [](EnvironmentBatch& batch, const py::object& actions, bool sense) {
                const auto n = static_cast<py::ssize_t>(batch.Size());
                Bytes keys;
                if (!actions.is_none())
                    keys = ActionsFrom(actions, n);
                BatchArrays arrays(batch);
                const EnvironmentBatch::Output out = arrays.Output();
                const std::uint8_t* held = actions.is_none() ? nullptr : keys.data();
                Cancellation cancellation(CheckPythonSignals);
                {
                    py::gil_scoped_release release;
                    if (sense)
                        batch.Step(held, out, cancellation);
                    else
                        batch.Act(held, out, cancellation);
                }
                cancellation.RethrowIfInterrupted();
                return py::make_tuple(arrays.readings, arrays.pixels, arrays.rewards, arrays.terminated,
                                      arrays.truncated, arrays.restarted, arrays.Infos());
            },
            py::arg("actions"), py::arg("sense") = true,
            "One step of every environment; with sense=False the next frames are not begun (call sense).")
        .def(
            "sense",
            [](EnvironmentBatch& batch) {
                BatchArrays arrays(batch);
                const EnvironmentBatch::Output out = arrays.Output();
                Cancellation cancellation(CheckPythonSignals);
                {
                    py::gil_scoped_release release;
                    batch.Sense(out, cancellation);
                }
                cancellation.RethrowIfInterrupted();
                return py::make_tuple(arrays.readings, arrays.pixels, arrays.Infos());
            })
        .def("end_episode", &EnvironmentBatch::EndEpisode, py::arg("i"))
        .def(py::pickle(
            [](const EnvironmentBatch& batch) {
                py::list environments;
                for (std::size_t i = 0; i < batch.Size(); ++i)
                    environments.append(Kept(batch.At(i)));
                const std::vector<char>& ended = batch.Ended();
                return py::make_tuple(environments, py::bytes(std::string(ended.begin(), ended.end())), batch.Threads());
            },
            [](const py::tuple& kept) {
                if (kept.size() != 3)
                    throw py::value_error("not a pickled korvale.VectorEnv");
                std::vector<std::unique_ptr<Environment>> environments;
                for (const py::handle environment : kept[0].cast<py::list>())
                    environments.push_back(FromKept(environment.cast<py::tuple>()));
                const std::string ended = kept[1].cast<std::string>();
                return std::make_unique<EnvironmentBatch>(std::move(environments), std::vector<char>(ended.begin(), ended.end()),
                                                    kept[2].cast<unsigned>());
            }));
}

} // namespace Korvale::Python
