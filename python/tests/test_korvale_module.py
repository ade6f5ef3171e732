"""The korvale module against korvale-sim, side by side simulations, and the
texts of failed commands."""

import math
import os
import signal
import subprocess
import sys
import threading
import time
from xml.etree import ElementTree

import numpy as np
import pytest

import korvale
from conftest import example, korvale_sim, sim_trace

ROBOT = example("Robot.xml")


class TestTracesEqualKorvaleSim:
    @pytest.mark.parametrize("scene, network, seed, dt, frames", [
        ("Crowded.xml", "AvoidObstacles.xml", 5, 1 / 60, 900),
        ("Rooms.xml", "DriveForward.xml", None, 0.03, 400),
        ("Default.xml", "AvoidObstacles.xml", -3, 0.02, 600),
        ("OpenArena.xml", "AvoidObstacles.xml", 18446744073709551615, 1 / 60, 600),
    ])
    def test_network_runs_value_for_value(self, folder, scene, network, seed, dt, frames):
        simulation = korvale.Simulation(example(scene), robot=ROBOT, network=example(network), seed=seed, dt=dt)
        rows = simulation.trace(frames)
        arguments = ["--scene", example(scene), "--robot", ROBOT, "--network", example(network),
                     "--dt", repr(dt), "--steps", frames]
        if seed is not None:
            arguments += ["--seed", seed]
        expected = sim_trace(folder, *arguments)
        assert rows.shape == expected.shape
        assert np.array_equal(rows, expected)

    def test_held_keys_drive_as_a_key_script_does(self, folder):
        keys = os.path.join(folder, "keys.txt")
        with open(keys, "w", encoding="ascii") as file:
            file.write("0 Up down\n0.99 Up up\n0.99 Left down\n0.99 Down down\n")
        expected = sim_trace(folder, "--scene", example("Default.xml"), "--robot", ROBOT, "--keys", keys,
                             "--steps", 100, "--seed", 11)

        simulation = korvale.Simulation(example("Default.xml"), robot=ROBOT, seed=11)
        simulation.set_keys(forward=True)
        first = simulation.trace(60)
        simulation.set_keys(left=True, backward=True)
        rows = np.vstack([first, simulation.trace(40)])
        assert np.array_equal(rows, expected)
        assert simulation.commands == (False, True, True, False)

    def test_stepping_then_tracing_continues_the_same_run(self):
        whole = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=example("AvoidObstacles.xml"),
                                   seed=2).trace(300)
        simulation = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=example("AvoidObstacles.xml"),
                                        seed=2)
        simulation.step(200)
        simulation.step()
        assert np.array_equal(simulation.trace(99), whole[201:])
        assert simulation.time == whole[-1, 0]

        last = whole[-1]
        assert simulation.pose == tuple(last[1:4])
        assert np.array_equal(simulation.ir, last[4:12])
        assert simulation.ir.dtype == np.float64
        assert simulation.commands == tuple(bool(v) for v in last[12:16])

    @pytest.mark.parametrize("dt", [5, 1.0000001, 1e-5, 0.00099, 0, -1, float("nan"), float("inf")])
    def test_a_frame_time_the_world_would_clamp_is_refused_as_korvale_sim_refuses_it(self, dt):
        # The world steps 0.001 to 1 s: time would no longer tell what it did.
        words = "dt must be from 0.001 to 1 second, the steps the world takes"
        if math.isfinite(dt):  # korvale-sim reads no NaN or infinity at all
            refused = korvale_sim("--scene", example("Default.xml"), "--dt", repr(dt), "--steps", 1)
            assert (refused.status, refused.err) == (2, f"korvale-sim: --{words} (korvale-sim --help shows the usage)\n")
        with pytest.raises(ValueError) as raised:
            korvale.Simulation(example("Default.xml"), dt=dt)
        assert str(raised.value) == words

    def test_the_frame_times_at_the_ends_of_the_range_run(self):
        for dt in (1.0, 0.001):
            simulation = korvale.Simulation(example("Default.xml"), robot=ROBOT, dt=dt)
            simulation.step(3)
            assert simulation.simulated == 3 * float(np.float32(dt))

    def test_camera_and_bodies_show_the_scene(self):
        simulation = korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=example("AvoidObstacles.xml"))
        # In the scene file's order, at the file's places, angles in radians.
        objects = ElementTree.parse(example("Crowded.xml")).getroot().findall("object")
        expected = [(float(o.get("x")), float(o.get("y")), math.radians(float(o.get("angle", "0"))))
                    for o in objects]
        assert simulation.bodies.shape == (len(objects), 3)
        assert np.allclose(simulation.bodies, expected, rtol=0, atol=1e-12)
        simulation.step(600)
        cameras = simulation.camera
        assert len(cameras) == 1
        assert cameras[0].shape == (60, 3)
        assert cameras[0].min() >= 0 and cameras[0].max() <= 1
        assert cameras[0].max() > 0  # it sees coloured bodies

    def test_a_scene_without_robot_has_no_pose(self):
        simulation = korvale.Simulation(example("Default.xml"))
        simulation.step(3)
        assert simulation.pose is None
        assert simulation.ir.shape == (0,)
        assert simulation.commands == (False, False, False, False)
        assert simulation.camera == []
        with pytest.raises(ValueError, match="a trace needs a robot"):
            simulation.trace(1)


