# The shipping tests' way of reporting: a line per check, "ok" or "FAIL", and a failing status
# at the end when any check failed. Sourced by the test scripts.
failures=0
check() { # NAME COMMAND…
  local name=$1; shift
  if "$@"; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}
