"""The rules the C++ core keeps, as the module hands them to the Python
programs: whole frames in a time, the frame times the world takes, the stuck
measure's window."""

import math

import pytest

from korvale import _korvale


class TestFramesIn:
    def test_rounds_halves_away_from_zero_as_korvale_sim_counts(self):
        assert _korvale._frames_in(1.0, 1 / 60) == 60
        assert _korvale._frames_in(2.5, 1.0) == 3
        assert _korvale._frames_in(0.49, 1.0) == 0

    @pytest.mark.parametrize("seconds, message", [
        (-1.0, "seconds must be a number of at least 0"),
        (math.nan, "seconds must be a number of at least 0"),
        (9e15, "seconds / dt gives too many frames"),
    ])
    def test_refuses_what_no_run_counts(self, seconds, message):
        with pytest.raises(ValueError, match=f"^{message}$"):
            _korvale._frames_in(seconds, 1.0)


def test_frame_times_are_judged_as_the_world_steps_them():
    low, high = _korvale._FRAME_TIME_RANGE
    assert (low, high) == (0.001, 1.0)
    assert _korvale._takes_frame_time(low) and _korvale._takes_frame_time(high)
    assert not _korvale._takes_frame_time(0.0009) and not _korvale._takes_frame_time(1.01)
    assert _korvale._FRAME_TIME_RANGE_TEXT == "from 0.001 to 1 second, the steps the world takes"


def test_the_stuck_window_is_the_metrics_own():
    assert (_korvale._STUCK_SECONDS, _korvale._STUCK_DISTANCE) == (5.0, 0.5)
