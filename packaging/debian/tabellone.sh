#!/bin/sh
# The packaged game's launcher: runs the game in the user's records folder,
# with the installed datafiles linked there, so that an update of the package
# brings new datafiles and never touches the records.
set -eu

# Paths follow from where the launcher lies (/usr/games), so a package
# unpacked into another root runs the same way.
prefix=$(dirname "$(dirname "$(readlink -f "$0")")")
game="$prefix/libexec/tabellone/tabellone"
datafiles="$prefix/share/games/tabellone"
records="${XDG_DATA_HOME:-$HOME/.local/share}/tabellone"
autostart="${XDG_CONFIG_HOME:-$HOME/.config}/autostart"
menu_entry="$prefix/share/applications/tabellone.desktop"

case "${1-}" in
"") ;;
--cartella)
    echo "$records"
    exit 0
    ;;
--avvio-automatico)
    mkdir -p "$autostart"
    ln -sfn "$menu_entry" "$autostart/tabellone.desktop"
    echo "Tabellone partirà all'avvio della sessione ($autostart/tabellone.desktop)."
    exit 0
    ;;
--niente-avvio-automatico)
    rm -f "$autostart/tabellone.desktop"
    echo "Tabellone non partirà più all'avvio della sessione."
    exit 0
    ;;
*)
    echo "Uso: tabellone [--cartella | --avvio-automatico | --niente-avvio-automatico]" >&2
    exit 2
    ;;
esac

mkdir -p "$records"
# A datafile the shop put there itself (a regular file) is kept; a missing
# one or a link is pointed at the installed copy.
for installed in "$datafiles"/*.dat; do
    here="$records/$(basename "$installed")"
    if [ -L "$here" ] || [ ! -e "$here" ]; then
        ln -sfn "$installed" "$here"
    fi
done

echo "Tabellone: i registri delle giocate sono nella cartella $records"
cd "$records"
exec "$game"
