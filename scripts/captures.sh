#!/bin/sh
# Remakes the pictures of the screens from the program itself: docs/ for the README and the
# documentation, resources/aide/ for the help panels (rebuild afterwards to take them in).
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
"$racine/scripts/construire.sh"
cmake --build "$racine/build" --target Captures
QT_QPA_PLATFORM=offscreen "$racine/build/tools/Captures" "$racine/docs"
# A sheet of labels as it prints: the picture of its PDF's first page.
pdftoppm -png -r 60 -singlefile "$racine/docs/etiquettes.pdf" "$racine/docs/etiquettes"
rm "$racine/docs/etiquettes.pdf"
# The same screens at twice the scale, as on a high-density display.
mkdir -p "$racine/docs/echelle2"
tmp=$(mktemp -d)
QT_SCALE_FACTOR=2 QT_QPA_PLATFORM=offscreen "$racine/build/tools/Captures" "$tmp"
for f in moniteur choixk7 ajoutfilm aide-1; do cp "$tmp/$f.png" "$racine/docs/echelle2/$f.png"; done
rm -rf "$tmp"
for f in moniteur listefilm consultk7 ajoutfilm choixk7 visuk7 menufilm menucassette; do
    cp "$racine/docs/$f.png" "$racine/resources/aide/$f.png"
done
