#!/usr/bin/env python3
"""Pictures of exam pages for the recognition evaluation, drawn by a real browser.

Every question of the demo bank and every line of tests/search/not_in_bank.txt is laid out as
an exam page shows it (number, type label, score, options on lines of their own), in one of
three CJK fonts at 14 to 18 px, with or without its options, some at 125% and 150% device scale.
Each bank question is drawn once more with its meaning changed in one place (another figure or
number word, a negation dropped or added, an opposite word), a text that stands in no question
of the bank: a reading of it must get no answer.
Pages of several blocks are drawn by headless chromium: once with --dump-dom, to learn where
each block landed, and once with --screenshot. manifest.json lists each block: the page
picture, the block's rectangle in the picture's pixels, and the exact text the page shows.

    make-pictures.py OUTDIR [--samples DIR]

--samples also writes a few single blocks as small grey PNGs (the test pictures).
"""
import argparse
import csv
import html
import json
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
FONTS = ["WenQuanYi Micro Hei", "Noto Sans CJK SC", "AR PL UMing CN"]
SIZES = [14, 15, 16, 17, 18]
BLOCKS_PER_PAGE = 12
WIDTH = 680
CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
            "--force-color-profile=srgb"]
# Options for the questions the bank lacks, so that their blocks look like the others.
MADE_UP_OPTIONS = ["一年", "两年", "三年", "五年"]


def bank_rows():
    with open(ROOT / "resources/bank/questions.csv", encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f))


def split_options(options):
    """The options as a page lists them, from the bank's several ways of storing them."""
    options = options.strip()
    if not options:
        return []
    if re.match(r"A\s*:", options):
        parts = re.split(r"\s*[A-H]\s*:\s*", options)
    elif ";" in options:
        parts = options.split(";")
    elif options.startswith('"'):
        parts = next(csv.reader([options]))
    elif "，" in options:
        parts = options.split("，")
    elif "," in options:
        parts = options.split(",")
    else:
        parts = re.split(r"\s{2,}", options)
    return [p.strip().rstrip("；;,，").strip() for p in parts if p.strip().rstrip("；;,，").strip()]


def type_label(answer):
    if answer in ("正确", "错误", "对", "错"):
        return "判断题"
    return "多选题" if re.fullmatch(r"[A-Za-z]{2,}", answer or "") else "单选题"


# The changes of meaning, as bench/match_eval makes them: the first place in the question where
# one applies is changed.
NUMBER_WORDS = [("一", "二"), ("二", "三"), ("三", "四"), ("四", "五"), ("五", "六"), ("六", "七"),
                ("七", "八"), ("八", "九"), ("十", "百"), ("两", "三"), ("百", "千"), ("千", "万")]
NEGATION_DROPPED = [("不", ""), ("未", ""), ("无", "有"), ("非", "")]
NEGATION_ADDED = [("应当", "不应当"), ("可以", "不可以"), ("属于", "不属于"), ("必须", "不必"),
                  ("需要", "不需要"), ("能", "不能"), ("是", "不是")]
OPPOSITES = [("越大", "越小"), ("越小", "越大"), ("最高", "最低"), ("最低", "最高"),
             ("高于", "低于"), ("低于", "高于"), ("以上", "以下"), ("以下", "以上"),
             ("正确", "错误"), ("错误", "正确"), ("增加", "减少"), ("减少", "增加"),
             ("第一", "第二"), ("之前", "之后"), ("之后", "之前"), ("应当", "不得"),
             ("不得", "应当"), ("绝密", "机密"), ("机密", "秘密"), ("内部", "外部"),
             ("提高", "降低"), ("扩大", "缩小"), ("有利", "不利"), ("主要", "次要"),
             ("直接", "间接"), ("长期", "短期"), ("公开", "保密"), ("必要", "不必要"),
             ("大", "小"), ("多", "少"), ("上", "下"), ("前", "后"), ("内", "外"), ("早", "晚"),
             ("长", "短"), ("强", "弱"), ("新", "旧")]


def replace_first(question, swaps):
    found = [(question.find(a), a, b) for a, b in swaps if a in question]
    if not found:
        return None
    at, a, b = min(found)
    return question[:at] + b + question[at + len(a):]


