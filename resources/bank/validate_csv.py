#!/usr/bin/env python3
"""Checks the demo bank source for the dialect mdb-export prints and for the cases the
lookup has to cope with. Usage: validate_csv.py [questions.csv [not_in_bank.txt]].
With the second file, also checks that its questions (one a line) are absent from the bank and
share no run of 8 characters with any bank question, so that a tolerant matcher has no honest
reason to answer them. Exit code 1 on a fault."""
import csv
import io
import re
import sys
from collections import Counter

HEADER = ["科目", "题目内容", "选项", "标准答案", "编号"]
SUBJECTS = {
    "专业技术人员综合能力建设读本", "专业技术人员的职业发展", "专业技术人员标准化的理论、方法与实践",
    "专业技术人员保密教育", "专业技术人员的创新能力与创新思维", "新时期法治思维与法治风尚", "网络安全",
    "网络效应", "专业技术人员知识创造与经营", "全面深化改革实现文明发展", "专业技术人员内生动力与职业水平",
    "专业技术人员突发事件应急处理", "当代科学技术新知识读本（一）", "创新力和团队建设", "传统文化与法治中国",
    "专业技术人员网络安全生态", "专业技术人员创新理论与实践", "专业技术人员职业道德建设",
    "专业技术人员的综合能力建设读本", "专业技术人员心理健康与心理调适",
    "原原本本、原汁原味 准确领会十九大精神", "颈椎病的防治", "血脂异常与心血管疾病", "（最新）传统文化与法治中国",
}
COURSE_TITLE = re.compile(r"^学习《[^《》]{8}》$")

faults = []


def fault(msg):
    faults.append(msg)


def parse_records(text):
    """Splits the file into records of fields; an unquoted empty field becomes None (NULL),
    a quoted one "" (empty text). The csv module cannot tell the two apart."""
    records, fields, i, n = [], [], 0, len(text)
    while i < n:
        if text[i] == '"':
            i += 1
            buf = []
            while True:
                j = text.index('"', i)
                buf.append(text[i:j])
                if j + 1 < n and text[j + 1] == '"':
                    buf.append('"')
                    i = j + 2
                else:
                    i = j + 1
                    break
            value = "".join(buf)
        else:
            j = i
            while j < n and text[j] not in ",\n":
                j += 1
            value = text[i:j] if j > i else None
            i = j
        fields.append(value)
        if i >= n or text[i] == "\n":
            records.append(fields)
            fields = []
            i += 1
        elif text[i] == ",":
            i += 1
            if i >= n or text[i] == "\n":
                fields.append(None)
        else:
            raise ValueError("unexpected character at offset %d" % i)
    return records


def serialise(records):
    def cell(v, numeric):
        if v is None:
            return ""
        return v if numeric else '"' + v.replace('"', '""') + '"'

    lines = [",".join(HEADER)]
    for r in records:
        lines.append(",".join(cell(v, k == 4) for k, v in enumerate(r)))
    return "\n".join(lines) + "\n"


def layout_of(opt):
    if opt is None:
        return "NULL"
    if opt == "正确，错误":
        return "正确，错误"
    if opt == "正确  错误":
        return "正确  错误"
    if re.fullmatch(r'"[^"]*"(,"[^"]*"){3}', opt):
        return "quoted"
    if re.match(r"^ ?A( :|：)", opt):
        return "lettered"
    if ";" in opt:
        return "semicolon"
    if opt.count(",") == 3:
        return "comma"
    return "unknown"


def option_count(opt, layout):
    if layout == "semicolon":
        return len(opt.split(";"))
    if layout in ("quoted", "comma"):
        return 4
    if layout == "lettered":
        return len(re.findall(r"(?:^|[ ,，；]) ?([A-F])(?: :|：)", opt))
    return 0


