#!/usr/bin/env bash
# The Debian package, the desktop file and the AppStream metadata pass Debian's own checks:
# lintian with no error or warning beyond the explained overrides, desktop-file-validate, and
# appstreamcli validate --strict.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd) version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

check "desktop-file-validate" desktop-file-validate "$source/resources/kestova.desktop"
metainfo=$build/main/ui/com.example.Kestova.metainfo.xml
check "appstreamcli validate --strict" appstreamcli validate --strict --no-net "$metainfo"

# The release notes name this version first, in the metadata and in the package's changelog.
check "the newest AppStream release is $version" \
  bash -c "grep -o '<release version=\"[^\"]*\"' '$metainfo' | head -1 | grep -qx '<release version=\"$version\"'"
check "the newest changelog entry is $version" \
  bash -c "head -1 '$build/resources/doc/changelog' | grep -q '^kestova ($version) '"
# Each screenshot is one that scripts/screenshots takes, under the same name.
for name in $(grep -o 'screenshots/[a-z0-9-]*\.png' "$metainfo" | sed 's|screenshots/||; s|\.png||'); do
  check "screenshot $name is taken by scripts/screenshots" grep -q "QStringLiteral(\"$name\")" "$source/main/ui/states/ScreenStates.cpp"
done

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb | head -1)
check "cpack made a package" test -f "$deb"
dpkg-deb -c "$deb" >"$work/contents"
for file in ./usr/bin/kestova-cli ./usr/libexec/kestova/kestova-worker ./usr/share/man/man1/kestova-cli.1.gz ./usr/share/doc/kestova/copyright \
            ./usr/share/bash-completion/completions/kestova-cli ./usr/share/lintian/overrides/kestova; do
  check "the package holds $file" grep -q " $file\$" "$work/contents"
done
# Every tag of warning severity or worse fails; overridden tags are listed with their reasons.
lintian --fail-on error,warning --display-info --show-overrides "$deb" >"$work/lintian" 2>&1
status=$?
sed 's/^/  lintian: /' "$work/lintian"
check "lintian finds no error or warning" test "$status" -eq 0

[ "$failures" -eq 0 ]
