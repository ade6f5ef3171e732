"""korvale-batch: runs a sweep file's combinations on Dask distributed (korvale-batch --help).

The installed command and `python3 -m korvale.batch` both run this."""
import sys

from korvale.batch.cli import main

sys.exit(main())
