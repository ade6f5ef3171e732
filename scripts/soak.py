#!/usr/bin/python3
"""Soak run of korvale-sim: the avoider in the crowded example for 1 and for
10 simulated hours (or --hours H), with --log, --trace and --plot, checking
that a long run costs no more memory than a short one and stays sound.

Usage: scripts/soak.py [--hours H] [--sim build/tools/korvale-sim]
Needs GNU time (/usr/bin/time) for the peak memory.

For each run it reports the peak memory (maximum resident set size, from
GNU time) and the peak of the program's own memory (anonymous resident
memory: heap and stack, sampled every few milliseconds from /proc), the
frames, the log lines and the trace rows, and it checks:
  - the program's own peak memory in the long run within 1 % of the one-hour
    run's. The resident set also holds the pages of the program and its
    libraries that the kernel mapped from the page cache, and that part
    varies by a hundred KiB or so (about 2 %) between identical runs with
    what else the machine has cached; it is reported, not checked;
  - no trace value is NaN or infinite;
  - the robot's centre is inside the arena in every row;
  - the log has exactly the lines the record rule gives for the frames: a
    line whenever more than 0.1 s of frame time (1/60 s in single
    precision, added up in double precision) has gathered since the last.
The trace is checked as it is written (through a pipe), not stored.
Exit status 1 when a check fails.
"""

import argparse
import math
import os
import struct
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLES = os.path.join(ROOT, "examples")
FRAME_TIME = 1 / 60
TIME = "/usr/bin/time"  # GNU time (Debian package "time")
RUNS = 3
ARENA = (100.0, 100.0)  # Crowded.xml


def single(value):
    """The value rounded to single precision, as the host hands frame times over."""
    return struct.unpack("f", struct.pack("f", value))[0]


def expected_log_lines(frames):
    """Lines of the record rule, computed over the first frames until it repeats."""
    step = single(FRAME_TIME)
    elapsed, period = 0.0, 0
    while True:  # frames between two records, the same every time
        period += 1
        elapsed += step
        if elapsed > 0.1:
            break
    return frames // period, period


class MemorySampler:
    """Follows the anonymous resident memory of the program that the GNU time
    process `parent` starts, until it exits, and keeps the largest value."""

    def __init__(self, parent):
        self.parent = parent
        self.peak_anon_kb = 0
        self.samples = 0
        self.thread = threading.Thread(target=self.run)
        self.thread.start()

    def child(self):
        while os.path.exists("/proc/%d" % self.parent):
            for entry in os.listdir("/proc"):
                if not entry.isdigit():
                    continue
                try:
                    with open("/proc/%s/stat" % entry, encoding="ascii", errors="replace") as file:
                        # pid (name) state ppid ...; the name may hold blanks.
                        ppid = int(file.read().rsplit(")", 1)[1].split()[1])
                except (OSError, IndexError, ValueError):
                    continue
                if ppid == self.parent:
                    return int(entry)
            time.sleep(0.001)
        return None  # time has ended already

    def run(self):
        pid = self.child()
        if pid is None:
            return
        while True:
            try:
                with open("/proc/%d/status" % pid, encoding="ascii") as file:
                    fields = dict(line.split(":", 1) for line in file if ":" in line)
            except OSError:
                return
            if "RssAnon" not in fields:
                return  # a zombie: the program has ended
            self.peak_anon_kb = max(self.peak_anon_kb, int(fields["RssAnon"].split()[0]))
            self.samples += 1
            time.sleep(0.005)


class TraceCheck:
    """Reads trace rows from a pipe and keeps what the checks need."""

    def __init__(self, path):
        self.path = path
        self.rows = 0
        self.bad_numbers = 0
        self.outside = 0
        self.first_problem = None
        self.thread = threading.Thread(target=self.run)
        self.thread.start()

    def run(self):
        with open(self.path, encoding="ascii") as pipe:
            header = pipe.readline().rstrip("\n").split(",")
            x, y = header.index("x"), header.index("y")
            for line in pipe:
                fields = line.rstrip("\n").split(",")
                self.rows += 1
                values = [float(f) for f in fields]
                if not all(math.isfinite(v) for v in values):
                    self.bad_numbers += 1
                    self.first_problem = self.first_problem or line
                elif not (0 <= values[x] <= ARENA[0] and 0 <= values[y] <= ARENA[1]):
                    self.outside += 1
                    self.first_problem = self.first_problem or line


