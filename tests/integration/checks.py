# SPDX-License-Identifier: MIT
"""fail() and finish() over cliptest's Tally, for a script not yet using the
Tally itself (run_consumer.py); this file goes once nothing imports it."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import Tally  # noqa: E402

_tally = Tally("")


def fail(what):
    _tally.fail(what)


def finish(label):
    """Prints the summary; returns the script's exit status."""
    _tally.label = label
    return _tally.finish()
