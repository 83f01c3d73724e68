#!/bin/sh
# Remakes the pictures of the screens from the program itself: docs/ for the README and the
# documentation, resources/aide/ for the help panels (rebuild afterwards to take them in).
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
"$racine/scripts/construire.sh"
cmake --build "$racine/build" --target Captures
QT_QPA_PLATFORM=offscreen "$racine/build/tools/Captures" "$racine/docs"
for f in moniteur listefilm consultk7 ajoutfilm choixk7 visuk7 menufilm menucassette; do
    cp "$racine/docs/$f.png" "$racine/resources/aide/$f.png"
done
