#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""cpack's packages: what they hold, and that the packaged tool runs.

Runs cpack for the build folder into a scratch folder and checks each
package the build makes: a .tar.gz and a .deb natively, a .zip for Windows.
Every package carries the licence; the .deb carries what Debian's policy
asks for (a DEP-5 copyright file, changelog.gz, the manual page compressed
with gzip -9n, a stripped executable) and passes lintian with no error or
warning. When the build makes the browser page (CLIP2C_PAGE_FILE in its
cache), every package carries it at its place, byte for byte; when it does
not, no package holds one. The version comes from project() (through
CPackConfig.cmake) and must be CHANGELOG.md's newest entry. A second cpack
run must give the same bytes.

  check_packages.py --build build --scratch build/packages-scratch [--windows]
"""
import datetime
import email.utils
import filecmp
import glob
import gzip
import io
import os
import re
import shutil
import struct
import subprocess
import sys
import tarfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import Tally, runner_args  # noqa: E402


tally = Tally("package")

PACKAGE = ["lib/cmake/clip2c/clip2cConfig.cmake", "lib/cmake/clip2c/clip2cConfigVersion.cmake",
           "lib/cmake/clip2c/clip2cTargets.cmake", "lib/cmake/clip2c/clip2cAddClip.cmake"]
DOC = "share/doc/clip2c/"
MAN = "share/man/man1/clip2c.1"
BOARD_MAN = "share/man/man1/clip2c-board.1"

# {package file pattern, files it must hold (below its top folder or prefix;
#  the executable first), files it must not hold, {file it holds: the source
#  file it is a copy of}, where it carries the browser page}; the first two
#  files are clip2c and clip2c-board
NATIVE = [
    ("clip2c-{version}-Linux.tar.gz",
     ["bin/clip2c", "bin/clip2c-board", DOC + "README.md", DOC + "CHANGELOG.md", DOC + "LICENSE", MAN,
      BOARD_MAN] + PACKAGE,
     [],
     {DOC + "LICENSE": "LICENSE", DOC + "README.md": "README.md", DOC + "CHANGELOG.md": "CHANGELOG.md",
      MAN: "doc/clip2c.1", BOARD_MAN: "doc/clip2c-board.1"},
     "share/clip2c/clip2c.html"),
    # Debian: the licence as copyright, the changelog as changelog.gz (the
    # name for a native package), the manual page compressed only.
    ("clip2c_{version}_*.deb",
     ["usr/bin/clip2c", "usr/bin/clip2c-board", "usr/" + DOC + "README.md", "usr/" + DOC + "copyright",
      "usr/" + DOC + "changelog.gz", "usr/" + MAN + ".gz", "usr/" + BOARD_MAN + ".gz"] + ["usr/" + f for f in PACKAGE],
     ["usr/" + MAN, "usr/" + BOARD_MAN, "usr/" + DOC + "LICENSE", "usr/" + DOC + "changelog.Debian.gz"],
     {"usr/" + DOC + "README.md": "README.md"},
     "usr/share/clip2c/clip2c.html"),
]
WINDOWS = [
    # What a Windows user sees on opening the .zip: the licence and the
    # README beside bin/.
    ("clip2c-{version}-win64.zip",
     ["bin/clip2c.exe", "bin/clip2c-board.exe", "LICENSE", "README.md", "CHANGELOG.md"] + PACKAGE,
     [MAN, BOARD_MAN],
     {"LICENSE": "LICENSE", "README.md": "README.md", "CHANGELOG.md": "CHANGELOG.md"},
     "bin/clip2c.html"),
]

LINTIAN = ["lintian", "--fail-on", "error,warning", "--display-info"]
# Info tags that mean the override no longer fits what it overrides.
LINTIAN_OVERRIDE_TAGS = ("unused-override", "mismatched-override")


def members(path):
    """The package's files, each without the archive's top folder."""
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as z:
            names = [n for n in z.namelist() if not n.endswith("/")]
    elif path.endswith(".tar.gz"):
        with tarfile.open(path) as t:
            names = [m.name for m in t.getmembers() if m.isfile()]
    else:
        out = subprocess.run(["dpkg-deb", "--fsys-tarfile", path], check=True, stdout=subprocess.PIPE).stdout
        with tarfile.open(fileobj=io.BytesIO(out)) as t:
            return {m.name[2:] if m.name.startswith("./") else m.name for m in t.getmembers() if m.isfile()}
    return {n.split("/", 1)[1] for n in names if "/" in n}


def unpack(path, dest):
    """Unpacks a package; returns the folder its files are relative to."""
    if path.endswith(".deb"):
        subprocess.run(["dpkg-deb", "-x", path, dest], check=True)
        return dest
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as z:
            z.extractall(dest)
    else:
        with tarfile.open(path) as t:
            t.extractall(dest)
    return os.path.join(dest, os.listdir(dest)[0])


def cmake_value(path, name):
    """A value set in CPackConfig.cmake (set(NAME "value")) or in
    CMakeCache.txt (NAME:TYPE=value)."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'set\(%s "(.*)"\)$|%s:\w+=(.*)$' % (name, name), line.strip())
            if m:
                return m.group(1) if m.group(1) is not None else m.group(2)
    raise SystemExit("%s sets no %s" % (path, name))


