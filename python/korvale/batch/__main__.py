"""korvale-batch: runs a sweep file's combinations on Dask distributed (korvale-batch --help).

The installed command and `python3 -m korvale.batch` both run this."""
import sys

from korvale.batch.cli import main

# Worker processes started by spawning import this module again, as
# __mp_main__: only the program itself runs.
if __name__ == "__main__":
    sys.exit(main())
