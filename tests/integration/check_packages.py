#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""cpack's packages: what they hold, and that the packaged tool runs.

Runs cpack for the build folder into a scratch folder and checks each
package the build makes: a .tar.gz and a .deb natively, a .zip for Windows.

  check_packages.py --build build --scratch build/packages-scratch [--windows]
"""
import argparse
import glob
import io
import os
import shutil
import subprocess
import sys
import tarfile
import zipfile

from checks import fail, finish

PACKAGE = ["lib/cmake/clip2c/clip2cConfig.cmake", "lib/cmake/clip2c/clip2cConfigVersion.cmake",
           "lib/cmake/clip2c/clip2cTargets.cmake", "lib/cmake/clip2c/clip2cAddClip.cmake"]
DOCS = ["share/doc/clip2c/README.md", "share/man/man1/clip2c.1"]

# {package file pattern, files it must hold (below its top folder or prefix)}
NATIVE = [
    ("clip2c-1.0.0-Linux.tar.gz", ["bin/clip2c"] + DOCS + PACKAGE),
    ("clip2c_1.0.0_*.deb", ["usr/bin/clip2c"] + ["usr/" + f for f in DOCS + PACKAGE]),
]
WINDOWS = [
    ("clip2c-1.0.0-win64.zip", ["bin/clip2c.exe", "share/doc/clip2c/README.md"] + PACKAGE),
]

def members(path):
    """The package's files, each without the archive's top folder."""
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as z:
            names = z.namelist()
    elif path.endswith(".tar.gz"):
        with tarfile.open(path) as t:
            names = [m.name for m in t.getmembers() if m.isfile()]
    else:
        out = subprocess.run(["dpkg-deb", "--fsys-tarfile", path], check=True, stdout=subprocess.PIPE).stdout
        with tarfile.open(fileobj=io.BytesIO(out)) as t:
            return {m.name[2:] if m.name.startswith("./") else m.name for m in t.getmembers() if m.isfile()}
    return {n.split("/", 1)[1] for n in names if "/" in n}


def check_runs(package, root, exe_rel):
    exe = os.path.join(root, exe_rel)
    proc = subprocess.run([exe], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 255 or b"Usage : " not in proc.stdout:
        fail("%s: the packaged %s does not show its usage text (exit %d)" % (package, exe_rel, proc.returncode))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--scratch", required=True)
    parser.add_argument("--windows", action="store_true")
    parser.add_argument("--config", default="")
    args = parser.parse_args()
    shutil.rmtree(args.scratch, ignore_errors=True)
    os.makedirs(args.scratch)

    cpack = os.path.join(os.path.dirname(shutil.which("cmake") or "cmake"), "cpack")
    argv = [cpack, "--config", os.path.join(args.build, "CPackConfig.cmake"), "-B", args.scratch]
    if args.config:
        argv += ["-C", args.config]
    proc = subprocess.run(argv, cwd=args.build, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if proc.returncode != 0:
        print(proc.stdout.decode("utf-8", "replace"))
        fail("cpack failed")
        return finish("package")

    for pattern, expected in WINDOWS if args.windows else NATIVE:
        found = glob.glob(os.path.join(args.scratch, pattern))
        if len(found) != 1:
            fail("%s: cpack made %d such packages: %s" % (pattern, len(found), os.listdir(args.scratch)))
            continue
        held = members(found[0])
        for rel in expected:
            if rel not in held:
                fail("%s lacks %s (it holds %s)" % (os.path.basename(found[0]), rel, sorted(held)))
        unpacked = os.path.join(args.scratch, "unpacked-" + pattern.split(".")[0].replace("*", ""))
        if found[0].endswith(".deb"):
            subprocess.run(["dpkg-deb", "-x", found[0], unpacked], check=True)
            fields = subprocess.run(["dpkg-deb", "-f", found[0], "Package", "Version", "Maintainer"],
                                    check=True, stdout=subprocess.PIPE, text=True).stdout
            if "Package: clip2c" not in fields or "Version: 1.0.0" not in fields or "Maintainer: " not in fields:
                fail("the .deb's control fields: " + fields)
            check_runs("the .deb", unpacked, "usr/bin/clip2c")
        elif found[0].endswith(".tar.gz"):
            with tarfile.open(found[0]) as t:
                t.extractall(unpacked)
            top = os.path.join(unpacked, os.listdir(unpacked)[0])
            check_runs("the .tar.gz", top, "bin/clip2c")

    return finish("package")


if __name__ == "__main__":
    sys.exit(main())
