#!/usr/bin/env python3
"""A user's day with the real editor on a real X desktop.

The program (not the replay driver) runs on Xvfb under openbox and is driven by real input
through xdotool; the clipboard is the X clipboard, read and filled with xclip; the default web
browser is a recording handler, registered with xdg-settings, that renders what it is handed
with the real Chromium, while the editor itself is the desktop's program for HTML files. The
day begins with the account's first start; then the editor opens under a dark desktop theme and
at twice the scale. Every wait polls a screenshot, a window or a file against a deadline.
Screenshots of the day go to the output folder.

Usage: desktop_test.py QUENBRY OUTPUT_FOLDER. Exit 0: passed; 1: failed; 77: Xvfb cannot start.
"""
import os
import pwd
import select
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

QUENBRY, OUT = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
PAGE = '<title>Quenbry day</title><body bgcolor="lime"><b>x</b>'
# Every byte of the upper half of Windows-1252, the five it leaves undefined included.
CP1252 = b"<p>" + bytes(range(0x80, 0x100)) + b"</p>"
NOTHING = "-nothing copied yet-"
started = []  # every process the test starts, ended in reverse order at the end


class Failure(Exception):
    pass


def wait_for(what, check, timeout=20.0):
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)


def start(args, env=None, **kw):
    p = subprocess.Popen(args, env=env or ENV, **kw)
    started.append(p)
    return p


def run(*args, check=True, strip=True):
    r = subprocess.run(args, env=ENV, capture_output=True, timeout=60)
    if check and r.returncode != 0:
        raise Failure(f"{args[0]} {' '.join(args[1:])}: {r.stderr.decode(errors='replace')}")
    out = r.stdout.decode(errors="replace")
    return out.strip() if strip else out


def key(*keys):
    run("xdotool", "key", "--delay", "60", *keys)


_keys_of_our_own = {}


def type_text(text):
    # xdotool types a character the keymap lacks by mapping a spare key for the moment of the
    # press; a busy editor can read the press after that mapping is gone, and the character is
    # lost. Such characters get a spare key of their own for the whole run instead.
    for ch in sorted({c for c in text if ord(c) > 0x7E} - _keys_of_our_own.keys()):
        spare = [line.split()[1] for line in run("xmodmap", "-pke").splitlines()
                 if len(line.split()) == 3]
        keysym = ord(ch) if ord(ch) <= 0xFF else 0x1000000 + ord(ch)
        run("xmodmap", "-e", f"keycode {spare[-1]} = {keysym:#x}")
        _keys_of_our_own[ch] = spare[-1]
    run("xdotool", "type", "--delay", "40", text)


def windows(title):
    """The ids of the visible windows whose whole title is `title`."""
    return run("xdotool", "search", "--onlyvisible", "--name", "^" + title.replace("(", r"\(")
               .replace(")", r"\)") + "$", check=False).split()


def window(title):
    """The id of the first visible window whose whole title is `title`, or None."""
    return next(iter(windows(title)), None)


def geometry(wid):
    """Where a window's inside is on the screen: x, y, width, height."""
    info = dict(line.strip().split(": ", 1) for line in run("xwininfo", "-id", wid).splitlines()
                if ": " in line)
    return tuple(int(info[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                        "Width", "Height"))


def screenshot(name):
    path = OUT / f"{name}.png"
    run("import", "-window", "root", str(path))
    return path


def pixels(png, box):
    """The (r, g, b) pixels in box (x, y, width, height, in screen pixels)."""
    x0, y0, w, h = box
    ppm = subprocess.run(["convert", str(png), "-crop", f"{w}x{h}+{x0}+{y0}", "+repage",
                          "ppm:-"], capture_output=True, check=True).stdout
    # P6, width, height, maxval, then the bytes.
    data = ppm.split(b"\n", 3)[3]
    return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]


def count_pixels(png, box, match):
    """How many pixels in box satisfy match(r, g, b)."""
    return sum(match(*p) for p in pixels(png, box))


def text_contrast(png, box):
    """The contrast of the pixel in box that stands out most from the colour covering most of
    it, as text does from its background (1 where there is no text)."""
    def luminance(rgb):
        c = [v / 255 / 12.92 if v <= 10 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in rgb]
        return 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2]
    seen = pixels(png, box)
    back = luminance(max(set(seen), key=seen.count))
    return max((max(back, lum) + 0.05) / (min(back, lum) + 0.05)
               for lum in map(luminance, set(seen)))


