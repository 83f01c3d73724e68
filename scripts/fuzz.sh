#!/bin/sh
# Builds the catalogue engine's libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then runs them side by side, each for the given
# number of seconds (20 by default) from a copy of its seed corpus in fuzz/corpus/. Exits
# non-zero when any target finds a fault; the input that shows it is left in
# build-fuzz/trouvailles/.
set -eu
secondes="${1:-20}"
racine=$(cd "$(dirname "$0")/.." && pwd)
construction="$racine/build-fuzz"
"$racine/scripts/paquets.sh" fuzz

# -O1 and line tables only: quicker to compile than -O2 -g, and the reports keep their
# file and line.
CC=clang CXX=clang++ CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}" cmake -S "$racine/fuzz" -B "$construction" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$construction" -j"${CASSETRON_FUZZ_JOBS:-$(nproc)}"

# The longest input each target reads: a film file, a query, a record with its steps.
longueur() {
    case "$1" in
    fuzz_fichierfilm) echo 4096 ;;
    fuzz_sql) echo 1024 ;;
    *) echo 2048 ;;
    esac
}

trouvailles="$construction/trouvailles"
mkdir -p "$trouvailles"
# The targets run side by side, each for the given time; each one's report follows when all are
# done.
for cible in fuzz_fichierfilm fuzz_sql fuzz_status; do
    corpus="$construction/corpus/$cible"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$racine/fuzz/corpus/${cible#fuzz_}/"* "$corpus/"
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QT_QPA_PLATFORM=offscreen \
        "$construction/$cible" -max_total_time="$secondes" -max_len="$(longueur "$cible")" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$trouvailles/$cible-" \
        "$corpus" >"$construction/$cible.journal" 2>&1 &
    eval "pid_$cible=$!"
done
statut=0
for cible in fuzz_fichierfilm fuzz_sql fuzz_status; do
    eval "pid=\$pid_$cible"
    code=0
    wait "$pid" || code=$?
    echo "== $cible, $secondes s"
    cat "$construction/$cible.journal"
    if [ "$code" -ne 0 ]; then
        echo "** $cible : trouvaille, voir $trouvailles" >&2
        statut=1
    fi
done
exit $statut
