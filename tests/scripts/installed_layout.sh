#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the installation elsewhere, and builds a
# wall with the moved kestova-cli: the program finds its page template and translations in
# <prefix>/share/kestova relative to itself, and carries no folder of the source tree.
#   installed_layout.sh BUILD_DIR SOURCE_DIR PHOTO
set -euo pipefail
build=$1 source=$2 photo=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
[ -f "$work/moved/share/kestova/template.html" ] || { echo "no template in share/kestova"; exit 1; }
# The translations too, found from the moved program.
help=$(LANGUAGE=de LC_ALL=de_DE.UTF-8 "$work/moved/bin/kestova-cli" --help)
grep -q '^Aufruf: kestova-cli BEFEHL' <<<"$help" || { echo "the moved kestova-cli does not find its German translation"; exit 1; }

if strings "$work/moved/bin/kestova-cli" | grep -qF "$source/resources"; then
  echo "kestova-cli names the source tree's resources folder"
  exit 1
fi

# The model records the wall among the recent ones: in a home of its own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME" "$work/src"
cp "$photo" "$work/src/"
"$work/moved/bin/kestova-cli" build "$work/src" --out "$work/wall" >/dev/null
cmp "$work/wall/index.html" "$build/resources/template.html"
[ -f "$work/wall/manifest.js" ] || { echo "no manifest.js"; exit 1; }
echo "installed layout: template found, wall written"
