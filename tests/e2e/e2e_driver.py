#!/usr/bin/env python3
"""Drives the real program in a real X session the way a person does.

Starts Xvfb (1280 x 800) with openbox, copies the program into a fresh program folder, and checks
what a person sees: the window's title, size, place and stacking, the unpacked bank, typed and
pasted questions, the contact dialog, and the files left behind after the window is closed.
Screenshots of the run are saved in the artefact folder.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

SCREEN_W, SCREEN_H = 1280, 800
TITLE = "青岚学堂答题器"
DIALOG_TITLE = "联系作者"
# Client-area positions from the window layout.
MEMO = (8 + 316, 127 + 43)  # a point inside the input box
CHECKBOX1 = (213 + 8, 70 + 6 + 8)
CHECKBOX2 = (330 + 8, 70 + 6 + 8)
BUTTON5 = (562 + 37, 70 + 3 + 12)
CHECKBOX4 = (3 + 552 + 8, 108 + 1 + 8)  # 复制即查, in GroupBox1's caption row
BUTTON6 = (3 + 104 + 36, 108 + 9)  # 截图识题, beside GroupBox1's caption
ANSWER_BOX = (8, 243, 632 - 20, 146)  # x, y, w, h without the scroll bar
MEMO_BOX = (3 + 5, 108 + 19, 632, 86)  # the input box with its frame

failures = []


def check(condition, message):
    status = "ok  " if condition else "FAIL"
    print(f"{status} {message}", flush=True)
    if not condition:
        failures.append(message)


def run(*args, check_rc=True, env=None, input_bytes=None):
    result = subprocess.run(args, capture_output=True, env=env, input=input_bytes)
    if check_rc and result.returncode != 0:
        raise RuntimeError(f"{args} failed: {result.stderr.decode(errors='replace')}")
    return result.stdout.decode(errors="replace")


def wait_for(predicate, timeout=15.0, step=0.1):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


class Session:
    def __init__(self, artefacts):
        self.artefacts = artefacts
        self.display = f":{random.randint(120, 400)}"
        self.xvfb = subprocess.Popen(
            ["Xvfb", self.display, "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.environ["DISPLAY"] = self.display
        # The program must draw on this display, even when the suite runs with offscreen set.
        os.environ["QT_QPA_PLATFORM"] = "xcb"
        if not wait_for(lambda: subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0, 10):
            raise RuntimeError("Xvfb did not start")
        self.wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.8)
        self.shots = 0
        self.keyboard = Keyboard()

    def close(self):
        for proc in (self.wm, self.xvfb):
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()

    def screenshot(self, name):
        self.shots += 1
        path = os.path.join(self.artefacts, f"{self.shots:02d}-{name}.png")
        run("import", "-window", "root", path)
        return path


class Keyboard:
    """Types text, Chinese included, without changing the keymap while keys are in flight.

    xdotool types a character missing from the keymap by binding it to a spare keycode, pressing
    that key and unbinding it again at once. The program reads the keymap from the server only
    when it gets round to the mapping's notice; on a busy machine that is after the unbinding, and
    the key then types nothing (seen as 变量名中常用的下划线 arriving as 量中常用的划). So every
    character is bound before typing starts and stays bound until a later text needs its keycode.
    """

    def __init__(self):
        self.bound = {}  # character -> keycode, oldest first
        # Empty keycodes and the media keys, which nothing here presses; never a modifier's key
        # (a character there would arrive with Alt or Super held). Keycode 8 stays free for
        # xdotool's own use.
        modifiers = {int(word.strip("(),"), 16)
                     for word in run("xmodmap", "-pm").split() if word.startswith("(0x")}
        self.pool = []
        for line in run("xmodmap", "-pke").splitlines():
            code, _, syms = line.partition("=")
            number = int(code.split()[1])
            if number > 8 and number not in modifiers and all(
                    sym.startswith("XF86") or sym == "NoSymbol" for sym in syms.split()):
                self.pool.append(number)

    def type(self, text):
        wanted = [c for c in dict.fromkeys(text) if ord(c) > 0x7E and c not in self.bound]
        if wanted:
            free = [k for k in self.pool if k not in self.bound.values()]
            for c in list(self.bound):
                if len(free) >= len(wanted):
                    break
                if c not in text:
                    free.append(self.bound.pop(c))
            if len(free) < len(wanted):
                raise RuntimeError(f"too many different characters to type at once: {text}")
            rules = []
            for c, code in zip(wanted, free):
                self.bound[c] = code
                rules += ["-e", f"keycode {code} = U{ord(c):04X}"]
            run("xmodmap", *rules)
            time.sleep(0.5)  # let the program take in the new keymap before the first key
        run("xdotool", "type", "--delay", "60", text)


def find_window(name, pid=None):
    args = ["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"]
    if pid:
        args = ["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", f"^{name}$"]
    out = run(*args, check_rc=False).split()
    return out[-1] if out else None


def geometry(wid):
    """Client area (x, y, w, h) on the screen and the frame extents (l, r, t, b)."""
    info = run("xwininfo", "-id", wid)
    values = {}
    for line in info.splitlines():
        line = line.strip()
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            if line.startswith(key + ":"):
                values[key] = int(line.split(":")[1])
    extents = run("xprop", "-id", wid, "_NET_FRAME_EXTENTS", check_rc=False)
    frame = (0, 0, 0, 0)
    if "=" in extents:
        frame = tuple(int(v) for v in extents.split("=")[1].split(","))
    return (values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"],
            values["Height"]), frame


def is_above(wid):
    return "_NET_WM_STATE_ABOVE" in run("xprop", "-id", wid, "_NET_WM_STATE", check_rc=False)


def click_client(wid, point):
    (x, y, _, _), _ = geometry(wid)
    run("xdotool", "mousemove", "--sync", str(x + point[0]), str(y + point[1]))
    run("xdotool", "click", "1")
    time.sleep(0.4)


def colour_rows(session, wid, name):
    """Classifies the text rows of the answer box by colour, top to bottom."""
    path = session.screenshot(name)
    (x, y, _, _), _ = geometry(wid)
    ax, ay, aw, ah = ANSWER_BOX
    out = run("convert", path, "-crop", f"{aw}x{ah}+{x + ax}+{y + ay}", "+repage", "-depth", "8",
              "txt:-")
    rows = {}
    for line in out.splitlines()[1:]:
        coords, _, rest = line.partition(":")
        px, py = (int(v) for v in coords.split(","))
        rgb = rest.split("(")[1].split(")")[0].split(",")[:3]
        r, g, b = (int(float(v)) for v in rgb)
        kind = None
        if b > 150 and r < 110 and g < 110:
            kind = "blue"
        elif r > 150 and b > 150 and g < 110:
            kind = "fuchsia"
        elif r > 150 and g < 110 and b < 110:
            kind = "red"
        elif r < 90 and g < 90 and b < 90:
            kind = "black"
        if kind:
            rows.setdefault(py, {}).setdefault(kind, 0)
            rows[py][kind] += 1
    # Collapse consecutive pixel rows of the same dominant colour into text lines.
    lines = []
    last_y = -10
    for py in sorted(rows):
        kind = max(rows[py], key=rows[py].get)
        if rows[py][kind] < 3:
            continue
        if lines and py - last_y <= 2 and lines[-1] == kind:
            last_y = py
            continue
        if not lines or lines[-1] != kind or py - last_y > 2:
            lines.append(kind)
        last_y = py
    # Merge repeats caused by gaps inside glyphs.
    merged = []
    for kind in lines:
        if not merged or merged[-1] != kind:
            merged.append(kind)
    return merged


def windows_of(pid):
    """Visible windows of a process with the program's title, as decimal ids."""
    out = run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name",
              f"^{TITLE}$", check_rc=False)
    return [int(w) for w in out.split()]


