#!/usr/bin/env bash
# Fails when a translation under translations/ is out of step with the texts in the sources
# (a text added, changed or dropped without scripts/update-translations) or has an unfinished
# entry: every text the programs show must have its translation.
#   translations_complete.sh PROJECT_DIR LUPDATE LRELEASE
set -euo pipefail
project=$1 lupdate=$2 lrelease=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$project"/translations/kestova_*.ts; do
  name=$(basename "$ts")
  cp "$ts" "$work/$name"
  LUPDATE=$lupdate "$project/scripts/update-translations" "$work/$name" >"$work/lupdate.log" 2>&1
  if ! diff -u "$ts" "$work/$name" >"$work/diff"; then
    echo "$name is out of step with the sources; run scripts/update-translations and translate:"
    cat "$work/diff"
    status=1
  fi
  report=$("$lrelease" "$work/$name" -qm "$work/${name%.ts}.qm" 2>&1)
  if ! grep -Eq '\([0-9]+ finished and 0 unfinished\)' <<<"$report" || grep -q 'untranslated' <<<"$report"; then
    echo "$name has texts without a translation:"
    echo "$report"
    grep -B3 'type="unfinished"' "$work/$name" || true
    status=1
  fi
done
exit $status
