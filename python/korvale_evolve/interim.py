"""TEMPORARY stand-in for korvale.Network and korvale.evaluate until the
module provides them; removed then. Not to be landed."""

import os
import tempfile
from types import SimpleNamespace

import numpy as np

import korvale
from korvale_batch.sweep import Run
from korvale_batch.task import measure


class Network:
    def __init__(self, weights, biases, transfer, *, mean=None, std=None, pca=None):
        self.weights, self.biases, self.transfer, self.mean, self.std = weights, biases, transfer, mean, std

    def text(self):
        def vec(v):
            return f'<vector m="{len(v)}">{" ".join(repr(float(x)) for x in v)}</vector>'

        def mat(m):
            return f'<matrix m="{m.shape[0]}" n="{m.shape[1]}">{" ".join(repr(float(x)) for x in m.ravel())}</matrix>'
        n = len(self.weights)
        lines = [f'<network inputDimensions="{self.weights[0].shape[1]}" outputDimensions="{self.weights[-1].shape[0]}" numLayers="{n}">']
        if self.mean is not None:
            lines += [f"<mean>{vec(self.mean)}</mean>", f"<std>{vec(self.std)}</std>"]
        lines.append("<layers>" + "".join(f'<layer index="{k+1}" dimensions="{w.shape[0]}" transferFcn="{t}"/>' for k, (w, t) in enumerate(zip(self.weights, self.transfer))) + "</layers>")
        lines.append("<weights>" + "".join(f'<{"inputlayer" if k == 0 else "hiddenlayer"} from="{k}" to="{k+1}">{mat(w)}</{"inputlayer" if k == 0 else "hiddenlayer"}>' for k, w in enumerate(self.weights)) + "</weights>")
        lines.append("<biases>" + "".join(f'<bias to="{k+1}">{vec(b)}</bias>' for k, b in enumerate(self.biases)) + "</biases>")
        lines.append("</network>\n")
        return "\n".join(lines)

    def save(self, path, *, overwrite=False):
        with open(path, "w" if overwrite else "x") as f:
            f.write(self.text())


def evaluate(networks, scenes, robot, seconds, seeds, reward="avoid", *, dt=1 / 60, threads=None):
    n, s, k = len(networks), len(scenes), len(seeds)
    names = ("distance", "coverage", "contact_frames", "stuck", "avoid")
    metrics = {name: np.zeros((n, s, k)) for name in names}
    with tempfile.TemporaryDirectory() as folder:
        for i, net in enumerate(networks):
            path = os.path.join(folder, f"n{i}.xml")
            net.save(path)
            for j, scene in enumerate(scenes):
                for q, seed in enumerate(seeds):
                    sim = korvale.Simulation(scene, robot=robot, network=path, seed=seed, dt=dt)
                    run = Run(scene, robot, path, seed, seconds, dt)
                    frames = run.frames
                    rows = sim.trace(frames)
                    f, b, l, r = (rows[:, -4 + c] for c in range(4))
                    left = 8 * (np.where(f > 0, 1, np.where(b > 0, -1, 0)) + r)
                    right = 8 * (np.where(f > 0, 1, np.where(b > 0, -1, 0)) + l)
                    v = (np.abs(left) + np.abs(right)) / 2 / 16
                    dv = np.minimum(np.abs(left - right) / 8, 1)
                    ir = np.clip(rows[:, 4:-4].max(axis=1) / 1177, 0, 1)
                    metrics["avoid"][i, j, q] = np.mean(v * (1 - np.sqrt(dv)) * (1 - ir))
                    x, y = rows[:, 1], rows[:, 2]
                    metrics["distance"][i, j, q] = np.sum(np.hypot(np.diff(x), np.diff(y)))
                    if frames > 300:
                        metrics["stuck"][i, j, q] = np.mean(np.hypot(x[300:] - x[:-300], y[300:] - y[:-300]) < 0.5)
    fitness = metrics[reward]
    return SimpleNamespace(fitness=fitness, mean=fitness.mean(axis=(1, 2)), metrics=metrics)


if not hasattr(korvale, "evaluate"):
    korvale.evaluate = evaluate
    korvale.Network = Network
