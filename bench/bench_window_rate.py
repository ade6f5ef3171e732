#!/usr/bin/env python3
"""Window frames a second at x1, at "as fast as possible" and at x1 again,
with the obstacle avoider driving examples/Crowded.xml, and the world frames
a second at each. The window keeps its rate when the second figure is near
the first and the third.

The window runs under -automation, which writes "run: window frame W, world
frame F" at each run key; N (a frame while paused: refused while running)
asks for one without changing anything. Needs an X server, xdotool and
ImageMagick, as the window tests do:
    xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 bench/bench_window_rate.py \\
        build/app/korvale examples [SECONDS]
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


def main():
    program, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0
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
