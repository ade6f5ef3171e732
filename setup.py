"""The korvale package for pip: the sources of python/korvale and the
extension module, which scikit-build makes with CMake (the libraries and the
module alone; CMakeLists.txt knows SKBUILD). The metadata and the commands
are in pyproject.toml."""
from skbuild import setup

setup(
    packages=["korvale", "korvale.train", "korvale.batch", "korvale.evolve"],
    package_dir={"": "python"},
    cmake_install_dir="python/korvale",
    # The build type of scripts/build.sh: the module computes what the programs do.
    cmake_args=["-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
)