def stacking():
    """Client windows from the bottom of the stack to the top."""
    out = run("xprop", "-root", "_NET_CLIENT_LIST_STACKING", check_rc=False)
    if "#" not in out:
        return []
    return [int(w.strip(), 16) for w in out.split("#")[1].split(",")]


def transient_for(wid):
    out = run("xprop", "-id", str(wid), "WM_TRANSIENT_FOR", check_rc=False)
    return int(out.split("#")[1].strip(), 16) if "#" in out else None


def error_box_of(pid, main):
    """The process's other window with the program's title: an error box."""
    boxes = [w for w in windows_of(pid) if w != int(main)]
    return boxes[-1] if boxes else None


def check_box_above(pid, main, when):
    box = wait_for(lambda: error_box_of(pid, main), 10)
    check(box is not None, f"an error box appears {when}")
    if box is None:
        return
    time.sleep(0.5)
    order = stacking()
    check(is_above(main), f"the main window is above others while the box shows ({when})")
    check(transient_for(box) == int(main), f"the error box is owned by the main window ({when})")
    check(box in order and int(main) in order and order.index(box) > order.index(int(main)),
          f"the error box is stacked above the topmost main window ({when})")
    # The OK button sits at the box's lower right corner.
    (x, y, w, h), _ = geometry(str(box))
    run("xdotool", "mousemove", "--sync", str(x + w - 50), str(y + h - 22))
    run("xdotool", "click", "1")
    check(wait_for(lambda: box not in windows_of(pid), 5), f"OK closes the error box ({when})")