def soak(sim, hours, folder):
    seconds = hours * 3600
    frames = round(seconds / FRAME_TIME)
    log = os.path.join(folder, "soak-%gh.log" % hours)
    if os.path.exists(log):
        os.remove(log)  # a log is never written over
    plot = os.path.join(folder, "soak-%gh.svg" % hours)
    pipe = os.path.join(folder, "trace-%gh" % hours)
    if os.path.exists(pipe):
        os.remove(pipe)
    os.mkfifo(pipe)
    check = TraceCheck(pipe)
    output = os.path.join(folder, "output-%gh.txt" % hours)
    peak = os.path.join(folder, "peak-%gh.txt" % hours)
    # GNU time reports the program's own peak; a child of this interpreter
    # would also count the interpreter it was forked from. Without address
    # randomisation (setarch -R) the same run gives the same peak.
    run = subprocess.Popen(["setarch", "-R", TIME, "-f", "%M", "-o", peak, sim,
                            "--scene", os.path.join(EXAMPLES, "Crowded.xml"),
                            "--robot", os.path.join(EXAMPLES, "Robot.xml"),
                            "--network", os.path.join(EXAMPLES, "AvoidObstacles.xml"),
                            "--seconds", str(seconds), "--log", log, "--trace", pipe, "--plot", plot],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    memory = MemorySampler(run.pid)
    text = run.communicate()[0].strip()
    check.thread.join()
    memory.thread.join()
    if run.returncode != 0:
        sys.exit("korvale-sim failed (%d): %s" % (run.returncode, text))
    if memory.samples < 10:
        sys.exit("korvale-sim ran too briefly to sample its memory (%d samples)" % memory.samples)
    with open(peak, encoding="ascii") as file:
        peak_kb = int(file.read().split()[-1])
    with open(log, "rb") as file:
        lines = sum(1 for _ in file)
    os.remove(log)
    return {"hours": hours, "frames": frames, "peak_kb": peak_kb, "anon_kb": memory.peak_anon_kb,
            "rows": check.rows, "log_lines": lines,
            "bad_numbers": check.bad_numbers, "outside": check.outside, "first_problem": check.first_problem,
            "summary": text, "plot_bytes": os.path.getsize(plot)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--hours", type=float, default=10)
    parser.add_argument("--sim", default=os.path.join(ROOT, "build", "tools", "korvale-sim"))
    options = parser.parse_args()

    failures = []
    with tempfile.TemporaryDirectory(prefix="korvale-soak-") as folder:
        # Each length three times: the peak of one run can still come out a
        # few pages lower than that of the same run again.
        runs = []
        for hours in ([1] if options.hours == 1 else [1, options.hours]):
            tries = [soak(options.sim, hours, folder) for _ in range(RUNS)]
            run = tries[0]
            run["peak_kb"] = max(t["peak_kb"] for t in tries)
            run["peaks"] = [t["peak_kb"] for t in tries]
            run["anon_kb"] = max(t["anon_kb"] for t in tries)
            run["anons"] = [t["anon_kb"] for t in tries]
            for key in ("bad_numbers", "outside", "rows", "log_lines"):
                if any(t[key] != run[key] for t in tries):
                    failures.append("%g h: the runs differ in %s" % (hours, key))
            runs.append(run)
    for run in runs:
        print("%5g h: %d frames, peak memory %d KiB (runs: %s), of it the program's own %d KiB (runs: %s), "
              "%d trace rows, %d log lines, plot %d bytes; %s"
              % (run["hours"], run["frames"], run["peak_kb"], ", ".join(map(str, run["peaks"])), run["anon_kb"],
                 ", ".join(map(str, run["anons"])), run["rows"], run["log_lines"], run["plot_bytes"], run["summary"]))
        expected, period = expected_log_lines(run["frames"])
        if run["rows"] != run["frames"]:
            failures.append("%g h: %d trace rows for %d frames" % (run["hours"], run["rows"], run["frames"]))
        if run["log_lines"] != expected:
            failures.append("%g h: %d log lines, the record rule (one every %d frames) gives %d"
                            % (run["hours"], run["log_lines"], period, expected))
        if run["bad_numbers"]:
            failures.append("%g h: %d rows with NaN or infinity, first: %s"
                            % (run["hours"], run["bad_numbers"], run["first_problem"]))
        if run["outside"]:
            failures.append("%g h: the robot's centre left the arena in %d rows, first: %s"
                            % (run["hours"], run["outside"], run["first_problem"]))
    if len(runs) == 2:
        growth = (runs[1]["peak_kb"] - runs[0]["peak_kb"]) / runs[0]["peak_kb"]
        print("peak memory of the long run against the one-hour run: %+.2f %% (page cache included, not checked)"
              % (100 * growth))
        growth = (runs[1]["anon_kb"] - runs[0]["anon_kb"]) / runs[0]["anon_kb"]
        print("the program's own peak memory of the long run against the one-hour run: %+.2f %%" % (100 * growth))
        if abs(growth) > 0.01:
            failures.append("the program's own peak memory differs by %.2f %% (more than 1 %%)" % (100 * growth))
    for failure in failures:
        print("FAIL: " + failure)
    print("soak: " + ("FAILED" if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
