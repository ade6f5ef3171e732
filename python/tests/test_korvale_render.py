"""Simulation.render against korvale-sim --snapshot: the same world view,
pixel for pixel."""

import os
import struct
import threading
import zlib

import numpy as np
import pytest

import korvale
from conftest import example, korvale_sim

ROBOT = example("Robot.xml")


def read_png(path):
    """An 8-bit RGB PNG as a height x width x 3 array (no other kinds needed)."""
    with open(path, "rb") as file:
        data = file.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    position, compressed, header = 8, b"", None
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        position += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert (depth, colour, interlace) == (8, 2, 0)
    raw = zlib.decompress(compressed)
    stride = width * 3
    rows = np.zeros((height, stride), dtype=np.int32)
    previous = np.zeros(stride, dtype=np.int32)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = np.frombuffer(raw, dtype=np.uint8, count=stride, offset=y * (stride + 1) + 1).astype(np.int32)
        out = np.zeros(stride, dtype=np.int32)
        for x in range(stride):
            left = out[x - 3] if x >= 3 else 0
            up = previous[x]
            corner = previous[x - 3] if x >= 3 else 0
            if kind == 0:
                predictor = 0
            elif kind == 1:
                predictor = left
            elif kind == 2:
                predictor = up
            elif kind == 3:
                predictor = (left + up) // 2
            else:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
            out[x] = (line[x] + predictor) & 0xFF
        rows[y] = out
        previous = out
    return rows.reshape(height, width, 3).astype(np.uint8)


def snapshot(folder, name, width, height, *arguments):
    path = os.path.join(folder, name)
    result = korvale_sim(*arguments, "--snapshot", path, "--size", "%dx%d" % (width, height), "--quiet")
    assert result.status == 0, result.err
    return read_png(path)


@pytest.mark.parametrize("scene, network, seed, dt, frames, width, height", [
    ("Crowded.xml", "AvoidObstacles.xml", 3, 1 / 60, 300, 96, 64),
    ("Rooms.xml", "DriveForward.xml", None, 0.03, 40, 48, 80),
])
def test_render_is_the_snapshot_pixel_for_pixel(folder, scene, network, seed, dt, frames, width, height):
    simulation = korvale.Simulation(example(scene), robot=ROBOT, network=example(network), seed=seed, dt=dt)
    simulation.step(frames)
    image = simulation.render(width, height)
    assert image.shape == (height, width, 3)
    assert image.dtype == np.uint8

    arguments = ["--scene", example(scene), "--robot", ROBOT, "--network", example(network), "--dt", repr(dt)]
    if seed is not None:
        arguments += ["--seed", seed]
    expected = snapshot(folder, "snapshot.png", width, height, *arguments, "--steps", frames)
    assert np.array_equal(image, expected)
    # The run goes on as it would have without the picture.
    simulation.step(1)
    again = snapshot(folder, "next.png", width, height, *arguments, "--steps", frames + 1)
    assert np.array_equal(simulation.render(width, height), again)
    assert not np.array_equal(again, expected)


def test_pictures_of_any_size_from_any_thread(folder):
    simulation = korvale.Simulation(example("OpenArena.xml"), robot=ROBOT)
    small = simulation.render(32, 24)
    large = simulation.render()
    assert large.shape == (800, 800, 3)
    assert np.array_equal(simulation.render(32, 24), small)
    # The red disc in the arena's middle is at the picture's middle.
    assert tuple(large[400, 400]) == (255, 0, 0)

    pictures = []
    thread = threading.Thread(target=lambda: pictures.append(simulation.render(32, 24)))
    thread.start()
    thread.join()
    assert np.array_equal(pictures[0], small)


def test_sizes_it_cannot_draw():
    simulation = korvale.Simulation(example("Default.xml"))
    for width, height in ((15, 100), (100, 8193)):
        with pytest.raises(ValueError, match="the picture must be from 16x16 to 8192x8192 pixels, not %dx%d"
                           % (width, height)):
            simulation.render(width, height)
