"""The module documents itself: every public class, function, method and
property has a docstring, and the signatures name types, not "object"."""

import dataclasses
import inspect

import korvale
from conftest import example


def public_members():
    for name in korvale.__all__:
        thing = getattr(korvale, name)
        yield name, thing
        if inspect.isclass(thing):
            for member, value in vars(thing).items():
                generated = member == "__init__" and dataclasses.is_dataclass(thing)
                if (not member.startswith("_") or member == "__init__") and not generated:
                    yield f"{name}.{member}", value


def test_every_public_name_has_a_docstring_and_typed_signature():
    missing, untyped = [], []
    for name, thing in public_members():
        doc = thing.__doc__ if not isinstance(thing, (staticmethod, classmethod)) else thing.__func__.__doc__
        if isinstance(thing, (int, float, str, tuple, dict)) or thing is None:
            continue
        if not doc or not doc.strip():
            missing.append(name)
        elif ": object" in doc.split("\n\n")[0]:
            untyped.append(name)
    assert missing == [] and untyped == []


def test_the_signatures_written_out_name_the_arguments_taken(tmp_path):
    # pybind11 checks keywords: a documented name that the binding does not
    # take fails the call.
    def call(method, *args, **keywords):
        line = (method.__init__ if isinstance(method, type) else method).__doc__.splitlines()[0]
        assert all(f"{keyword}: " in line for keyword in keywords), line
        return method(*args, **keywords)

    simulation = call(korvale.Simulation, scene=example("Default.xml"), robot=example("Robot.xml"),
                      network=example("AvoidObstacles.xml"), control="network", seed=1, dt=1 / 60)
    call(simulation.step, n=2)
    assert call(simulation.trace, steps=3).shape == (3, 16)
    x, y, _ = simulation.pose
    call(simulation.place_robot, x=x, y=y, angle=0.5)
    call(simulation.set_keys, forward=True, backward=False, left=False, right=True)
    assert call(simulation.render, width=16, height=16).shape == (16, 16, 3)
    call(simulation.set_state, state=call(simulation.get_state))
    call(simulation.start_log, path=tmp_path / "run.log", corrections=False)
    call(simulation.stop_log)
    network = call(korvale.Network.load, path=example("AvoidObstacles.xml"))
    call(simulation.set_network, network=network)
    assert call(network.evaluate, x=[0.0] * 8).shape == (4,)
