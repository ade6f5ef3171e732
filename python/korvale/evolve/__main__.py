"""korvale-evolve: evolves a network file with CMA-ES on Dask distributed (korvale-evolve --help).

The installed command and `python3 -m korvale.evolve` both run this."""
import sys

from korvale.evolve.cli import main

sys.exit(main())
