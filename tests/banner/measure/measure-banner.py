#!/usr/bin/env python3
"""Start-up time and memory of the program with its banner strip offline and online.

Run inside an X server, for instance:
  xvfb-run -a -s "-screen 0 1280x1024x24" tests/banner/measure/measure-banner.py \
      --program build/src/qinglan-dati --runs 5 [--serve 18468]

--serve PORT starts a local web server on 127.0.0.1:PORT with an advertising page (with an
inline frame), for a program built with -DQINGLAN_SITE_ROOT=http://127.0.0.1:PORT.
Each run copies the program into a fresh folder (it unpacks its question bank next to
itself), measures the time from process start to its main window being viewable, waits
--settle seconds, then sums the proportional set size (PSS) of the program and all its
descendant processes (the web engine's helpers) from /proc/<pid>/smaps_rollup.
"""
import argparse
import http.server
import os
import shutil
import signal
import statistics
import subprocess
import tempfile
import threading
import time

TITLE = "青岚学堂答题器"
AD_PAGE = (b"<!DOCTYPE html><html><head><style>body{margin:8px;border:2px solid red}</style>"
           b"</head><body>advert <iframe src='/frame.html' width='200' height='40'></iframe>"
           b"</body></html>")
FRAME_PAGE = b"<html><body>frame</body></html>"


class AdHandler(http.server.BaseHTTPRequestHandler):
    requests = {}

    def do_GET(self):
        AdHandler.requests[self.path] = AdHandler.requests.get(self.path, 0) + 1
        pages = {"/gg468_68ad.html": AD_PAGE, "/frame.html": FRAME_PAGE, "/": b"ok"}
        body = pages.get(self.path)
        self.send_response(200 if body is not None else 404)
        body = body if body is not None else b"not here"
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def children_of():
    """Map of parent pid to child pids, from /proc."""
    tree = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", "rb") as f:
                stat = f.read()
        except OSError:
            continue
        ppid = int(stat[stat.rindex(b")") + 2:].split()[1])
        tree.setdefault(ppid, []).append(int(entry))
    return tree


def family(pid):
    tree = children_of()
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        todo.extend(tree.get(p, []))
    return found


def pss_kib(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def visible_windows():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE],
                         capture_output=True, text=True)
    return out.stdout.split() if out.returncode == 0 else []


def dismiss_error_boxes(seconds):
    """Presses Enter on every further window with the program's title (its error boxes, for
    instance the bank's password error with a fixture bank) until none has come for a while."""
    dismissed = 0
    quiet_since = time.monotonic()
    while time.monotonic() - quiet_since < seconds:
        windows = visible_windows()
        if len(windows) > 1:
            box = windows[-1]
            subprocess.run(["xdotool", "windowactivate", "--sync", box, "key", "Return"],
                           capture_output=True)
            dismissed += 1
            quiet_since = time.monotonic()
        time.sleep(0.05)
    return dismissed


def one_run(program, settle):
    folder = tempfile.mkdtemp(prefix="banner-measure-")
    try:
        exe = os.path.join(folder, os.path.basename(program))
        shutil.copy2(program, exe)
        start = time.monotonic()
        proc = subprocess.Popen([exe], cwd=folder, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        shown = None
        while time.monotonic() - start < 30:
            if visible_windows():
                shown = time.monotonic() - start
                break
            time.sleep(0.005)
        boxes = dismiss_error_boxes(1.0)
        time.sleep(settle)
        members = family(proc.pid)
        total = sum(pss_kib(p) for p in members)
        main = pss_kib(proc.pid)
        for p in reversed(members):
            try:
                os.kill(p, signal.SIGKILL)
            except ProcessLookupError:
                pass
        proc.wait()
        return shown, total, main, len(members), boxes
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--settle", type=float, default=6.0)
    parser.add_argument("--serve", type=int)
    args = parser.parse_args()

    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    server = None
    if args.serve:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", args.serve), AdHandler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        results = [one_run(os.path.abspath(args.program), args.settle) for _ in range(args.runs)]
    finally:
        if server:
            server.shutdown()
        wm.terminate()
        wm.wait()
    for i, (shown, total, main_pss, count, boxes) in enumerate(results, 1):
        shown_ms = "not shown" if shown is None else f"{shown * 1000:.0f} ms"
        print(f"run {i}: window shown {shown_ms}; PSS {total / 1024:.1f} MiB in {count} "
              f"process(es), program alone {main_pss / 1024:.1f} MiB; "
              f"error boxes dismissed: {boxes}")
    shown = [r[0] * 1000 for r in results if r[0] is not None]
    totals = [r[1] / 1024 for r in results]
    if shown:
        print(f"shown: median {statistics.median(shown):.0f} ms, min {min(shown):.0f}, "
              f"max {max(shown):.0f}")
    if args.serve:
        print(f"requests served over all runs: {AdHandler.requests}")
    print(f"PSS total: median {statistics.median(totals):.1f} MiB, min {min(totals):.1f}, "
          f"max {max(totals):.1f}")


if __name__ == "__main__":
    main()
