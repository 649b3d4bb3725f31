#!/usr/bin/env python3
"""A save in place killed at random moments loses nothing.

A 50 MB page with a second hard link is opened by the real program (the replay driver), edited
and saved; the process gets SIGKILL at a random moment after the save's backup appeared. After
each kill both names hold the old text whole or the new text whole, or else the next start
offers the backup and, answered Yes, brings the old text back; either way the state folder is
empty afterwards, and a whole file is never offered.

usage: killed_save_test.py QUENBRY_REPLAY [KILLS]
"""
import glob
import json
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

OWNER = [
    'setting user "Software\\\\QUENBRY\\\\QUENBRY HTML Editor" "name" "Test"',
    'setting user "Software\\\\QUENBRY\\\\QUENBRY HTML Editor" "org" "Test"',
]


def main():
    driver = sys.argv[1]
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 24
    work = tempfile.mkdtemp(prefix="killed-save-")
    try:
        return run(driver, kills, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def run(driver, kills, work):
    state = os.path.join(work, "state")
    backups = os.path.join(state, "quenbry")
    env = dict(os.environ, XDG_STATE_HOME=state, QT_QPA_PLATFORM="offscreen", TMPDIR=work)
    page, other = os.path.join(work, "page.html"), os.path.join(work, "other.html")
    line = b'<p class="x">Hello, world &amp; caf\xe9</p>\r\n'
    old = b"".join(b"%08d" % i + line for i in range(50 * 2**20 // (len(line) + 8)))
    new = b"x" + old + b"\r\n"

    def reset():
        with open(page, "wb") as f:  # in place: the second name stays a link to it
            f.write(old)

    def both_names():
        with open(page, "rb") as a, open(other, "rb") as b:
            return a.read(), b.read()

    def first_byte():
        with open(page, "rb") as f:
            return f.read(1)

    def script(name, lines):
        path = os.path.join(work, name)
        with open(path, "w") as f:
            f.write("\n".join(OWNER + lines) + "\n")
        return path

    reset()
    os.link(page, other)
    save = script("save.replay", [f"args {json.dumps(page)}", 'type "x"', "menu mnusave", "wait 100"])

    # One save to its end: when its backup appears, is complete, and goes.
    reset()
    proc = subprocess.Popen([driver, save], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    seen = complete = gone = None
    while proc.poll() is None:
        now = time.monotonic()
        names = os.listdir(backups) if os.path.isdir(backups) else []
        if names and seen is None:
            seen = now
        if names and not names[0].endswith(".partial") and complete is None:
            complete = now
        if seen is not None and not names and gone is None:
            gone = now
        time.sleep(0.0005)
    if proc.returncode != 0 or None in (seen, complete, gone) or both_names() != (new, new):
        print(f"the save that ran to its end failed (status {proc.returncode})")
        return 1
    copying = complete - seen
    print(f"backup copied in {copying * 1000:.0f} ms, file rewritten in "
          f"{(gone - complete) * 1000:.0f} ms")

    outcomes = {"old": 0, "new": 0, "torn": 0}
    mid_save = 0
    failures = 0
    restart = script("restart.replay", ["answer yes", "start", "dump events"])
    seed = int(os.environ.get("KILL_SEED", time.time()))
    print(f"KILL_SEED={seed}")
    rng = random.Random(seed)
    for attempt in range(kills):
        reset()
        proc = subprocess.Popen([driver, save], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        # Every other kill at a random moment while the old bytes are copied, the rest within
        # the first milliseconds after the file's first byte changed, while it is rewritten.
        while proc.poll() is None and not (os.path.isdir(backups) and os.listdir(backups)):
            time.sleep(0.0005)
        if attempt % 2:
            time.sleep(rng.uniform(0, copying))
        else:
            while proc.poll() is None and first_byte() != new[:1]:
                time.sleep(0.0002)
            time.sleep(rng.uniform(0, 0.02))
        proc.send_signal(signal.SIGKILL)
        proc.wait()
        left = glob.glob(os.path.join(backups, "*"))
        mid_save += bool(left)
        before = both_names()
        whole = before[0] == before[1] and before[0] in (old, new)

        run2 = subprocess.run([driver, restart], env=env, capture_output=True)
        events = json.loads(run2.stdout.splitlines()[-1])["events"] if run2.stdout else []
        offers = [e["text"] for e in events if e["kind"] == "message"]
        after = both_names()
        problem = None
        if run2.returncode != 0:
            problem = f"the next start failed: {run2.stderr.decode()[-500:]}"
        elif whole and (offers or after != before):
            problem = f"a whole file was offered or changed: {offers}"
        elif not whole and (len(left) != 1 or offers != [
                f"The save of {os.path.realpath(page)} was interrupted. Restore the previous "
                f"version from {left[0]}?"] or after != (old, old)):
            problem = f"a torn file was not restored: backups {left}, offers {offers}"
        elif os.listdir(backups):
            problem = f"backups left behind: {os.listdir(backups)}"
        if problem:
            failures += 1
            print(f"kill {attempt + 1}: {problem}")
        outcomes["torn" if not whole else "old" if before[0] == old else "new"] += 1

    print(f"{kills} kills, {mid_save} while a backup existed; old whole {outcomes['old']}, "
          f"new whole {outcomes['new']}, torn {outcomes['torn']} ({failures} not made whole)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