class TestIndependence:
    def make(self, seed):
        return korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=example("AvoidObstacles.xml"),
                                  seed=seed)

    def test_two_simulations_stepped_alternately_each_run_as_alone(self):
        alone = [self.make(seed).trace(400) for seed in (1, 2)]
        first, second = self.make(1), self.make(2)
        rows = [[], []]
        for _ in range(400):
            rows[0].append(first.trace(1)[0])
            rows[1].append(second.trace(1)[0])
        assert np.array_equal(np.array(rows[0]), alone[0])
        assert np.array_equal(np.array(rows[1]), alone[1])
        assert not np.array_equal(alone[0], alone[1])

    def test_two_threads_each_get_the_trace_they_get_alone(self):
        alone = [self.make(seed).trace(3000) for seed in (1, 2)]
        for _ in range(5):
            got = [None, None]

            def run(index):
                simulation = self.make(index + 1)
                got[index] = np.vstack([simulation.trace(100) for _ in range(30)])

            threads = [threading.Thread(target=run, args=(index,)) for index in (0, 1)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
            assert np.array_equal(got[0], alone[0])
            assert np.array_equal(got[1], alone[1])

    def test_one_simulation_shared_by_two_threads_runs_every_frame_once(self):
        simulation = self.make(4)
        threads = [threading.Thread(target=simulation.step, args=(500,)) for _ in range(2)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        alone = self.make(4)
        alone.step(1000)
        assert simulation.pose == alone.pose
        assert simulation.time == alone.time


BAD_CAMERA_ROBOT = """<neuralrobot wheelDistance="2" robotSpeed="4">
  <object x="20" y="30" r="1.5" mass="1"/>
  <sensors><camera x="0" y="0" height="1" orientation="0" fieldOfView="30"/></sensors>
</neuralrobot>"""

SEVEN_INPUT_NETWORK = """<network inputDimensions="7" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="4" n="7">
    0 0 0 0 0 0 0  0 0 0 0 0 0 0  0 0 0 0 0 0 0  0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>
</network>"""


class TestFailedCommands:
    def write(self, folder, name, text):
        path = os.path.join(folder, name)
        with open(path, "w", encoding="utf-8") as file:
            file.write(text)
        return path

    # The network control without a network is no fault in a script: it
    # waits for set_network (test_korvale_network.py).
    @pytest.mark.parametrize("case", ["missing scene", "bad robot", "inconsistent network"])
    def test_load_errors_carry_the_status_line_text_of_korvale_sim(self, folder, case):
        files = {
            "missing scene": dict(scene=os.path.join(folder, "missing.xml")),
            "bad robot": dict(scene=example("Default.xml"), robot=self.write(folder, "r.xml", BAD_CAMERA_ROBOT)),
            "inconsistent network": dict(scene=example("Default.xml"), robot=ROBOT,
                                         network=self.write(folder, "n.xml", SEVEN_INPUT_NETWORK)),
        }[case]
        expected = {
            "missing scene": "Error in CFenIOStruct: cannot open the file\n"
                             f"Scene file '{os.path.join(folder, 'missing.xml')}': no such file",
            "bad robot": None,
            "inconsistent network": "Inconsistent neural network\n"
                                    f"Network file '{os.path.join(folder, 'n.xml')}' takes 7 inputs, "
                                    "but the robot has 8 infrared sensors",
        }[case]
        arguments = [a for key, value in files.items() for a in (f"--{key}", value)]
        result = korvale_sim(*arguments, "--steps", 1)
        assert result.status == 1
        with pytest.raises(korvale.LoadError) as raised:
            korvale.Simulation(**files)
        assert str(raised.value) + "\n" == result.err
        if expected is not None:
            assert str(raised.value) == expected
        else:
            assert str(raised.value).count("\n") >= 2  # innermost fault first, one a line

    def test_the_log_equals_korvale_sims_and_follows_the_panels_rules(self, folder):
        arguments = dict(scene=example("Rooms.xml"), robot=ROBOT, network=example("AvoidObstacles.xml"), seed=9)
        expected = os.path.join(folder, "expected.log")
        result = korvale_sim("--scene", arguments["scene"], "--robot", ROBOT, "--network", arguments["network"],
                             "--seed", 9, "--steps", 120, "--log", expected, "--quiet")
        assert result.status == 0, result.err

        simulation = korvale.Simulation(**arguments)
        log = os.path.join(folder, "run.log")
        simulation.start_log(log)
        simulation.step(120)
        simulation.stop_log()
        with open(log, encoding="ascii") as got, open(expected, encoding="ascii") as want:
            assert got.read() == want.read()

        # An existing file is never written over: the panel's three lines.
        with pytest.raises(korvale.LoadError) as raised:
            simulation.start_log(log)
        assert str(raised.value) == ("Error in CLog: log file already exists\n"
                                     "Error in CLog: log file is not created yet\n"
                                     "Error in CKorvaleScene: unable to start log\n"
                                     f"Log file '{log}': already exists")
        # A log that reaches the file-size limit stops the frames with its line.
        limited = os.path.join(folder, "limited.log")
        script = ("import resource, sys, korvale\n"
                  "resource.setrlimit(resource.RLIMIT_FSIZE, (2048, resource.RLIM_INFINITY))\n"
                  "s = korvale.Simulation(*sys.argv[1:4])\n"
                  "s.start_log(sys.argv[4])\n"
                  "try:\n"
                  "    s.step(600)\n"
                  "except korvale.LoadError as error:\n"
                  "    print(1 < s.time < 9, error)\n")
        ran = subprocess.run([sys.executable, "-c", script, example("Default.xml"), ROBOT,
                              example("AvoidObstacles.xml"), limited],
                             capture_output=True, text=True, check=True, env=os.environ)
        assert ran.stdout == ("True Error in CLog: unable to write log file\n"
                              f"Log file '{limited}': could not be written (file too large); "
                              "it keeps every complete record\n"), ran.stderr
        with pytest.raises(ValueError, match="Please enter the name of the log"):
            simulation.start_log("")
        with pytest.raises(korvale.LoadError, match="^Error in CKorvaleScene: robot is not loaded\nLog file '.*none.log': "
                                                    "there is no robot to record$"):
            korvale.Simulation(example("Default.xml")).start_log(os.path.join(folder, "none.log"))
        simulation.stop_log()  # stopping without a log is no fault

    @pytest.mark.parametrize("arguments, error, text", [
        (dict(control="joystick", robot=ROBOT), ValueError, 'control is "keyboard" or "network"'),
        (dict(control="keyboard"), ValueError, "a control needs a robot"),
        (dict(seed=2**64), ValueError, "seed must lie in the 64-bit range"),
        (dict(seed=-(2**63) - 1), ValueError, "seed must lie in the 64-bit range"),
        (dict(seed=1.5), TypeError, "seed must be a whole number"),
        (dict(seed=np.float64(4)), TypeError, "seed must be a whole number"),
        (dict(seed=True), TypeError, "seed must be a whole number"),
        (dict(seed=np.bool_(True)), TypeError, "seed must be a whole number"),
    ])
    def test_unusable_arguments_are_refused_before_loading(self, arguments, error, text):
        with pytest.raises(error, match=text):
            korvale.Simulation(example("Default.xml"), **arguments)

    def test_paths_may_be_path_objects(self):
        import pathlib
        simulation = korvale.Simulation(pathlib.Path(example("Default.xml")), robot=pathlib.Path(ROBOT))
        assert simulation.pose == (20.0, 20.0, 0.0)

    def test_seeds_of_any_integer_type_give_the_run_of_the_same_int(self):
        def trace(seed):
            return korvale.Simulation(example("Crowded.xml"), robot=ROBOT, network=example("AvoidObstacles.xml"),
                                      seed=seed).trace(120)
        four = trace(4)
        for seed in (np.int64(4), np.uint8(4), np.int32(4)):
            assert np.array_equal(trace(seed), four), type(seed)
        assert np.array_equal(trace(np.uint64(2**64 - 1)), trace(np.int8(-1)))

    def test_a_network_whose_outputs_the_control_cannot_read_loads_with_a_warning(self, folder, recwarn):
        # Three outputs: the control reads four or none, so the robot stays.
        network = os.path.join(folder, "three.xml")
        with open(network, "w", encoding="ascii") as file:
            file.write(THREE_OUTPUT_NETWORK)
        simulation = korvale.Simulation(example("Default.xml"), robot=ROBOT, network=network)
        start = simulation.pose
        simulation.step(120)
        assert simulation.pose == start
        result = korvale_sim("--scene", example("Default.xml"), "--robot", ROBOT, "--network", network,
                             "--steps", 120, "--quiet")
        assert result.status == 0
        expected = (f"network file '{network}' has 3 outputs, not 4 (forward, backward, left, right): "
                    "it never changes the robot's commands, so a robot at rest stays at rest")
        assert result.err == f"Warning: {expected}\n"
        assert [(w.category, str(w.message), w.filename) for w in recwarn] == [(UserWarning, expected, __file__)]
        # A network that the control reads draws none.
        korvale.Simulation(example("Default.xml"), robot=ROBOT, network=example("DriveForward.xml"))
        assert len(recwarn) == 1

    def test_a_network_that_does_not_fit_the_robot_says_why_in_korvale_sims_words(self, folder, recwarn):
        network = os.path.join(folder, "Seven.xml")
        with open(network, "w", encoding="ascii") as file:
            file.write(SEVEN_INPUT_NETWORK)
        expected = f"Network file '{network}' takes 7 inputs, but the robot has 8 infrared sensors"
        # The keyboard drives: the simulation runs, with the reason as a warning.
        korvale.Simulation(example("Default.xml"), robot=ROBOT, network=network, control="keyboard")
        result = korvale_sim("--scene", example("Default.xml"), "--robot", ROBOT, "--network", network,
                             "--control", "keyboard", "--steps", 1, "--quiet")
        assert (result.status, result.err) == (0, expected + "\n")
        assert [(w.category, str(w.message)) for w in recwarn] == [(UserWarning, expected)]


THREE_OUTPUT_NETWORK = """<network inputDimensions="8" outputDimensions="3" numLayers="1">
  <layers><layer index="1" dimensions="3" transferFcn="logsig"/></layers>
  <weights><inputlayer from="0" to="1"><matrix m="3" n="8">
    0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="3">5 -5 -5</vector></bias></biases>
</network>
"""

# Steps (or traces) a crowded arena for far longer than the test waits, in a
# process of its own; prints a line once it is under way.
INTERRUPTED = """
import signal, sys, time, korvale
simulation = korvale.Simulation(sys.argv[1], robot=sys.argv[2], network=sys.argv[3], seed=1)
call, frames = getattr(simulation, sys.argv[4]), int(sys.argv[5])
print("running", flush=True)
began = time.monotonic()
try:
    call(frames)
except KeyboardInterrupt:
    waited = time.monotonic() - began
    done = round(simulation.time * 60)
    # Whole frames (time is frames x dt), and the simulation goes on from there.
    assert done > 0 and simulation.time == done * (1 / 60), simulation.time
    rows = simulation.trace(2)
    assert rows.shape[0] == 2 and simulation.time == (done + 2) * (1 / 60)
    print("interrupted", waited, flush=True)
"""


class TestInterrupts:
    # Each call would take minutes: a trace of a million frames, a step of 10**8.
    @pytest.mark.parametrize("call, frames", [("step", 10**8), ("trace", 10**6)])
    def test_ctrl_c_stops_a_long_call_at_a_frame_and_leaves_the_simulation_usable(self, call, frames):
        process = subprocess.Popen([sys.executable, "-c", INTERRUPTED, example("Crowded10000.xml"), ROBOT,
                                    example("AvoidObstacles.xml"), call, str(frames)],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=os.environ)
        try:
            assert process.stdout.readline() == "running\n"
            time.sleep(0.3)
            process.send_signal(signal.SIGINT)
            out, err = process.communicate(timeout=30)
        finally:
            process.kill()
        assert process.returncode == 0, err
        seconds = float(out.removeprefix("interrupted "))
        # Signals are looked at ten times a second; the frames here are short.
        assert seconds < 5, seconds