def clipboard():
    return run("xclip", "-o", "-selection", "clipboard", check=False, strip=False)


def offer_clipboard(text):
    """Another program owns the clipboard with text, until someone else takes it over."""
    p = start(["xclip", "-quiet", "-i", "-selection", "clipboard"], stdin=subprocess.PIPE,
              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    p.stdin.write(text.encode())
    p.stdin.close()
    wait_for("xclip to own the clipboard", lambda: clipboard() == text)


def copied(*keys):
    """What the editor puts on the clipboard for the keys (which end with its Copy)."""
    offer_clipboard(NOTHING)
    key(*keys)
    return wait_for("the copy to reach the clipboard", lambda: clipboard() != NOTHING and clipboard())


def editor_text():
    # Select all leaves the whole text selected: the caller puts the caret where it wants it.
    return copied("ctrl+a", "ctrl+c").replace("\r\n", "\n")


def file_bytes(path):
    return path.read_bytes() if path.exists() else None


def expect(what, actual, wanted):
    if actual != wanted:
        raise Failure(f"{what}: expected {wanted!r}, got {actual!r}")


def click(x, y):
    run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "1")


def file_menu(main, *keys):
    """Opens the File menu with the mouse and walks it with the keyboard."""
    x, y, _, _ = geometry(main)
    click(x + 20, y + 8)
    key(*keys)


def answer_file_dialog(title, path):
    wait_for(f"the {title} dialog", lambda: window(title))
    screenshot(f"dialog-{title.lower()}")
    type_text(str(path))
    key("Return")
    wait_for(f"the {title} dialog to close", lambda: not window(title))


