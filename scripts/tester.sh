#!/bin/sh
# Installs what is missing, builds Cassetron and runs every test; then builds it again in
# build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test there too;
# then runs the fuzz targets side by side for 10 seconds. Every build stops on any compiler warning.
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
# Ninja (installed by paquets.sh) for new build folders: it starts a target's files without
# waiting for the libraries it links; a folder already configured keeps its generator.
CMAKE_GENERATOR="${CMAKE_GENERATOR:-Ninja}"
export CMAKE_GENERATOR
# Line tables only (-g1): enough for a backtrace, and a fifth less compile time than full
# debug information.
"$racine/scripts/construire.sh" -DCASSETRON_WERROR=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cd "$racine/build"
ctest --output-on-failure -j"$(nproc)" --timeout 600

# -O1 keeps the sanitizer build and its run short; assertions stay on; -g1 still gives the
# reports their file and line. The benchmarks are left out.
asan="$racine/build-asan"
cmake -S "$racine" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCASSETRON_SANITISEURS=ON -DCASSETRON_BANCS=OFF -DCASSETRON_WERROR=ON >/dev/null
cmake --build "$asan" -j"$(nproc)"
# Through the environment, so that every test and every process a test starts picks them up.
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS UBSAN_OPTIONS
cd "$asan"
# The first run here orders the tests by their times in build/, longest first, so that the
# crash harness does not start last and run alone.
if [ ! -f Testing/Temporary/CTestCostData.txt ] && [ -f "$racine/build/Testing/Temporary/CTestCostData.txt" ]; then
    mkdir -p Testing/Temporary
    cp "$racine/build/Testing/Temporary/CTestCostData.txt" Testing/Temporary/
fi
ctest --output-on-failure -j"$(nproc)" --timeout 900

# A short run of each fuzz target over its seed corpus; longer runs: scripts/fuzz.sh SECONDS.
"$racine/scripts/fuzz.sh" 10
