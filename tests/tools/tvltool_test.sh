#!/usr/bin/env bash
# tvltool make/dump round trip, and its errors for bad input.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf '壁紙 A\tC:\\壁紙\\a.bmp\t0\t1\nb\tC:\\b.jpg\t2\t0\r\n\n' | "$tool" make "$dir/l.tvl" || fail "make"
out=$("$tool" dump "$dir/l.tvl") || fail "dump"
expected=$(printf '壁紙 A\tC:\\壁紙\\a.bmp\t0\t1\t\t0\t0\nb\tC:\\b.jpg\t2\t0\t\t0\t0')
[ "$out" = "$expected" ] || fail "round trip gave: $out"
# The list file holds code page 932: 壁紙 is 95 C7 8E 86.
od -An -tx1 "$dir/l.tvl" | tr -d ' \n' | grep -q '95c78e86' || fail "not code page 932"

err=$(printf 'a\tb\tx\t1\n' | "$tool" make "$dir/bad.tvl" 2>&1) && fail "bad style accepted"
echo "$err" | grep -q 'line 1' || fail "error does not name the line: $err"
err=$(printf 'ok\tp\t0\t1\nonly two\tfields\n' | "$tool" make "$dir/bad.tvl" 2>&1) && fail "short line accepted"
echo "$err" | grep -q 'line 2' || fail "error does not name line 2: $err"
[ ! -e "$dir/bad.tvl" ] || fail "a failed make left a file"
printf '\x03\x00\xff\xff' > "$dir/broken.tvl"
"$tool" dump "$dir/broken.tvl" >/dev/null 2>&1 && fail "damaged file dumped"
"$tool" dump "$dir/missing.tvl" >/dev/null 2>&1 && fail "missing file dumped"
"$tool" >/dev/null 2>&1; [ $? -eq 2 ] || fail "usage exit code"

# Every field of an entry survives dump and make: the list file comes back byte for byte.
printf 'r\tC:\\r.bmp\t1\t0\t予約 text\t-7\t2147483647\nplain\tC:\\p.bmp\t2\t1\n' | "$tool" make "$dir/full.tvl" || fail "make with reserved fields"
full=$("$tool" dump "$dir/full.tvl") || fail "dump with reserved fields"
expected=$(printf 'r\tC:\\r.bmp\t1\t0\t予約 text\t-7\t2147483647\nplain\tC:\\p.bmp\t2\t1\t\t0\t0')
[ "$full" = "$expected" ] || fail "reserved fields gave: $full"
for list in "$dir/full.tvl" "$dir/l.tvl" "$(dirname "$0")/../data/listfiles/worked-example.tvl"; do
  "$tool" dump "$list" > "$dir/dump.txt" || fail "dump $list"
  "$tool" make "$dir/again.tvl" < "$dir/dump.txt" || fail "make from the dump of $list"
  cmp -s "$list" "$dir/again.tvl" || fail "dump then make changed the bytes of $list"
done
err=$(printf 'a\tb\t0\t1\tx\t1\n' | "$tool" make "$dir/bad.tvl" 2>&1) && fail "six fields accepted"
echo "$err" | grep -q 'line 1' || fail "error does not name the line: $err"
err=$(printf 'a\tb\t0\t1\tx\t1\ty\n' | "$tool" make "$dir/bad.tvl" 2>&1) && fail "a bad reserved number accepted"
[ ! -e "$dir/bad.tvl" ] || fail "a failed make left a file"
echo "tvltool: 1 passed, 0 failed"
