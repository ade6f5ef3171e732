"""korvale-evolve: evolves a network file with CMA-ES on Dask distributed (korvale-evolve --help).

The installed command and `python3 -m korvale.evolve` both run this."""
import sys

from korvale.evolve.cli import main

# Worker processes started by spawning import this module again, as
# __mp_main__: only the program itself runs.
if __name__ == "__main__":
    sys.exit(main())
