#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The README's quick start, run as a newcomer would run it.

Copies the files a clone holds into a scratch folder, forbids CMake to look
for GoogleTest and Python (a machine with only a compiler and CMake), and
runs the README's first command there verbatim: it must build the tool and
convert the example clip. The second command (the whole test suite) is what
.ci/run runs; this checks that the two say the same.

  check_quick_start.py --source . --scratch build/quick-start-scratch
"""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import Tally, runner_args  # noqa: E402


tally = Tally("quick start")


def quick_start_commands(readme):
    section = readme.split("## Quick start", 1)[1].split("\n## ", 1)[0]
    return [block.strip() for block in re.findall(r"```sh\n(.*?)```", section, re.S)]


def copy_clone(source, dest):
    """The files a clone of the work tree would hold: tracked and new, never
    ignored ones (build folders)."""
    try:
        listed = subprocess.run(["git", "-C", source, "ls-files", "-z", "--cached", "--others",
                                 "--exclude-standard"], check=True, stdout=subprocess.PIPE).stdout
        files = [f for f in listed.decode().split("\0") if f]
    except (OSError, subprocess.CalledProcessError):
        shutil.copytree(source, dest, ignore=shutil.ignore_patterns("build*", ".git"))
        return
    for rel in files:
        if not os.path.isfile(os.path.join(source, rel)):
            continue  # deleted in the work tree
        os.makedirs(os.path.join(dest, os.path.dirname(rel)), exist_ok=True)
        shutil.copy2(os.path.join(source, rel), os.path.join(dest, rel))


def main():
    args = runner_args(__doc__, "--source", "--scratch")
    clone = os.path.join(args.scratch, "clip2c")
    copy_clone(args.source, clone)

    commands = quick_start_commands(open(os.path.join(clone, "README.md"), encoding="utf-8").read())
    if len(commands) != 2:
        tally.fail("the README's quick start should give two commands, it gives %d" % len(commands))
        return tally.finish()
    build_command, test_command = commands

    # The first command configures "build" itself; a cache made beforehand
    # keeps the test dependencies out of reach.
    subprocess.run(["cmake", "-S", ".", "-B", "build", "-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON",
                    "-DCMAKE_DISABLE_FIND_PACKAGE_Python3=ON"], cwd=clone, check=True,
                   stdout=subprocess.DEVNULL)
    proc = subprocess.run(["bash", "-e", "-c", build_command], cwd=clone, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT)
    out = proc.stdout.decode("utf-8", "replace")
    if proc.returncode != 0:
        tally.fail("the first command failed (%d):\n%s" % (proc.returncode, out))
    elif "const unsigned char chirp_wave[400] =" not in out:
        tally.fail("the first command did not show the converted clip:\n" + out)
    ci = open(os.path.join(clone, ".ci", "run"), encoding="utf-8").read()
    if test_command not in ci:
        tally.fail("the README's test command %r is not what .ci/run runs" % test_command)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
