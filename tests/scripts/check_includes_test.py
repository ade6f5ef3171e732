#!/usr/bin/python3
"""scripts/check-includes.py on small trees made for each case."""

import pathlib
import subprocess
import sys
import tempfile
import textwrap
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parent.parent.parent / "scripts" / "check-includes.py"


class CheckIncludes(unittest.TestCase):
    def run_on(self, files):
        with tempfile.TemporaryDirectory() as root:
            for name, text in files.items():
                path = pathlib.Path(root, name)
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_text(textwrap.dedent(text))
            done = subprocess.run([sys.executable, str(SCRIPT), "--root", root], capture_output=True, text=True)
            return done.returncode, done.stdout

    # low <- mid <- top, and a support library that links top privately.
    LAYERS = {
        "low/CMakeLists.txt": "korvale_library(korvale_low)\n",
        "mid/CMakeLists.txt": "korvale_library(korvale_mid DEPENDS korvale_low)\n",
        "top/CMakeLists.txt": "korvale_library(korvale_top DEPENDS korvale_mid EXCLUDE main.cpp)\n",
        "support/CMakeLists.txt": textwrap.dedent("""\
            add_library(korvale_support STATIC Support.cpp)
            target_link_libraries(korvale_support PRIVATE korvale_top)
            korvale_folder_includes(korvale_support support)
            """),
        "tests/CMakeLists.txt": "korvale_tests(mid LIBS korvale_mid korvale_support)\n",
        "low/Low.h": "#pragma once\n",
        "support/Support.cpp": '#include "top/Top.h"\n',
    }

    def test_includes_of_the_own_folder_and_the_layers_below_pass(self):
        status, out = self.run_on(self.LAYERS | {
            "mid/Mid.cpp": '#include "mid/Mid.h"\n#include "low/Low.h"\n#include <vector>\n#include "Local.h"\n',
            "top/main.cpp": '#include "low/Low.h"\n',
            "tests/mid/MidTest.cpp": '#include "mid/Mid.h"\n#include "support/Support.h"\n',
        })
        self.assertEqual((status, out), (0, ""))

    def test_an_include_from_above_names_file_line_and_what_the_folder_may_use(self):
        status, out = self.run_on(self.LAYERS | {"mid/Mid.cpp": '// a comment\n#include "top/Top.h"\n'})
        self.assertEqual(status, 1)
        self.assertIn('mid/Mid.cpp:2: includes "top/Top.h" from top/, which mid/ may not use '
                      '(it may use low/, mid/)', out)

    def test_a_private_link_of_the_support_library_is_not_the_tests_to_use(self):
        status, out = self.run_on(self.LAYERS | {"tests/mid/MidTest.cpp": '#include "top/Top.h"\n'})
        self.assertEqual(status, 1)
        self.assertIn("tests/mid/MidTest.cpp:1:", out)

    def test_libraries_linking_in_a_circle_are_refused(self):
        status, out = self.run_on(self.LAYERS | {
            "low/CMakeLists.txt": "korvale_library(korvale_low DEPENDS korvale_mid)\n",
        })
        self.assertEqual(status, 1)
        self.assertIn("link in a circle: korvale_low -> korvale_mid -> korvale_low", out)


if __name__ == "__main__":
    unittest.main()
