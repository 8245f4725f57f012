# Sourced by the test scripts: named checks, counted, and the closing line.

passed=0
failed=0

check() {  # check NAME CONDITION...
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
  fi
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Prints "N passed, N failed" and fails when a check did.
finish_checks() {
  echo "$passed passed, $failed failed"
  test "$failed" = 0
}
