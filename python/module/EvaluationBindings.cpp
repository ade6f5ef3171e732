// korvale._evaluate: many networks over scenes and seeds on a pool of threads.
#include "BindingHelpers.h"
#include "model/CFenWorld.h"
#include "run/Cancellation.h"
#include "run/Evaluation.h"
#include "run/WorkerPool.h"

namespace Korvale::Python {

namespace {

py::array_t<double> Measure(const std::vector<Metrics>& runs, std::size_t networks, std::size_t scenes,
                            std::size_t seeds, double (*value)(const Metrics&))
{
    py::array_t<double> array(
        {static_cast<py::ssize_t>(networks), static_cast<py::ssize_t>(scenes), static_cast<py::ssize_t>(seeds)});
    double* out = array.mutable_data();
    for (const Metrics& run : runs)
        *out++ = value(run);
    return array;
}

} // namespace

void BindEvaluation(py::module_& m)
{
    m.def(
        "_evaluate",
        [](const py::list& networks, const py::list& scenes, const py::object& robot, double seconds,
           const py::list& seeds, double dt, const py::object& threads, const std::string& start) {
            EvaluationJob job;
            for (const py::handle network : networks) {
                SharedNetwork object = NetworkOf(network);
                if (!object)
                    throw py::type_error("networks must be korvale.Network objects or network file names");
                job.networks.push_back(std::move(object));
            }
            for (const py::handle scene : scenes)
                job.scenes.push_back(ModelFile::Read(PathText(scene)));
            job.robot = ModelFile::Read(PathText(robot));
            for (const py::handle seed : seeds) {
                const auto value = SeedFrom(py::reinterpret_borrow<py::object>(seed));
                if (!value)
                    throw py::type_error("seeds must be whole numbers, not None");
                job.seeds.push_back(*value);
            }
            if (!Tarn::CFenWorld::TakesFrameTime(dt))
                throw py::value_error(std::string("dt must be ") + Tarn::CFenWorld::frameTimeRange);
            job.dt = dt;
            job.frames = FramesFrom(seconds, dt);
            // korvale.evaluate has checked it.
            job.randomStart = start == "random";
            const std::size_t items = job.networks.size() * job.scenes.size() * job.seeds.size();
            WorkerPool pool(WorkerPool::Fitting(ThreadsFrom(threads), items));
            Cancellation cancellation(CheckPythonSignals);
            std::vector<Metrics> runs;
            {
                py::gil_scoped_release release;
                runs = Evaluate(job, pool, cancellation);
            }
            cancellation.RethrowIfInterrupted();
            const std::size_t n = job.networks.size(), s = job.scenes.size(), k = job.seeds.size();
            py::dict metrics;
            metrics["distance"] = Measure(runs, n, s, k, [](const Metrics& r) { return r.distance; });
            metrics["coverage"] = Measure(runs, n, s, k, [](const Metrics& r) { return double(r.coverage); });
            metrics["contact_frames"] =
                Measure(runs, n, s, k, [](const Metrics& r) { return double(r.contactFrames); });
            metrics["stuck"] = Measure(runs, n, s, k, [](const Metrics& r) { return r.stuck; });
            metrics["avoid"] = Measure(runs, n, s, k, [](const Metrics& r) { return r.avoid; });
            return metrics;
        },
        py::arg("networks"), py::arg("scenes"), py::arg("robot"), py::arg("seconds"), py::arg("seeds"), py::arg("dt"),
        py::arg("threads"), py::arg("start"));
}

} // namespace Korvale::Python
