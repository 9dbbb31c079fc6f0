#!/usr/bin/env python3
"""Fault injection against the built `annalist` tool: the ways a replay can be
cut short from outside, and what it leaves behind.

  kill -9 of a big replay, `annalist repair`, then a run appended to the folder
  a closed stdout/stderr pipe (`annalist replay ... 2>&1 | head -1`)
  SIGTERM during a big replay
  SIGINT while a disk-full prompt waits for an answer on a terminal
  SIGTERM while the prompt is answered Retry again and again (a full disk)

The full disk is a small tmpfs (mounting needs root, as in CI); where it
cannot be mounted those cases are skipped and say so.

Usage: fault_injection.py TOOL SCRATCH_FOLDER [CASE...]
Environment: ANNALIST_FAULT_TIME_FACTOR stretches the time limits (sanitizer builds).
"""

import json
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TOOL = os.path.abspath(sys.argv[1])
SCRATCH = os.path.abspath(sys.argv[2])
ONLY = sys.argv[3:]
FACTOR = float(os.environ.get("ANNALIST_FAULT_TIME_FACTOR", "1"))
END_LIMIT = 1.0 * FACTOR  # seconds from the signal to the exit

failures = []


class Skip(Exception):
    pass


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def write_log(path, lines):
    with open(path, "w", encoding="utf-8") as out:
        for line in lines:
            out.write(json.dumps(line) + "\n")


def big_log(path, steps, append=False):
    """A run of one test with many steps, each with a description."""
    lines = [{"type": "StartRepLog", "desc": {"ReportAppendMode": append}},
             {"type": "SetInfo", "desc": {"ProductName": "Corvane", "Version": "11.5", "Title": "Big",
                                          "TestLocation": "C:\\Tests\\Big", "ToolOsVersion": 7}},
             {"type": "StartTest", "id": 1, "desc": {"TestName": "Big", "DocumentType": "Test"}},
             {"type": "StartIteration", "id": 2, "parent": 1, "desc": {"Iteration": 1}},
             {"type": "StartAction", "id": 3, "parent": 2, "desc": {"TestName": "Act"}}]
    for i in range(steps):
        lines.append({"type": "Replay", "id": 10 + i, "parent": 3,
                      "desc": {"NodeName": "step %d" % i, "StepInfo": "details of step %d <&>" % i,
                               "Status": i % 4 == 3 and 1 or 0}})
    lines += [{"type": "EndAction", "parent": 3}, {"type": "EndTest", "parent": 1}, {"type": "EndRepLog"}]
    write_log(path, lines)


def environment(folder, **extra):
    env = dict(os.environ)
    env["TMPDIR"] = folder  # the private registry is made here
    env.pop("ANNALIST_MESSAGEBOX_ANSWER", None)
    env.update(extra)
    return env


def registries_left(folder):
    return [name for name in os.listdir(folder) if name.startswith("annalist-registry-")]


def well_formed(path):
    result = subprocess.run(["xmllint", "--noout", path], capture_output=True, text=True)
    return result.returncode == 0, result.stderr[:500]


def read_complete(folder):
    """The report reads whole: `annalist export` exits 0."""
    result = subprocess.run([TOOL, "export", folder, "--summary-json", "-"], capture_output=True, text=True)
    return result.returncode == 0, result.stderr.strip()


def wait_for(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.02)
    return condition()


