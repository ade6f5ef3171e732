"""korvale-train: learns a network file from run logs (korvale-train --help).

The installed command and `python3 -m korvale.train` both run this."""
import sys

from korvale.train.cli import main

# Worker processes started by spawning import this module again, as
# __mp_main__: only the program itself runs.
if __name__ == "__main__":
    sys.exit(main())
