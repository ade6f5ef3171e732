// The environments' C++ cores: _Arena under korvale.Env, _ArenaBatch under
// korvale.VectorEnv (python/module/env.py and vector_env.py).
#include <pybind11/stl.h>

#include "ArenaBatch.h"
#include "BindingHelpers.h"
#include "run/Cancellation.h"
#include "run/InterruptPoll.h"

namespace Korvale::Python {

namespace {

Reward RewardFrom(const std::string& name)
{
    if (name == "avoid")
        return Reward::Avoid;
    if (name == "distance")
        return Reward::Distance;
    if (name == "coverage")
        return Reward::Coverage;
    if (name == "outside")
        return Reward::Outside;
    throw py::value_error("reward is \"avoid\", \"distance\", \"coverage\" or a callable, not \"" + name + "\"");
}

const char* RewardName(Reward reward)
{
    switch (reward) {
    case Reward::Avoid: return "avoid";
    case Reward::Distance: return "distance";
    case Reward::Coverage: return "coverage";
    case Reward::Outside: break;
    }
    return "outside";
}

ArenaOptions OptionsFrom(const py::object& scene, const py::object& robot, const py::object& network,
                         const std::string& reward, std::int64_t maxSteps, const std::string& start, bool camera,
                         double dt)
{
    ArenaOptions options;
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

using Bytes = py::array_t<std::uint8_t, py::array::c_style | py::array::forcecast>;

Bytes ActionsFrom(const py::object& actions, py::ssize_t arenas)
{
    // Truth values and whole numbers alike: anything but 0 holds the key.
    Bytes array = Bytes::ensure(actions);
    if (!array) {
        PyErr_Clear();
        throw py::type_error("an action is four values 0 or 1: forward, backward, left, right");
    }
    const bool one = arenas == 0;
    const bool fits = one ? array.ndim() == 1 && array.shape(0) == 4
                          : array.ndim() == 2 && array.shape(0) == arenas && array.shape(1) == 4;
    if (!fits)
        throw py::value_error(one ? "an action is four values 0 or 1: forward, backward, left, right"
                                  : "the actions are one row of four values 0 or 1 per environment: shape ("
                                      + std::to_string(arenas) + ", 4)");
    return array;
}

py::object CameraArray(std::size_t arenas, std::size_t pixels, bool batched)
{
    if (batched)
        return py::array_t<float>(
            {static_cast<py::ssize_t>(arenas), static_cast<py::ssize_t>(pixels), static_cast<py::ssize_t>(3)});
    return py::array_t<float>({static_cast<py::ssize_t>(pixels), static_cast<py::ssize_t>(3)});
}

// An episode's info: its run measures so far, its steps and its time.
py::dict Info(const Arena& arena)
{
    py::dict info = MetricsDict(arena.EpisodeMetrics());
    info["steps"] = arena.Steps();
    info["time"] = arena.GetSimulation()->Time();
    return info;
}

// What pickling keeps of an arena: its options, its simulation (pickled as a
// Simulation is), the loaded state and the episode.
py::tuple Kept(const Arena& arena, const py::object& simulation)
{
    const ArenaOptions& o = arena.GetOptions();
    return py::make_tuple(RewardName(o.reward), o.maxSteps, o.randomStart, o.camera, simulation,
                          py::bytes(arena.GetStart()), py::bytes(arena.GetEpisode()));
}

std::unique_ptr<Arena> FromKept(const py::tuple& kept)
{
    if (kept.size() != 7)
        throw py::value_error("not a pickled korvale environment");
    ArenaOptions options;
    options.reward = RewardFrom(kept[0].cast<std::string>());
    options.maxSteps = kept[1].cast<std::int64_t>();
    options.randomStart = kept[2].cast<bool>();
    options.camera = kept[3].cast<bool>();
    auto simulation = kept[4].cast<std::shared_ptr<Simulation>>();
    return std::make_unique<Arena>(options, std::move(simulation), kept[5].cast<std::string>(),
                                   kept[6].cast<std::string>());
}

// The arrays a batch call fills: observations, and per environment its
// flags and its episode's measures (Gymnasium's vector infos, each with its mask).
struct BatchArrays {
    py::array_t<float> readings;
    py::object pixels;
    py::array_t<double> rewards;
    py::array_t<bool> terminated, truncated, restarted;
    py::array_t<double> distance, stuck, avoid;
    py::array_t<std::int64_t> coverage, contacts, steps;

    explicit BatchArrays(const ArenaBatch& batch)
    {
        const auto n = static_cast<py::ssize_t>(batch.Size());
        const Arena& first = batch.At(0);
        readings = py::array_t<float>({n, static_cast<py::ssize_t>(first.Readings())});
        pixels = first.GetOptions().camera ? CameraArray(batch.Size(), first.Pixels(), true) : py::none();
        for (auto* array : {&rewards, &distance, &stuck, &avoid})
            *array = py::array_t<double>(n);
        for (auto* array : {&terminated, &truncated, &restarted})
            *array = py::array_t<bool>(n);
        for (auto* array : {&coverage, &contacts, &steps})
            *array = py::array_t<std::int64_t>(n);
    }

    ArenaBatch::Output Output()
    {
        ArenaBatch::Output out;
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
        return out;
    }

    py::dict Infos() const
    {
        py::dict infos;
        const std::pair<const char*, py::object> measures[] = {
            {"distance", distance}, {"coverage", coverage}, {"contact_frames", contacts},
            {"stuck", stuck},       {"avoid", avoid},       {"steps", steps}};
        py::array_t<bool> mask(rewards.size());
        std::fill(mask.mutable_data(), mask.mutable_data() + mask.size(), true);
        for (const auto& [name, values] : measures) {
            infos[name] = values;
            infos[(std::string("_") + name).c_str()] = mask;
        }
        return infos;
    }
};

} // namespace

void BindEnvironments(py::module_& m)
{
    py::class_<Arena>(m, "_Arena")
        .def(py::init([](const py::object& scene, const py::object& robot, const py::object& network,
                         const std::string& reward, std::int64_t maxSteps, const std::string& start, bool camera,
                         double dt) {
                 const ArenaOptions options = OptionsFrom(scene, robot, network, reward, maxSteps, start, camera, dt);
                 std::unique_ptr<Arena> arena;
                 {
                     py::gil_scoped_release release;
                     arena = std::make_unique<Arena>(options);
                 }
                 RaiseWarnings(arena->GetSimulation()->TakeWarnings());
                 return arena;
             }),
             py::arg("scene"), py::arg("robot"), py::arg("network"), py::arg("reward"), py::arg("max_steps"),
             py::arg("start"), py::arg("camera"), py::arg("dt"))
        .def_property_readonly("readings", &Arena::Readings)
        .def_property_readonly("pixels", &Arena::Pixels)
        .def_property_readonly("simulation", &Arena::GetSimulation)
        .def(
            "reset",
            [](Arena& arena, const py::object& seed, const py::object& pose) {
                const auto s = SeedFrom(seed);
                const auto p = PoseFrom(pose);
                py::array_t<float> readings(static_cast<py::ssize_t>(arena.Readings()));
                py::object pixels = arena.GetOptions().camera ? CameraArray(1, arena.Pixels(), false) : py::none();
                float* camera = pixels.is_none() ? nullptr : pixels.cast<py::array_t<float>>().mutable_data();
                float* out = readings.mutable_data();
                {
                    py::gil_scoped_release release;
                    arena.Reset(s, p);
                    arena.Observe(out, camera);
                }
                return py::make_tuple(readings, pixels);
            },
            py::arg("seed"), py::arg("pose"))
        .def(
            "step",
            [](Arena& arena, const py::object& action) {
                std::array<bool, 4> keys{};
                const bool network = action.is_none();
                if (!network) {
                    const Bytes array = ActionsFrom(action, 0);
                    for (std::size_t k = 0; k < 4; ++k)
                        keys[k] = array.data()[k] != 0;
                }
                py::array_t<float> readings(static_cast<py::ssize_t>(arena.Readings()));
                py::object pixels = arena.GetOptions().camera ? CameraArray(1, arena.Pixels(), false) : py::none();
                float* camera = pixels.is_none() ? nullptr : pixels.cast<py::array_t<float>>().mutable_data();
                float* out = readings.mutable_data();
                Arena::Outcome outcome;
                {
                    py::gil_scoped_release release;
                    outcome = arena.Step(network ? nullptr : &keys);
                    arena.Observe(out, camera);
                }
                return py::make_tuple(readings, pixels, outcome.reward, outcome.terminated, outcome.truncated);
            },
            py::arg("action"))
        .def("info", &Info, "The episode's run measures so far, its steps and its time.")
        .def(py::pickle(
            [](const py::object& self) {
                const Arena& arena = self.cast<const Arena&>();
                return Kept(arena, py::cast(arena.GetSimulation()));
            },
            [](const py::tuple& kept) { return FromKept(kept); }));

    py::class_<ArenaBatch>(m, "_ArenaBatch")
        .def(py::init([](std::size_t count, const py::object& scene, const py::object& robot, const py::object& network,
                         const std::string& reward, std::int64_t maxSteps, const std::string& start, bool camera,
                         double dt, const py::object& threads) {
                 if (count < 1)
                     throw py::value_error("a VectorEnv needs at least one environment");
                 const ArenaOptions options = OptionsFrom(scene, robot, network, reward, maxSteps, start, camera, dt);
                 std::unique_ptr<ArenaBatch> batch;
                 {
                     py::gil_scoped_release release;
                     batch = std::make_unique<ArenaBatch>(options, count, ThreadsFrom(threads));
                 }
                 RaiseWarnings(batch->At(0).GetSimulation()->TakeWarnings());
                 return batch;
             }),
             py::arg("n"), py::arg("scene"), py::arg("robot"), py::arg("network"), py::arg("reward"),
             py::arg("max_steps"), py::arg("start"), py::arg("camera"), py::arg("dt"), py::arg("threads"))
        .def_property_readonly("size", &ArenaBatch::Size)
        .def_property_readonly("threads", &ArenaBatch::Threads)
        .def_property_readonly("readings", [](const ArenaBatch& batch) { return batch.At(0).Readings(); })
        .def_property_readonly("pixels", [](const ArenaBatch& batch) { return batch.At(0).Pixels(); })
        .def("simulation", [](const ArenaBatch& batch, std::size_t i) { return batch.At(i).GetSimulation(); })
        .def(
            "reset",
            [](ArenaBatch& batch, const std::vector<py::object>& seeds, const std::vector<py::object>& poses) {
                const std::size_t n = batch.Size();
                if (seeds.size() != n || poses.size() != n)
                    throw py::value_error("one seed and one pose (or None) per environment");
                std::vector<std::optional<std::uint64_t>> s;
                std::vector<std::optional<std::array<double, 3>>> p;
                for (std::size_t i = 0; i < n; ++i) {
                    s.push_back(SeedFrom(seeds[i]));
                    p.push_back(PoseFrom(poses[i]));
                }
                BatchArrays arrays(batch);
                const ArenaBatch::Output out = arrays.Output();
                Cancellation cancellation(CheckPythonSignals);
                {
                    py::gil_scoped_release release;
                    batch.Reset(s, p, out, cancellation);
                }
                cancellation.RethrowIfInterrupted();
                return py::make_tuple(arrays.readings, arrays.pixels, arrays.Infos());
            },
            py::arg("seeds"), py::arg("poses"))
        .def(
            "step",
            [](ArenaBatch& batch, const py::object& actions) {
                const auto n = static_cast<py::ssize_t>(batch.Size());
                Bytes keys;
                if (!actions.is_none())
                    keys = ActionsFrom(actions, n);
                BatchArrays arrays(batch);
                const ArenaBatch::Output out = arrays.Output();
                const std::uint8_t* held = actions.is_none() ? nullptr : keys.data();
                Cancellation cancellation(CheckPythonSignals);
                {
                    py::gil_scoped_release release;
                    batch.Step(held, out, cancellation);
                }
                cancellation.RethrowIfInterrupted();
                return py::make_tuple(arrays.readings, arrays.pixels, arrays.rewards, arrays.terminated,
                                      arrays.truncated, arrays.restarted, arrays.Infos());
            },
            py::arg("actions"))
        .def("end_episode", &ArenaBatch::EndEpisode, py::arg("i"))
        .def(py::pickle(
            [](const ArenaBatch& batch) {
                py::list arenas;
                for (std::size_t i = 0; i < batch.Size(); ++i)
                    arenas.append(Kept(batch.At(i), py::cast(batch.At(i).GetSimulation())));
                const std::vector<char>& ended = batch.Ended();
                return py::make_tuple(arenas, py::bytes(std::string(ended.begin(), ended.end())), batch.Threads());
            },
            [](const py::tuple& kept) {
                if (kept.size() != 3)
                    throw py::value_error("not a pickled korvale.VectorEnv");
                std::vector<std::unique_ptr<Arena>> arenas;
                for (const py::handle arena : kept[0].cast<py::list>())
                    arenas.push_back(FromKept(arena.cast<py::tuple>()));
                const std::string ended = kept[1].cast<std::string>();
                return std::make_unique<ArenaBatch>(std::move(arenas), std::vector<char>(ended.begin(), ended.end()),
                                                    kept[2].cast<unsigned>());
            }));
}

} // namespace Korvale::Python
