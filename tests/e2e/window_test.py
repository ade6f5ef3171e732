#!/usr/bin/env python3
"""Drives the Korvale window as a person would and checks what it shows.

Run under an X server (the CTest entry starts one with xvfb-run). Needs
xdotool and ImageMagick's import and convert. Usage:
    window_test.py KORVALE EXAMPLES_DIR [--screenshot FILE]
"""
import os
import re
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

WIDTH, HEIGHT = 640, 480
VIEW = (10, 55, WIDTH - 170 - 10, HEIGHT - 35 - 55)  # left, top, width, height
USER_PANEL = (WIDTH - 170, HEIGHT - 400)
BACKGROUND_VIEW = (0, 0, 170)


def log(text):
    print(text, flush=True)


def fail(text):
    log("FAIL: " + text)
    sys.exit(1)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=30).stdout


class Picture:
    def __init__(self, path, origin):
        data = subprocess.run(["convert", path, "ppm:-"], check=True, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = data[header.end():]
        self.origin = origin

    def at(self, x, y):
        """The colour of window pixel (x, y)."""
        sx, sy = x + self.origin[0], y + self.origin[1]
        i = 3 * (sy * self.width + sx)
        return tuple(self.pixels[i:i + 3])

    def count(self, box, match):
        left, top, right, bottom = box
        return sum(1 for y in range(top, bottom) for x in range(left, right) if match(self.at(x, y)))

    def centroid(self, box, match):
        left, top, right, bottom = box
        points = [(x, y) for y in range(top, bottom) for x in range(left, right) if match(self.at(x, y))]
        if not points:
            return None
        return (sum(p[0] for p in points) / len(points), sum(p[1] for p in points) / len(points))


def near(colour, target, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


class Camera:
    """Where the viewport puts a world point after the arena has been fitted."""

    def __init__(self, width, height):
        x, y, w, h = VIEW
        self.sx, self.sy = (h / w, 1.0) if h <= w else (1.0, w / h)
        self.zoom = 1.9 / max(width, height, 1)
        self.cx, self.cy = max(width, 1) / 2, max(height, 1) / 2

    def pixel(self, px, py):
        x, y, w, h = VIEW
        return (round(x + w / 2 * (1 + self.sx * self.zoom * (px - self.cx))),
                round(y + h / 2 * (1 - self.sy * self.zoom * (py - self.cy))))


class Session:
    def __init__(self, program, cwd, tmp, flags=(), name="korvale"):
        self.out_path = os.path.join(tmp, name + ".out")
        self.out = open(self.out_path, "w")
        env = dict(os.environ, SDL_MOUSE_FOCUS_CLICKTHROUGH="1")
        self.process = subprocess.Popen([program, "-constantframetime", "-automation", "-noerrormsgboxes", *flags],
                                        cwd=cwd, stdout=self.out, stderr=subprocess.STDOUT, env=env)
        self.tmp = tmp
        self.shots = 0
        self.find_window()

    def find_window(self):
        self.window = run("xdotool", "search", "--sync", "--onlyvisible", "--name", "^Korvale$").split()[0]
        time.sleep(1.0)
        geometry = run("xdotool", "getwindowgeometry", self.window)
        position = re.search(r"Position: (-?\d+),(-?\d+)", geometry)
        self.origin = (int(position.group(1)), int(position.group(2)))

    def alive(self):
        return self.process.poll() is None

    def click(self, x, y):
        run("xdotool", "mousemove", "--window", self.window, str(x), str(y))
        time.sleep(0.1)
        run("xdotool", "mousedown", "1")
        time.sleep(0.1)
        run("xdotool", "mouseup", "1")
        time.sleep(0.2)

    def press(self, key, seconds=0.1):
        run("xdotool", "keydown", key)
        time.sleep(seconds)
        run("xdotool", "keyup", key)
        time.sleep(0.1)

    def button(self, y):
        """Clicks the user panel's widget whose row starts at y."""
        self.click(USER_PANEL[0] + 35 + 62, USER_PANEL[1] + y + 11)

    def type_file_name(self, text):
        self.click(USER_PANEL[0] + 35 + 62, USER_PANEL[1] + 58 + 16)
        # The widgets see a key only while it is down at the start of a
        # frame, so select-all is held over several frames.
        run("xdotool", "keydown", "ctrl")
        run("xdotool", "keydown", "a")
        time.sleep(0.3)
        run("xdotool", "keyup", "a")
        run("xdotool", "keyup", "ctrl")
        time.sleep(0.1)
        run("xdotool", "type", "--delay", "30", text)
        time.sleep(0.3)

    def quit(self, what):
        """ESC, and the program ends with status 0. The key's release may find
        the window gone already, which xdotool may report as a failure."""
        subprocess.run(["xdotool", "key", "--delay", "100", "Escape"], capture_output=True, timeout=30)
        if self.process.wait(timeout=10) != 0:
            fail("exit status after " + what)

    def screenshot(self):
        self.shots += 1
        path = os.path.join(self.tmp, "shot%d.png" % self.shots)
        run("import", "-window", "root", path)
        return path, Picture(path, self.origin)

    def output(self):
        self.out.flush()
        with open(self.out_path) as f:
            return f.read()

    def expect_output(self, line, timeout=3.0):
        end = time.time() + timeout
        while time.time() < end:
            if line in self.output().splitlines():
                return
            time.sleep(0.1)
        fail("expected the line %r; the program wrote:\n%s" % (line, self.output()))


def check_scene(picture, scene_file, what):
    world = ET.parse(scene_file).getroot()
    width, height = float(world.get("width", 100)), float(world.get("height", 100))
    camera = Camera(width, height)
    # The arena border: black along all four sides. Each side is looked at
    # in three places, any of which will do: the status line's fourth line
    # (a failed load's naming of its file) runs along the top side, and where
    # its letters fall depends on the file's name.
    sides = [[(0, height * k / 4) for k in (1, 2, 3)], [(width, height * k / 4) for k in (1, 2, 3)],
             [(width * k / 4, 0) for k in (1, 2, 3)], [(width * k / 4, height) for k in (1, 2, 3)]]
    for side in sides:
        seen = []
        for px, py in side:
            x, y = camera.pixel(px, py)
            window = [picture.at(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
            if any(sum(c) < 60 for c in window):
                break
            seen.append("world (%g, %g), pixel (%d, %d): %s" % (px, py, x, y, window))
        else:
            fail("%s: no arena border at %s" % (what, "; ".join(seen)))
    # Every red disc at its place.
    discs = 0
    for body in world.findall("object"):
        if body.get("r") is not None and body.get("color") == "red":
            x, y = camera.pixel(float(body.get("x")), float(body.get("y")))
            colour = picture.at(x, y)
            if not near(colour, (255, 0, 0), 40):
                fail("%s: the red disc is not at pixel (%d, %d): %s" % (what, x, y, colour))
            discs += 1
    if discs == 0:
        fail("the scene has no red disc to look for")


def robot_pixels(colour):
    return near(colour, (0x33, 0x66, 0xCC), 30)


def switch_rasteriser(program, examples, tmp):
    """F3 from the forced software rasteriser: the device is made again
    through its callbacks (or the status line says only one exists)."""
    log("switch the rasteriser with F3")
    session = Session(program, examples, tmp, ("-forceref",), "rasteriser")
    try:
        session.press("F3")
        end = time.time() + 10
        while time.time() < end and "rasteriser" not in session.output():
            time.sleep(0.1)
        notes = [l for l in session.output().splitlines() if "rasteriser" in l]
        if not notes:
            fail("F3 said nothing about the rasteriser:\n" + session.output())
        log(notes[0])
        session.find_window()
        _, picture = session.screenshot()
        if picture.at(300, 250) != BACKGROUND_VIEW:
            fail("no world view after the device was made again: %s" % (picture.at(300, 250),))
        session.press("Escape")
        if session.process.wait(timeout=10) != 0:
            fail("exit status after switching the rasteriser")
    finally:
        if session.alive():
            session.process.kill()


def screenshot_key(program, examples, tmp):
    """F12 saves the frame as shown into the next free numbered PNG of the
    working folder and says so on the status line."""
    log("screenshots with F12")
    folder = os.path.join(tmp, "shots")
    os.mkdir(folder)
    with open(os.path.join(folder, "korvale-0001.png"), "w") as f:
        f.write("keep")
    scene_file = os.path.join(examples, "OpenArena.xml")
    session = Session(program, folder, tmp, (), "screenshots")
    try:
        session.type_file_name(scene_file)
        session.button(102)  # Load Scene
        session.expect_output("info: Scene was loaded successfully")
        time.sleep(0.3)
        session.press("F12")
        session.expect_output("info: Screenshot saved as korvale-0002.png")
        _, outside = session.screenshot()
        shot = Picture(os.path.join(folder, "korvale-0002.png"), (0, 0))
        if (shot.width, shot.height) != (WIDTH, HEIGHT):
            fail("the screenshot is %dx%d, not the window's %dx%d" % (shot.width, shot.height, WIDTH, HEIGHT))
        check_scene(shot, scene_file, "in the F12 screenshot")
        # Nothing moves without a robot: the world view is as the screen shows it.
        left, top, w, h = VIEW
        for y in range(top, top + h, 7):
            for x in range(left, left + w, 7):
                if shot.at(x, y) != outside.at(x, y):
                    fail("the screenshot differs from the screen at (%d, %d): %s, not %s"
                         % (x, y, shot.at(x, y), outside.at(x, y)))
        session.press("F12")
        session.expect_output("info: Screenshot saved as korvale-0003.png")
        with open(os.path.join(folder, "korvale-0001.png")) as f:
            if f.read() != "keep":
                fail("F12 wrote over a file that was there")
        session.press("Escape")
        if session.process.wait(timeout=10) != 0:
            fail("exit status after the screenshots")
    finally:
        if session.alive():
            session.process.kill()


def main():
    program, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    screenshot_copy = sys.argv[4] if len(sys.argv) > 4 and sys.argv[3] == "--screenshot" else None
    tmp = tempfile.mkdtemp(prefix="korvale-e2e-")
    scene_file = os.path.join(examples, "OpenArena.xml")
    log_file = os.path.join(tmp, "run.log")
    broken_file = os.path.join(tmp, "broken.xml")
    with open(broken_file, "w") as f:
        f.write("<world width='100'><object x='1' </world>")

    session = Session(program, examples, tmp)
    try:
        _, picture = session.screenshot()
        if picture.at(300, 250) != BACKGROUND_VIEW:
            fail("the empty world view is not cleared to dark blue: %s" % (picture.at(300, 250),))

        log("load the scene")
        session.type_file_name(scene_file)
        session.button(102)  # Load Scene
        session.expect_output("info: Scene was loaded successfully")
        time.sleep(0.3)
        _, picture = session.screenshot()
        check_scene(picture, scene_file, "after Load Scene")

        log("load the robot")
        session.type_file_name("Robot.xml")
        session.button(126)  # Load Robot
        session.expect_output("info: Robot was loaded successfully")
        time.sleep(0.3)
        _, picture = session.screenshot()
        view_box = (VIEW[0], VIEW[1], VIEW[0] + VIEW[2], VIEW[1] + VIEW[3])
        start = picture.centroid(view_box, robot_pixels)
        if start is None:
            fail("no robot in the world view")
        world = ET.parse(scene_file).getroot()
        expected = Camera(100, 100).pixel(float(world.get("startX")), float(world.get("startY")))
        if abs(start[0] - expected[0]) > 8 or abs(start[1] - expected[1]) > 8:
            fail("the robot is at %s, not at the start position %s" % (start, expected))

        log("drive forward")
        session.press("Up", 1.5)
        time.sleep(0.2)
        _, picture = session.screenshot()
        moved = picture.centroid(view_box, robot_pixels)
        if moved is None or moved[0] - start[0] < 10:
            fail("the robot did not move forward: from %s to %s" % (start, moved))

        log("start the log")
        session.type_file_name(log_file)
        session.button(318)  # Start Log
        session.expect_output("info: Log was started successfully")
        time.sleep(0.3)
        shot, picture = session.screenshot()
        red = picture.count((18, 58, 60, 78), lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60)
        if red < 10:
            fail("no red REC at (20, 60) while logging (%d red pixels)" % red)
        if screenshot_copy:
            crop = "%dx%d+%d+%d" % (WIDTH, HEIGHT, session.origin[0], session.origin[1])
            run("convert", shot, "-crop", crop, "+repage", screenshot_copy)
        session.press("Up", 1.0)
        session.button(342)  # Stop Log
        session.expect_output("info: Log was stopped successfully")
        time.sleep(0.3)
        _, picture = session.screenshot()
        red = picture.count((18, 58, 60, 78), lambda c: c[0] > 200 and c[1] < 60 and c[2] < 60)
        if red != 0:
            fail("REC still shown after Stop Log")

        with open(log_file) as f:
            lines = f.read().split("\n")
        if lines[-1] != "":
            fail("the log does not end with a line end")
        lines = lines[:-1]
        record = re.compile(r"^(?:[0-9.e+-]{8,} ){8}(?:[01]\.0 ){4}$")
        bad = [l for l in lines if not record.match(l)]
        if bad:
            fail("log lines in the wrong format: %r" % bad[:3])
        # About 1.5 s of logging at up to 60 frames a second of 1/60 s; a
        # busy machine draws fewer frames, so only the order of magnitude is
        # checked here (the record timing has its own tests).
        if not 3 <= len(lines) <= 40:
            fail("%d log lines for about 1.5 seconds of logging" % len(lines))
        if not any(l.split(" ")[8] == "1.0" for l in lines):
            fail("no log line records the forward command while Up was held")
        log("log: %d lines" % len(lines))

        log("load a broken scene")
        _, before = session.screenshot()
        session.type_file_name(broken_file)
        session.button(102)  # Load Scene
        time.sleep(0.5)
        errors = [l for l in session.output().splitlines() if l.startswith("error: ")]
        if not errors:
            fail("no error shown for a broken scene file")
        if not session.alive():
            fail("the program ended after loading a broken file")
        _, picture = session.screenshot()
        check_scene(picture, scene_file, "after the broken file")
        if picture.centroid(view_box, robot_pixels) is None:
            fail("the robot is gone after a scene file that could not be read")

        log("help on F1")
        help_box = (20, HEIGHT - 120, 250, HEIGHT - 45)
        white = lambda c: min(c) > 200
        _, picture = session.screenshot()
        if picture.count(help_box, white) > 0:
            fail("help text shown before F1")
        session.press("F1")
        time.sleep(0.2)
        _, picture = session.screenshot()
        if picture.count(help_box, white) < 100:
            fail("no help text after F1")

        log("quit with ESC while logging")
        second_log = os.path.join(tmp, "second.log")
        session.type_file_name(second_log)
        session.button(318)  # Start Log
        session.expect_output("info: Log was started successfully")
        session.press("Up", 0.8)
        session.press("Escape")
        try:
            status = session.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fail("ESC did not end the program")
        if status != 0:
            fail("exit status %d" % status)
        with open(second_log) as f:
            text = f.read()
        if not text.endswith("\n") or not all(record.match(l) for l in text.split("\n")[:-1]):
            fail("the log running at the end was not closed with whole records: %r" % text[-80:])
    finally:
        if session.alive():
            session.process.kill()
    screenshot_key(program, examples, tmp)
    switch_rasteriser(program, examples, tmp)
    log("PASS")


if __name__ == "__main__":
    main()
