"""Taking over from the network with the arrow keys, and the corrections log
that keeps only those lines, through the korvale module."""

import korvale

from conftest import EXAMPLES


def test_held_keys_drive_in_place_of_the_network_and_only_their_lines_are_logged(tmp_path):
    simulation = korvale.Simulation(EXAMPLES / "OpenArena.xml", robot=EXAMPLES / "Robot.xml",
                                    network=EXAMPLES / "DriveForward.xml")
    log = tmp_path / "corrections.log"
    simulation.start_log(log, corrections=True)
    simulation.step(120)  # the network drives forward: nothing kept
    assert simulation.commands == (True, False, False, False)
    assert not log.read_text()

    simulation.set_keys(left=True)
    simulation.step(1)
    assert simulation.commands == (False, False, True, False)  # turning, as the key says
    angle = simulation.pose[2]
    simulation.step(59)
    assert simulation.pose[2] > angle + 1.0  # about 1.5 radians in a second

    simulation.set_keys()
    simulation.step(120)  # the network again
    assert simulation.commands == (True, False, False, False)
    simulation.stop_log()

    lines = log.read_text().splitlines()
    # One second of keys: a line every 6 frames of 1/60 s (as single
    # precision, six of them pass 0.1 s).
    assert len(lines) == 10, lines
    assert all(line.split()[-4:] == ["0.0", "0.0", "1.0", "0.0"] for line in lines)
