#!/usr/bin/env python3
"""A save in place on a full ext2 disk, which cannot reserve space, keeps the old file.

A small ext2 image is loop-mounted and filled; a hard-linked page on it is saved larger by the
real program (the replay driver). The user gets "No space left on device" and both names keep
the old bytes, not even written and put back, whether the backup's state folder lies elsewhere (the room for the file is
counted) or on the full disk itself (the backup cannot be written). With room again, the same
save goes through. Needs root and loop devices; exits 77 (skipped) where they are missing.

usage: full_disk_test.py QUENBRY_REPLAY
"""
import ctypes
import errno
import json
import os
import shutil
import subprocess
import sys
import tempfile

LIBC = ctypes.CDLL(None, use_errno=True)
IN_MODIFY = 0x2
OWNER = [
    'setting user "Software\\\\QUENBRY\\\\QUENBRY HTML Editor" "name" "Test"',
    'setting user "Software\\\\QUENBRY\\\\QUENBRY HTML Editor" "org" "Test"',
]


def skip(why):
    print(f"skipped: {why}")
    sys.exit(77)


def main():
    driver = sys.argv[1]
    if os.geteuid() != 0 or not shutil.which("mkfs.ext2"):
        skip("needs root and mkfs.ext2 (e2fsprogs) to mount an ext2 image")
    work = tempfile.mkdtemp(prefix="full-disk-")
    disk = os.path.join(work, "disk")
    os.mkdir(disk)
    image = os.path.join(work, "disk.img")
    subprocess.run(["truncate", "-s", "4M", image], check=True)
    subprocess.run(["mkfs.ext2", "-q", "-F", image], check=True)
    if subprocess.run(["mount", "-o", "loop", image, disk]).returncode != 0:
        shutil.rmtree(work)
        skip("this machine does not allow loop mounts")
    try:
        return run(driver, work, disk)
    finally:
        subprocess.run(["umount", disk])
        shutil.rmtree(work, ignore_errors=True)


def watch_writes(path):
    """An inotify descriptor that sees every write to the file."""
    fd = LIBC.inotify_init1(os.O_NONBLOCK)
    if fd < 0 or LIBC.inotify_add_watch(fd, os.fsencode(path), IN_MODIFY) < 0:
        raise OSError(ctypes.get_errno(), "inotify")
    return fd


def written(fd):
    try:
        return bool(os.read(fd, 4096))
    except BlockingIOError:
        return False
    finally:
        os.close(fd)


def run(driver, work, disk):
    page, other, filler = (os.path.join(disk, n) for n in ("page.html", "other.html", "filler"))
    old = b"".join(b"<p>%06d old line</p>\r\n" % i for i in range(8000))
    added = "".join("<p>%06d added line</p>\r\n" % i for i in range(12000))
    new = added.encode() + old + b"\r\n"
    with open(page, "wb") as f:
        f.write(old)
    os.link(page, other)
    with open(filler, "wb") as f:
        try:
            while True:
                f.write(b"\0" * 4096)
                f.flush()
        except OSError as e:
            if e.errno != errno.ENOSPC:
                raise

    def save(state, then=()):
        script = os.path.join(work, "save.replay")
        with open(script, "w") as f:
            f.write("\n".join(OWNER + [
                f"args {json.dumps(page)}", f"clipboard {json.dumps(added)}", "key Ctrl+V",
                "menu mnusave", *then, "dump modified events"]) + "\n")
        env = dict(os.environ, XDG_STATE_HOME=state, QT_QPA_PLATFORM="offscreen", TMPDIR=work)
        result = subprocess.run([driver, script], env=env, capture_output=True)
        if result.returncode != 0:
            raise RuntimeError(result.stderr.decode()[-1000:])
        dump = json.loads(result.stdout.splitlines()[-1])
        messages = [e["text"] for e in dump["events"] if e["kind"] == "message"]
        backups = os.path.join(state, "quenbry")
        left = os.listdir(backups) if os.path.isdir(backups) else []
        return dump["modified"], messages, left

    def both_names():
        with open(page, "rb") as a, open(other, "rb") as b:
            return a.read(), b.read()

    refusal = f'The file "{page}" could not be saved.\n\nNo space left on device.'
    failures = []
    # With the state folder elsewhere the file's room is counted, and the system's words are
    # the message; on the full disk the backup fails, and the message says so as well.
    for state, elsewhere in ((os.path.join(work, "state"), True),
                             (os.path.join(disk, "state"), False)):
        watch = watch_writes(page)
        modified, messages, left = save(state)
        told = messages == [refusal] if elsewhere else (
            len(messages) == 1 and "No space left on device" in messages[0])
        if not modified or not told:
            failures.append(f"state in {state}: the user was not told: {messages}")
        if written(watch) or both_names() != (old, old) or left:
            failures.append(f"state in {state}: the old file was written, or backups {left} stayed")
    # Room again, in the same session: the next Save writes, without asking whether another
    # program changed the file (the failed attempt must not look like one).
    modified, messages, left = save(os.path.join(work, "state"),
                                    [f"write {json.dumps(filler)} \"\"", "menu mnusave"])
    if modified or messages != [refusal] or both_names() != (new, new) or left:
        failures.append(f"with room again the save failed: {messages}, backups {left}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