def newest_changelog_entry(path):
    """CHANGELOG.md's newest released entry: (version, date, Markdown text)."""
    text = open(path, encoding="utf-8").read()
    m = re.search(r"^## \[(\d+\.\d+\.\d+[0-9A-Za-z.+~-]*)\] - (\d{4}-\d\d-\d\d)[ \t]*$", text, re.M)
    if not m:
        return None, None, ""
    body = text[m.end():]
    end = re.search(r"^## |^\[[^\]\n]*\]: ", body, re.M)
    return m.group(1), m.group(2), body[:end.start()] if end else body


def words(text):
    """The words of a change list, without list and heading marks."""
    return [w.rstrip(":") for w in text.split() if w not in ("-", "*", "###")]


# --- one package's checks -----------------------------------------------------

def check_gzip(label, data):
    """A gzip -9n stream: maximum compression, no file name, no time stamp.
    Returns what it holds."""
    if len(data) < 10 or data[:3] != b"\x1f\x8b\x08":
        tally.fail("%s is not gzip data" % label)
        return b""
    flags, mtime, extra = data[3], struct.unpack("<I", data[4:8])[0], data[8]
    if flags != 0 or mtime != 0:
        tally.fail("%s: the gzip header holds a file name or a time stamp (flags %#x, time %d): not gzip -n"
                   % (label, flags, mtime))
    if extra != 2:
        tally.fail("%s: not compressed at the highest level (gzip -9): extra flags %d" % (label, extra))
    return gzip.decompress(data)


def check_stripped(label, exe):
    """No symbol table, no debugging sections, no compiler notes."""
    data = open(exe, "rb").read()
    if data[:4] == b"\x7fELF":
        out = subprocess.run(["readelf", "-S", "-W", exe], check=True, stdout=subprocess.PIPE, text=True).stdout
        names = re.findall(r"\]\s+(\S+)", out)
        left = [n for n in names if n in (".symtab", ".comment", ".note") or n.startswith(".debug")]
        if left:
            tally.fail("%s: the executable is not stripped: it holds %s" % (label, ", ".join(left)))
    elif data[:2] == b"MZ":
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        symbols_at, symbols = struct.unpack_from("<II", data, pe + 4 + 8)
        if symbols_at or symbols:
            tally.fail("%s: the executable still has its COFF symbol table (%d symbols)" % (label, symbols))
    else:
        tally.fail("%s: the executable is neither ELF nor PE" % label)


