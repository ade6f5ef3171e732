"""Runs a sweep's combinations as Dask tasks and gathers one row per run.

Rows come back in the sweep's order, whatever worker runs a task and
whenever it finishes; each run starts its own noise generator from its seed,
so the rows do not depend on the workers either. A worker that dies takes
its tasks with it: the scheduler runs them again elsewhere, and a run that
keeps killing workers ends as a row with the scheduler's message.
"""

import os

from distributed import Client, LocalCluster, as_completed

from . import scene_files, task


def read_files(names, path=lambda name: name):
    """Each named file's bytes, read once, by name; task.Unreadable for a
    file that cannot be read (its run then fails on the worker with the
    program's own message, and this reason in the line that names the file).
    path(name) says where a name lies."""
    contents = {}
    for name in names:
        if name not in contents:
            try:
                with open(path(name), "rb") as file:
                    contents[name] = file.read()
            except OSError as error:
                contents[name] = task.Unreadable(task.file_error_words(error))
    return contents


def read_contents(sweep):
    """Every file the sweep names, read once."""
    return read_files((name for run in sweep.runs for name in (run.scene, run.robot, run.network)), sweep.path)


def read_scene_files(sweep, contents):
    """For each scene, the files its robot and robots elements name, by the
    name they give (relative to the scene's folder); a file that cannot be
    read is left out, so the worker's load names it."""
    named = {}
    for run in sweep.runs:
        scene = contents[run.scene]
        if run.scene in named or not isinstance(scene, bytes):
            continue
        folder = os.path.dirname(sweep.path(run.scene))
        read = read_files(scene_files.named_files(scene), lambda name: os.path.join(folder, name))
        named[run.scene] = {name: content for name, content in read.items() if isinstance(content, bytes)}
    return named


def run_sweep(sweep, client, on_row=None):
    """Runs every combination on the client's cluster; on_row(done, total, row)
    after each finished run. Returns the rows in the sweep's order."""
    contents = read_contents(sweep)
    named = read_scene_files(sweep, contents)
    futures = {}
    for index, run in enumerate(sweep.runs):
        files = {kind: contents[getattr(run, kind)] for kind in ("scene", "robot", "network")}
        files["scene_files"] = named.get(run.scene, {})
        future = client.submit(task.run, run, files, pure=False)
        futures[future] = index
    rows = [None] * len(sweep.runs)
    for done, future in enumerate(as_completed(futures), start=1):
        index = futures[future]
        try:
            rows[index] = future.result()
        except Exception as error:  # a failed run is a row, the sweep goes on
            rows[index] = task.row(sweep.runs[index], error=f"run failed: {type(error).__name__}: {error}")
        if on_row is not None:
            on_row(done, len(rows), rows[index])
    return rows


def module_path():
    """The folder that holds the korvale package, for worker processes."""
    import korvale

    return os.path.dirname(os.path.dirname(os.path.abspath(korvale.__file__)))


def local_cluster(workers=None):
    """A cluster on this machine, loopback only: one single-threaded worker
    process per core unless told otherwise."""
    # Worker processes are spawned: they find the packages through PYTHONPATH.
    path = module_path()
    entries = os.environ.get("PYTHONPATH", "").split(os.pathsep)
    if path not in entries:
        os.environ["PYTHONPATH"] = os.pathsep.join([path] + [e for e in entries if e])
    # Everything listens on loopback only, the scheduler's web server on a free port.
    return LocalCluster(n_workers=workers or os.cpu_count() or 1, threads_per_worker=1, processes=True,
                        host="127.0.0.1", dashboard_address="127.0.0.1:0")


def connect(scheduler=None, workers=None):
    """A client of the scheduler at that address, or of a new local cluster.
    Returns (client, cluster); cluster is None for an existing scheduler."""
    if scheduler:
        return Client(scheduler), None
    cluster = local_cluster(workers)
    return Client(cluster), cluster