def start_desktop(home):
    """Xvfb on a display of its own, and openbox; False when Xvfb cannot start."""
    if not shutil.which("Xvfb"):
        return False
    # Xvfb picks the display itself: the first number with no lock file whose sockets it can
    # bind, which also steers clear of servers that other users' lock files do not show.
    ready, ready_w = os.pipe()
    xvfb = start(["Xvfb", "-displayfd", str(ready_w), "-screen", "0", "1600x1000x24",
                  "-nolisten", "tcp"], pass_fds=(ready_w,), stderr=open(home / "xvfb.log", "w"))
    os.close(ready_w)
    number = b""
    while not number.endswith(b"\n") and select.select([ready], [], [], 10)[0]:
        chunk = os.read(ready, 16)
        if not chunk:
            break
        number += chunk
    os.close(ready)
    if not number.endswith(b"\n") or xvfb.poll() is not None:
        return False
    ENV["DISPLAY"] = ":" + number.decode().strip()
    start(["openbox"], stderr=open(home / "openbox.log", "w"))
    wait_for("openbox", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in run(
        "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False))
    return True


def register_programs(home):
    """A default web browser that records the address it is handed and renders it with
    Chromium; and the editor, under its own desktop entry, as the program for HTML files, which
    records each start."""
    handler, editor = home / "recording-browser", home / "recording-editor"
    handler.write_text(f"""#!/bin/sh
printf '%s\\n' "$1" >> '{home}/browser-record'
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \\
  --disable-background-networking --disable-component-update --disable-sync \\
  --user-data-dir="$(mktemp -d)" --dump-dom "$1" > '{home}/dom.tmp' 2>/dev/null
mv '{home}/dom.tmp' '{home}/dom.html'
""")
    editor.write_text(f"#!/bin/sh\necho \"$@\" >> '{home}/editor-record'\nexec '{QUENBRY}' \"$@\"\n")
    for script in (handler, editor):
        script.chmod(0o755)
    apps = home / "data/applications"
    apps.mkdir(parents=True)
    (apps / "recording-browser.desktop").write_text(
        f"[Desktop Entry]\nType=Application\nName=Recording browser\nExec={handler} %u\n"
        "MimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n")
    (apps / "org.quenbry.HtmlEditor.desktop").write_text(
        f"[Desktop Entry]\nType=Application\nName=Quenbry HTML Editor\nExec={editor} %f\n"
        "MimeType=text/html;\n")
    run("xdg-settings", "set", "default-web-browser", "recording-browser.desktop")
    run("xdg-mime", "default", "org.quenbry.HtmlEditor.desktop", "text/html")


def day(home):
    runtime_file = home / "runtime/quenbry/temp.html"
    quenbry = start([str(QUENBRY)], cwd=home, stdout=open(home / "quenbry.log", "w"),
                    stderr=subprocess.STDOUT)

    # The account's first start: the owner registered for it is its own name, which the
    # splash shows in blue, with no message box; a key hands over long before the timer.
    account = pwd.getpwuid(os.getuid())
    owner = account.pw_gecos.split(",")[0].strip() or account.pw_name
    splash = wait_for("the splash", lambda: window("Quenbry HTML Editor"))
    shown = time.monotonic()
    sx, sy, _, _ = geometry(splash)
    wait_for("the owner's name on the splash", lambda: count_pixels(
        screenshot("splash"), (sx + 288, sy + 200, 153, 17),
        lambda r, g, b: b > 180 and r < 100 and g < 100) >= 20)
    if len(windows("Quenbry HTML Editor")) != 1:
        raise Failure("a message box came with the first start's splash (splash.png)")
    settings = (home / "config/QUENBRY/QUENBRY HTML Editor.ini").read_text()
    if f"name={owner}\n" not in settings or "org=\n" not in settings:
        raise Failure(f"the first start registered another owner than {owner!r}: {settings!r}")
    key("a")
    main = wait_for("the main window", lambda: window("Quenbry HTML Editor (Untitled)"))
    if time.monotonic() - shown > 2.0 or window("Quenbry HTML Editor"):
        raise Failure("the key did not hand over from the splash")
    x, y, w, h = geometry(main)
    if abs(x + w / 2 - 800) > 40 or abs(y + h / 2 - 500) > 40:
        raise Failure(f"the main window is not centred after the early hand-off: {x},{y} {w}x{h}")
    text = editor_text()
    if not text.startswith("<!DOCTYPE HTML PUBLIC") or "<title>New Page</title>" not in text:
        raise Failure(f"the editor does not hold the default page: {text[:80]!r}")
    wait_for("the temporary preview file", runtime_file.exists)
    screenshot("main-window")
    # F10 opens the File menu, a second F10 closes it and the keys go to the editor again.
    key("F10")
    screenshot("f10")
    key("F10", "ctrl+Home")
    type_text("%")
    if not editor_text().startswith("%<!DOCTYPE"):
        raise Failure("the keys after a second F10 did not reach the editor")

    # Typing: a Tab is a character, Alt+F opens a menu instead of typing, Shift+Left selects.
    key("ctrl+End")
    key("ctrl+a")
    type_text(PAGE)
    key("Home", "Tab")
    key("alt+f")
    screenshot("alt-f")
    key("Escape", "Escape")  # the menu, then the menu bar's keyboard focus
    expect("Shift+Left and Copy", copied("End", *["shift+Left"] * 4, "ctrl+c"), "</b>")
    expect("the primary selection", run("xclip", "-o", "-selection", "primary"), "</b>")
    key("ctrl+z")
    expect("the text after Undo", editor_text(), PAGE)
    key("ctrl+y")
    expect("the text after Redo", editor_text(), "\t" + PAGE)
    offer_clipboard("<i>y</i>")
    key("ctrl+End", "ctrl+v")
    pasted = "\t" + PAGE + "<i>y</i>"
    expect("the text after Paste", editor_text(), pasted)
    # Select all offers the whole text as the primary selection too, which the middle button
    # pastes where it is pressed: below and right of the text, at its end.
    expect("the primary selection after Select all",
           run("xclip", "-o", "-selection", "primary", strip=False), pasted)
    x, y, w, h = geometry(main)
    run("xdotool", "mousemove", "--sync", str(x + w - 40), str(y + h // 2), "click", "2")
    page = pasted + pasted
    expect("the text after a middle click", editor_text(), page)

    # Ctrl+S on the untitled page: the real file dialog, a typed path, Enter.
    saved = home / "day.html"
    key("ctrl+End", "ctrl+s")
    answer_file_dialog("Save", saved)
    wait_for("the saved page", lambda: file_bytes(saved) == page.encode() + b"\r\n")
    wait_for("the title with the file's name", lambda: window("Quenbry HTML Editor (day.html)"))

    # The preview pane renders the page (its lime background) beside the editor.
    key("ctrl+q")
    x, y, w, h = geometry(main)
    wait_for("the preview pane to show the page", lambda: count_pixels(
        screenshot("preview-pane"), (x + w // 2, y, w // 2, h),
        lambda r, g, b: r < 60 and g > 200 and b < 60) > 5000, timeout=60)

    # Preview in Browser hands the saved file to the web browser, which renders it, and so does
    # F1 the help page: neither goes to the program for HTML files, this editor.
    file_menu(main, *["Down"] * 7, "Return")
    dom = wait_for("the browser's page", lambda: file_bytes(home / "dom.html"), timeout=60)
    expect("the address handed to the browser", (home / "browser-record").read_text(),
           f"file://{saved}\n")
    if b"<title>Quenbry day</title>" not in dom:
        raise Failure(f"the browser's page has no title: {dom[:200]!r}")
    key("F1")
    record = wait_for("the help in the browser", lambda: (
        home / "browser-record").read_text().splitlines()[1:], timeout=30)
    if not (record[0].startswith("file:///") and record[0].endswith("/quenbry/help/index.html")):
        raise Failure(f"F1 handed the browser {record[0]!r}")
    if (home / "editor-record").exists():
        raise Failure("a second editor was started for a page")

    # A UTF-8 page: a letter typed into it is saved in UTF-8, as the rest of the file is.
    u8 = home / "utf8.html"
    u8.write_bytes("<p>café</p>".encode())
    file_menu(main, "Down", "Down", "Return")
    answer_file_dialog("Open", u8)
    wait_for("the UTF-8 page", lambda: window("Quenbry HTML Editor (utf8.html)"))
    key("ctrl+End")
    type_text("é")
    key("ctrl+s")
    wait_for("the saved UTF-8 page", lambda: file_bytes(u8) == "<p>café</p>é\r\n".encode())
    # Another program rewrites it while the user is away; coming back asks to reload it, and
    # Enter (Yes, nothing having changed since the save) does.
    elsewhere = start(["xmessage", "elsewhere"])
    run("xdotool", "windowactivate", "--sync", wait_for("xmessage", lambda: window("xmessage")))
    u8.write_bytes("<p>naïve</p>".encode())
    # Qt takes no notice of a focus that comes back within 400 ms; on a busy machine it may see
    # the focus go only late. The user stays away a while.
    time.sleep(1.5)
    run("xdotool", "windowactivate", "--sync", main)
    wait_for("the question to reload", lambda: window("Quenbry HTML Editor"))
    screenshot("reload-question")
    key("Return")
    wait_for("the reloaded page", lambda: editor_text() == "<p>naïve</p>")
    elsewhere.terminate()
    key("ctrl+s")
    wait_for("the reloaded page saved", lambda: file_bytes(u8) == "<p>naïve</p>\r\n".encode())

    # File > Open of a Windows-1252 page, an edit and Save: every byte comes back.
    cp = home / "cp1252.html"
    cp.write_bytes(CP1252)
    file_menu(main, "Down", "Down", "Return")
    answer_file_dialog("Open", cp)
    wait_for("the opened page", lambda: window("Quenbry HTML Editor (cp1252.html)"))
    key("ctrl+End")
    type_text("z")
    key("ctrl+s")
    wait_for("the saved Windows-1252 page", lambda: file_bytes(cp) == CP1252 + b"z\r\n")

    # Find: typing selects the first match after the caret and marks the one before it in yellow
    # behind the text; Enter goes on; Escape gives the keys back to the editor with the match
    # selected.
    key("ctrl+Home")
    type_text("p>")
    key("ctrl+f")
    type_text("p>")
    x, y, w, h = geometry(main)
    wait_for("the other match marked in yellow", lambda: count_pixels(
        screenshot("find-bar"), (x, y, w, h),
        lambda r, g, b: r > 240 and 220 < g < 250 and b < 160) > 20)
    key("Return", "Escape")
    type_text("q>")
    wait_for("the text typed over the match", lambda: editor_text().endswith("</q>z"))
    key("ctrl+End")
    # Replace: Alt+P reaches the replace field, Alt+A replaces every match as one change.
    key("ctrl+h")
    type_text("q>")
    key("alt+p")
    type_text("r>")
    key("alt+a")
    screenshot("replaced")
    key("Escape")
    wait_for("the text after Replace All", lambda: editor_text().endswith("</r>z"))
    # Go to Line: the caret on line 1, column 5.
    key("ctrl+g")
    wait_for("the Go to Line dialog", lambda: window("Go to Line"))
    type_text("1:5")
    key("Return")
    wait_for("the dialog to close", lambda: not window("Go to Line"))
    type_text("!")
    wait_for("the text typed at line 1, column 5", lambda: editor_text().startswith("p><p!>"))
    key("ctrl+End")
    edited = b"p><p!>" + CP1252[3:-4] + b"</r>z"

    # Exit with a change asks first; Cancel keeps the program running.
    type_text("w")
    file_menu(main, "Up", "Return")
    wait_for("the save prompt", lambda: window("DozudUzaz Evodav"))
    screenshot("exit-prompt")
    key("Escape")
    wait_for("the prompt to close", lambda: not window("DozudUzaz Evodav"))
    if quenbry.poll() is not None or not window("Quenbry HTML Editor (cp1252.html)"):
        raise Failure("Cancel at the Exit prompt ended the program")

    # The close box saves the change silently and ends everything, the preview file with it.
    x, y, w, _ = geometry(main)
    screenshot("before-close")
    click(x + w - 11, y - 11)
    try:
        quenbry.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise Failure("the process still runs after the close box")
    expect("the file after the close", file_bytes(cp), edited + b"w\r\n")
    if window("Quenbry HTML Editor (cp1252.html)") or runtime_file.exists():
        raise Failure("the window or the temporary preview file outlived the close")


def main_window(title, env, *args):
    """Starts the editor with env and hands over from its splash by a key: the main window's
    place and size once its title is `title`, and the program."""
    program = start([str(QUENBRY), *args], env=env, stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL)
    run("xdotool", "windowactivate", "--sync",
        wait_for("the splash", lambda: window("Quenbry HTML Editor")))
    key("a")
    return geometry(wait_for(title, lambda: window(title))), program


def other_desktops(home):
    """Under a dark desktop theme, text that was never coloured and the menu bar's captions read
    at 4.5:1 or more on the skin's light surfaces; at twice the scale on the 1600x1000 screen
    the main window opens inside it."""
    page, title = home / "plain.txt", "Quenbry HTML Editor (plain.txt)"
    page.write_text("words that no colour was given\n")
    (x, y, _, _), program = main_window(title, dict(ENV, QT_QPA_PLATFORMTHEME="gtk3",
                                                    GTK_THEME="Adwaita:dark"), str(page))
    # The first line of the text, and the menu bar's captions.
    wait_for("text at 4.5:1 under a dark theme (dark-theme.png)", lambda: min(
        text_contrast(screenshot("dark-theme"), box)
        for box in ((x + 4, y + 58, 300, 16), (x, y, 200, 20))) >= 4.5)
    program.terminate()
    wait_for("the dark window to close", lambda: not window(title))
    (x, y, w, h), program = main_window("Quenbry HTML Editor (Untitled)",
                                        dict(ENV, QT_SCALE_FACTOR="2"))
    screenshot("scaled")
    if x < 0 or y < 10 or x + w > 1600 or y + h > 1000 or h < 700:
        raise Failure(f"the scaled main window is not inside the screen: {x},{y} {w}x{h}")
    program.terminate()


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    OUT.mkdir(parents=True)
    home = Path(tempfile.mkdtemp(prefix="quenbry-desktop-"))
    global ENV
    ENV = {k: v for k, v in os.environ.items()
           if not k.startswith(("XDG_", "DESKTOP_", "QT_", "GNOME_", "KDE_")) and
           k not in ("BROWSER", "DISPLAY", "WAYLAND_DISPLAY")}
    ENV.update(HOME=str(home), XDG_CONFIG_HOME=str(home / "config"),
               XDG_DATA_HOME=str(home / "data"), XDG_CACHE_HOME=str(home / "cache"),
               XDG_RUNTIME_DIR=str(home / "runtime"), QT_QPA_PLATFORM="xcb")
    (home / "runtime").mkdir(mode=0o700)
    status = 0
    try:
        if not start_desktop(home):
            print("SKIP: Xvfb cannot start here")
            return 77
        register_programs(home)
        day(home)
        other_desktops(home)
        print(f"ok: the day went as a user expects (screenshots in {OUT})")
    except Failure as e:
        try:
            screenshot("failure")
        except Exception:
            pass
        print(f"FAIL: {e} (screenshots in {OUT}, logs in {home})")
        status = 1
    finally:
        for p in reversed(started):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
        if status == 0:
            shutil.rmtree(home, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
