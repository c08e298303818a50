#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end cases for the faults a user meets outside the happy path:
a file too big for 32 bits, a full disk, an output path that cannot be a
file, an input that cannot be read or that no one ever writes (a FIFO), an
output whose close fails, an output that is the input, and a help option
given with valid paths. POSIX only.

  hostile_e2e.py --exe build/clip2c --scratch build/tests/hostile-scratch \
      [--dynamic-exe build/tests/clip2c_dynamic --close-fails build/tests/libclip2c_close_fails.so]

The failing close needs the tool linked dynamically (--dynamic-exe) and the
library that fails it (--close-fails, tests/e2e/close_fails.c) preloaded;
without them that case is skipped.

Each case runs the executable in a fresh folder and compares standard output
byte for byte, the exit status (255 for -1) and the folder afterwards: the
files the case names must hold the expected bytes, all others must be as
they were, with the same modification time.
"""
import os
import resource
import shutil
import stat
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import BANNER, FAIL, USAGE, Tally, c_array, pcm8, ramp, runner_args  # noqa: E402

OK = 0

BIG_SIZE = 4 * 2**30 + 10       # low 32 bits: 10 bytes
ADDRESS_LIMIT = 2**30           # address space the child gets for the big file
RSS_LIMIT = 256 * 2**20         # peak resident memory allowed for the big file
QUICK_SECONDS = 3.0             # "quickly": reading 4 GiB would take far longer
TIME_LIMIT = 120.0              # a run still going after this long is killed
NOBODY = 65534


SAMPLES = ramp(100)


@dataclass
class Case:
    name: str
    args: object                  # list of arguments, or fn(root) -> list
    files: dict = field(default_factory=dict)   # name -> bytes, laid out before the run
    stdout: bytes = BANNER
    status: int = FAIL
    written: dict = field(default_factory=dict)  # name -> bytes expected after the run
    setup: object = None          # fn(root) -> reason to skip, or None
    as_nobody: bool = False       # run the child without root's rights
    check_memory: bool = False    # check the child's peak memory and time
    address_limit: bool = False   # run the child with 1 GiB of address space
    folder_open: bool = False     # let nobody create files in the case folder
    time_limit: float = TIME_LIMIT  # seconds before the child is killed
    close_fails: str = ""         # run the dynamic build with closes of paths ending so failing


def snapshot(root):
    """Every entry under root: folders as None, files as (size, mtime, bytes)."""
    seen = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for d in dirnames:
            seen[os.path.relpath(os.path.join(dirpath, d), root)] = None
        for f in filenames:
            path = os.path.join(dirpath, f)
            info = os.lstat(path)
            # The sparse 4 GiB file is compared by size and time alone.
            content = None
            if info.st_size < 2**20 and stat.S_ISREG(info.st_mode) and info.st_mode & 0o444:
                with open(path, "rb") as fh:
                    content = fh.read()
            seen[os.path.relpath(path, root)] = (info.st_size, info.st_mtime_ns, content)
    return seen


def make_sparse(name, size):
    def setup(root):
        try:
            with open(os.path.join(root, name), "wb") as fh:
                fh.truncate(size)
        except OSError as err:
            return "cannot make a sparse file of %d bytes here: %s" % (size, err)
        return None
    return setup


def make_unreadable(name):
    def setup(root):
        os.chmod(os.path.join(root, name), 0)
        return None
    return setup


def make_fifo(name):
    def setup(root):
        os.mkfifo(os.path.join(root, name))
        return None
    return setup


def cases():
    raw = {"clip.raw": SAMPLES}
    return [
        # Peak memory and time show a file that was read or filled; under
        # the address space limit the run must still end in order.
        Case("a 4 GiB + 10 byte raw file is refused quickly, without reading it",
             ["big.raw", "big.h"], setup=make_sparse("big.raw", BIG_SIZE), check_memory=True),
        Case("a 4 GiB + 10 byte raw file is refused in order within 1 GiB of address space",
             ["big.raw", "big.h"], setup=make_sparse("big.raw", BIG_SIZE), address_limit=True),
        # The file image fits in the address space, the text's block does
        # not: the failed allocation ends the run in order.
        Case("a 256 MiB raw file whose text does not fit in 1 GiB of address space ends with the banner",
             ["mid.raw", "mid.h"], setup=make_sparse("mid.raw", 256 * 2**20), address_limit=True),
        # Not even the file image fits: nothing is read and nothing created.
        Case("a 2 GiB raw file whose image does not fit in 1 GiB of address space ends with the banner",
             ["huge.raw", "huge.h"], setup=make_sparse("huge.raw", 2 * 2**30), address_limit=True),
        Case("a 4 GiB + 10 byte WAV file is refused quickly, without reading it",
             ["big.wav"], setup=make_sparse("big.wav", BIG_SIZE), check_memory=True),
        # An argument beginning with "/" is an option, so the device is named
        # by a path relative to the case folder.
        Case("an output on a full device is a failed write",
             lambda root: ["clip.raw", os.path.relpath("/dev/full", root)], files=raw,
             setup=lambda root: None if os.path.exists("/dev/full") else "no /dev/full"),
        Case("an output path that is a folder is a failed write",
             ["clip.raw", "out.h"], files=raw,
             setup=lambda root: os.mkdir(os.path.join(root, "out.h"))),
        Case("an output path in a missing folder creates nothing",
             ["clip.raw", "missing/clip.h"], files=raw),
        Case("an output path under a file creates nothing",
             ["clip.raw", "clip.raw/clip.h"], files=raw),
        # chmod 000 does not stop root from reading: the child runs as nobody.
        Case("an unreadable input ends silently and creates nothing",
             ["clip.raw"], files=raw, setup=make_unreadable("clip.raw"), as_nobody=True,
             folder_open=True),
        # Opened without O_NONBLOCK, the input would wait for a writer for ever.
        Case("a FIFO that no one writes ends the run at once",
             ["clip.raw"], setup=make_fifo("clip.raw"), time_limit=QUICK_SECONDS),
        # The text was written whole, so only the close's result tells that
        # it may never reach the disk; the file keeps what was written.
        Case("an output whose close fails is a failed run",
             ["clip.raw", "out.h"], files=raw, close_fails="/out.h",
             written={"out.h": c_array(b"clip", SAMPLES)}),
        Case("a raw output equal to its input replaces the input with the text",
             ["clip.raw", "clip.raw"], files=raw, status=OK,
             written={"clip.raw": c_array(b"clip", SAMPLES)}),
        Case("a signed WAV output equal to its input replaces the input with the text",
             ["-signed", "clip.wav", "clip.wav"], files={"clip.wav": pcm8(SAMPLES)}, status=OK,
             written={"clip.wav": c_array(b"clip", SAMPLES, signed=True)}),
        Case("a help option with valid paths touches no file",
             ["/help", "clip.raw", "out.h"], files={"clip.raw": SAMPLES, "out.h": b"old text\n"},
             stdout=BANNER + USAGE),
        Case("a help option after the paths touches no file",
             ["clip.raw", "-?"], files=raw, stdout=BANNER + USAGE),
    ]


def nobody_can_run(exe, scratch):
    """Why the executable cannot be run as nobody from the scratch folder, or None."""
    probe = os.path.join(scratch, "probe")
    os.makedirs(probe, exist_ok=True)
    os.chmod(probe, 0o777)
    try:
        proc = subprocess.run([exe, "/?"], cwd=probe, capture_output=True, user=NOBODY,
                              group=NOBODY, extra_groups=[], timeout=60)
    except (OSError, subprocess.SubprocessError) as err:
        return "cannot start it as nobody: %s" % err
    if proc.stdout != BANNER + USAGE:
        return "nobody cannot run %s (its folders are closed to others)" % exe
    return None


def address_limit_works(exe, scratch):
    """True when the executable starts under the address space limit; a
    sanitizer build, which reserves terabytes for its shadow memory, does not."""
    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (ADDRESS_LIMIT, ADDRESS_LIMIT))
    # The sanitizer's refusal to start is the expected answer here, not a
    # report to keep: it goes to the captured error stream, not a log file.
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = ":".join(o for o in env.get("ASAN_OPTIONS", "").split(":")
                                   if o and not o.startswith("log_path="))
    proc = subprocess.run([exe, "/?"], cwd=scratch, capture_output=True, preexec_fn=limit,
                          env=env, timeout=60)
    return proc.stdout == BANNER + USAGE


def run_case(case, exe, scratch, nobody_problem, use_address_limit, close_fails):
    """Returns (problems, reason for skipping or None). close_fails is
    (dynamically linked executable, library to preload), or None."""
    if case.as_nobody and os.geteuid() == 0 and nobody_problem:
        return [], nobody_problem
    env = None
    if case.close_fails:
        if close_fails is None:
            return [], "needs --dynamic-exe and --close-fails"
        exe, library = close_fails
        log = os.path.join(scratch, "failed-closes")
        if os.path.exists(log):
            os.remove(log)
        env = dict(os.environ, LD_PRELOAD=library, CLOSE_FAILS_SUFFIX=case.close_fails, CLOSE_FAILS_LOG=log)
        # A sanitizer build wants its runtime first; the shim only wraps close().
        env["ASAN_OPTIONS"] = ":".join(o for o in [env.get("ASAN_OPTIONS", ""), "verify_asan_link_order=0"] if o)
    if case.address_limit and not use_address_limit:
        return [], ("the executable does not start under a %d MiB address space limit "
                    "(a sanitizer build reserves terabytes)" % (ADDRESS_LIMIT >> 20))
    root = os.path.join(scratch, "case")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    if case.folder_open:
        os.chmod(root, 0o777)
    for name, data in case.files.items():
        with open(os.path.join(root, name), "wb") as fh:
            fh.write(data)
    if case.setup:
        skip = case.setup(root)
        if skip:
            return [], skip
    before = snapshot(root)
    # A user other than root is held back by the file's mode as it is.
    switch_user = case.as_nobody and os.geteuid() == 0
    out, err, status, seconds, peak, killed = run_peak(exe, case, root, switch_user, env)

    problems = []
    if killed:
        problems.append("still running after %.1f s: killed" % case.time_limit)
    if case.close_fails:
        failed = open(log).read().splitlines() if os.path.exists(log) else []
        if not any(path.endswith(case.close_fails) for path in failed):
            problems.append("no close of %s was failed: the shim was not in effect (failed: %r)"
                            % (case.close_fails, failed))
    if out != case.stdout:
        problems.append("stdout %r, expected %r" % (out, case.stdout))
    if status != case.status:
        problems.append("exit status %d, expected %d" % (status, case.status))
    if err:
        problems.append("wrote to the error stream: %r" % err[:400])
    if case.check_memory:
        if seconds > QUICK_SECONDS:
            problems.append("took %.1f s, more than %.1f s" % (seconds, QUICK_SECONDS))
        if peak > RSS_LIMIT:
            problems.append("peak memory %d MiB, more than %d MiB" % (peak >> 20, RSS_LIMIT >> 20))

    after = snapshot(root)
    for name, data in case.written.items():
        got = after.get(name)
        if got is None or got[2] != data:
            problems.append("%s holds %r, expected %r" % (name, got and got[2], data))
    for name in set(before) | set(after):
        if name in case.written:
            continue
        if name not in after:
            problems.append("%s was removed" % name)
        elif name not in before:
            problems.append("%s was created" % name)
        elif before[name] != after[name]:
            problems.append("%s was changed" % name)
    return problems, None


def run_peak(exe, case, root, switch_user, env):
    """Runs the tool and reaps it with wait4, which gives this one child's
    own peak memory rather than the maximum over all children; kills it
    after the case's time limit. Returns (stdout, stderr, status, seconds,
    peak resident bytes, whether it was killed)."""
    def before():
        if case.address_limit:
            resource.setrlimit(resource.RLIMIT_AS, (ADDRESS_LIMIT, ADDRESS_LIMIT))
    extra = {"user": NOBODY, "group": NOBODY, "extra_groups": []} if switch_user else {}
    start = time.monotonic()
    args = case.args(root) if callable(case.args) else case.args
    proc = subprocess.Popen([exe] + args, cwd=root, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, preexec_fn=before, env=env, **extra)
    killed = threading.Event()

    def kill():
        killed.set()
        proc.kill()
    timer = threading.Timer(case.time_limit, kill)
    timer.start()
    out = proc.stdout.read()
    err = proc.stderr.read()
    _, wait_status, usage = os.wait4(proc.pid, 0)
    timer.cancel()
    seconds = time.monotonic() - start
    code = os.waitstatus_to_exitcode(wait_status)
    proc.returncode = code  # already reaped: keep Popen from waiting again
    proc.stdout.close()
    proc.stderr.close()
    status = code if code >= 0 else 128 - code  # a signal as a shell shows it
    return out, err, status, seconds, usage.ru_maxrss * 1024, killed.is_set()


def main():
    args = runner_args(__doc__, "--exe", "--scratch", "--dynamic-exe", "--close-fails")
    exe, scratch = args.exe, args.scratch
    close_fails = (args.dynamic_exe, args.close_fails) if args.dynamic_exe and args.close_fails else None
    os.chmod(scratch, 0o755)

    nobody_problem = nobody_can_run(exe, scratch) if os.geteuid() == 0 else None
    use_address_limit = address_limit_works(exe, scratch)

    tally = Tally("hostile")
    for case in cases():
        problems, skip = run_case(case, exe, scratch, nobody_problem, use_address_limit, close_fails)
        if skip:
            tally.skip(case.name, skip)
        else:
            tally.record(case.name, problems)
    shutil.rmtree(scratch, ignore_errors=True)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
