"""Learns to avoid obstacles with the cross-entropy method on korvale.evaluate.

    cd examples && PYTHONPATH=../build/python /usr/bin/python3 learn_avoid.py

A network of one layer maps the eight infrared readings to the four
commands. Each generation draws 48 networks around the current mean, runs
each for 20 s in two scenes with two seeds, and moves the mean to the best
eight. The score is the avoid fitness, less the share of frames spent stuck
or touching something, times the cells visited per second (at most one): the
avoid fitness pays for speed either way, so on its own a robot rocking or
circling in place earns as much as one that drives on. The learned network
is then tried in two scenes it never saw, beside the hand-made
AvoidObstacles.xml, and saved.
"""

import time

import numpy as np

import korvale

TRAIN = ["Crowded.xml", "Default.xml"]
UNSEEN = ["OpenArena.xml", "Rooms.xml"]
ROBOT = "Robot.xml"


def network(theta):
    """8 readings (scaled by 1/300) -> 4 logsig commands: 32 weights, 4 biases."""
    return korvale.Network([theta[:32].reshape(4, 8)], [theta[32:]], ["logsig"],
                           mean=np.zeros(8), std=np.full(8, 300.0))


def score(result, seconds):
    m = result.metrics
    touching = m["contact_frames"] / round(seconds * 60)
    exploring = np.minimum(m["coverage"] / seconds, 1)
    return (m["avoid"] * (1 - m["stuck"]) * (1 - touching) * exploring).mean(axis=(1, 2))


def learn(generations=30, population=48, elite=8, seconds=20, seed=0, report=print):
    rng = np.random.default_rng(seed)
    mean, spread = np.zeros(36), np.full(36, 2.0)
    began = time.perf_counter()
    for generation in range(generations):
        thetas = mean + spread * rng.normal(size=(population, 36))
        seeds = [2 * generation, 2 * generation + 1]
        result = korvale.evaluate([network(t) for t in thetas], TRAIN, ROBOT, seconds, seeds)
        scores = score(result, seconds)
        best = thetas[np.argsort(scores)[-elite:]]
        mean, spread = best.mean(axis=0), best.std(axis=0) + 0.05
        report(f"generation {generation + 1:2d}: best {scores.max():.3f}, mean {scores.mean():.3f} "
               f"({time.perf_counter() - began:.0f} s)")
    return network(mean)


def main():
    learned = learn()
    check = korvale.evaluate([learned, "AvoidObstacles.xml"], UNSEEN, ROBOT, seconds=120, seeds=[1, 2, 3])
    m = check.metrics
    print("in unseen scenes, 2 minutes, 3 seeds   avoid  touching  stuck  cells")
    for row, name in enumerate(["learned", "AvoidObstacles.xml"]):
        print(f"{name:38s} {m['avoid'][row].mean():5.3f}  {m['contact_frames'][row].mean() / 7200:8.1%}"
              f"  {m['stuck'][row].mean():5.1%}  {m['coverage'][row].mean():5.0f}")
    learned.save("learned.xml", overwrite=True)


if __name__ == "__main__":
    main()