def another_figure(question):
    for i, c in enumerate(question):
        if c.isascii() and c.isdigit():
            return question[:i] + str((int(c) + 1) % 10) + question[i + 1:]
    return None


MEANING_CHANGES = [
    ("another figure", another_figure),
    ("another number word", lambda q: replace_first(q, NUMBER_WORDS)),
    ("negation dropped", lambda q: replace_first(q, NEGATION_DROPPED)),
    ("negation added", lambda q: replace_first(q, NEGATION_ADDED)),
    ("opposite word", lambda q: replace_first(q, OPPOSITES)),
]


def loose(text):
    """Letters, digits and Chinese characters only, full-width folded: roughly what the lookup
    compares."""
    out = []
    for c in text:
        if "\uff01" <= c <= "\uff5e":
            c = chr(ord(c) - 0xfee0)
        if c.isalnum():
            out.append(c.lower())
    return "".join(out)


def meaning_change(index, question, bank_texts):
    """A change of the question's meaning, the kinds taken in turn from the question's index;
    None when none applies or each gives a text some bank question holds."""
    for k in range(len(MEANING_CHANGES)):
        name, change = MEANING_CHANGES[(index + k) % len(MEANING_CHANGES)]
        changed = change(question)
        if not changed or loose(changed) == loose(question):
            continue
        if any(loose(changed) in b for b in bank_texts):
            continue
        return name, changed
    return None


def block_lines(number, question, label, options, layout):
    """The lines of one block as the page shows them."""
    if layout == 0:
        lines = [f"{number}、【{label}】{question}（2分）"]
        lines += [f"{chr(65 + k)}. {o}" for k, o in enumerate(options)]
    else:
        lines = [f"{number}.{question}"]
        lines += [f"{chr(65 + k)}、{o}" for k, o in enumerate(options)]
    return lines


