#!/usr/bin/env python3
"""kvreport's page in a real browser: hand-made documents of every state (hostile names, an
unpaired surrogate, files that are no document) go through the native kvreport; headless
Chromium renders report.html at 1366x768 and prints its DOM; the counts and names must be there,
no script, and the screenshot not blank; report.csv is read back with the csv module.

usage: browser_test.py <kvreport>            the test
       browser_test.py --page <report.html>  prints the page's state counts as the browser
                                             shows them ("clean=1 done=0 ..."), for other tests"""
import csv, json, os, re, subprocess, sys, tempfile

FAILURES = []


def check(expected, actual, what):
    if expected != actual:
        FAILURES.append("%s\n  expected: %r\n  actual:   %r" % (what, expected, actual))


def chromium(work, page, *mode):
    profile = tempfile.mkdtemp(dir=work)  # a new empty profile each time
    return subprocess.run(
        ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + profile, "--window-size=1366,768", *mode,
         "file://" + os.path.abspath(page)],
        cwd=work, capture_output=True, text=True, timeout=120).stdout


def rendered_counts(page):
    """The state counts of the rendered page, and whether its screenshot holds more than a
    background (imagemagick's count of distinct colours)."""
    work = tempfile.mkdtemp()
    dom = chromium(work, page, "--dump-dom")
    chromium(work, page, "--screenshot=" + work + "/page.png")
    colours = int(subprocess.run(["identify", "-format", "%k", work + "/page.png"],
                                 capture_output=True, text=True).stdout or 0)
    counts = dict(re.findall(r'id="count-(\w+)">(\d+)<', dom))
    return dom, counts, colours


def document(computer, time, exit_code, **more):
    doc = {"schema": 2, "program": "kvcheck", "version": "0.1.0", "computer": computer,
           "time": time, "account": {"name": "CORP\\admin", "localSystem": False, "elevated": True},
           "windows": {"version": "10.0.19045", "nativeArchitecture": "x64"}, "models": [],
           "exitCode": exit_code, "found": exit_code != 0, "restartRequired": {"required": False}}
    doc.update(more)
    return json.dumps(doc, indent=2)


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="") as f:
        f.write(text)


def test(kvreport):
    work = tempfile.mkdtemp()
    share, out = work + "/share", work + "/out"
    hostile = [{"name": "<script>document.title='run'</script>", "decision": "keep", "why": "printing 30"},
               {"name": "=cmd|' /C calc'!A0", "decision": "delete", "why": "idle"}]
    write(share + "/PC-CLEAN/kvcheck-after.json", document("PC-CLEAN", "2026-12-08T02:00:00Z", 0))
    write(share + "/PC-TODO/kvcheck-before.json", document("PC-TODO", "2026-12-08T01:00:00Z", 114,
                                                           queues=hostile + [{"name": "Old", "decision": "delete"}]))
    write(share + "/PC-TODO/kvcheck-after.json", document("PC-TODO", "2026-12-08T02:00:00Z", 114, queues=hostile))
    write(share + "/PC-TODO/copy.json", document("PC-TODO", "2026-12-08T02:00:00Z", 114, queues=hostile))
    write(share + "/PC-DONE/a.json", document("PC-DONE", "2026-12-08T02:00:00Z", 113).replace(
        '"models"', '"unreachedDrivers": [{"name": "NV\\ud800", "decision": "unreached"}], "models"'))
    write(share + "/PC-FAIL/a.json", document("PC-FAIL", "2026-12-08T02:00:00Z", 17, failure="Failed to enumerate printers."))
    write(share + "/PC-RESTART/a.json", document("PC-RESTART", "2026-12-08T02:00:00Z", 113,
                                                 restartRequired={"required": True, "products": ["NOVAX QZ [A]"]}))
    write(share + "/bad/not.json", "kvcheck: unknown option")
    write(share + "/bad/empty.json", "")
    write(share + "/bad/cut.json", document("PC-CUT", "2026-12-08T02:00:00Z", 0)[:50])

    run = subprocess.run([kvreport, share, "-o", out], capture_output=True, text=True)
    check(0, run.returncode, "exit code of kvreport")
    check("kvreport: 5 PCs from 6 documents, 3 files not read; wrote %s/report.html and %s/report.csv\n"
          % (out, out), run.stdout, "what kvreport says")
    for args, code, error in (
            ([work + "/empty-folder"], 2, "kvreport: no kvcheck document read below"),
            ([share, "--since", "2026-12-9"], 1, 'kvreport: --since: "2026-12-9" is not a date'),
            ([share, "-o", share + "/bad/not.json"], 3, "kvreport: could not write")):
        os.makedirs(work + "/empty-folder", exist_ok=True)
        failed = subprocess.run([kvreport] + args, capture_output=True, text=True)
        check(code, failed.returncode, "exit code of kvreport %s" % args)
        check(error, failed.stderr[:len(error)], "message of kvreport %s" % args)

    dom, counts, colours = rendered_counts(out + "/report.html")
    check({"clean": "1", "done": "1", "todo": "1", "failed": "1", "restart": "1"}, counts, "state counts in the DOM")
    check([], re.findall(r"<script", dom, re.I), "script elements in the DOM")
    for text in ("&lt;script&gt;document.title='run'&lt;/script&gt;", "=cmd|' /C calc'!A0", "NV\ufffd",
                 "Failed to enumerate printers.", "NOVAX QZ [A]", "cut off: the JSON ends early",
                 "not JSON (error at byte 1)", "empty file", "1 more had a computer and time already read"):
        check(True, text in dom, "the DOM shows " + text)
    changed = dom.split('class="changed"')[1].split("</table>")[0]
    check(["1", "2", "0"], re.findall(r'<td class="n">(\d+)</td>', changed),
          "PC-TODO's change: gone, stayed, new")
    check(True, colours > 8, "distinct colours of the screenshot (%d)" % colours)

    with open(out + "/report.csv", encoding="utf-8-sig", newline="") as f:
        rows = list(csv.DictReader(f))
    check(["PC-CLEAN", "PC-DONE", "PC-FAIL", "PC-RESTART", "PC-TODO"], [r["Computer"] for r in rows], "CSV rows")
    check(["clean", "done, what stays stays", "check failed", "restart owed", "still to clean"],
          [r["State"] for r in rows], "CSV states")
    check("queues keep 1, delete 1", rows[4]["Objects"], "PC-TODO's objects in the CSV")
    check("still to clean", rows[4]["State before"], "PC-TODO's state before")


if __name__ == "__main__":
    if sys.argv[1] == "--page":
        dom, counts, colours = rendered_counts(sys.argv[2])
        print(" ".join("%s=%s" % item for item in counts.items()), "blank" if colours <= 8 else "drawn")
        sys.exit(0)
    test(sys.argv[1])
    for failure in FAILURES:
        print("FAIL:", failure, file=sys.stderr)
    sys.exit(1 if FAILURES else 0)
