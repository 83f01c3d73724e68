#!/bin/sh
# Installs the Debian packages Cassetron needs to build, run and be tested, when they are missing.
set -eu
PAQUETS="cmake g++ make ninja-build lld qt6-base-dev qt6-base-private-dev libsqlite3-dev libicu-dev qt6-translations-l10n fonts-liberation2 poppler-utils xvfb xauth"
# "fuzz": also clang and its sanitizer and libFuzzer runtimes, for scripts/fuzz.sh.
if [ "${1:-}" = fuzz ]; then PAQUETS="$PAQUETS clang libclang-rt-14-dev"; fi
# "ecran": also xdotool, which drives the program in scripts/bench_ecran.sh.
if [ "${1:-}" = ecran ]; then PAQUETS="$PAQUETS xdotool"; fi
manquants=""
for p in $PAQUETS; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants="$manquants $p"
done
[ -z "$manquants" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
echo "Installation des paquets :$manquants"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $manquants
