#!/bin/sh
# Runs one replay case. It passes when the driver exits 0 (every `expect` held) and prints
# exactly NAME.expected when that file exists, or nothing at all when it does not.
# The output is pretty-printed before the comparison: one line per key, and one line per member
# of a long object (one per command of the command table), so that a change shows as a short,
# readable diff.
# QUENBRY_ACCEPT=1 rewrites an existing NAME.expected from the output (read it through first).
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

# A state folder of the case's own: backups of saves in place never reach the user's.
XDG_STATE_HOME="$tmp/state" QT_QPA_PLATFORM=offscreen timeout 120 "$driver" "$case_file" \
    >"$tmp/raw" 2>"$tmp/err"
status=$?
if [ $status -ne 0 ]; then
    echo "driver failed with status $status on $case_file" >&2
    grep -v -e '^QStandardPaths:' -e 'propagateSizeHints' "$tmp/err" >&2
    exit 1
fi

if [ ! -f "$expected" ]; then
    if [ -s "$tmp/raw" ]; then
        echo "$case_file printed output but has no $expected:" >&2
        head -c 2000 "$tmp/raw" >&2
        exit 1
    fi
    exit 0
fi

if ! python3 - "$tmp/raw" >"$tmp/pretty" <<'EOF'; then
import json, sys

def fmt(value, depth):
    compact = json.dumps(value)
    if not isinstance(value, dict) or not value or depth > 1 or (depth and len(compact) <= 100):
        return compact
    pad = " " * (depth + 1)
    members = [pad + json.dumps(k) + ": " + fmt(v, depth + 1) for k, v in value.items()]
    return "{\n" + ",\n".join(members) + "\n" + " " * depth + "}"

for line in open(sys.argv[1], encoding="utf-8"):
    try:
        print(fmt(json.loads(line), 0))
    except ValueError:
        sys.exit("driver printed a line that is not JSON: " + line)
EOF
    exit 1
fi

if [ "${QUENBRY_ACCEPT:-0}" = 1 ]; then
    cp "$tmp/pretty" "$expected"
    rm -f "$actual"
    echo "accepted $expected"
    exit 0
fi

if cmp -s "$expected" "$tmp/pretty"; then
    rm -f "$actual"
    exit 0
fi

cp "$tmp/pretty" "$actual"
echo "output differs from $expected (full output in $actual):" >&2
diff -u "$expected" "$actual" | head -n 80 >&2
exit 1
