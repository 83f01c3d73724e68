#!/bin/sh
# What the user sees, timed from outside: installs what is missing (with xdotool), builds the
# program and the benchmark in build/, and runs it on a private X server. Arguments go to
# bench_ecran: --tours N, --pause ÉTAPE, --captures DOSSIER, --trace, 500|20000|100000.
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
"$racine/scripts/paquets.sh" ecran
cmake -S "$racine" -B "$racine/build" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" \
    -DCASSETRON_BANCS=ON >/dev/null
cmake --build "$racine/build" -j"$(nproc)" --target bench_ecran
exec "$racine/build/bench/bench_ecran" "$@"
