#!/usr/bin/env python3
"""Reads every output of zunkaro-report for the given logs back, with jq and
Python's csv module, and checks it against the figures of the text report.

Usage: read_back.py ZUNKARO_REPORT LOG...
"""
import csv
import io
import json
import re
import shutil
import subprocess
import sys

SKIP = 77

# A user line of the text report: rank, User-ID, handle, characters, posts
# (rank), average (rank). The handle is everything between the two spaces
# after the User-ID and the spaces before the characters.
USER_LINE = re.compile(
    r"^ *(\d+)\.  (.{8})  (.*?) +(\d+) +(\d+)\( *(\d+)\) +(\d+)\( *(\d+)\)$")
TOTAL_LINE = re.compile(r"^合計 +(\d+) 人 +(\d+) +(\d+) +(\d+)$")
SYSOP_LINE = re.compile(r"^ +\*{8}  SYSOP削除 +- +(\d+) +-$")
LONGEST_LINE = re.compile(
    r"^最高文字数発言 #(\d+) (-?\d+)/(-?\d+)/(-?\d+) (-?\d+):(-?\d+) (\S*) (.*) +(\d+) 文字$")


def run(program, *args):
    result = subprocess.run([program, *args], capture_output=True, check=True)
    return result.stdout


def text_figures(program, log):
    users, total, sysop, longest = [], None, 0, None
    for line in run(program, log).decode("utf-8").splitlines():
        if m := USER_LINE.match(line):
            rank, uid, handle, chars, posts, post_rank, average, average_rank = m.groups()
            users.append([int(rank), uid, handle.rstrip(" "), int(chars), int(posts),
                          int(post_rank), int(average), int(average_rank)])
        elif m := TOTAL_LINE.match(line):
            total = [int(x) for x in m.groups()]
        elif m := SYSOP_LINE.match(line):
            sysop = int(m.group(1))
        elif m := LONGEST_LINE.match(line):
            longest = [int(x) for x in m.groups()[:6]] + [m.group(7), m.group(8).strip(" "),
                                                          int(m.group(9))]
    return users, total, sysop, longest


def jq(program, log, expression):
    page = run(program, "--format=json", log)
    out = subprocess.run(["jq", "-c", expression], input=page, capture_output=True, check=True)
    return [json.loads(line) for line in out.stdout.decode("utf-8").splitlines()]


def check(condition, what):
    if not condition:
        print("MISMATCH:", what, file=sys.stderr)
        sys.exit(1)


def main():
    if shutil.which("jq") is None:
        print("SKIPPED: jq is not installed (scripts/install-deps installs it)")
        return SKIP
    program, logs = sys.argv[1], sys.argv[2:]
    for log in logs:
        users, total, sysop, longest = text_figures(program, log)
        check(users and total, f"{log}: no figures in the text report")

        # jq, over the JSON line.
        (jq_users,) = jq(program, log, "[.users[] | [.rank, .user_id, .handle, .chars, .posts,"
                                       " .post_rank, .average, .average_rank]]")
        # The text report shows control bytes and invalid bytes as U+FFFD too,
        # so the handles compare as they stand.
        check(jq_users == users, f"{log}: JSON users {jq_users} != text {users}")
        (jq_total,) = jq(program, log, "[.totals.users, .totals.chars, .totals.posts,"
                                       " .totals.average]")
        check(jq_total == total, f"{log}: JSON totals {jq_total} != text {total}")
        (jq_sysop,) = jq(program, log, ".sysop_deleted")
        check(jq_sysop == sysop, f"{log}: JSON SYSOP deletions")
        (jq_longest,) = jq(program, log, ".longest | [.number, .year, .month, .day, .hour,"
                                         " .minute, .user_id, .handle, .chars]")
        check(jq_longest == longest, f"{log}: JSON longest {jq_longest} != text {longest}")

        # Python's csv module, over the CSV.
        rows = list(csv.reader(io.StringIO(run(program, "--format=csv", log).decode("utf-8"),
                                           newline="")))
        check(rows[0] == ["log", "rank", "user_id", "handle", "chars", "posts", "post_rank",
                          "average", "average_rank"], f"{log}: CSV header")
        csv_users = [[int(r[1]), r[2], r[3]] + [int(x) for x in r[4:]] for r in rows[1:]]
        check(all(r[0] == log for r in rows[1:]), f"{log}: CSV log names")
        check(csv_users == users, f"{log}: CSV users {csv_users} != text {users}")

        # The audit, as JSON Lines and as CSV: the same records, adding up to
        # the report's totals.
        records = [json.loads(line) for line in
                   run(program, "--format=json", "--messages", log).decode("utf-8").splitlines()]
        audit = list(csv.DictReader(io.StringIO(
            run(program, "--format=csv", "--messages", log).decode("utf-8"), newline="")))
        check(len(records) == len(audit), f"{log}: audit JSON and CSV differ in length")
        for record, row in zip(records, audit):
            check({k: str(v) for k, v in record.items()} == row, f"{log}: audit {record} != {row}")
        counted = [r for r in records if r["status"] == "counted"]
        check(sum(r["chars"] for r in counted) == total[1], f"{log}: audit characters")
        check(len(counted) + sysop == total[2], f"{log}: audit posts")
        check(sum(r["status"] == "sysop-deleted" for r in records) == sysop, f"{log}: audit SYSOP")
        check(len({r["user_id"] for r in counted}) == total[0], f"{log}: audit users")
        lines = [r["line"] for r in records]
        check(lines == sorted(lines) and len(set(lines)) == len(lines), f"{log}: audit order")
        print(f"{log}: {len(users)} users, {len(records)} messages read back")
    return 0


if __name__ == "__main__":
    sys.exit(main())
