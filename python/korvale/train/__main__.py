"""korvale-train: learns a network file from run logs (korvale-train --help).

The installed command and `python3 -m korvale.train` both run this."""
import sys

from korvale.train.cli import main

sys.exit(main())