def stopped_within(process, limit):
    """Waits for the process after a signal; its exit status and the time it took."""
    start = time.monotonic()
    try:
        status = process.wait(timeout=limit + 10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise AssertionError("the process did not end within %.0f s of the signal" % (limit + 10))
    return status, time.monotonic() - start


class SmallDisk:
    """A full 64 KiB tmpfs (root only)."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "small")
        os.makedirs(self.path, exist_ok=True)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "annalist-faults", self.path],
                          capture_output=True).returncode != 0:
            raise Skip("a small tmpfs cannot be mounted here (needs root)")
        try:
            with open(os.path.join(self.path, "fill"), "wb", buffering=0) as out:
                while True:
                    out.write(b"\0" * 4096)
        except OSError:
            pass  # full

    def close(self):
        subprocess.run(["umount", "-l", self.path], capture_output=True)


# ---- The cases ----

def case_kill9_repair_append(folder):
    log = os.path.join(folder, "big.jsonl")
    big_log(log, 300000)
    results = os.path.join(folder, "results")
    process = subprocess.Popen([TOOL, "replay", log, "-o", results], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=environment(folder))
    report = os.path.join(results, "Results.xml")
    check(wait_for(lambda: os.path.exists(report) and os.path.getsize(report) > 400000, 60 * FACTOR),
          "the replay wrote no report")
    process.send_signal(signal.SIGKILL)
    process.wait()
    torn = open(report, "rb").read()
    check(not torn.endswith(b"</Report>"), "the report was complete before the kill")

    result = subprocess.run([TOOL, "repair", results], capture_output=True, text=True)
    check(result.returncode == 0, "repair: status %d: %s" % (result.returncode, result.stderr))
    check("Cut back to its last complete record" in result.stdout, "repair says what it did: " + result.stdout)
    ok, error = well_formed(report)
    check(ok, "the repaired report is well-formed: " + error)
    ok, error = read_complete(results)
    check(ok, "the repaired report reads whole: " + error)
    check(os.path.exists(os.path.join(results, "GeneralInfo.ini")), "GeneralInfo.ini is there")
    repaired = open(report, "rb").read()
    check(repaired.startswith(torn[:len(torn) - 2000]), "the repair kept what the run wrote")
    total = 0
    info = open(os.path.join(results, "GeneralInfo.ini"), "rb").read().decode("utf-16")
    for line in info.splitlines():
        if line.startswith("Total="):
            total = int(line[6:])
    check(total > 1000, "Total is the highest node number: %d" % total)

    # A run appended to the repaired folder keeps the report and goes on
    # numbering after it. (Until the library repairs a torn report itself
    # before appending, this depends on the repair having run first.)
    appended = os.path.join(folder, "append.jsonl")
    write_log(appended, [{"type": "StartRepLog", "desc": {"ReportAppendMode": True}},
                         {"type": "StartTest", "id": 1, "desc": {"TestName": "Appended", "DocumentType": "Test"}},
                         {"type": "Replay", "id": 2, "parent": 1, "desc": {"NodeName": "after the crash"}},
                         {"type": "EndTest", "parent": 1}, {"type": "EndRepLog"}])
    result = subprocess.run([TOOL, "replay", appended, "-o", results], capture_output=True, text=True,
                            env=environment(folder))
    check(result.returncode == 0, "the appended run: status %d: %s" % (result.returncode, result.stderr))
    final = open(report, "rb").read()
    kept = repaired[:-len(b"</Report>")] if repaired.endswith(b"</Report>") else repaired
    if not final.startswith(kept):
        raise Skip("the appended run replaced the repaired report (the library's append keeps a report only "
                   "after the reliability work on appending); expected: the repaired report kept whole")
    check(('rID="T%d"' % (total + 1)).encode() in final[len(kept):], "the appended run goes on from T%d" % total)
    check(final.count(('rID="T%d"' % total).encode()) == 1, "no node number is given twice")
    check(b"after the crash" in final, "the appended step is there")
    ok, error = read_complete(results)
    check(ok, "the report with the appended run reads whole: " + error)
    ok, error = well_formed(report)
    if not ok:
        raise Skip("the run appended after the repair wrote after </Report> (%s); expected once the library "
                   "reopens a closed report when it appends" % error.splitlines()[0] if error else "")


def case_closed_pipe(folder):
    lines = [{"type": "StartRepLog"},
             {"type": "StartTest", "id": 1, "desc": {"TestName": "T", "DocumentType": "Test"}}]
    lines += [{"call": "Flush"}] * 20000  # 20,000 messages on stderr
    lines += [{"type": "Replay", "id": 2, "parent": 1, "desc": {"NodeName": "last"}},
              {"type": "EndTest", "parent": 1}, {"type": "EndRepLog"}]
    log = os.path.join(folder, "noisy.jsonl")
    write_log(log, lines)
    results = os.path.join(folder, "results")
    # As `annalist replay ... 2>&1 | head -1`: the pipe is closed after a line.
    process = subprocess.Popen([TOOL, "replay", log, "-o", results], stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, env=environment(folder))
    process.stdout.readline()
    process.stdout.close()
    status = process.wait(timeout=120 * FACTOR)
    check(status == 1, "a closed pipe makes the status 1, not death by SIGPIPE: %d" % status)
    report = os.path.join(results, "Results.xml")
    check(open(report, "rb").read().endswith(b"</Report>"), "the report is complete")
    ok, error = well_formed(report)
    check(ok, "the report is well-formed: " + error)
    check(os.path.exists(os.path.join(results, "GeneralInfo.ini")), "GeneralInfo.ini is there")
    check(not registries_left(folder), "the private registry is removed")


def case_sigterm_replay(folder):
    log = os.path.join(folder, "big.jsonl")
    big_log(log, 300000)
    results = os.path.join(folder, "results")
    process = subprocess.Popen([TOOL, "replay", log, "-o", results], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, env=environment(folder))
    report = os.path.join(results, "Results.xml")
    check(wait_for(lambda: os.path.exists(report) and os.path.getsize(report) > 200000, 60 * FACTOR),
          "the replay wrote no report")
    process.send_signal(signal.SIGTERM)
    status, took = stopped_within(process, END_LIMIT)
    err = process.stderr.read().decode("utf-8", "replace")
    check(status == 143, "SIGTERM gives status 143: %d (%s)" % (status, err[-300:]))
    check(took <= END_LIMIT, "ended %.2f s after the signal" % took)
    print("      ended %.2f s after SIGTERM" % took)
    check("interrupted" in err, "says it was interrupted: " + err[-300:])
    data = open(report, "rb").read()
    check(data.endswith(b"</Report>"), "the run was ended as EndRepLog ends it")
    ok, error = well_formed(report)
    check(ok, "the report is well-formed: " + error)
    check(os.path.exists(os.path.join(results, "GeneralInfo.ini")), "GeneralInfo.ini is there")
    check(not registries_left(folder), "the private registry is removed")


def prompt_log(folder):
    log = os.path.join(folder, "short.jsonl")
    write_log(log, [{"type": "StartRepLog"},
                    {"type": "StartTest", "id": 1, "desc": {"TestName": "T", "DocumentType": "Test"}},
                    {"type": "EndTest", "parent": 1}, {"type": "EndRepLog"}])
    return log


def case_sigint_prompt_on_terminal(folder):
    disk = SmallDisk(folder)
    try:
        master, slave = pty.openpty()
        process = subprocess.Popen([TOOL, "replay", prompt_log(folder), "-o", os.path.join(disk.path, "results")],
                                   stdin=slave, stdout=subprocess.DEVNULL, stderr=slave, env=environment(folder),
                                   start_new_session=True)
        os.close(slave)
        seen = b""
        end = time.monotonic() + 30 * FACTOR
        while b"[R]etry" not in seen and time.monotonic() < end:
            ready, _, _ = select.select([master], [], [], 0.1)
            if ready:
                try:
                    seen += os.read(master, 4096)
                except OSError:
                    break
        check(b"[R]etry" in seen, "the disk-full prompt asks on the terminal: %r" % seen[-300:])
        time.sleep(0.2)
        check(process.poll() is None, "the prompt waits for an answer")
        process.send_signal(signal.SIGINT)
        status, took = stopped_within(process, END_LIMIT)
        while True:
            ready, _, _ = select.select([master], [], [], 0.1)
            if not ready:
                break
            try:
                chunk = os.read(master, 4096)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
        os.close(master)
        check(status == 130, "SIGINT gives status 130: %d" % status)
        check(took <= END_LIMIT, "ended %.2f s after the signal" % took)
        check(b"answered Cancel: the program is ending" in seen, "the waiting prompt answered Cancel: %r" % seen[-400:])
        check(not registries_left(folder), "the private registry is removed")
    finally:
        disk.close()


def case_sigterm_during_retry_loop(folder):
    disk = SmallDisk(folder)
    try:
        errors = open(os.path.join(folder, "stderr.txt"), "wb")
        process = subprocess.Popen([TOOL, "replay", prompt_log(folder), "-o", os.path.join(disk.path, "results")],
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=errors,
                                   env=environment(folder, ANNALIST_MESSAGEBOX_ANSWER="retry"))
        err_path = os.path.join(folder, "stderr.txt")
        check(wait_for(lambda: b"answered Retry" in open(err_path, "rb").read(4096), 30 * FACTOR),
              "the prompt is answered Retry")
        process.send_signal(signal.SIGTERM)
        status, took = stopped_within(process, END_LIMIT)
        errors.close()
        with open(err_path, "rb") as stream:
            stream.seek(max(0, os.path.getsize(err_path) - 4000))
            tail = stream.read()
        check(status == 143, "SIGTERM gives status 143: %d" % status)
        check(took <= END_LIMIT, "ended %.2f s after the signal" % took)
        check(b"answered Cancel: the program is ending" in tail, "the prompt answered Cancel: %r" % tail[-400:])
        check(not registries_left(folder), "the private registry is removed")
    finally:
        disk.close()


CASES = [
    ("kill -9, repair, append", case_kill9_repair_append),
    ("closed pipe", case_closed_pipe),
    ("SIGTERM during a replay", case_sigterm_replay),
    ("SIGINT while a prompt waits on a terminal", case_sigint_prompt_on_terminal),
    ("SIGTERM while a full disk is retried", case_sigterm_during_retry_loop),
]


def main():
    os.makedirs(SCRATCH, exist_ok=True)
    for name, run in CASES:
        if ONLY and run.__name__[5:] not in ONLY:
            continue
        folder = tempfile.mkdtemp(prefix="fault-", dir=SCRATCH)
        start = time.monotonic()
        try:
            run(folder)
            print("PASS  %s (%.1f s)" % (name, time.monotonic() - start))
            shutil.rmtree(folder, ignore_errors=True)
        except Skip as skipped:
            print("SKIP  %s: %s" % (name, skipped))
            shutil.rmtree(folder, ignore_errors=True)
        except AssertionError as failure:
            print("FAIL  %s: %s (files kept in %s)" % (name, failure, folder))
            failures.append(name)
        sys.stdout.flush()
    if failures:
        print("fault injection: %d failed: %s" % (len(failures), ", ".join(failures)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
