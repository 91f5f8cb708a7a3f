"""Parses every prediction page and day page of an application folder with
html5lib and checks their structure:
  - the bytes are UTF-8;
  - no parse error except unexpected-cell-end-tag (the bracket cells' open font)
    and, on a day page whose day had no race 12 (so no closing), the end of
    file before the open elements' end tags;
  - no link inside a link;
  - every race card holds its title row and one row per runner, numbered 1..n,
    n being the runner count of the race's line in the speed file of its date.
Usage: check_pages.py APP_DIR   (exit 0 when every page passes)"""
import csv
import glob
import io
import os
import re
import sys

import html5lib

NS = "{http://www.w3.org/1999/xhtml}"


def runner_counts(app):
    """(yyyymmdd, page name, race number) -> runners, from the code table and the speed files."""
    slugs = {}
    with open(os.path.join(app, "JRACODE", "CodeTable.csv"), "rb") as f:
        for row in csv.reader(io.StringIO(f.read().decode("cp932"))):
            if len(row) > 6 and row[0] == "2001":
                slugs[row[1]] = row[6].lower()
    counts = {}
    for path in glob.glob(os.path.join(app, "SOKUDO", "HR*.csv")):
        with open(path, "rb") as f:
            for line in f.read().decode("ascii").split("\r\n"):
                if line:
                    items = line.split(",")
                    rid = items[0]
                    counts[(rid[:8], slugs.get(rid[8:10], ""), int(rid[14:16]))] = (len(items) - 1) // 2
    return counts


def cards(doc):
    """The runner numbers of every race card table, in order."""
    out = []
    for table in doc.iter(NS + "table"):
        if table.get("class") != "raceDetail":
            continue
        rows = list(table.iter(NS + "tr"))
        if not rows or rows[0].find(NS + "th") is None:
            raise AssertionError("race card without its title row")
        numbers = []
        for tr in rows[1:]:
            tds = tr.findall(NS + "td")
            numbers.append("".join(tds[1].itertext()) if len(tds) > 1 else "?")
        out.append(numbers)
    return out


def check(path, expected_counts):
    try:
        return check_page(path, expected_counts)
    except (AssertionError, UnicodeDecodeError) as e:
        raise AssertionError("%s: %s" % (path, e))


def check_page(path, expected_counts):
    raw = open(path, "rb").read()
    text = raw.decode("utf-8")  # strict: a page must be UTF-8
    parser = html5lib.HTMLParser(tree=html5lib.treebuilders.getTreeBuilder("etree"))
    doc = parser.parse(text)
    allowed = {"unexpected-cell-end-tag"}
    if not text.endswith("</html>\r\n"):
        allowed.add("expected-closing-tag-but-got-eof")
    errors = [e[1] for e in parser.errors if e[1] not in allowed]
    if errors:
        raise AssertionError("parse errors: %s" % sorted(set(errors)))
    for a in doc.iter(NS + "a"):
        if a.find(".//" + NS + "a") is not None:
            raise AssertionError("a link inside a link")
    found = cards(doc)
    for numbers, n in zip(found, expected_counts):
        if numbers != [str(i) for i in range(1, n + 1)]:
            raise AssertionError("race card rows %s for %d runners" % (numbers, n))
    if len(found) != len(expected_counts):
        raise AssertionError("%d race cards for %d races" % (len(found), len(expected_counts)))
    return len(found)


def main(app):
    counts = runner_counts(app)
    checked = 0
    for path in sorted(glob.glob(os.path.join(app, "tavlen_yosou", "*.txt"))):
        m = re.match(r"(\d{8})_(.*)_r(\d+)\.txt$", os.path.basename(path))
        check(path, [counts.get((m.group(1), m.group(2), int(m.group(3))), 0)])
        checked += 1
    for path in sorted(glob.glob(os.path.join(app, "tavlen_wp", "*_pdf.txt"))):
        m = re.match(r"(\d{8})_(.*)_pdf\.txt$", os.path.basename(path))
        day = sorted((k[2], n) for k, n in counts.items() if k[0] == m.group(1) and k[1] == m.group(2))
        check(path, [n for _, n in day if n > 0])
        checked += 1
    if checked == 0 or not glob.glob(os.path.join(app, "tavlen_yosou", "*.txt")):
        raise AssertionError("no pages in " + app)
    print("%d pages parsed" % checked)


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except (AssertionError, UnicodeDecodeError) as e:
        print("check_pages: %s" % e, file=sys.stderr)
        sys.exit(1)
