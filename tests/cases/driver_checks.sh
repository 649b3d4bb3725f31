#!/bin/sh
# The replay driver's own promises that the cases rely on: a failed `expect` fails the script
# (or every case would pass whatever the program did), a selective dump prints only what it
# names, and events stay pending until a dump prints them.
set -u
driver=$1
export QT_QPA_PLATFORM=offscreen
status=0

# run NAME WANT_STATUS WANT_OUTPUT SCRIPT: runs SCRIPT from standard input, compares the
# exit status, and looks for WANT_OUTPUT (a fixed string) in what it printed.
run() {
    out=$(printf '%b' "$4" | timeout 60 "$driver" 2>&1)
    got=$?
    if [ "$got" -ne "$2" ] || ! printf '%s\n' "$out" | grep -qF -- "$3"; then
        printf '%s: status %s (want %s), output:\n%s\n' "$1" "$got" "$2" "$out" >&2
        status=1
    fi
}

run "failed expect" 1 'line 3: expect text failed
  expected: "abc"
  actual:   "ab"' 'key Ctrl+A\ntype "ab"\nexpect text "abc"\nexpect text "never reached"\n'
run "failed expect inside a key" 1 'expected: true
  actual:   false' 'expect commands.XPButton7.enabled true\n'
run "failed colour letters" 1 'actual:   "GGG"' 'key Ctrl+A\ntype "x"\ntype "<b>"\nkey Home\nkey Del\nexpect colours "TTT"\n'
run "failed file" 1 'actual:   null' 'expect file "missing" ""\n'
run "failed pdf" 1 'actual:   [["x","Untitled page 1 of 1"]]' 'key Ctrl+A\ntype "x"\nprinter ok "p.pdf"\nmenu mnuprint\nexpect pdf "p.pdf" [["y"]]\n'
run "unknown key" 1 'line 1: dump: unknown key nosuchkey' 'dump title nosuchkey\n'
run "named keys in the state's order" 0 '{"selStart": 0, "title": "Quenbry HTML Editor (Untitled)"}' 'dump title selStart\n'
run "events pending until printed" 0 '"closedBy": "timer"}, {"kind": "popup"' 'rightclick\nexpect events.3.kind "popup"\ndump ended\ndump events\nexpect events []\n'
exit $status
