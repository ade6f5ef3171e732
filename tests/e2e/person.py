"""A person at the arrow keys, as the window tests simulate one: they watch
where the robot is and hold keys accordingly.

The person sees the arena (walls, and every body as the circle around it),
drives forward while the way ahead is clear, now and then in an arc, turns
left (or right, where that side is clearly freer) when something comes
within reach of the robot's
infrared sensors, and once backs away from an obstacle. At the start the
hand is still on its way to the keys.
"""

import math
import xml.etree.ElementTree as ET

KEYS = ("Up", "Down", "Left", "Right")
IDLE_START = 2.0  # seconds before the first key
TURN_BELOW = 12.0  # the way ahead is blocked: nearer than this, from the robot's centre
CLEAR_ABOVE = 16.0  # turning until the way ahead is this clear
CLEARLY_FREER = 4.0  # the right is this much clearer than the left: turn right, else left
REVERSE_AT = 35.0  # the one reverse comes at the first obstacle from this time on
REVERSE_FOR = 1.0
ARC_EVERY = 7.0  # seconds of driving between arcs
ARC_FOR = 1.5


class Arena:
    """Walls and bodies of a scene file, each body as its enclosing circle."""

    def __init__(self, scene_file):
        world = ET.parse(scene_file).getroot()
        self.width, self.height = float(world.get("width")), float(world.get("height"))
        self.start = (float(world.get("startX", 0)), float(world.get("startY", 0)))
        self.circles = []
        for body in world.findall("object"):
            x, y = float(body.get("x")), float(body.get("y"))
            if body.get("r") is not None:
                radius = float(body.get("r"))
            else:
                values = [float(v) for v in body.find("polygone").text.split()]
                radius = max(math.hypot(values[i], values[i + 1]) for i in range(0, len(values), 2))
            self.circles.append((x, y, radius))

    def clearance(self, x, y, heading):
        """How far the robot's centre can go along `heading` (radians) before
        it meets a wall or a body's circle."""
        dx, dy = math.cos(heading), math.sin(heading)
        distances = []
        for limit, position, step in ((self.width, x, dx), (self.height, y, dy)):
            if step > 1e-9:
                distances.append((limit - position) / step)
            elif step < -1e-9:
                distances.append(-position / step)
        for cx, cy, radius in self.circles:
            # Where the ray comes nearest the centre, and whether it enters the circle.
            along = (cx - x) * dx + (cy - y) * dy
            miss = abs((cx - x) * dy - (cy - y) * dx)
            if along > 0 and miss < radius:
                distances.append(along - math.sqrt(radius * radius - miss * miss))
        return max(0.0, min(distances))

    def view(self, x, y, angle):
        """The clearance straight ahead (the least over a narrow cone) and to
        the left and right of it."""
        ahead = min(self.clearance(x, y, angle + math.radians(a)) for a in (-25, -12, 0, 12, 25))
        left = min(self.clearance(x, y, angle + math.radians(a)) for a in (40, 70))
        right = min(self.clearance(x, y, angle - math.radians(a)) for a in (40, 70))
        return ahead, left, right


class Person:
    """Decides which keys to hold from where the robot is; keys() takes the
    simulated time and the pose, and gives the set of keys to hold."""

    def __init__(self, arena):
        self.arena = arena
        self.turning = None
        self.reversed = False
        self.reverse_until = None
        self.backing = "Left"
        self.driven = 0.0  # seconds of driving forward since the last arc
        self.arcs = 0
        self.arc_until = None
        self.last_time = 0.0

    def keys(self, time, x, y, angle):
        step, self.last_time = time - self.last_time, time
        if time < IDLE_START:
            return set()
        ahead, left, right = self.arena.view(x, y, angle)
        if self.reverse_until is not None:
            if time < self.reverse_until:
                return {"Down", self.backing}
            self.reverse_until = None
        if ahead < TURN_BELOW and not self.reversed and time >= REVERSE_AT:
            # Backing away, steering the tail towards the freer side.
            self.reversed = True
            self.turning = self.arc_until = None
            self.reverse_until = time + REVERSE_FOR
            self.backing = "Right" if left > right else "Left"
            return {"Down", self.backing}
        if self.turning is not None:
            if ahead < CLEAR_ABOVE:
                return {self.turning}
            self.turning = None
        if ahead < TURN_BELOW:
            self.arc_until = None
            # Like most people, they have a side they turn to when neither
            # is clearly freer.
            self.turning = "Right" if right > left + CLEARLY_FREER else "Left"
            return {self.turning}
        if self.arc_until is not None:
            if time < self.arc_until:
                return {"Up", "Left" if self.arcs % 2 else "Right"}
            self.arc_until = None
        self.driven += step
        if self.driven >= ARC_EVERY:
            self.driven = 0.0
            self.arcs += 1
            self.arc_until = time + ARC_FOR
        return {"Up"}
