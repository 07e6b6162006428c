#!/usr/bin/env python3
"""Pastes long texts into the real window through the X clipboard and measures how long the
window stops answering.

Starts Xvfb with openbox and the program, and for each way of pasting (a click on the input box
with click-to-paste ticked, Ctrl+V) and each kind and size of text: hands the text to xclip,
pastes while window_ping pings the window every 100 ms (as a window manager does), types a key
once the text is in, and records the longest wait for an answer; the text copied out of the box
again must come back byte for byte. Then, each way once, a paste while xclip is stopped, as a
program that hangs: the window must go on answering, and take the text once xclip goes on (a
window that read the clipboard itself would wait for xclip). Prints a table; exits 1 when any
paste stopped the window for --limit ms or more, a copy did not come back whole, or the window
no longer answers a question pasted after them all.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_driver as e2e  # noqa: E402

KINDS = {
    "exam page": lambda i: f"{i}、【单选题】国家秘密的密级分为(  )三级。（2分）\nA. 绝密、机密、秘密\n"
                           f"B. 核心、重要、一般\nC. 甲、乙、丙 Version 2.0 (see page {i})\n",
    "unbroken ASCII word": lambda i: "a" * 1000,
    "letter with marks": lambda i: "a" + "\u0301" * 200,
    "Hangul words": lambda i: "대한민국 국가 비밀 등급 ",
    "Cyrillic words": lambda i: "государственная тайна степень ",
    "RTL and zero-width": lambda i: "\u202eשלום\u200bעולם\u200f مرحبا\u200d بالعالم ",
    "short lines": lambda i: f"line {i}\n",
}


def make_text(kind, size):
    parts, total, i = [], 0, 0
    unit = KINDS[kind]
    while total < size:
        piece = unit(i).encode()
        parts.append(piece)
        total += len(piece)
        i += 1
    return b"".join(parts)


WAYS = ("click", "ctrl+v")


def own_clipboard(text):
    # -quiet keeps xclip in the foreground, so that killing it ends its ownership.
    clip = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard"], stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    clip.stdin.write(text)
    clip.stdin.close()
    return clip


def paste(wid, way):
    # Away first: xdotool's synchronous move waits for a move that never comes when the pointer
    # is already on the spot. The click selects the box's text (and pastes over it when
    # click-to-paste is ticked); Ctrl+V then pastes over the selection.
    e2e.run("xdotool", "mousemove", "0", "0")
    e2e.click_client(wid, e2e.MEMO)
    if way == "ctrl+v":
        e2e.run("xdotool", "key", "ctrl+v")


def copied_back(expected):
    """The box's text copied out again: the window takes the clipboard once it has built the
    copy, which for a long one takes a moment."""
    e2e.run("xdotool", "key", "ctrl+a", "ctrl+c")
    back = b""
    for _ in range(20):
        time.sleep(0.5)
        back = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                              timeout=60).stdout
        if back == expected:
            break
    return back


def set_click_to_paste(wid, state, on):
    if state != on:
        e2e.click_client(wid, e2e.CHECKBOX2)
    return on


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--ping", required=True, help="the window_ping program")
    parser.add_argument("--artefacts", required=True)
    parser.add_argument("--sizes", default="10", help="sizes in MB, comma-separated")
    parser.add_argument("--kinds", help="kinds to paste, comma-separated (all when left out)")
    parser.add_argument("--ways", default=",".join(WAYS),
                        help="ways of pasting, comma-separated: " + ", ".join(WAYS))
    parser.add_argument("--limit", type=float, default=1000.0, help="ms the window may not answer")
    args = parser.parse_args()

    os.makedirs(args.artefacts, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="qinglan-paste-")
    # The program must draw in the X session, whatever platform the test run asks for.
    os.environ["QT_QPA_PLATFORM"] = "xcb"
    os.environ["XDG_CONFIG_HOME"] = os.path.join(folder, "xdg")
    program_name = os.path.basename(args.program)
    shutil.copy2(args.program, folder)
    session = e2e.Session(args.artefacts)
    proc = None
    bad = []
    try:
        proc, wid = e2e.start_program(folder, program_name)
        if wid is None:
            print("the main window did not appear")
            return 1
        click_to_paste = False
        print(f"{'paste':<22} {'way':<7} {'size':>6} {'not answering':>14}", flush=True)
        for way in args.ways.split(","):
            click_to_paste = set_click_to_paste(wid, click_to_paste, way == "click")
            for size_mb in [float(s) for s in args.sizes.split(",")]:
                for kind in args.kinds.split(",") if args.kinds else KINDS:
                    text = make_text(kind, int(size_mb * 1_000_000))
                    clip = own_clipboard(text)
                    time.sleep(0.3)
                    seconds = 6 + size_mb / 4
                    ping = subprocess.Popen([args.ping, wid, str(seconds)],
                                            stdout=subprocess.PIPE, text=True)
                    time.sleep(0.5)
                    started = time.time()
                    paste(wid, way)
                    # A key once the text is in: the layout must not freeze again at each
                    # keystroke.
                    time.sleep(max(0.5, seconds - 3))
                    clip.kill()
                    e2e.run("xdotool", "key", "ctrl+End", "x")
                    if os.environ.get("PASTE_WINDOW_SHOTS"):
                        time.sleep(1)
                        session.screenshot(f"after-key-{kind}-{way}-{size_mb:g}".replace(" ", "-"))
                    out, _ = ping.communicate(timeout=seconds + 60)
                    # Copied out again, the box gives the whole text back, with the key typed.
                    back = copied_back(text + b"x")
                    if back != text + b"x":
                        bad.append(f"{kind} {way} {size_mb:g} MB: {len(back)} bytes copied back "
                                   f"of {len(text) + 1}")
                    longest = float(out.split()[1])
                    print(f"{kind:<22} {way:<7} {size_mb:>4g} MB {longest:>11.0f} ms  "
                          f"({out.strip()}, {time.time() - started:.1f} s)", flush=True)
                    if longest >= args.limit:
                        bad.append(f"{kind} {way} {size_mb:g} MB: {longest:.0f} ms")
        # The owner hangs while the paste waits for it, then goes on.
        for way in args.ways.split(","):
            click_to_paste = set_click_to_paste(wid, click_to_paste, way == "click")
            text = f"国家秘密的密级分为(  )三级。 ({way})".encode()
            clip = own_clipboard(text)
            time.sleep(0.3)
            os.kill(clip.pid, signal.SIGSTOP)
            ping = subprocess.Popen([args.ping, wid, "3.5"], stdout=subprocess.PIPE, text=True)
            time.sleep(0.5)
            paste(wid, way)
            time.sleep(2.0)
            os.kill(clip.pid, signal.SIGCONT)
            out, _ = ping.communicate(timeout=60)
            longest = float(out.split()[1])
            back = copied_back(text)
            clip.kill()
            print(f"{'owner stopped 2 s':<22} {way:<7} {'':>7} {longest:>11.0f} ms  "
                  f"({out.strip()})", flush=True)
            if longest >= args.limit:
                bad.append(f"owner stopped, {way}: the window waited {longest:.0f} ms")
            if back != text:
                bad.append(f"owner stopped, {way}: {back!r} copied back instead of {text!r}")
        click_to_paste = set_click_to_paste(wid, click_to_paste, True)
        # An ordinary question is still answered after them all.
        clip = own_clipboard("国家秘密的密级分为".encode())
        time.sleep(0.5)
        e2e.run("xdotool", "mousemove", "0", "0")
        e2e.click_client(wid, e2e.MEMO)
        time.sleep(1.0)
        rows = e2e.colour_rows(session, wid, "after-long-pastes")
        clip.kill()
        if rows[:3] != ["blue", "black", "red"]:
            bad.append(f"a question pasted after the long pastes is not answered (rows: {rows})")
        e2e.close_window(wid)
        status = proc.wait(30)
        if status != 0:
            bad.append(f"the program ended with status {status}")
    finally:
        if proc and proc.poll() is None:
            proc.kill()
        session.close()
        shutil.rmtree(folder, ignore_errors=True)
    for line in bad:
        print("FAIL:", line)
    print(f"{len(bad)} failed" if bad else "every paste was answered within the limit")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