def memo_ink_rows(session, wid, name):
    """Rows of the input box's inside (frame left out) that hold dark text, and its height."""
    path = session.screenshot(name)
    (x, y, _, _), _ = geometry(wid)
    mx, my, mw, mh = MEMO_BOX
    inner_w, inner_h = mw - 6, mh - 4
    out = run("convert", path, "-crop", f"{inner_w}x{inner_h}+{x + mx + 3}+{y + my + 2}",
              "+repage", "-depth", "8", "txt:-")
    dark = {}
    for line in out.splitlines()[1:]:
        coords, _, rest = line.partition(":")
        _, py = (int(v) for v in coords.split(","))
        r, g, b = (int(float(v)) for v in rest.split("(")[1].split(")")[0].split(",")[:3])
        if r < 90 and g < 90 and b < 90:
            dark[py] = dark.get(py, 0) + 1
    return sorted(row for row, n in dark.items() if n >= 2), inner_h


def start_program(folder, program_name):
    proc = subprocess.Popen([os.path.join(folder, program_name)], cwd=folder,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wid = wait_for(lambda: find_window(TITLE, proc.pid), 20)
    time.sleep(1.0)
    return proc, wid


def close_window(wid):
    run("xdotool", "windowactivate", "--sync", wid, check_rc=False)
    run("xdotool", "key", "--clearmodifiers", "alt+F4")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def pick_question(tool, bank):
    """A question whose middle holds ten Chinese characters in a row: easy to type, distinctive."""
    import csv
    import io
    rows = list(csv.DictReader(io.StringIO(run(tool, "dump", bank, "问题"))))
    for row in reversed(rows):
        text = (row.get("题目内容") or "").strip()
        if not row.get("科目") or len(text) < 16:
            continue
        for start in range(len(text) // 3, len(text) - 10):
            piece = text[start:start + 10]
            if all("\u4e00" <= c <= "\u9fff" for c in piece):
                return text, piece
    raise RuntimeError("no suitable question in the bank")


def drag(start, end):
    run("xdotool", "mousemove", "--sync", str(start[0]), str(start[1]))
    run("xdotool", "mousedown", "1")
    for k in range(1, 6):
        x = start[0] + (end[0] - start[0]) * k // 5
        y = start[1] + (end[1] - start[1]) * k // 5
        run("xdotool", "mousemove", "--sync", str(x), str(y))
        time.sleep(0.05)
    run("xdotool", "mouseup", "1")


def check_screen_reading(session, wid, picture):
    """The page is a picture shown at the top left of the screen, away from the main window."""
    page = subprocess.Popen(["display", "-title", "exam-page", "-geometry", "+10+10", picture],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        page_wid = wait_for(lambda: find_window("exam-page"), 10)
        check(page_wid is not None, "the exam page is shown on the screen")
        if not page_wid:
            return
        time.sleep(0.5)
        (px, py, pw, ph), _ = geometry(page_wid)
        # Guidance first, so that only the page's question can bring an answer.
        click_client(wid, MEMO)
        session.keyboard.type("zzqx这句话不在题库里")
        time.sleep(0.8)
        before = colour_rows(session, wid, "before-screen-reading")
        check(before[:3] == ["blue", "fuchsia", "red"],
              f"before 截图识题 the answer box shows the guidance (rows: {before})")
        # Esc cancels: the window comes back and the answer box is as it was.
        click_client(wid, BUTTON6)
        time.sleep(1.5)
        hidden = find_window(TITLE) is None
        session.screenshot("frozen-screen")
        run("xdotool", "key", "Escape")
        check(hidden and wait_for(lambda: find_window(TITLE) is not None, 5),
              "截图识题 hides the window and Esc brings it back")
        time.sleep(0.5)
        check(colour_rows(session, wid, "after-escape") == before,
              "after Esc the answer box is unchanged")
        # A dragged rectangle over the page: its question's answer.
        click_client(wid, BUTTON6)
        time.sleep(1.5)
        drag((px + 2, py + 2), (px + pw - 2, py + ph - 2))
        check(wait_for(lambda: find_window(TITLE) is not None, 5),
              "the window comes back after the rectangle is dragged")
        rows = wait_for(lambda: (lambda r: r if r[:3] == ["blue", "black", "red"] else None)(
            colour_rows(session, wid, "screen-reading")), 30, 1.0)
        check(rows is not None and rows[:3] == ["blue", "black", "red"],
              f"the rectangle's question is answered in the answer box (rows: {rows})")
    finally:
        page.kill()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--bank", required=True, help="the embedded bank file")
    parser.add_argument("--bank-tool", help="qinglan-bank, to pick a question from the bank")
    parser.add_argument("--fragment", help="a fragment of a bank question")
    parser.add_argument("--question", help="a whole bank question")
    parser.add_argument("--artefacts", required=True)
    parser.add_argument("--docs", help="folder for the README screenshots")
    parser.add_argument("--page-picture", help="a picture of a bank question, for 截图识题")
    args = parser.parse_args()

    os.makedirs(args.artefacts, exist_ok=True)
    if not (args.fragment and args.question):
        args.question, args.fragment = pick_question(args.bank_tool, args.bank)
    print(f"question: {args.question}\nfragment: {args.fragment}", flush=True)
    folder = tempfile.mkdtemp(prefix="qinglan-e2e-")
    # The exit step records the start page under XDG_CONFIG_HOME: keep the runner's own untouched.
    os.environ["XDG_CONFIG_HOME"] = os.path.join(folder, "xdg")
    program_name = os.path.basename(args.program)
    shutil.copy2(args.program, folder)
    session = Session(args.artefacts)
    procs = []
    try:
        # 1. Title, size, place, keep-on-top at first start.
        proc, wid = start_program(folder, program_name)
        procs.append(proc)
        check(wid is not None, "the main window appears with the title " + TITLE)
        if wid is None:
            return 1  # nothing else can be checked; the run has failed
        (x, y, w, h), (fl, fr, ft, fb) = geometry(wid)
        check((w, h) == (648, 397), f"client area is 648 x 397 (got {w} x {h})")
        outer_w, outer_h = w + fl + fr, h + ft + fb
        want_left = SCREEN_W // 2 - outer_w // 2
        want_top = SCREEN_H // 2 - outer_h // 2
        check(abs((x - fl) - want_left) <= 1 and abs((y - ft) - want_top) <= 1,
              f"centred on the screen (frame at {x - fl},{y - ft}, want {want_left},{want_top})")
        check(is_above(wid), "_NET_WM_STATE_ABOVE is set at first start")

        # 1b. The five usage lines fit the input box: four lines of text (the second is empty),
        # the last one whole, ending above the bottom of the box instead of running into it.
        ink, inner_h = memo_ink_rows(session, wid, "usage-lines")
        check(len(ink) >= 40 and ink[-1] < inner_h - 2,
              f"the fifth usage line shows whole ({len(ink)} rows of text, the last at "
              f"{ink[-1] if ink else None} of {inner_h})")

        # 2. The bank is unpacked next to the program, byte for byte.
        bank_path = os.path.join(folder, "question.slg")
        check(os.path.isfile(bank_path) and read(bank_path) == read(args.bank),
              "question.slg next to the program holds the embedded bank's bytes")

        # 3. Typing a fragment shows the four answer lines; a fragment of no question the guidance.
        click_client(wid, MEMO)
        session.keyboard.type(args.fragment)
        time.sleep(0.8)
        rows = colour_rows(session, wid, "typed-fragment")
        check(rows[:4] == ["blue", "black", "red"] or rows[:3] == ["blue", "black", "red"],
              f"typed fragment draws blue, black, black, red lines (rows: {rows})")
        if args.docs:
            shutil.copy(session.screenshot("answer"), os.path.join(args.docs, "screenshot-answer.png"))
        click_client(wid, MEMO)
        session.keyboard.type("zzqx这句话不在题库里")
        time.sleep(0.8)
        rows = colour_rows(session, wid, "guidance")
        check(rows[:3] == ["blue", "fuchsia", "red"],
              f"a fragment of no question draws blue, fuchsia, red guidance (rows: {rows})")

        # 4. Click-to-paste with the real X clipboard.
        click_client(wid, CHECKBOX2)
        clip = subprocess.Popen(["xclip", "-selection", "clipboard", "-loops", "5"],
                                stdin=subprocess.PIPE)
        clip.stdin.write(args.question.encode())
        clip.stdin.close()
        time.sleep(0.5)
        click_client(wid, MEMO)
        time.sleep(0.8)
        rows = colour_rows(session, wid, "click-to-paste")
        check(rows[:3] == ["blue", "black", "red"],
              f"one click pastes the clipboard question and shows its answer (rows: {rows})")
        clip.kill()
        click_client(wid, CHECKBOX2)  # off again

        # 4b. Copy to answer: off, a copy elsewhere changes nothing; on, it is looked up at once.
        def copy_elsewhere(text):
            proc = subprocess.Popen(["xclip", "-selection", "clipboard", "-loops", "3"],
                                    stdin=subprocess.PIPE)
            proc.stdin.write(text.encode())
            proc.stdin.close()
            time.sleep(1.0)
            return proc
        click_client(wid, MEMO)
        session.keyboard.type("zzqx这句话不在题库里")
        time.sleep(0.8)
        clip = copy_elsewhere(args.question)
        rows = colour_rows(session, wid, "copy-option-off")
        check(rows[:3] == ["blue", "fuchsia", "red"],
              f"with 复制即查 off a copy changes nothing (rows: {rows})")
        clip.kill()
        click_client(wid, CHECKBOX4)
        clip = copy_elsewhere(args.question)
        rows = colour_rows(session, wid, "copy-option-on")
        check(rows[:3] == ["blue", "black", "red"],
              f"with 复制即查 on a copy elsewhere shows its answer with no click (rows: {rows})")
        clip.kill()
        click_client(wid, CHECKBOX4)  # off again

        # 4c. 截图识题: a page on the screen, the button, a dragged rectangle, the answer.
        if args.page_picture:
            check_screen_reading(session, wid, args.page_picture)

        # 5. Unticking keep-on-top clears ABOVE at once without moving; the contact dialog.
        before, _ = geometry(wid)
        click_client(wid, CHECKBOX1)
        check(wait_for(lambda: not is_above(wid), 3), "unticking 软件总在总前 clears _NET_WM_STATE_ABOVE")
        after, _ = geometry(wid)
        check(before[:2] == after[:2], f"the window did not move ({before[:2]} -> {after[:2]})")
        click_client(wid, CHECKBOX1)
        check(wait_for(lambda: is_above(wid), 3), "ticking it again sets _NET_WM_STATE_ABOVE")
        click_client(wid, BUTTON5)
        dialog = wait_for(lambda: find_window(DIALOG_TITLE), 5)
        check(dialog is not None, "the contact button opens 联系作者")
        if dialog:
            time.sleep(0.5)
            session.screenshot("contact-dialog")
            if args.docs:
                shutil.copy(session.screenshot("dialog"), os.path.join(args.docs, "screenshot-contact.png"))
            (dx, dy, dw, dh), (dl, dr, dt, db) = geometry(dialog)
            (mx, my, mw, mh), (ml, mr, mt, mb) = geometry(wid)
            want_x = (mx - ml) + ((mw + ml + mr) - (dw + dl + dr)) // 2
            want_y = (my - mt) + ((mh + mt + mb) - (dh + dt + db)) // 2
            check(abs((dx - dl) - want_x) <= 1 and abs((dy - dt) - want_y) <= 1,
                  f"the dialog is centred on the main window ({dx - dl},{dy - dt} vs {want_x},{want_y})")
            check(not is_above(wid), "the main window is not above others while the dialog is open")
            state = run("xprop", "-id", dialog, "_NET_WM_STATE", check_rc=False)
            check("_NET_WM_STATE_MODAL" in state, "the dialog is modal")
            close_window(dialog)
            check(wait_for(lambda: find_window(DIALOG_TITLE) is None, 5), "the dialog closes")
            check(wait_for(lambda: is_above(wid), 3), "closing the dialog restores keep-on-top")

        # 7. A second copy from the same folder finds the file present.
        with open(os.path.join(folder, "Config.ini"), "wb") as f:
            f.write(b"[Config]\r\nSetHomePage=0\r\nSetTop=0\r\n")
        bank_stamp = os.stat(bank_path).st_mtime_ns
        second, wid2 = start_program(folder, program_name)
        procs.append(second)
        check(wid2 is not None and is_above(wid2),
              "a second copy with the bank present ignores the stored SetTop=0 (stays above)")
        check(os.stat(bank_path).st_mtime_ns == bank_stamp, "the second copy did not rewrite the bank")
        if wid2:
            close_window(wid2)
            check(second.wait(15) == 0, "the second copy exits with status 0")

        # 6. Closing through the window manager ends the process and cleans up.
        click_client(wid, CHECKBOX1)  # untick keep-on-top, so SetTop is stored as 0
        started = time.time()
        close_window(wid)
        status = proc.wait(15)
        check(status == 0, f"closing the main window ends the process with status 0 (got {status})")
        check(time.time() - started >= 0.5, "the exit takes the half-second wait")
        check(not os.path.exists(bank_path), "question.slg is gone after the last copy exits")
        config = read(os.path.join(folder, "Config.ini"))
        check(config == b"[Config]\r\nSetHomePage=1\r\nSetTop=0\r\nWatchClipboard=0\r\n",
              f"Config.ini holds the boxes as they stood ({config!r})")

        third, wid3 = start_program(folder, program_name)
        procs.append(third)
        check(wid3 is not None and not is_above(wid3), "a second start restores SetTop=0: not above")
        if wid3:
            close_window(wid3)
            third.wait(15)
        # 8. Error boxes belong to the main window and stay above it while it is topmost: at
        # start-up (the bank cannot be unpacked over a folder of its name, so the connection
        # fails as well) and during a lookup, which then fails too.
        broken = tempfile.mkdtemp(prefix="qinglan-e2e-broken-")
        shutil.copy2(args.program, broken)
        os.mkdir(os.path.join(broken, "question.slg"))
        fourth = subprocess.Popen([os.path.join(broken, program_name)], cwd=broken,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        procs.append(fourth)
        main4 = wait_for(lambda: next((str(w) for w in windows_of(fourth.pid)
                                       if geometry(str(w))[0][2:] == (648, 397)), None), 20)
        check(main4 is not None, "the main window appears when the bank cannot be unpacked")
        if main4:
            check_box_above(fourth.pid, main4, "when the unpacking fails at start-up")
            check_box_above(fourth.pid, main4, "when the connection fails at start-up")
            time.sleep(1.0)
            session.screenshot("after-start-up-boxes")
            click_client(main4, MEMO)
            session.keyboard.type("a")
            check_box_above(fourth.pid, main4, "when a lookup fails")
            fourth.kill()
            fourth.wait(5)
        shutil.rmtree(broken, ignore_errors=True)

        # 9. SIGTERM (log-off, shutdown, kill) closes the window the normal way: the bank is
        # deleted and the options are written as the boxes stood.
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        shutil.copy2(args.program, folder)
        fifth, wid5 = start_program(folder, program_name)
        procs.append(fifth)
        check(wid5 is not None and os.path.isfile(bank_path), "a fresh start unpacks the bank")
        if wid5:
            click_client(wid5, CHECKBOX1)  # untick keep-on-top
            check(wait_for(lambda: not is_above(wid5), 3), "keep-on-top is off before the signal")
            fifth.terminate()
            status = fifth.wait(15)
            check(status == 0, f"SIGTERM ends the process with status 0 (got {status})")
            check(not os.path.exists(bank_path), "question.slg is gone after SIGTERM")
            config = read(os.path.join(folder, "Config.ini"))
            check(config == b"[Config]\r\nSetHomePage=1\r\nSetTop=0\r\nWatchClipboard=0\r\n",
                  f"after SIGTERM Config.ini holds the boxes as they stood ({config!r})")
    finally:
        for p in procs:
            if p.poll() is None:
                p.kill()
        session.close()
        shutil.rmtree(folder, ignore_errors=True)

    print(f"{len(failures)} failed" if failures else "all end-to-end checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
