#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR, prefix /usr) as a package would, then runs
# the installed programs: each must find its page template, icon and documents where they were
# installed, with nothing of the build or source tree to fall back on.
#   install_test.sh BUILD_DIR SAMPLE_PHOTO WITH_WINDOW
set -uo pipefail
build=$(cd "$1" && pwd) photo=$2 window=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
source "$(dirname "$0")/checks.sh"

DESTDIR=$stage/root cmake --install "$build" --prefix /usr >"$stage/install.log" 2>&1 || { cat "$stage/install.log"; exit 1; }
root=$stage/root/usr
# The staged tree moved elsewhere: a program finds its files relative to itself, as it would in
# /usr, and never in the build tree (moving proves no path into the staging folder is kept).
mv "$stage/root" "$stage/moved"
root=$stage/moved/usr

for file in bin/kestova-cli libexec/kestova/kestova-worker libexec/kestova/kestova-decoders.so share/kestova/template.html share/kestova/gazetteer.tsv \
            share/kestova/translations/kestova_de.qm \
            share/man/man1/kestova-cli.1.gz \
            share/bash-completion/completions/kestova-cli share/zsh/vendor-completions/_kestova-cli \
            share/fish/vendor_completions.d/kestova-cli.fish share/doc/kestova/copyright share/doc/kestova/changelog.gz; do
  check "installed $file" test -f "$root/$file"
done
if [ "$window" = ON ]; then
  for file in bin/kestova share/applications/kestova.desktop share/metainfo/com.example.Kestova.metainfo.xml \
              share/icons/hicolor/scalable/apps/kestova.svg share/man/man1/kestova.1.gz \
              share/bash-completion/completions/kestova; do
    check "installed $file" test -f "$root/$file"
  done
fi
check "the manual page reads" bash -c "man -l '$root/share/man/man1/kestova-cli.1.gz' 2>/dev/null | grep -q 'EXIT STATUS'"

# A real build with the installed kestova-cli, in a home of its own. The installed template is
# marked, so that the wall shows which copy the program found.
printf '<!-- the installed copy -->\n' >>"$root/share/kestova/template.html"
export HOME=$stage/home XDG_CONFIG_HOME=$stage/home/.config LANG=C.UTF-8
mkdir -p "$HOME" "$stage/photos/trip"
cp "$photo" "$stage/photos/trip/IMG_0001.jpg"
printf 'not a photo' >"$stage/photos/trip/broken.jpg"
out=$("$root/bin/kestova-cli" build "$stage/photos" --out "$stage/wall" 2>"$stage/err")
status=$?
check "installed kestova-cli builds a wall (status $status)" test "$status" -eq 0
check "it prints the result" grep -q '^1 photo ready$' <<<"$out"
check "it names the unreadable file, why and the decoder's words" grep -qE '^  trip/broken.jpg \(damaged, or not a kind of photo Kestova reads — .+\)$' <<<"$out"
check "the wall's page is the installed template" cmp -s "$root/share/kestova/template.html" "$stage/wall/index.html"
check "the wall has its data and thumbnail" bash -c "grep -q IMG_0001 '$stage/wall/manifest.js' && ls '$stage/wall/thumbs'/*/*.jpg >/dev/null"
[ "$status" -eq 0 ] || cat "$stage/err"
# A decoder that crashes takes the installed worker with it, never the run: the program finds
# its worker where it was installed.
cp "$photo" "$stage/photos/trip/IMG_0002.jpg"
out=$(KESTOVA_WORKER_FAULT=segv:IMG_0002.jpg "$root/bin/kestova-cli" build "$stage/photos" --out "$stage/crashed" 2>&1)
status=$?
check "a decoder's crash costs the installed kestova-cli one photo (status $status)" test "$status" -eq 0
check "and it names the photo and why" grep -q '^  trip/IMG_0002.jpg (the decoder crashed on it)$' <<<"$out"
rm "$stage/photos/trip/IMG_0002.jpg"
# The same wall again for a German user: the installed translation is found relative to the
# program, as the template is.
german=(env LANGUAGE=de LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8)
out=$("${german[@]}" "$root/bin/kestova-cli" build "$stage/photos" --out "$stage/wall" 2>&1)
check "installed kestova-cli speaks German" grep -q '^1 Foto bereit$' <<<"$out"
check "and names the unreadable file under a German heading" grep -q '^Diese Datei war nicht lesbar:$' <<<"$out"

# The decoders are a module the program loads when a photo needs them: an update with nothing to
# decode runs without it, and one with a photo to make says what is missing.
mkdir -p "$stage/few"
cp "$photo" "$stage/few/IMG_0001.jpg"
"$root/bin/kestova-cli" build "$stage/few" --out "$stage/few-wall" >/dev/null 2>&1
mv "$root/libexec/kestova/kestova-decoders.so" "$stage/decoders.so"
out=$("$root/bin/kestova-cli" build "$stage/few" --out "$stage/few-wall" 2>&1)
check "an update with nothing to decode needs no decoders" grep -q '^1 photo ready$' <<<"$out"
cp "$photo" "$stage/few/IMG_0002.jpg"
out=$("$root/bin/kestova-cli" build "$stage/few" --out "$stage/few-wall" 2>&1)
status=$?
check "without its decoders a build fails (status $status)" test "$status" -ne 0
check "and says so" grep -q 'The photo decoders are missing from the app (.*kestova-decoders.so.*)\. Please re-download Kestova\.' <<<"$out"
mv "$stage/decoders.so" "$root/libexec/kestova/kestova-decoders.so"
out=$("$root/bin/kestova-cli" build "$stage/few" --out "$stage/few-wall" 2>&1)
check "with them back it makes the photo" grep -q '^2 photos ready$' <<<"$out"

if [ "$window" = ON ]; then
  check "installed kestova answers --version" bash -c "'$root/bin/kestova' --version | grep -q '^kestova '"
  check "installed kestova answers --help in German" \
    bash -c "LANGUAGE=de LC_ALL=de_DE.UTF-8 '$root/bin/kestova' --help | grep -q '^Aufruf: kestova \[ORDNER\]$'"
    check "installed kestova refuses a bad option" bash -c "QT_QPA_PLATFORM=offscreen '$root/bin/kestova' --nonsense 2>/dev/null; test \$? -eq 2"
fi

[ "$failures" -eq 0 ]
