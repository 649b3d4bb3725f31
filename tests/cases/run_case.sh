#!/bin/sh
# Runs one replay case and compares the driver's output with NAME.expected beside it.
# Each output line is one JSON object; both sides are pretty-printed one value per line so
# that a mismatch shows as a short, readable diff. QUENBRY_ACCEPT=1 writes the expected
# file from the actual output instead (only after reading it through).
set -u

if [ $# -ne 2 ]; then
    echo "usage: run_case.sh DRIVER CASE.replay" >&2
    exit 2
fi
driver=$1
case_file=$2
base=${case_file%.replay}
expected=$base.expected
actual=$base.actual

tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT

QT_QPA_PLATFORM=offscreen timeout 120 "$driver" "$case_file" >"$tmp/raw" 2>"$tmp/err"
status=$?
if [ $status -ne 0 ]; then
    echo "driver failed with status $status on $case_file" >&2
    cat "$tmp/err" >&2
    exit 1
fi

# One JSON object a line, each pretty-printed; a line that is not JSON fails the case.
: >"$tmp/pretty"
while IFS= read -r line || [ -n "$line" ]; do
    if ! printf '%s\n' "$line" | python3 -m json.tool --indent 1 >>"$tmp/pretty"; then
        echo "driver printed a line that is not JSON: $line" >&2
        exit 1
    fi
done <"$tmp/raw"

if [ "${QUENBRY_ACCEPT:-0}" = 1 ]; then
    cp "$tmp/pretty" "$expected"
    rm -f "$actual"
    echo "accepted $expected"
    exit 0
fi

if [ ! -f "$expected" ]; then
    cp "$tmp/pretty" "$actual"
    echo "no expected file $expected; the output is in $actual" >&2
    exit 1
fi

if cmp -s "$expected" "$tmp/pretty"; then
    rm -f "$actual"
    exit 0
fi

cp "$tmp/pretty" "$actual"
echo "output differs from $expected (full output in $actual):" >&2
diff -u "$expected" "$actual" | head -n 80 >&2
exit 1
