#!/usr/bin/env bash
# Reads a DLL's tables with objdump:
#   inspect_dll.sh exports OBJDUMP DLL LIST  the export table is exactly LIST
#   inspect_dll.sh imports OBJDUMP DLL       only system DLLs are imported
#   inspect_dll.sh twins OBJDUMP DLL LIST    every _Name_@N returns with ret $N
set -euo pipefail
what=$1 objdump=$2 dll=$3 list=${4:-}

exported_names() {
  "$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort
}

# The operand of the first return instruction of an exported function.
first_return() {
  local name=$1 base rva address code
  # The name's slot in the name table gives its entry in the address
  # table; the code sits at the image base plus that entry's address.
  read -r base rva < <("$objdump" -p "$dll" | awk -v name="$name" '
    /^ImageBase/ { base = $2 }
    /Export Address Table -- Ordinal Base/ { inTable = 1; next }
    inTable && /Export RVA/ { gsub(/[\[\]]/, " "); rva[$1] = $(NF - 2) }
    /\[Ordinal\/Name Pointer\] Table/ { inNames = 1; next }
    inNames && $NF == name { gsub(/[\[\]]/, " "); slot = $1 }
    END { if (slot != "") print base, rva[slot] }') || true
  [ -n "${rva:-}" ] || { echo "not exported"; return 1; }
  address=$((0x$base + 0x$rva))
  code=$("$objdump" -d --start-address=$address --stop-address=$((address + 4096)) "$dll")
  grep -m1 -E '\sret' <<<"$code" | sed 's/.*\sret[lq]\?[[:space:]]*//; s/[[:space:]]*$//'
}

check_return() {
  local name=$1 expected=$2 found
  found=$(first_return "$name") || { echo "FAIL: $name is not exported"; return 1; }
  [ "$found" = "$expected" ] && return 0
  echo "FAIL: $name returns with 'ret $found', expected 'ret $expected'"
  return 1
}

case $what in
  exports)
    if ! diff <(sort "$list") <(exported_names); then
      echo "FAIL: the export table of $dll differs from $list (< missing, > extra)"
      exit 1
    fi
    echo "exports: $(exported_names | wc -l) names, as listed"
    ;;
  imports)
    # The system's own DLLs; no C or C++ runtime of the compiler.
    allowed='^(KERNEL32|USER32|GDI32|COMDLG32|ADVAPI32|msvcrt)\.dll$'
    imports=$("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ -n "$imports" ] || { echo "FAIL: no import table found in $dll"; exit 1; }
    status=0
    for name in $imports; do
      if [[ $name =~ $allowed ]]; then echo "import: $name"; else echo "FAIL: imports $name"; status=1; fi
    done
    exit $status
    ;;
  twins)
    # Twins remove their argument bytes (ret $N); the plain exports leave
    # them to the caller (a bare ret).
    status=0 count=0
    for twin in $(grep '^_.*_@[0-9]*$' "$list"); do
      bytes=${twin##*@}
      plain=${twin#_}
      plain=${plain%_@*}
      check_return "$twin" "\$0x$(printf '%x' "$bytes")" || status=1
      check_return "$plain" "" || status=1
      count=$((count + 1))
    done
    [ $count -eq 13 ] || { echo "FAIL: $count twins checked, 13 expected"; status=1; }
    [ $status -eq 0 ] && echo "twins: all $count return with ret \$N, their plain exports with a bare ret"
    exit $status
    ;;
  *) echo "usage: inspect_dll.sh exports|imports|twins OBJDUMP DLL [LIST]" >&2; exit 2 ;;
esac
