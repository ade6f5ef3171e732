#!/usr/bin/python3
"""Writes Swarm1000.xml: the arena of Swarm.xml (Crowded.xml and 20 robots
running AvoidObstacles) grown to 1000 robots at the same density.

The arena is Crowded.xml's 100 x 100 laid out 7 x 7 times and widened to
707 x 707, 50 times Swarm.xml's area for 50 times its robots; the bodies are
Crowded.xml's, repeated in every tile. The robots' places are drawn when the
scene loads, from the seed in the file.

Usage: examples/make_swarm.py [FOLDER]   (default: the folder of this script)
"""
import os
import re
import sys

TILES = 7
TILE = 100.0
SIDE = 707
ROBOTS = 1000


def number(x):
    """The shortest text of a coordinate: 12.0 as 12, 12.5 as 12.5."""
    return ("%.6f" % x).rstrip("0").rstrip(".")


def tiled_objects(crowded):
    """Each object element of Crowded.xml, once per tile, moved into it."""
    objects = re.findall(r"  <object .*?(?:/>|</object>)\n", crowded, re.S)
    lines = []
    for row in range(TILES):
        for column in range(TILES):
            for element in objects:
                def shift(match, by):
                    return '%s="%s"' % (match.group(1), number(float(match.group(2)) + by))
                moved = re.sub(r'\b(x)="([^"]+)"', lambda m: shift(m, column * TILE), element, count=1)
                moved = re.sub(r'\b(y)="([^"]+)"', lambda m: shift(m, row * TILE), moved, count=1)
                lines.append(moved)
    return "".join(lines)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "Crowded.xml"), encoding="utf-8") as source:
        crowded = source.read()
    text = '<world width="%d" height="%d" startX="12" startY="12">\n' % (SIDE, SIDE)
    text += tiled_objects(crowded)
    text += '  <robots file="Robot.xml" count="%d" seed="1" network="AvoidObstacles.xml"/>\n' % ROBOTS
    text += "</world>\n"
    with open(os.path.join(folder, "Swarm1000.xml"), "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    main()
