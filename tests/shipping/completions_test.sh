#!/usr/bin/env bash
# The shell completions, run in each shell as it would load them: what a user gets after typing
# a few letters and pressing Tab.
#   completions_test.sh COMPLETIONS_DIR
set -uo pipefail
dir=$(cd "$1" && pwd)
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Photos" "$work/Pictures" "$work/notes.txt.d"
touch "$work/photo.jpg"
cd "$work"

expect() { # NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1"; echo "  expected: $2"; echo "  got:      $3"
    failures=$((failures + 1))
  fi
}

# bash: bash-completion's own loader first, as an interactive shell has it.
bash_complete() { # SCRIPT FUNCTION WORDS…
  local script=$1 function=$2
  shift 2
  bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"; function=$2; shift 2
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    ((${#COMPREPLY[@]})) && printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$script" "$function" "$@"
}
if [ -f /usr/share/bash-completion/bash_completion ]; then
  expect "bash: commands" "build " "$(bash_complete "$dir/kestova-cli.bash" _kestova_cli kestova-cli b)"
  expect "bash: first word" "--help --version build scan walls " "$(bash_complete "$dir/kestova-cli.bash" _kestova_cli kestova-cli '')"
  expect "bash: build options" "--help --json --no-dedupe --no-portable --open --out --portable --previews --retry-skipped --title --video-copies --wait " \
    "$(bash_complete "$dir/kestova-cli.bash" _kestova_cli kestova-cli build --)"
  expect "bash: SOURCE is a folder" "Photos Pictures " "$(bash_complete "$dir/kestova-cli.bash" _kestova_cli kestova-cli build P)"
  expect "bash: --out takes a folder" "notes.txt.d " \
    "$(bash_complete "$dir/kestova-cli.bash" _kestova_cli kestova-cli build Photos --out n)"
  expect "bash: a title is free text" "" "$(bash_complete "$dir/kestova-cli.bash" _kestova_cli kestova-cli build Photos --title P)"
  expect "bash: walls has only options" "--help --json " "$(bash_complete "$dir/kestova-cli.bash" _kestova_cli kestova-cli walls '')"
  expect "bash: the window takes a folder" "Photos Pictures " "$(bash_complete "$dir/kestova.bash" _kestova kestova P)"
  expect "bash: the window's options" "--help --version " "$(bash_complete "$dir/kestova.bash" _kestova kestova --)"
else
  echo "FAIL bash-completion is not installed (scripts/setup installs it)"; failures=$((failures + 1))
fi

# fish: its own completion engine answers `complete -C`.
fish_complete() { # SCRIPT LINE
  fish --no-config -c "source '$1'; complete -C '$2'" | cut -f1 | sort | tr "\n" " "
}
if command -v fish >/dev/null; then
  expect "fish: commands" "build " "$(fish_complete "$dir/kestova-cli.fish" 'kestova-cli b')"
  expect "fish: build options" "--help --json --no-dedupe --no-portable --open --out --portable --previews --retry-skipped --title --video-copies --wait " \
    "$(fish_complete "$dir/kestova-cli.fish" 'kestova-cli build --')"
  expect "fish: SOURCE is a folder" "Photos/ Pictures/ " "$(fish_complete "$dir/kestova-cli.fish" 'kestova-cli build P')"
  expect "fish: walls options" "--help --json " "$(fish_complete "$dir/kestova-cli.fish" 'kestova-cli walls --')"
  expect "fish: the window takes a folder" "Photos/ Pictures/ " "$(fish_complete "$dir/kestova.fish" 'kestova P')"
else
  echo "FAIL fish is not installed (scripts/setup installs it)"; failures=$((failures + 1))
fi

# zsh: the scripts parse, and compinit registers them for their commands.
if command -v zsh >/dev/null; then
  for script in _kestova-cli _kestova; do
    if zsh -n "$dir/$script"; then echo "ok   zsh: $script parses"; else echo "FAIL zsh: $script"; failures=$((failures + 1)); fi
  done
  registered=$(zsh -f -c "fpath=('$dir' \$fpath); autoload -U compinit; compinit -u -D; print -r -- \$_comps[kestova-cli] \$_comps[kestova]")
  expect "zsh: compinit registers both" "_kestova-cli _kestova" "$registered"
else
  echo "FAIL zsh is not installed (scripts/setup installs it)"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
