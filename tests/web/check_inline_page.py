#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""cmake/inline_page.cmake, through a table of small pages.

Each row writes a web folder and a module script into a scratch folder, runs
the inliner on them with "cmake -P", and compares the whole page it writes
with the expected bytes, or, for a refused page, checks the exit status, the
reason in the message and that no page was written.

  check_inline_page.py --source . --scratch build/inline-page-scratch
"""
import argparse
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import Tally  # noqa: E402

tally = Tally("inline page")

HEAD = '<!DOCTYPE html>\n<html><head><link rel="icon" href="data:,">\n'
CORE = "var createClip2cCore = () => 1;\n"

# {name, web folder's files (index.html first), expected page or None,
#  reason the inliner gives when it refuses}
ROWS = [
    ("stylesheet and scripts inlined, other attributes kept in order",
     {"index.html": HEAD + '<link rel="stylesheet" href="style.css">\n</head><body><a href="#top">top</a>\n'
                           '<script type="text/plain" id="core" src="clip2c-core.js"></script>\n'
                           '<script src="page.js"></script>\n</body></html>\n',
      "style.css": "body { margin: 0; }\n",
      "page.js": "go();\n"},
     HEAD + "<style>body { margin: 0; }\n</style>\n</head><body><a href=\"#top\">top</a>\n"
            '<script type="text/plain" id="core">' + CORE + "</script>\n"
            "<script>go();\n</script>\n</body></html>\n",
     None),
    ("clip2c-core.js is the module's script, not a file of the web folder",
     {"index.html": '<script src="clip2c-core.js"></script>', "clip2c-core.js": "stale();\n"},
     "<script>" + CORE + "</script>", None),
    ("CMake's list and variable characters kept byte for byte, CR LF written as LF",
     {"index.html": '<p>a;b [c] ${x} @y@ \\n</p><script src="page.js"></script>\r\n',
      "page.js": 'x = "a;b;[;]"; y = `${z}`; // \\ @ONLY@ ;\r\n'},
     '<p>a;b [c] ${x} @y@ \\n</p><script>x = "a;b;[;]"; y = `${z}`; // \\ @ONLY@ ;\n</script>\n', None),
    ("a script may hold a style end tag and set src itself",
     {"index.html": '<script src="page.js"></script>', "page.js": 'e.src = "blob:x"; s = "</style>";\n'},
     '<script>e.src = "blob:x"; s = "</style>";\n</script>', None),
    ("a missing file is refused",
     {"index.html": '<script src="gone.js"></script>'}, None, "names gone.js, but there is no"),
    ("a name with a folder is refused",
     {"index.html": '<script src="../page.js"></script>', "page.js": ""}, None,
     'names "../page.js", which is not a file name'),
    ("a script holding its end tag, in any case, is refused",
     {"index.html": '<script src="page.js"></script>', "page.js": 's = "</SCRIPT>";\n'}, None,
     'page.js holds "</script"'),
    ("a script holding a comment opening is refused",
     {"index.html": '<script src="page.js"></script>', "page.js": 's = "<!--";\n'}, None,
     'page.js holds "<!--"'),
    ("a stylesheet holding its end tag is refused",
     {"index.html": '<link rel="stylesheet" href="style.css">', "style.css": "/* </Style> */\n"}, None,
     'style.css holds "</style"'),
    ("a NUL byte, which would cut the text short, is refused",
     {"index.html": '<script src="page.js"></script>', "page.js": "a();\0b();\n"}, None,
     "page.js holds a NUL byte (at 4)"),
    ("a page that still names a file is refused",
     {"index.html": '<img alt="" src="logo.png">'}, None, "still names a file (src=\"logo.png\")"),
    ("a single-quoted file name is refused too",
     {"index.html": "<a HREF='help.html'>help</a>"}, None, "still names a file (href='help.html')"),
]


def run_row(source, scratch, index, row):
    """Runs one row; returns its problems."""
    _, files, expected, reason = row
    folder = os.path.join(scratch, str(index))
    web = os.path.join(folder, "web")
    os.makedirs(web)
    for file_name, text in files.items():
        with open(os.path.join(web, file_name), "w", encoding="utf-8", newline="") as f:
            f.write(text)
    core = os.path.join(folder, "clip2c-core.js")
    with open(core, "w", encoding="utf-8") as f:
        f.write(CORE)
    output = os.path.join(folder, "page.html")
    proc = subprocess.run(["cmake", "-DPAGE=" + os.path.join(web, "index.html"), "-DWEB_DIR=" + web,
                           "-DCORE=" + core, "-DOUTPUT=" + output, "-P",
                           os.path.join(source, "cmake", "inline_page.cmake")],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if expected is None:
        # CMake folds long messages over lines.
        if proc.returncode == 0 or reason not in " ".join(proc.stdout.split()):
            return ["expected a refusal saying %r, got exit %d:" % (reason, proc.returncode), proc.stdout]
        if os.path.exists(output):
            return ["refused, but a page was written"]
        return []
    if proc.returncode != 0:
        return ["the inliner failed (%d):" % proc.returncode, proc.stdout]
    with open(output, "rb") as f:
        got = f.read()
    if got != expected.encode("utf-8"):
        return ["expected %r" % expected.encode("utf-8"), "     got %r" % got]
    return []


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--scratch", required=True)
    args = parser.parse_args()
    scratch = os.path.abspath(args.scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    for index, row in enumerate(ROWS):
        tally.record(row[0], run_row(os.path.abspath(args.source), scratch, index, row))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
