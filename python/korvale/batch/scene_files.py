"""The files a scene names for its own robots, carried to the workers.

A scene's robot and robots elements name robot files and networks relative
to the scene's folder. Workers need not share the client's folders, so the
client reads those files too and the worker writes them beside its copy of
the scene, at the same relative places.
"""

import os
import posixpath
import xml.etree.ElementTree as ElementTree

ROBOT_ELEMENTS = ("robot", "robots")
FILE_ATTRIBUTES = ("file", "network")


def named_files(scene):
    """The relative names the scene's robot and robots elements give (their
    file and network), in file order, each once. scene: the scene file's
    bytes. None named, or a scene that does not read as XML, gives [] (the
    worker's load then says what is wrong)."""
    try:
        root = ElementTree.fromstring(scene)
    except (ElementTree.ParseError, ValueError):
        return []
    names = []
    for element in root:
        if element.tag not in ROBOT_ELEMENTS:
            continue
        for attribute in FILE_ATTRIBUTES:
            name = element.get(attribute)
            if name and not os.path.isabs(name) and name not in names:
                names.append(name)
    return names


def depth_above(names):
    """How many folders above the scene's the names reach ("../x.xml": 1)."""
    deepest = 0
    for name in names:
        parts = posixpath.normpath(name.replace(os.sep, "/")).split("/")
        deepest = max(deepest, sum(1 for part in parts if part == ".."))
    return deepest
