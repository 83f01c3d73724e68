#!/bin/sh
# Installs into a temporary folder, checks the application folder and the desktop entry, installs
# again over a folder holding a catalogue and posters (they must stay as they are), and starts the
# installed program under the offscreen platform.
set -eu
construction=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dossier="$tmp/Cassetron"
export XDG_DATA_HOME="$tmp/xdg"

cmake --install "$construction" --prefix "$dossier" >/dev/null
for f in Cassetron R7Ozire.Maj NoPicture.jpg cassetron.png cassetron.desktop; do
    [ -e "$dossier/$f" ] || { echo "manque : $f"; exit 1; }
done
entree="$XDG_DATA_HOME/applications/cassetron.desktop"
[ -f "$entree" ] || { echo "pas d'entrée de menu"; exit 1; }
grep -q "^Exec=\"$dossier/Cassetron\"$" "$entree" || { echo "Exec faux"; cat "$entree"; exit 1; }
grep -q "^Icon=$dossier/cassetron.png$" "$entree" || { echo "Icon faux"; exit 1; }
# The desktop ties the windows (WM_CLASS, from the application name) to this entry.
grep -q "^StartupWMClass=Cassetron$" "$entree" || { echo "StartupWMClass faux"; exit 1; }
[ ! -e "$dossier/R7Ozire.mdb" ] || { echo "un catalogue a été installé"; exit 1; }
# One SQLite, the system's: no database driver that could bring a copy of its own.
liens=$(ldd "$dossier/Cassetron")
echo "$liens" | grep -q "libsqlite3\.so" || { echo "libsqlite3 absente"; exit 1; }
if echo "$liens" | grep -q "libQt6Sql"; then echo "Qt SQL est lié"; exit 1; fi

# Over an existing installation: the catalogue and the posters are the user's.
echo "catalogue" > "$dossier/R7Ozire.mdb"
mkdir -p "$dossier/Affiche" && echo "affiche" > "$dossier/Affiche/1.jpg"
cmake --install "$construction" --prefix "$dossier" >/dev/null
[ "$(cat "$dossier/R7Ozire.mdb")" = "catalogue" ] || { echo "catalogue touché"; exit 1; }
[ "$(cat "$dossier/Affiche/1.jpg")" = "affiche" ] || { echo "affiche touchée"; exit 1; }
rm -rf "$dossier/R7Ozire.mdb" "$dossier/Affiche"

# A staged installation (DESTDIR) writes nothing outside it, and its entry names the final folder.
scene="$tmp/scene"
DESTDIR="$scene" cmake --install "$construction" --prefix /opt/Cassetron >/dev/null
[ -x "$scene/opt/Cassetron/Cassetron" ] || { echo "DESTDIR : programme absent"; exit 1; }
entreeScene="$scene$XDG_DATA_HOME/applications/cassetron.desktop"
[ -f "$entreeScene" ] || { echo "DESTDIR : pas d'entrée de menu"; exit 1; }
grep -q '^Exec="/opt/Cassetron/Cassetron"$' "$entreeScene" || { echo "DESTDIR : Exec faux"; exit 1; }
grep -q "^Exec=\"$dossier/Cassetron\"$" "$entree" || { echo "DESTDIR : entrée de l'utilisateur remplacée"; exit 1; }

# The installed program starts and waits on its start-up screen: it has taken its lock and sits in
# its event loop (blocked in poll). Waited for, up to 20 s on a loaded machine.
QT_QPA_PLATFORM=offscreen "$dossier/Cassetron" &
pid=$!
attente() {
    [ -f "$dossier/R7Ozire.verrou" ] || return 1
    canal=$(cat "/proc/$pid/wchan" 2>/dev/null || echo 0)
    case "$canal" in
    *poll*) return 0 ;;
    0) [ "$i" -ge 10 ] ;; # the kernel hides it: alive a second after taking the lock will do
    *) return 1 ;;
    esac
}
i=0
while ! attente && [ $i -lt 200 ] && kill -0 "$pid" 2>/dev/null; do
    sleep 0.1
    i=$((i + 1))
done
kill -0 "$pid" 2>/dev/null || { echo "le programme installé ne démarre pas"; exit 1; }
attente || { kill "$pid"; echo "le programme installé n'attend pas sur son écran d'accueil"; exit 1; }
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "installation ok"
