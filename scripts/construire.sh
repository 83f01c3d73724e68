#!/bin/sh
# Configures and builds Cassetron in build/ (the program and its files go to build/bin). Further
# arguments go to CMake's configuration (the tests add -DCASSETRON_WERROR=ON).
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
"$racine/scripts/paquets.sh"
# Ninja for a new build folder (paquets.sh installs it); one already configured keeps its own.
CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"
export CMAKE_GENERATOR
cmake -S "$racine" -B "$racine/build" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$racine/build" -j"$(nproc)"