def main(path, absent_path=None):
    raw = open(path, "rb").read()
    if raw.startswith(b"\xef\xbb\xbf"):
        fault("file starts with a BOM")
    if b"\r" in raw:
        fault("file holds CR characters")
    text = raw.decode("utf-8")
    if not text.endswith("\n"):
        fault("file does not end with LF")
    header, *rows = parse_records(text)
    if text.split("\n", 1)[0] != ",".join(HEADER):
        fault("header is not the unquoted column list")

    # The csv module must read the same cells (apart from NULL versus empty).
    by_csv = list(csv.reader(io.StringIO(text, newline="")))
    for k, (a, b) in enumerate(zip(by_csv[1:], rows), start=2):
        if a != ["" if v is None else v for v in b]:
            fault("line %d: csv module reads %r" % (k, a))
    if len(by_csv) != len(rows) + 1:
        fault("csv module counts %d records" % len(by_csv))
    if serialise(rows) != text:
        fault("file does not round-trip through parse and serialise")

    seen_q, numbers = {}, []
    subjects, layouts, styles = Counter(), Counter(), Counter()
    case_rows = {}

    def mark(case, number):
        case_rows.setdefault(case, []).append(number)

    null_answers = 0
    for line, r in enumerate(rows, start=2):
        if len(r) != 5:
            fault("line %d: %d fields" % (line, len(r)))
            continue
        subj, q, opt, ans, num = r
        for name, v in zip(HEADER, r):
            if v is not None and ("\n" in v or "\t" in v or "\r" in v):
                fault("line %d: line break or tab in %s" % (line, name))
        if not subj or len(subj) > 255 or not (subj in SUBJECTS or COURSE_TITLE.match(subj)):
            fault("line %d: subject %r" % (line, subj))
        if not q or not 6 <= len(q) <= 220:
            fault("line %d: question length %s" % (line, q and len(q)))
            continue
        if q in seen_q:
            fault("line %d: duplicate question (first on line %d)" % (line, seen_q[q]))
        seen_q[q] = line
        if opt is not None and not 5 <= len(opt) <= 280:
            fault("line %d: options length %d" % (line, len(opt)))
        if num is None or not num.isdigit():
            fault("line %d: 编号 %r" % (line, num))
            continue
        num = int(num)
        numbers.append(num)
        subjects[subj] += 1
        lay = layout_of(opt)
        layouts[lay] += 1
        if lay == "unknown":
            fault("line %d: unknown options layout %r" % (line, opt))

        # answer style must follow the layout
        if ans is None:
            null_answers += 1
            style = "NULL"
            if lay != "NULL":
                fault("line %d: NULL answer with options" % line)
        elif not 1 <= len(ans) <= 47:
            fault("line %d: answer length %d" % (line, len(ans)))
            style = "?"
        elif re.fullmatch(r"[A-F]+", ans):
            style = "upper"
        elif re.fullmatch(r"[a-d]+", ans):
            style = "lower"
        elif ans in ("正确", "错误"):
            style = "正确/错误"
        elif ans in ("√", "X"):
            style = "√/X"
        else:
            style = "fill-in"
        styles[(lay, style)] += 1
        allowed = {
            "semicolon": ("upper", "正确/错误"), "quoted": ("lower",), "正确，错误": ("正确/错误",),
            "lettered": ("upper",), "正确  错误": ("√/X",), "comma": ("upper",),
            "NULL": ("正确/错误", "fill-in", "NULL"),
        }.get(lay, ())
        if style not in allowed:
            fault("line %d: answer %r does not suit layout %s" % (line, ans, lay))
        if style == "正确/错误" and lay == "semicolon" and opt != "正确;错误":
            fault("line %d: 正确/错误 answer with other options" % line)
        if style in ("upper", "lower"):
            letters = ans.upper()
            if list(letters) != sorted(set(letters)):
                fault("line %d: letters %r not sorted or repeated" % (line, ans))
            count = option_count(opt, lay)
            if ord(letters[-1]) - ord("A") >= count:
                fault("line %d: answer %r beyond %d options" % (line, ans, count))
            if lay in ("quoted", "comma") and count != 4:
                fault("line %d: expected 4 options" % line)

        # awkward cases
        if "%" in q:
            mark("%", num)
        if "_" in q:
            mark("_", num)
        if "____" in q:
            mark("____ blank", num)
        if "[" in q:
            mark("[", num)
        for m in re.finditer(r"\(( *)\)", q):
            mark("ASCII ( ) with %d blanks" % len(m.group(1)), num)
        for m in re.finditer(r"（( *)）", q):
            mark("full-width （ ） with %d blanks" % len(m.group(1)), num)
        if q.startswith("、"):
            mark("starts with 、", num)
        if q.startswith(" ") and not q.startswith("  "):
            mark("starts with one blank", num)
        if q[0].isdigit():
            mark("starts with a digit", num)
        if re.match(r"^\d+：【", q):
            mark("number, full-width colon, bracketed mark", num)
        if re.search(r"[a-z][A-Z]|[A-Z][a-z]", q):
            mark("mixed-case Latin", num)
        if "'" in q:
            mark("apostrophe", num)
        if len(q) >= 150:
            mark("long question (150-220)", num)
        if opt is not None and len(opt) >= 200:
            mark("long options (>=200)", num)
        for name, v in (("question", q), ("options", opt)):
            if v and sum(ord(c) > 0xFF for c in v) * 5 <= len(v):
                mark("mostly U+0001-U+00FF %s" % name, num)
        if any(ord(c) > 0xFFFF for c in q):
            mark("outside the BMP", num)
        if opt is None and style == "fill-in" and re.search(r"[,，]", ans):
            mark("fill-in with several parts", num)

    # one question standing inside another, in both file orders
    order = {q: k for k, q in enumerate(seen_q)}
    num_of = {q: int(r[4]) for q, r in zip(seen_q, rows)}
    for short in seen_q:
        for long_ in seen_q:
            if short != long_ and short in long_:
                where = "after" if order[long_] > order[short] else "before"
                mark("contained, longer %s shorter" % where, (num_of[short], num_of[long_]))

    if not numbers:
        for f in faults[:20]:
            print("FAULT:", f)
        print("FAULT: no row with a valid 编号")
        return 1
    if null_answers != 1:
        fault("%d NULL answers, want exactly one" % null_answers)
    if len(set(numbers)) != len(numbers):
        fault("repeated 编号")
    gaps = sorted(set(range(1, max(numbers) + 1)) - set(numbers))
    descents = [(a, b) for a, b in zip(numbers, numbers[1:]) if b < a]
    non_course = [s for s in subjects if not COURSE_TITLE.match(s)]
    required = [
        "%", "_", "[", "starts with 、", "starts with one blank", "starts with a digit",
        "number, full-width colon, bracketed mark", "mixed-case Latin", "apostrophe",
        "long question (150-220)", "long options (>=200)", "outside the BMP",
        "contained, longer after shorter", "contained, longer before shorter",
        "mostly U+0001-U+00FF options",
    ]
    for case in required:
        if case not in case_rows:
            fault("no row for case: " + case)
    for lay in ("semicolon", "quoted", "正确，错误", "lettered", "正确  错误", "comma", "NULL"):
        if not layouts[lay]:
            fault("no row with layout " + lay)

    print("rows:", len(rows), " subjects:", len(subjects), "(%d from the list)" % len(non_course))
    for s, c in subjects.most_common():
        print("  %3d  %s" % (c, s))
    print("layouts:")
    for lay, c in layouts.most_common():
        print("  %3d  %s" % (c, lay))
    print("layout / answer style:")
    for (lay, st), c in sorted(styles.items()):
        print("  %3d  %s -> %s" % (c, lay, st))
    print("编号: 1..%d, gaps %s, out-of-order places %s" % (max(numbers), gaps, descents))
    print("cases (编号):")
    for case, nums in sorted(case_rows.items()):
        print("  %s: %s" % (case, nums))
    if len(rows) < 230 or len(subjects) < 14:
        fault("too few rows or subjects")
    if not gaps or not descents:
        fault("编号 needs gaps and out-of-order blocks")
    if absent_path:
        check_absent(absent_path, list(seen_q))
    for f in faults:
        print("FAULT:", f)
    return 1 if faults else 0


def check_absent(path, bank):
    runs = {q[i:i + 8] for q in bank for i in range(len(q) - 7)}
    text = open(path, encoding="utf-8").read()
    if not text.endswith("\n") or "\r" in text:
        fault("%s: want LF line ends and a final LF" % path)
    lines = text.split("\n")[:-1]
    if len(set(lines)) != len(lines):
        fault("%s: repeated lines" % path)
    shared = 0
    for k, line in enumerate(lines, start=1):
        if not 6 <= len(line) <= 220 or "\t" in line:
            fault("%s:%d: length or tab" % (path, k))
        hits = [line[i:i + 8] for i in range(len(line) - 7) if line[i:i + 8] in runs]
        if hits:
            shared += 1
            fault("%s:%d: shares %r with the bank" % (path, k, hits[0]))
    print("%s: %d questions, %d sharing an 8-character run with the bank" % (path, len(lines), shared))


if __name__ == "__main__":
    args = sys.argv[1:]
    sys.exit(main(args[0] if args else "questions.csv", args[1] if len(args) > 1 else None))
