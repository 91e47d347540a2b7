#!/usr/bin/env python3
"""Opens the HTML page of zunkaro-report in headless Chromium and checks the
page the browser built: it loads, its ranking tables have one row per user,
its charts are there, and no log text became an element.

Usage: html_in_browser.py ZUNKARO_REPORT LOG...
"""
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
# The elements our page is made of; anything else came from a log.
OURS = {"html", "head", "meta", "title", "style", "body", "h1", "h2", "section", "table",
        "thead", "tbody", "tr", "th", "td", "dl", "dt", "dd", "figure", "figcaption", "svg",
        "rect", "text", "line", "script"}


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.tags = []
        self.rows = []       # per ranking table: its body rows
        self.charts = 0
        self.in_body = False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.tags.append(tag)
        if tag == "table" and attrs.get("class") == "ranking":
            self.rows.append(0)
        elif tag == "tbody":
            self.in_body = True
        elif tag == "tr" and self.in_body:
            self.rows[-1] += 1
        elif tag == "svg" and attrs.get("class") == "chart":
            self.charts += 1

    def handle_endtag(self, tag):
        if tag == "tbody":
            self.in_body = False


def fail(text):
    print("FAILED:", text, file=sys.stderr)
    sys.exit(1)


def main():
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if browser is None:
        print("SKIPPED: chromium is not installed (scripts/install-deps installs it)")
        return SKIP
    program, logs = sys.argv[1], sys.argv[2:]
    users = []
    for log in logs:
        line = subprocess.run([program, "--format=json", log], capture_output=True,
                              check=True).stdout
        users.append(len(json.loads(line)["users"]))

    with tempfile.TemporaryDirectory() as scratch:
        page = os.path.join(scratch, "report.html")
        subprocess.run([program, "--format=html", "-o", page, *logs], check=True)
        dom = subprocess.run(
            [browser, "--headless", "--no-sandbox", "--disable-gpu",
             "--disable-background-networking", "--no-first-run",
             f"--user-data-dir={os.path.join(scratch, 'profile')}", "--dump-dom",
             "file://" + page],
            capture_output=True, timeout=120).stdout.decode("utf-8")

    parsed = Page()
    parsed.feed(dom)
    if "<h1>Zunkaro</h1>" not in dom:
        fail("the page did not load")
    if parsed.rows != users:
        fail(f"table rows {parsed.rows} != users per log {users}")
    if parsed.charts != 3 * len(logs):
        fail(f"{parsed.charts} charts for {len(logs)} logs")
    strangers = sorted(set(parsed.tags) - OURS)
    if strangers:
        fail(f"log text became elements: {strangers}")
    if parsed.tags.count("script") != 1:
        fail(f"{parsed.tags.count('script')} scripts in the page")
    # The sorting script ran: every heading can take the focus.
    if dom.count('tabindex="0"') != 8 * len(logs):
        fail("the sorting script did not run")
    print(f"{len(logs)} logs: rows {parsed.rows}, {parsed.charts} charts, no element from a log")
    return 0


if __name__ == "__main__":
    sys.exit(main())
