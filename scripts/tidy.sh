#!/bin/sh
# Runs clang-tidy (checks in .clang-tidy) over the program's own code, catalogue/ and screens/,
# with the compile commands of build/ (./scripts/construire.sh first). Exits non-zero on any
# warning. Not part of the tests: it takes several minutes on two cores.
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
cd "$racine"
# The build's precompiled headers are GCC's, which clang cannot read: each file is checked with
# its own includes only.
commandes=$(mktemp -d)
trap 'rm -rf "$commandes"' EXIT
sed -e 's/ -Winvalid-pch//g' -e 's/ -include [^ ]*cmake_pch\.hxx//g' build/compile_commands.json \
    >"$commandes/compile_commands.json"
sortie=$(ls catalogue/*.cpp screens/*/*.cpp | xargs -P"$(nproc)" -n4 clang-tidy -p "$commandes" --quiet 2>/dev/null || true)
if echo "$sortie" | grep -q "warning:"; then
    echo "$sortie"
    exit 1
fi
echo "clang-tidy : aucun avertissement"
