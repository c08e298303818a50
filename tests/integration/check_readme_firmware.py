#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The firmware recipes of doc/firmware.md, built as printed.

Installs the built clip2c into a scratch prefix, then takes each "###"
part of the section "## Where the array goes" as one folder: every
code block whose first line is a comment naming a file (/* player.c */,
// player.cpp, # CMakeLists.txt) becomes that file, next to a 4000-sample
beep.raw; then each "$ " line of its console blocks runs there in bash, with
the installed clip2c on PATH and CMAKE_PREFIX_PATH. A command the document
shows output for must print exactly that output; one it shows none for must
succeed. Every code block must be used, so none can drift unseen.

  check_readme_firmware.py --source . --build build --scratch build/readme-firmware-scratch
"""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import Tally, runner_args  # noqa: E402

tally = Tally("firmware recipes")

DOCUMENT = os.path.join("doc", "firmware.md")
SECTION = "## Where the array goes"
FILE_COMMENT = re.compile(r"^(?:/\*|//|#)\s*([\w.]+)(?:\s*\*/)?\s*$")


def parts(document):
    """[(title, [(language, text)])]: the section's "###" parts and their
    code blocks; the part before the first "###" is titled ""."""
    section = document.split("\n" + SECTION + "\n", 1)[1].split("\n## ", 1)[0]
    found = []
    for i, part in enumerate(section.split("\n### ")):
        title = part.split("\n", 1)[0] if i else ""
        found.append((title, re.findall(r"^```(\w*)\n(.*?)^```", part, re.S | re.M)))
    return found


def console_commands(text):
    """[(command, expected output lines)] of a console block."""
    commands = []
    for line in text.splitlines():
        if line.startswith("$ "):
            commands.append((line[2:], []))
        elif commands:
            commands[-1][1].append(line.rstrip())
    return commands


def check_part(title, blocks, folder, env):
    os.makedirs(folder)
    with open(os.path.join(folder, "beep.raw"), "wb") as f:
        f.write(bytes((i * 7 + 3) & 0xFF for i in range(4000)))
    consoles = []
    for language, text in blocks:
        if language == "console":
            consoles.append(text)
            continue
        named = FILE_COMMENT.match(text.splitlines()[0]) if text.strip() else None
        if not named:
            tally.fail("firmware.md '%s': a %s block does not begin with a comment naming its file" % (title, language))
            continue
        with open(os.path.join(folder, named.group(1)), "w") as f:
            f.write(text)
    if blocks and not consoles:
        tally.fail("firmware.md '%s': no console block builds its files" % title)
    for text in consoles:
        for command, expected in console_commands(text):
            proc = subprocess.run(["bash", "-c", command], cwd=folder, env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
            got = [line.rstrip() for line in proc.stdout.decode("utf-8", "replace").splitlines()]
            if expected and got != expected:
                tally.fail("firmware.md '%s': $ %s\nprinted:\n%s\nthe document shows:\n%s"
                     % (title, command, "\n".join(got), "\n".join(expected)))
            elif not expected and proc.returncode != 0:
                tally.fail("firmware.md '%s': $ %s failed (%d):\n%s" % (title, command, proc.returncode, "\n".join(got)))


def main():
    args = runner_args(__doc__, "--source", "--build", "--scratch", "--config")
    if shutil.which("avr-gcc") is None:
        print("firmware recipes: skipped, no avr-gcc")
        return 0
    prefix = os.path.join(args.scratch, "prefix")
    subprocess.run(["cmake", "--install", args.build, "--prefix", prefix] +
                   (["--config", args.config] if args.config else []), check=True, stdout=subprocess.DEVNULL)
    env = dict(os.environ, PATH=os.path.join(prefix, "bin") + os.pathsep + os.environ["PATH"],
               CMAKE_PREFIX_PATH=prefix)

    with open(os.path.join(args.source, DOCUMENT), encoding="utf-8") as f:
        document = f.read()
    if "\n" + SECTION + "\n" not in document:
        tally.fail("firmware.md: no section '%s'" % SECTION)
        return tally.finish()
    found = parts(document)
    if sum(len(blocks) for _, blocks in found) < 4:
        tally.fail("firmware.md: the section has fewer code blocks than the recipes need")
    for i, (title, blocks) in enumerate(found):
        check_part(title, blocks, os.path.join(args.scratch, "part%d" % i), env)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
