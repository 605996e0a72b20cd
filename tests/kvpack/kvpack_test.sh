#!/usr/bin/env bash
# kvpack on the demo project: the package it builds is the same for any
# number of jobs, lists as sound, installs through the engine, and a byte
# flipped in the record or in an entry makes the listing fail naming it.
#   kvpack_test.sh BIN_DIR SOURCE_DIR
set -u
bin=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check WHAT CONDITION...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

printf 'MZ stand-in uninstaller' > "$work/unkv2.img"
printf 'MZ stand-in setup program\r\n' > "$work/stub.img"
kv() { "$bin/kvpack" "$@"; }
kv build "$src/examples/zorva/project.toml" -o "$work/one.pkg" --uninstaller "$work/unkv2.img" --jobs 1
kv build "$src/examples/zorva/project.toml" -o "$work/two.pkg" --uninstaller "$work/unkv2.img" --jobs 2
kv build "$src/examples/zorva/project.toml" -o "$work/setup.exe" --uninstaller "$work/unkv2.img" \
  --setup "$work/stub.img" --jobs 2
check "same bytes for 1 and 2 jobs" cmp -s "$work/one.pkg" "$work/two.pkg"
check "package lists as sound" kv list "$work/one.pkg"
check "setup lists as sound" kv list "$work/setup.exe"
check "setup is stub, package, start offset" \
  bash -c "size=\$(stat -c %s '$work/stub.img'); cmp -s <(head -c \$size '$work/setup.exe') '$work/stub.img' &&
           cmp -s <(tail -c +\$((size + 1)) '$work/setup.exe' | head -c \$(stat -c %s '$work/one.pkg')) '$work/one.pkg'"

# A flipped byte: in the product name (record checksum), in the first entry's
# zlib stream, and in a string length.
flip() {  # flip FILE OFFSET
  cp "$work/one.pkg" "$work/flipped.pkg"
  printf '\xA5' | dd of="$work/flipped.pkg" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
listing_names() {  # listing_names TEXT: exit 1 and TEXT in the message
  local out
  out=$(kv list "$work/flipped.pkg" 2>&1 >/dev/null)
  local rc=$?
  [ $rc -eq 1 ] && grep -q -- "$1" <<<"$out"
}
flip one.pkg 10
check "flipped product name: record checksum named" listing_names "record field 29"
record=$(kv list "$work/one.pkg" | sed -n 's/^record: \([0-9]*\) bytes.*/\1/p')
texts=$(kv list "$work/one.pkg" | sed -n 's/^\(readme\|licence\) text block: \([0-9]*\) bytes/\2/p' | awk '{ s += $1 + 4 } END { print s }')
flip one.pkg $((record + texts + 8 + 4))
check "flipped entry byte: entry 0 named" listing_names "entry 0"
flip one.pkg 4
check "flipped string length: field named" listing_names "record field 2"
check "cut package fails" bash -c "head -c -3 '$work/one.pkg' > '$work/flipped.pkg'; ! '$bin/kvpack' list '$work/flipped.pkg' >/dev/null 2>&1"

# Errors name the project file and line.
printf '[product]\nname = "A"\nversion = 2\n' > "$work/bad.toml"
check "error names file and line" bash -c "'$bin/kvpack' build '$work/bad.toml' -o '$work/x' 2>&1 | grep -q 'bad.toml:3'"

# The engine installs the package.
check "engine installs the package" env KV_EXAMPLE_PACKAGE="$work/one.pkg" \
  KV_EXAMPLE_DIR="$src/examples/zorva" "$bin/setup_test" --gtest_also_run_disabled_tests --gtest_filter='ExamplePackage.*'

[ $failures -eq 0 ]
