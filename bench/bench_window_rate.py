#!/usr/bin/env python3
"""Window frames a second at x1, at "as fast as possible" and at x1 again,
with the obstacle avoider driving examples/Crowded.xml, and the world frames
a second at each. The window keeps its rate when the second figure is near
the first and the third.

With --swarm, what drawing alone costs a frame for the 1,000 robots of
examples/Swarm1000.xml: the window runs without vertical sync and paused
(no world frames), so each window frame is drawing and the frame's rest;
measured with the infrared rays shown and hidden (F5).

The window runs under -automation, which writes "run: window frame W, world
frame F" at each run key; N (a frame while paused: refused while running)
asks for one without changing anything. Needs an X server, xdotool and
ImageMagick, as the window tests do:
    xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 bench/bench_window_rate.py \\
        build/app/korvale examples [SECONDS] [--swarm]
"""
import importlib.util
import os
import sys
import tempfile
import time


def _window_test_module(name):
    """A helper module of the window tests (tests/e2e), loaded from its file."""
    spec = importlib.util.spec_from_file_location(name, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                                     "..", "tests", "e2e", f"{name}.py"))
    module = importlib.util.module_from_spec(spec)
    sys.modules[name] = module  # window_run_test imports window_test by name
    spec.loader.exec_module(module)
    return module


Session = _window_test_module("window_test").Session
_window_run_test = _window_test_module("window_run_test")
run_lines, typed_command = _window_run_test.run_lines, _window_run_test.typed_command


def frames(session):
    """(window frame, world frame) now, and the wall time it was asked at."""
    count = len(run_lines(session))
    asked = time.time()
    session.press("n", 0.05)
    end = time.time() + 5
    while len(run_lines(session)) <= count and time.time() < end:
        time.sleep(0.02)
    return run_lines(session)[-1], asked


def paused_frame_time(session, seconds):
    """Milliseconds a window frame takes while paused, between two run lines
    that change nothing ("+" then "-": the speed and back)."""
    session.press("plus", 0.05)
    time.sleep(1.0)  # settling
    count = len(run_lines(session))
    start = time.time()
    session.press("minus", 0.05)
    while len(run_lines(session)) <= count:
        time.sleep(0.02)
    window0, _ = run_lines(session)[-1]
    time.sleep(seconds)
    count = len(run_lines(session))
    session.press("plus", 0.05)
    while len(run_lines(session)) <= count:
        time.sleep(0.02)
    end = time.time()
    window1, _ = run_lines(session)[-1]
    session.press("minus", 0.05)
    return 1000.0 * (end - start) / max(window1 - window0, 1), window1 - window0


def swarm(program, examples, seconds):
    session = Session(program, examples, tempfile.mkdtemp(prefix="korvale-window-rate-"), ("-forcevsync:0",),
                      "rate")
    try:
        print("scene                          frames  ms a frame (drawing and the frame's rest, paused)")
        rows = (("Default.xml", "Default.xml (no robot)"), ("Swarm.xml", "Swarm.xml (20 robots)"),
                ("Swarm1000.xml", "Swarm1000, rays shown"), (None, "Swarm1000, rays hidden (F5)"))
        paused = False
        for name, label in rows:
            if name is not None:
                typed_command(session, name, 102, "info: Scene was loaded successfully")
                if not paused:
                    session.press("p", 0.05)
                    session.expect_output("info: Paused", 30)
                    paused = True
            else:
                session.press("F5", 0.05)
                session.expect_output("info: Sensor rays hidden (F5 shows them)", 10)
            milliseconds, frames_counted = paused_frame_time(session, seconds)
            print("%-30s %6d  %6.2f" % (label, frames_counted, milliseconds), flush=True)
    finally:
        session.process.kill()


def main():
    program, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    numbers = [a for a in sys.argv[3:] if not a.startswith("--")]
    seconds = float(numbers[0]) if numbers else 10.0
    if "--swarm" in sys.argv:
        swarm(program, examples, seconds)
        return
    session = Session(program, examples, tempfile.mkdtemp(prefix="korvale-window-rate-"), (), "rate")
    try:
        typed_command(session, "Crowded.xml", 102, "info: Scene was loaded successfully")
        typed_command(session, "Robot.xml", 126, "info: Robot was loaded successfully")
        typed_command(session, "AvoidObstacles.xml", 150, "info: Neural network was loaded successfully")
        session.button(198)  # Neural Network
        print("speed      window frames/s  world frames/s")
        for label, presses in (("x1", 0), ("max", 5), ("x1 again", -5)):
            for _ in range(abs(presses)):
                session.press("plus" if presses > 0 else "minus", 0.05)
                time.sleep(0.2)
            time.sleep(3)  # settling
            (window0, world0), start = frames(session)
            time.sleep(seconds)
            (window1, world1), end = frames(session)
            print("%-10s %15.1f %15.0f" % (label, (window1 - window0) / (end - start), (world1 - world0) / (end - start)),
                  flush=True)
    finally:
        session.process.kill()


if __name__ == "__main__":
    main()
