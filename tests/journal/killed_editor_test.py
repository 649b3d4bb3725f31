#!/usr/bin/env python3
"""Kills the real editor (the replay driver runs its real main window) with SIGKILL at random
moments of scripted typing, pasting, undoing and redoing, then starts it again on the same state
folder. The text it offers back must be one the editor held at most 5 seconds before the kill,
and the one it held at the kill when the last change was more than 1 second old.

usage: killed_editor_test.py DRIVER [KILLS] [SEED]"""
import json, os, random, signal, subprocess, sys, tempfile, threading, time

driver = os.path.abspath(sys.argv[1])
kills = int(sys.argv[2]) if len(sys.argv) > 2 else 50
rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 21)
OWNER = 'setting user "Software\\\\QUENBRY\\\\QUENBRY HTML Editor" "%s" "Ada"'
QUESTION = "Quenbry HTML Editor was closed before Untitled was saved. Recover the unsaved text from "

tmp = tempfile.mkdtemp()
env = dict(os.environ, XDG_STATE_HOME=os.path.join(tmp, "state"), QT_QPA_PLATFORM="offscreen")


def edit():
    """One script line that changes the text at most once."""
    r = rng.random()
    if r < 0.35:
        return "type " + json.dumps(rng.choice("ab \n\t\u00e9"))
    if r < 0.45:
        return "key Backspace"
    if r < 0.6:
        size = rng.randint(100_000, 1 << 20) if rng.random() < 0.3 else rng.randint(1, 300)
        piece = "".join(rng.choice("xy<>\r\n\u20ac") for _ in range(64))
        return "clipboard %s\nkey Ctrl+V" % json.dumps((piece * (size // 64 + 1))[:size])
    if r < 0.75:
        return "menu mnuundo"
    if r < 0.85:
        return "menu mnuredo"
    return rng.choice(["key Ctrl+Home", "key Ctrl+End", "key Left"]) + "\nkey Shift+Right\nkey Del"


def run(first):
    """Starts the editor, recovers (except the first time), edits and is killed. Returns the
    recovered text, the texts held with the times they were seen, and the kill time."""
    steps = [rng.choice([0, 0, rng.randint(300, 2000)]) for _ in range(rng.randint(1, 6))]
    steps[-1] = 600_000
    # The owner's name is set so that start-up asks nothing but the journal's question.
    lines = [OWNER % "name", OWNER % "org"] + ([] if first else ["answer yes"])
    lines += ["start", "dump text modified events"]
    for i, wait in enumerate(steps):
        # The first run changes the text for sure, so that there is a journal to recover.
        lines += ['type "a"' if first and i == 0 else edit(), "dump text"]
        lines += ["wait %d" % wait] if wait else []
    script = os.path.join(tmp, "run.replay")
    with open(script, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    # The kill comes during one of the waits, after the dump that precedes it.
    waits = [i for i, w in enumerate(steps) if w]
    at = rng.choice(waits)
    delay = rng.uniform(0, min(steps[at] - 150, 2500)) / 1000.0
    # The first run must leave a journal for the next one to recover.
    if first:
        at, delay = len(steps) - 1, rng.uniform(1.1, 2.5)
    proc = subprocess.Popen([driver, script], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            env=env, cwd=tmp)
    seen = []  # (time the line arrived, parsed object)
    def read():
        for line in proc.stdout:
            seen.append((time.monotonic(), json.loads(line)))
    reader = threading.Thread(target=read)
    reader.start()
    deadline = time.monotonic() + 60
    while len(seen) < at + 2:
        if proc.poll() is not None or time.monotonic() > deadline:
            sys.exit("the driver ended or hung before its kill: status %s" % proc.poll())
        time.sleep(0.002)
    time.sleep(max(0.0, seen[at + 1][0] + delay - time.monotonic()))
    killed = time.monotonic()
    os.kill(proc.pid, signal.SIGKILL)
    proc.wait()
    reader.join()
    start = seen[0][1]
    texts = [(t, o["text"]) for t, o in seen[: at + 2]]
    return start, texts, killed, delay


def check(start, previous):
    texts, killed, delay = previous
    asked = [e for e in start["events"] if e["kind"] == "message" and e["text"].startswith(QUESTION)]
    if len(asked) != 1 or asked[0]["answer"] != "yes" or not start["modified"]:
        sys.exit("the recovery was not offered once, or left the text unmodified: %s" % start["events"])
    got = start["text"]
    # Texts held at some moment no more than 5 s before the kill: each is held until the next
    # one is seen.
    allowed = [text for i, (_, text) in enumerate(texts)
               if i + 1 == len(texts) or texts[i + 1][0] >= killed - 5.0]
    if got not in allowed:
        held = [text for _, text in texts]
        sys.exit("recovered a text %s (%d chars) held %s before the kill"
                 % ("never held" if got not in held else "only", len(got),
                    "never" if got not in held else "more than 5 s"))
    # The last change happened before its dump was seen.
    if delay > 1.05 and got != texts[-1][1]:
        sys.exit("the last change was %.2f s old at the kill, yet an older text came back" % delay)


started = time.monotonic()
previous = None
strict = 0
for k in range(kills + 1):
    start, texts, killed, delay = run(previous is None)
    if previous is not None:
        check(start, previous)
        strict += previous[2] > 1.05
    previous = (texts, killed, delay)
# A normal end leaves no journal behind.
final = subprocess.run([driver], input="\n".join([OWNER % "name", OWNER % "org", "answer yes", "start", "expect modified true", ""]), text=True,
                       env=env, cwd=tmp, capture_output=True)
left = os.listdir(os.path.join(tmp, "state", "quenbry"))
if final.returncode != 0 or left:
    sys.exit("the last run failed or left %s: %s" % (left, final.stderr[-2000:]))
print("%d kills checked (%d more than 1 s after the last change) in %.0f s"
      % (kills, strict, time.monotonic() - started))