def cases(shift=0):
    out = []
    rows = bank_rows()
    absent = [l.strip() for l in open(ROOT / "tests/search/not_in_bank.txt", encoding="utf-8")
              if l.strip()]
    items = [(i, r["题目内容"], split_options(r["选项"]), type_label(r["标准答案"]))
             for i, r in enumerate(rows)]
    items += [(-1, q, MADE_UP_OPTIONS, "单选题") for q in absent]
    bank_texts = [loose(r["题目内容"]) for r in rows]
    changes = {}
    for i, question, options, label in list(items[:len(rows)]):
        found = meaning_change(i, question, bank_texts)
        if found:
            changes[len(items)] = found[0]
            items.append((-2, found[1], options, label))
    for k, (row, question, options, label) in enumerate(items):
        # Another shift gives every question another face, size, scale and layout: a set of
        # pictures held out from the one the readings were chosen on.
        n = k + shift
        with_options = (n // len(FONTS)) % 2 == 0
        scale = 1.5 if n % 10 == 7 else 1.25 if n % 10 == 3 else 1.0
        out.append({
            "row": row,
            "change": changes.get(k, ""),
            "font": FONTS[n % len(FONTS)],
            "px": SIZES[(n // 2) % len(SIZES)],
            "options": with_options and bool(options),
            "scale": scale,
            "lines": block_lines(n % 40 + 1, question, label, options if with_options else [],
                                 n % 2),
        })
    return out


def page_html(blocks):
    parts = ['<!doctype html><html><head><meta charset="utf-8"><style>',
             "body{margin:0;background:#fff;color:#333}",
             ".q{box-sizing:border-box;width:640px;margin:0 20px 24px;padding:10px 12px;"
             "line-height:1.6}",
             ".q div{margin:2px 0}",
             "</style></head><body>"]
    for k, b in enumerate(blocks):
        style = f"font-family:'{b['font']}';font-size:{b['px']}px"
        inner = "".join(f"<div>{html.escape(l)}</div>" for l in b["lines"])
        parts.append(f'<div class="q" id="b{k}" style="{style}">{inner}</div>')
    parts.append("<script>for(const d of document.querySelectorAll('.q')){"
                 "const r=d.getBoundingClientRect();"
                 "d.dataset.rect=[r.x,r.y+scrollY,r.width,r.height].join(',');}"
                 "document.body.dataset.height=document.documentElement.scrollHeight;</script>")
    parts.append("</body></html>")
    return "".join(parts)


def run(args):
    subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)


def draw_page(out, name, blocks, scale):
    page = out / f"{name}.html"
    page.write_text(page_html(blocks), encoding="utf-8")
    url = page.resolve().as_uri()
    dom = subprocess.run(CHROMIUM + ["--window-size=%d,2000" % WIDTH, "--dump-dom", url],
                         check=True, capture_output=True, text=True).stdout
    rects = [list(map(float, m.split(","))) for m in re.findall(r'data-rect="([^"]*)"', dom)]
    height = int(re.search(r'data-height="(\d+)"', dom).group(1))
    if len(rects) != len(blocks):
        sys.exit(f"{page}: {len(rects)} blocks laid out of {len(blocks)}")
    picture = out / f"{name}.png"
    run(CHROMIUM + [f"--force-device-scale-factor={scale}", f"--window-size={WIDTH},{height}",
                    f"--screenshot={picture}", url])
    entries = []
    for b, (x, y, w, h) in zip(blocks, rects):
        entries.append({
            "picture": picture.name,
            "rect": [round(x * scale), round(y * scale), round(w * scale), round(h * scale)],
            "text": "\n".join(b["lines"]),
            **{k: b[k] for k in ("row", "change", "font", "px", "options", "scale")},
        })
    return entries


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--samples")
    parser.add_argument("--shift", type=int, default=0,
                        help="draw each question as the one SHIFT places on would be drawn")
    args = parser.parse_args()
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    manifest = []
    by_scale = {}
    for c in cases(args.shift):
        by_scale.setdefault(c["scale"], []).append(c)
    for scale, blocks in sorted(by_scale.items()):
        for p in range(0, len(blocks), BLOCKS_PER_PAGE):
            name = f"page-{int(scale * 100)}-{p // BLOCKS_PER_PAGE:03d}"
            manifest += draw_page(out, name, blocks[p:p + BLOCKS_PER_PAGE], scale)
            print(name, file=sys.stderr)
    (out / "manifest.json").write_text(json.dumps(manifest, ensure_ascii=False, indent=1),
                                       encoding="utf-8")
    if args.samples:
        write_samples(out, manifest, pathlib.Path(args.samples))


def write_samples(out, manifest, folder):
    """A few blocks as the test pictures: each font, with and without options, one at 150%,
    one question the bank lacks, UMing's smallest size, which the browser draws without
    anti-aliasing, one that only a second reading finds, and a bank question with its meaning
    changed."""
    folder.mkdir(parents=True, exist_ok=True)
    wanted = {
        "in-bank-wqy-options.png": lambda e: e["row"] >= 0 and e["font"] == FONTS[0]
        and e["options"] and e["scale"] == 1.0,
        "in-bank-noto-stem.png": lambda e: e["row"] >= 0 and e["font"] == FONTS[1]
        and not e["options"] and e["scale"] == 1.0,
        "in-bank-uming-150.png": lambda e: e["row"] >= 0 and e["font"] == FONTS[2]
        and e["scale"] == 1.5,
        "in-bank-uming-14.png": lambda e: e["row"] >= 0 and e["font"] == FONTS[2]
        and e["px"] == 14 and e["scale"] == 1.0 and not e["options"],
        "not-in-bank.png": lambda e: e["row"] == -1 and e["scale"] == 1.0 and not e["options"],
        # Read "闭作权…" the usual way, right with lines enlarged to 36 pixels.
        "in-bank-uming-15-read-again.png": lambda e: e["row"] == 182 and e["font"] == FONTS[2],
        "meaning-changed-uming.png": lambda e: e["row"] == -2 and e["font"] == FONTS[2]
        and e["scale"] == 1.0 and not e["options"],
    }
    listing = []
    for name, pick in wanted.items():
        e = next(e for e in manifest if pick(e))
        x, y, w, h = e["rect"]
        run(["convert", str(out / e["picture"]), "-crop", f"{w}x{h}+{x}+{y}", "+repage",
             "-colorspace", "Gray", "-strip", str(folder / name)])
        listing.append(f"{name}\t{e['row']}\t{e['font']}\t{e['px']}px\t{e['scale']}")
    (folder / "pictures.tsv").write_text("\n".join(listing) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
