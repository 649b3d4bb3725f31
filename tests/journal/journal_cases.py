#!/usr/bin/env python3
"""Runs a scenario of several editor runs that share one state folder: the replay driver runs
each section of the scenario file; `#> ` lines between sections say how a run ends and what the
state folder and the run's messages must hold after it.

  #> run | crash | live      the next section runs to its end (status 0), is killed with SIGKILL
                             1.5 s after its first output line, or stays running (killed after
                             the section that follows it)
  #> state-file              the state folder is a regular file during the next section
  #> files GLOB N            after the section, N files of the state folder match GLOB
  #> asked N PREFIX          the section's messages hold N whose text starts with PREFIX
$STATE in a section stands for the state folder.

usage: journal_cases.py DRIVER SCENARIO"""
import fnmatch, json, os, shutil, signal, subprocess, sys, tempfile, threading, time

driver, scenario = os.path.abspath(sys.argv[1]), sys.argv[2]
tmp = tempfile.mkdtemp()
state = os.path.join(tmp, "state", "quenbry")
env = dict(os.environ, XDG_STATE_HOME=os.path.join(tmp, "state"), QT_QPA_PLATFORM="offscreen")

sections = []  # [mode, lines, checks, state_file]
for line in open(scenario, encoding="utf-8").read().splitlines():
    if line.startswith("#> "):
        words = line[3:].split(" ", 2)
        if words[0] in ("run", "crash", "live"):
            sections.append([words[0], [], [], False])
        elif words[0] == "state-file":
            sections[-1][3] = True
        else:
            sections[-1][2].append(words)
    elif sections:
        sections[-1][1].append(line.replace("$STATE", state))


def start(lines, number):
    script = os.path.join(tmp, "section%d.replay" % number)
    with open(script, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    proc = subprocess.Popen([driver, script], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=env, cwd=tmp, text=True)
    proc.out = []
    proc.reader = threading.Thread(target=lambda: proc.out.extend(proc.stdout))
    proc.reader.start()
    return proc


def kill(proc):
    os.kill(proc.pid, signal.SIGKILL)
    proc.wait()
    proc.reader.join()


live = None
for number, (mode, lines, checks, state_file) in enumerate(sections, 1):
    where = "%s: section %d (%s)" % (scenario, number, mode)
    if state_file:
        shutil.rmtree(state, ignore_errors=True)
        os.makedirs(os.path.dirname(state), exist_ok=True)
        open(state, "w").close()
    proc = start(lines, number)
    if mode == "run":
        proc.wait()
        proc.reader.join()
        if proc.returncode != 0:
            sys.exit("%s failed:\n%s" % (where, proc.stderr.read()[-3000:]))
    else:
        deadline = time.monotonic() + 60
        while not proc.out and proc.poll() is None and time.monotonic() < deadline:
            time.sleep(0.01)
        if not proc.out:
            sys.exit("%s printed nothing: %s" % (where, proc.stderr.read()[-3000:]))
        if mode == "crash":
            time.sleep(1.5)
            kill(proc)
    if live is not None and live is not proc:
        kill(live)
        live = None
    if mode == "live":
        live = proc
    if state_file:
        os.remove(state)
    messages = [e["text"] for line in proc.out for e in json.loads(line).get("events", [])
                if e["kind"] == "message"]
    for check in checks:
        if check[0] == "files":
            names = os.listdir(state) if os.path.isdir(state) else []
            found = len(fnmatch.filter(names, check[1]))
            if found != int(check[2]):
                sys.exit("%s: %d files match %s, not %s: %s" % (where, found, check[1], check[2], names))
        elif check[0] == "asked":
            count, prefix = check[1], check[2]
            found = sum(1 for m in messages if m.startswith(prefix))
            if found != int(count):
                sys.exit("%s: %d messages start with %r, not %s: %s" % (where, found, prefix, count, messages))
        else:
            sys.exit("%s: unknown check %s" % (where, check))
if live is not None:
    kill(live)
shutil.rmtree(tmp)
