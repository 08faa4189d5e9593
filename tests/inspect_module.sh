#!/usr/bin/env bash
# Fails when the module or one of its libraries reads the environment or
# carries a test hook (allocation-failure injection, the instruction-set
# ceiling): those are compiled only into the test builds' k7730_test_hooks.
#   inspect_module.sh NM FILE...
set -euo pipefail
nm=$1
shift
forbidden='getenv|GetEnvironmentVariable|FailAllocationAfter|LimitInstructionSet'
status=0
for file in "$@"; do
  symbols=$("$nm" -C "$file") || { echo "FAIL: $nm cannot read $file"; exit 1; }
  # A file without a symbol table would pass without proving anything.
  if [ "$(wc -l <<<"$symbols")" -lt 10 ]; then
    echo "FAIL: $file has no symbol table to inspect"
    status=1
  elif found=$(grep -E "$forbidden" <<<"$symbols"); then
    echo "FAIL: $file:"
    echo "$found"
    status=1
  else
    echo "clean: $file"
  fi
done
exit $status
