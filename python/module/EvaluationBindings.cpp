// korvale._evaluate: many networks over scenes and seeds on a pool of threads.
#include "BindingHelpers.h"
#include "model/CFenWorld.h"
#include "run/Cancellation.h"
#include "run/Evaluation.h"
#include "run/WorkerPool.h"

namespace Korvale::Python {

namespace {

// Each measure of the runs as an array (networks, scenes, seeds), by name.
py::dict MeasureArrays(const std::vector<Metrics>& runs, std::size_t networks, std::size_t scenes, std::size_t seeds)
{
    py::dict arrays;
    std::vector<double*> out;
    for (const char* name : measureNames) {
        py::array_t<double> array(
            {static_cast<py::ssize_t>(networks), static_cast<py::ssize_t>(scenes), static_cast<py::ssize_t>(seeds)});
        out.push_back(array.mutable_data());
        arrays[name] = std::move(array);
    }
    for (std::size_t r = 0; r < runs.size(); ++r) {
        std::size_t k = 0;
        runs[r].ForEachMeasure([&](const char*, const auto value) { out[k++][r] = static_cast<double>(value); });
    }
    return arrays;
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
            return MeasureArrays(runs, job.networks.size(), job.scenes.size(), job.seeds.size());
        },
        py::arg("networks"), py::arg("scenes"), py::arg("robot"), py::arg("seconds"), py::arg("seeds"), py::arg("dt"),
        py::arg("threads"), py::arg("start"));
}

} // namespace Korvale::Python
