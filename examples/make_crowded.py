#!/usr/bin/python3
"""Writes the crowded example scenes, Crowded1000.xml and Crowded10000.xml.

Each is a square arena cut into rooms of 50 x 50 by fixed wall segments, one
doorway in every wall, with movable discs and polygons (and a few fixed
pillars) spread over the rooms without touching. The robot starts in the
middle of the first room, which is kept clear around the start point. The
same script always writes the same files: its random numbers come from a
small generator of its own.

Usage: examples/make_crowded.py [FOLDER]   (default: the folder of this script)
"""
import math
import os
import sys

ROOM = 50.0          # side of a room
DOOR = 12.0          # width of a doorway, room enough for the example robot
WALL = 1.5           # thickness of a wall
SEGMENT = 10.0       # longest wall segment, so that bounding circles stay small
CLEAR = 9.0          # free radius around the start point


class Dice:
    """xorshift64*: the same numbers on every Python."""

    def __init__(self, seed):
        self.state = seed or 1

    def unit(self):
        x = self.state
        x ^= (x >> 12)
        x ^= (x << 25) & 0xFFFFFFFFFFFFFFFF
        x ^= (x >> 27)
        self.state = x
        return ((x * 0x2545F4914F6CDD1D) & 0xFFFFFFFFFFFFFFFF) / 2.0 ** 64

    def between(self, low, high):
        return low + (high - low) * self.unit()

    def below(self, count):
        return min(int(self.unit() * count), count - 1)


def number(x):
    text = f"{x:.3f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def polygon_text(points):
    return " ".join(f"{number(x)} {number(y)}" for x, y in points)


def wall_pieces(start, end, door_at):
    """The wall from start to end (one coordinate) minus a doorway, as pieces."""
    pieces = [(start, door_at - DOOR / 2), (door_at + DOOR / 2, end)]
    result = []
    for a, b in pieces:
        length = b - a
        count = max(1, math.ceil(length / SEGMENT))
        for k in range(count):
            result.append((a + length * k / count, a + length * (k + 1) / count))
    return result


def walls(rooms, dice):
    """Fixed bars along the inner room borders: (x, y, half length, along x)."""
    bars = []
    side = rooms * ROOM
    for line in range(1, rooms):
        for cell in range(rooms):
            for horizontal in (True, False):
                start = cell * ROOM
                door = start + dice.between(DOOR, ROOM - DOOR)
                for a, b in wall_pieces(start, start + ROOM, door):
                    middle = (a + b) / 2
                    if horizontal:
                        bars.append((middle, line * ROOM, (b - a) / 2, True))
                    else:
                        bars.append((line * ROOM, middle, (b - a) / 2, False))
    assert all(0 < x < side and 0 < y < side for x, y, _, _ in bars)
    return bars


def shapes(count, rooms, start, dice):
    """Bodies spread over the rooms, none touching another or a wall."""
    bodies = []
    per_room = [[] for _ in range(rooms * rooms)]
    margin = WALL / 2 + 0.5
    while len(bodies) < count:
        room = len(bodies) % (rooms * rooms)
        rx, ry = room % rooms, room // rooms
        kind = dice.below(10)
        size = dice.between(0.8, 2.2)
        x = dice.between(rx * ROOM + margin + size, (rx + 1) * ROOM - margin - size)
        y = dice.between(ry * ROOM + margin + size, (ry + 1) * ROOM - margin - size)
        if math.hypot(x - start[0], y - start[1]) < CLEAR + size:
            continue
        if any(math.hypot(x - bx, y - by) < size + bs + 0.6 for bx, by, bs in per_room[room]):
            continue
        per_room[room].append((x, y, size))
        fixed = dice.unit() < 0.12
        colour = "#%02x%02x%02x" % (dice.below(200) + 40, dice.below(200) + 40, dice.below(200) + 40)
        mass = None if fixed else dice.between(0.3, 3.0)
        angle = dice.between(0, 360)
        if kind < 5:
            bodies.append(("disc", x, y, size, mass, colour, angle))
        else:
            corners = (3, 4, 4, 5, 6)[kind - 5]
            bodies.append(("polygon", x, y, size, mass, colour, angle, corners))
    return bodies


def scene(total, rooms, seed):
    dice = Dice(seed)
    side = rooms * ROOM
    start = (ROOM / 2, ROOM / 2)
    bars = walls(rooms, dice)
    bodies = shapes(total - len(bars), rooms, start, dice)
    lines = [f'<world width="{number(side)}" height="{number(side)}" startX="{number(start[0])}" '
             f'startY="{number(start[1])}">']
    for x, y, half, horizontal in bars:
        hx, hy = (half, WALL / 2) if horizontal else (WALL / 2, half)
        lines.append(f'  <object x="{number(x)}" y="{number(y)}" color="dimgray">')
        lines.append(f'    <polygone m="4">{polygon_text([(-hx, -hy), (hx, -hy), (hx, hy), (-hx, hy)])}</polygone>')
        lines.append('  </object>')
    for body in bodies:
        kind, x, y, size, mass, colour, angle = body[:7]
        attributes = f'x="{number(x)}" y="{number(y)}"'
        if mass is not None:
            attributes += f' mass="{number(mass)}"'
        if kind == "disc":
            lines.append(f'  <object {attributes} r="{number(size)}" color="{colour}"/>')
            continue
        corners = body[7]
        points = [(size * math.cos(2 * math.pi * k / corners), size * math.sin(2 * math.pi * k / corners))
                  for k in range(corners)]
        lines.append(f'  <object {attributes} angle="{number(angle)}" color="{colour}">')
        lines.append(f'    <polygone m="{corners}">{polygon_text(points)}</polygone>')
        lines.append('  </object>')
    lines.append('</world>')
    assert len(bars) + len(bodies) == total
    return "\n".join(lines) + "\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for total, rooms, seed in ((1000, 6, 1000), (10000, 20, 10000)):
        path = os.path.join(folder, f"Crowded{total}.xml")
        with open(path, "w", encoding="utf-8", newline="\n") as out:
            out.write(scene(total, rooms, seed))


if __name__ == "__main__":
    main()
