#!/bin/sh
# Installs what is missing, builds Cassetron and starts it.
set -eu
racine=$(cd "$(dirname "$0")/.." && pwd)
"$racine/scripts/construire.sh"
programme="$racine/build/bin/Cassetron"
if [ -x "$programme" ]; then
    exec "$programme" "$@"
fi
echo "Construit. Le programme sera $programme ; ses écrans ne sont pas encore là."
echo "Le catalogue vide livré avec lui est $racine/build/bin/R7Ozire.Maj."
