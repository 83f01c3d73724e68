#!/bin/sh
# Installs what is missing, builds Cassetron and runs every test.
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
"$racine/scripts/construire.sh"
cd "$racine/build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