def check_runs(label, exe):
    proc = subprocess.run([exe], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 255 or b"Usage : " not in proc.stdout:
        tally.fail("%s: the packaged %s does not show its usage text (exit %d)"
                   % (label, os.path.basename(exe), proc.returncode))


def check_board_runs(label, exe, version):
    proc = subprocess.run([exe, "--version"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 0 or proc.stdout != b"clip2c-board %s\n" % version.encode():
        tally.fail("%s: the packaged %s --version gives %r (exit %d)"
                   % (label, os.path.basename(exe), proc.stdout, proc.returncode))


def check_copyright(label, text, license_path):
    """A DEP-5 file whose one Files paragraph carries LICENSE's holder and
    text."""
    lines = text.split("\n")
    if lines[0] != "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/":
        tally.fail("%s: not a machine-readable (DEP-5) copyright file: %r" % (label, lines[0]))
    license = open(license_path, encoding="utf-8").read()
    m = re.match(r"(\S+) License\n+Copyright \(c\) ([^\n]+)\n+", license)
    name, holder, body = m.group(1), m.group(2), license[m.end():].strip()
    fields = re.search(r"^Files: \*\nCopyright: (.+)\nLicense: (\S+)\n((?: .*\n?)+)", text, re.M)
    if not fields:
        tally.fail("%s: no 'Files: *' paragraph with Copyright, License and the licence's text:\n%s"
                   % (label, text))
        return
    if fields.group(1) != holder or fields.group(2) != name:
        tally.fail("%s: Copyright %r, License %r; LICENSE says %r, %r"
                   % (label, fields.group(1), fields.group(2), holder, name))
    held = "\n".join("" if line == " ." else line[1:] for line in fields.group(3).rstrip("\n").split("\n"))
    if held != body:
        tally.fail("%s: the licence's text differs from LICENSE's:\n%s" % (label, held))


def check_debian_changelog(label, text, version, changelog_md):
    """changelog.gz: CHANGELOG.md's newest entry for this version, signed
    with its date, every change line within 80 columns."""
    md_version, md_date, md_text = newest_changelog_entry(changelog_md)
    lines = text.rstrip("\n").split("\n")
    if not re.match(r"clip2c \(%s\) [a-z-]+; urgency=[a-z]+$" % re.escape(version), lines[0]):
        tally.fail("%s: the first line does not name clip2c %s: %r" % (label, version, lines[0]))
    if md_date:
        when = datetime.datetime.strptime(md_date, "%Y-%m-%d").replace(tzinfo=datetime.timezone.utc)
        signature = r" -- [^<>]+ <[^<>@]+@[^<>]+>  %s$" % re.escape(email.utils.format_datetime(when))
        if not re.match(signature, lines[-1]):
            tally.fail("%s: the signature line is not dated %s (CHANGELOG.md's date): %r"
                       % (label, md_date, lines[-1]))
    changes = lines[1:-1]
    for line in changes:
        if len(line) > 80:
            tally.fail("%s: a line longer than 80 columns: %r" % (label, line))
    if words("\n".join(changes)) != words(md_text):
        tally.fail("%s: the changes are not CHANGELOG.md's entry for %s:\n%s" % (label, md_version, text))


def check_lintian(label, deb):
    if not shutil.which("lintian"):
        tally.fail("%s: lintian is not installed (scripts/install-deps.sh installs it)" % label)
        return
    # Lintian 2.116 exits 2 when a tag named by --fail-on shows.
    proc = subprocess.run(LINTIAN + [deb], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    tags = [line for line in proc.stdout.splitlines() if re.match(r"[EWIPX]: ", line)]
    bad = [t for t in tags if t[0] in "EW" or any(o in t for o in LINTIAN_OVERRIDE_TAGS)]
    if proc.returncode != 0 or bad:
        tally.fail("%s: lintian (exit %d):\n%s" % (label, proc.returncode, proc.stdout))
    else:
        print("%s: lintian: no error, no warning%s" % (label, "; " + "; ".join(tags) if tags else ""))


def check_page(label, root, held, place, built_page):
    """The package carries the build's page at its place, the same bytes,
    or, when the build made none, no page at all."""
    if not built_page:
        print("%s: the build makes no browser page (CLIP2C_PAGE), so none is expected" % label)
        if place in held:
            tally.fail("%s holds %s, but the build made no page" % (label, place))
        return
    if place not in held:
        tally.fail("%s lacks the browser page, %s" % (label, place))
    elif not filecmp.cmp(os.path.join(root, place), built_page, shallow=False):
        tally.fail("%s: %s is not the build's page, %s" % (label, place, built_page))


def check_package(path, expected, forbidden, copies, page, args, source, version):
    label = os.path.basename(path)
    held = members(path)
    for rel in expected:
        if rel not in held:
            tally.fail("%s lacks %s (it holds %s)" % (label, rel, sorted(held)))
    for rel in forbidden:
        if rel in held:
            tally.fail("%s holds %s, which it must not" % (label, rel))
    root = unpack(path, os.path.join(args.scratch, "unpacked-" + label))
    for rel, original in copies.items():
        if rel in held and not filecmp.cmp(os.path.join(root, rel), os.path.join(source, original), shallow=False):
            tally.fail("%s: %s is not a copy of the source tree's %s" % (label, rel, original))
    built_page = cmake_value(os.path.join(args.build, "CMakeCache.txt"), "CLIP2C_PAGE_FILE")
    check_page(label, root, held, page, built_page)

    exe_rel, board_rel = expected[0], expected[1]
    if exe_rel in held:
        check_stripped(label, os.path.join(root, exe_rel))
        if not args.windows:
            check_runs(label, os.path.join(root, exe_rel))
    if board_rel in held:
        check_stripped(label, os.path.join(root, board_rel))
        if not args.windows:
            check_board_runs(label, os.path.join(root, board_rel), version)

    if path.endswith(".deb"):
        fields = subprocess.run(["dpkg-deb", "-f", path, "Package", "Version", "Maintainer"],
                                check=True, stdout=subprocess.PIPE, text=True).stdout
        if "Package: clip2c" not in fields or "Version: %s\n" % version not in fields or "Maintainer: " not in fields:
            tally.fail("the .deb's control fields: " + fields)
        doc = os.path.join(root, "usr", DOC)
        if os.path.isfile(os.path.join(doc, "copyright")):
            check_copyright(label + " copyright", open(os.path.join(doc, "copyright"), encoding="utf-8").read(),
                            os.path.join(source, "LICENSE"))
        compressed = [("changelog.gz", os.path.join(doc, "changelog.gz")),
                      ("clip2c.1.gz", os.path.join(root, "usr", MAN + ".gz")),
                      ("clip2c-board.1.gz", os.path.join(root, "usr", BOARD_MAN + ".gz"))]
        for name, gz in compressed:
            if not os.path.isfile(gz):
                continue
            content = check_gzip("%s %s" % (label, name), open(gz, "rb").read())
            if name == "changelog.gz":
                check_debian_changelog(label + " changelog.gz", content.decode("utf-8"), version,
                                       os.path.join(source, "CHANGELOG.md"))
            elif content != open(os.path.join(source, "doc", name[:-3]), "rb").read():
                tally.fail("%s: %s does not hold doc/%s" % (label, name, name[:-3]))
        check_lintian(label, path)


def run_cpack(args, out):
    cpack = os.path.join(os.path.dirname(shutil.which("cmake") or "cmake"), "cpack")
    argv = [cpack, "--config", os.path.join(args.build, "CPackConfig.cmake"), "-B", out]
    if args.config:
        argv += ["-C", args.config]
    proc = subprocess.run(argv, cwd=args.build, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if proc.returncode != 0:
        print(proc.stdout.decode("utf-8", "replace"))
        tally.fail("cpack failed")
        return False
    return True


def main():
    args = runner_args(__doc__, "--build", "--scratch", "--windows", "--config")
    version = cmake_value(os.path.join(args.build, "CPackConfig.cmake"), "CPACK_PACKAGE_VERSION")
    source = cmake_value(os.path.join(args.build, "CMakeCache.txt"), "clip2c_SOURCE_DIR")

    md_version = newest_changelog_entry(os.path.join(source, "CHANGELOG.md"))[0]
    if md_version != version:
        tally.fail("CHANGELOG.md's newest entry is %s, but project(VERSION) is %s" % (md_version, version))

    first = os.path.join(args.scratch, "first")
    if not run_cpack(args, first):
        return tally.finish()
    packages = []
    for pattern, expected, forbidden, copies, page in WINDOWS if args.windows else NATIVE:
        pattern = pattern.format(version=version)
        found = glob.glob(os.path.join(first, pattern))
        if len(found) != 1:
            tally.fail("%s: cpack made %d such packages: %s" % (pattern, len(found), os.listdir(first)))
            continue
        packages.append(os.path.basename(found[0]))
        check_package(found[0], expected, forbidden, copies, page, args, source, version)

    # The same sources give the same bytes, whenever they are packaged (a
    # second apart at least, as archives keep whole seconds).
    time.sleep(1.1)
    second = os.path.join(args.scratch, "second")
    if run_cpack(args, second):
        for name in packages:
            again = os.path.join(second, name)
            if not os.path.isfile(again) or not filecmp.cmp(os.path.join(first, name), again, shallow=False):
                tally.fail("%s: a second cpack run gave different bytes" % name)

    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
