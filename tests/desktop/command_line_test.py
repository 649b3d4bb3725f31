#!/usr/bin/env python3
"""The real program's command line: refused without a display, then on one (Xvfb, openbox).

Names after "--" are files, even those that look like the toolkit's options (-reverse) or the
program's (--help); a name that is not UTF-8 opens, and an edit is saved under its own bytes.
Each run waits for the main window's title, which names the file that was opened.

Usage: command_line_test.py QUENBRY. Exit 0: passed; 1: failed; 77: Xvfb cannot start.
"""
import os
import select
import subprocess
import sys
import tempfile
import time
from pathlib import Path

QUENBRY = str(Path(sys.argv[1]).resolve())
home = Path(tempfile.mkdtemp(prefix="quenbry-cmdline-"))
pages = home / "pages"  # the current folder of the program, with the pages and nothing else
ENV = {k: v for k, v in os.environ.items()
       if not k.startswith(("XDG_", "QT_")) and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
ENV.update(HOME=str(home), XDG_CONFIG_HOME=str(home / "config"), LANG="C.UTF-8",
           XDG_RUNTIME_DIR=str(home / "runtime"), QT_QPA_PLATFORM="xcb")
started = []


def start(args, **kw):
    started.append(subprocess.Popen(args, env=ENV, cwd=pages, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, **kw))
    return started[-1]


def wait_for(what, check, timeout=30.0):
    deadline = time.monotonic() + timeout
    while not (value := check()):
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)
    return value


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=ENV, capture_output=True).stdout


def titled(program, title):
    """The program's visible window with this title (bytes, as X holds it), or None."""
    for wid in xdotool("search", "--onlyvisible", "--pid", str(program.pid)).split():
        if xdotool("getwindowname", wid).rstrip(b"\n") == title.encode():
            return wid
    return None


def open_from_command_line(args, shown_name):
    program = start([QUENBRY, *args])
    wid = wait_for(f"the title naming {shown_name}",
                   lambda: titled(program, f"Quenbry HTML Editor ({shown_name})"))
    return program, wid


def main():
    (home / "runtime").mkdir(mode=0o700)
    pages.mkdir()
    # No display yet: a wrong command line is told and refused (2) before any display is needed.
    for args, error in ((["--bogus"], "Unknown option 'bogus'"),
                        (["a", "b"], "Give one file at most."),
                        (["-style", "fusion", "--bogus"], "Unknown option 'bogus'")):
        r = subprocess.run([QUENBRY, *args], env=ENV, capture_output=True, timeout=30)
        if r.returncode != 2 or error not in r.stderr.decode():
            raise AssertionError(f"quenbry {' '.join(args)}: status {r.returncode}, {r.stderr!r}")
    ready, ready_w = os.pipe()
    xvfb = start(["Xvfb", "-displayfd", str(ready_w), "-nolisten", "tcp"], pass_fds=(ready_w,))
    os.close(ready_w)
    if not select.select([ready], [], [], 10)[0] or xvfb.poll() is not None:
        print("SKIP: Xvfb cannot start here")
        return 77
    ENV["DISPLAY"] = ":" + os.read(ready, 16).decode().strip()
    start(["openbox"])
    subprocess.run([QUENBRY, "--register-owner", "Ada", "Engines"], env=ENV, check=True)

    for name in ("-reverse", "--help"):
        (pages / name).write_bytes(b"<p>page</p>")
        program, _ = open_from_command_line(["--", name], name)
        program.kill()

    # Latin-1 bytes: U+FFFD in the title; the text gains an "x" and is saved by Ctrl+S.
    name = b"\xe9\xff.html"
    path = os.path.join(bytes(pages), name)
    with open(path, "wb") as f:
        f.write(b"<p>page</p>")
    program, wid = open_from_command_line([name], "\ufffd\ufffd.html")
    xdotool("windowactivate", "--sync", wid)
    xdotool("key", "--delay", "60", "ctrl+End", "x", "ctrl+s")
    wait_for("the save", lambda: open(path, "rb").read() == b"<p>page</p>x\r\n")
    program.kill()
    others = set(os.listdir(bytes(pages))) - {b"-reverse", b"--help", name}
    if others:
        raise AssertionError(f"files of other names appeared: {others}")
    print("ok: names after -- and names that are not UTF-8 open as files")
    return 0


if __name__ == "__main__":
    try:
        status = main()
    except AssertionError as e:
        print(f"FAIL: {e}")
        status = 1
    finally:
        for p in reversed(started):
            p.kill()
            p.wait()
        subprocess.run(["rm", "-rf", str(home)])
    sys.exit(status)
