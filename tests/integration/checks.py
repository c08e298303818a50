# SPDX-License-Identifier: MIT
"""The failures of one integration script: each printed when found, then
summed up in the exit status."""

failures = []


def fail(what):
    failures.append(what)
    print("FAIL: " + what, flush=True)


def finish(label):
    """Prints the summary; returns the script's exit status."""
    if failures:
        print("%d %s check(s) failed" % (len(failures), label))
        return 1
    print("%s checks passed" % label)
    return 0
