#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Console text of the built clip2c executable on a terminal and on a pipe.

A person at a UTF-8 terminal reads the banner and the usage text in UTF-8;
every pipe and file receives the Shift_JIS bytes, whatever the locale. The
executable is run under a pseudo-terminal in raw mode (no CR added to LF)
and on a pipe, with the locale given by the case alone: the environment is
built from nothing, so no variable of the runner's own leaks into it.

The Linux executable is linked statically, so these cases also show that its
C library still loads the locales it is given: the C.UTF-8 one that comes
with the system and, where localedef and the locale sources are there, an
en_US.UTF-8 one compiled into the scratch folder (found through LOCPATH).

  console_e2e.py --exe build/clip2c --scratch build/console-scratch
"""
import os
import shutil
import subprocess
import sys
import tty
from dataclasses import dataclass, field

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import BANNER, FAIL, USAGE, Tally, runner_args  # noqa: E402

HELP_SJIS = BANNER + USAGE
HELP_UTF8 = HELP_SJIS.decode("cp932").encode("utf-8")
BANNER_UTF8 = BANNER.decode("cp932").encode("utf-8")


@dataclass
class Case:
    name: str
    env: dict
    stdout: bytes
    terminal: bool = True           # stdout a pseudo-terminal, else a pipe
    args: list = field(default_factory=list)
    files: dict = field(default_factory=dict)
    status: int = FAIL
    locale: str = ""                # a compiled locale the case needs under LOCPATH


CASES = [
    Case("terminal, LANG=C.UTF-8", {"LANG": "C.UTF-8"}, HELP_UTF8),
    Case("terminal, LANG=C.utf8", {"LANG": "C.utf8"}, HELP_UTF8),
    Case("terminal, LC_ALL=C.UTF-8 over LANG=C", {"LANG": "C", "LC_ALL": "C.UTF-8"}, HELP_UTF8),
    Case("terminal, LC_CTYPE=C.UTF-8 alone", {"LC_CTYPE": "C.UTF-8"}, HELP_UTF8),
    Case("terminal, LANG=en_US.UTF-8 (compiled here)", {"LANG": "en_US.UTF-8"}, HELP_UTF8,
         locale="en_US.UTF-8"),
    Case("terminal, LANG=C", {"LANG": "C"}, HELP_SJIS),
    Case("terminal, no locale variable", {}, HELP_SJIS),
    Case("terminal, LC_CTYPE=POSIX over LANG=C.UTF-8", {"LANG": "C.UTF-8", "LC_CTYPE": "POSIX"}, HELP_SJIS),
    Case("terminal, a locale that does not exist", {"LANG": "xx_XX.UTF-8"}, HELP_SJIS),
    Case("pipe, LANG=C.UTF-8", {"LANG": "C.UTF-8"}, HELP_SJIS, terminal=False),
    Case("pipe, LANG=en_US.UTF-8 (compiled here)", {"LANG": "en_US.UTF-8"}, HELP_SJIS, terminal=False,
         locale="en_US.UTF-8"),
    Case("terminal, a conversion prints the banner in UTF-8", {"LANG": "C.UTF-8"}, BANNER_UTF8,
         args=["clip.raw"], files={"clip.raw": b"\x80\x00\xff"}, status=0),
]


def compile_locale(scratch, name):
    """Compiles `name` (language_TERRITORY.CHARSET) into scratch/locales;
    returns (LOCPATH, None) or (None, reason to skip)."""
    localedef = shutil.which("localedef")
    if localedef is None:
        return None, "no localedef"
    base, charset = name.split(".")
    path = os.path.join(scratch, "locales")
    os.makedirs(path, exist_ok=True)
    proc = subprocess.run([localedef, "-i", base, "-f", charset, os.path.join(path, name)],
                          capture_output=True, text=True)
    # localedef exits 1 for mere warnings; the compiled locale is what counts.
    if not os.path.exists(os.path.join(path, name, "LC_CTYPE")):
        return None, "localedef could not compile %s: %s" % (name, proc.stderr.strip()[:200])
    return path, None


def read_terminal(master):
    """Everything the child wrote to the terminal until it closed it."""
    out = b""
    while True:
        try:
            chunk = os.read(master, 4096)
        except OSError:  # EIO: every slave end is closed
            break
        if not chunk:
            break
        out += chunk
    return out


def run_case(case, exe, root, env):
    for name, content in case.files.items():
        with open(os.path.join(root, name), "wb") as fh:
            fh.write(content)
    argv = [exe] + case.args
    if not case.terminal:
        proc = subprocess.run(argv, cwd=root, env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        return proc.stdout, proc.returncode
    master, slave = os.openpty()
    try:
        tty.setraw(slave)
        proc = subprocess.Popen(argv, cwd=root, env=env, stdin=subprocess.DEVNULL, stdout=slave,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(slave)
        slave = -1
        out = read_terminal(master)
        return out, proc.wait(timeout=60)
    finally:
        os.close(master)
        if slave >= 0:
            os.close(slave)


def main():
    args = runner_args(__doc__, "--exe", "--scratch")
    exe, scratch = args.exe, args.scratch

    locpaths = {}
    tally = Tally("console")
    for case in CASES:
        env = dict(case.env)
        if case.locale:
            if case.locale not in locpaths:
                locpaths[case.locale] = compile_locale(scratch, case.locale)
            path, reason = locpaths[case.locale]
            if path is None:
                tally.skip(case.name, reason)
                continue
            env["LOCPATH"] = path
        root = os.path.join(scratch, "case")
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(root)
        stdout, status = run_case(case, exe, root, env)
        problems = []
        if stdout != case.stdout:
            problems.append("stdout %r\n     expected %r" % (stdout, case.stdout))
        if status != case.status:
            problems.append("exit status %d, expected %d" % (status, case.status))
        tally.record(case.name, problems)
    shutil.rmtree(scratch, ignore_errors=True)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
