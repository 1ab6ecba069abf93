#!/usr/bin/env bash
# Installs the program's desktop files for the whole system: the desktop entry
# (scores and NIFF files open with the program), the MIME package with both types,
# and the hicolor icons, then brings the desktop's databases up to date. The
# program installs the same files for one user at start when the system has none.
# Usage: scripts/install-desktop.sh [--data DIR] [--exec PROGRAM]
#   --data DIR      the data folder to install into (default /usr/local/share)
#   --exec PROGRAM  the program the entry starts (default: quaverline, found on PATH)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source_dir=$top/data/desktop
data=/usr/local/share
exec_program=quaverline
while [ $# -gt 0 ]; do
  case $1 in
    --data) data=$2; shift 2 ;;
    --exec) exec_program=$2; shift 2 ;;
    *) echo "usage: $0 [--data DIR] [--exec PROGRAM]" >&2; exit 2 ;;
  esac
done
# The entry's Exec key: a path with blanks or quotes is quoted as desktop entries
# quote arguments (the program writes its own entry the same way).
case $exec_program in
  *[!A-Za-z0-9/._+,-]*)
    quoted=$(printf '%s' "$exec_program" | sed -e 's/[\\"`$]/\\&/g')
    exec_key=$(printf '"%s"' "$quoted" | sed -e 's/\\/\\\\/g' -e 's/%/%%/g') ;;
  *) exec_key=$exec_program ;;
esac
install -d "$data/applications" "$data/mime/packages"
escaped=$(printf '%s' "$exec_key" | sed -e 's/[&|\\]/\\&/g')
sed -e "s|@EXEC@|$escaped|" "$source_dir/quaverline.desktop.in" > "$data/applications/quaverline.desktop"
chmod 644 "$data/applications/quaverline.desktop"
install -m 644 "$source_dir/quaverline.xml" "$data/mime/packages/quaverline.xml"
(cd "$source_dir" && find icons -type f -name '*.svg') | while read -r icon; do
  install -D -m 644 "$source_dir/$icon" "$data/$icon"
done
if command -v update-mime-database >/dev/null; then update-mime-database "$data/mime"; fi
if command -v update-desktop-database >/dev/null; then update-desktop-database "$data/applications"; fi
if command -v gtk-update-icon-cache >/dev/null && [ -f "$data/icons/hicolor/index.theme" ]; then
  gtk-update-icon-cache -q "$data/icons/hicolor" || true
fi
echo "installed the desktop files into $data"
