"""cpack makes Brindle-1.31-win32.zip with exactly Brindle.exe, Brindle.chm
and README.txt: the 32-bit release Brindle.exe of this build with the
combiner template inside, the help file of this build, and a README with
Windows line endings. (Being this build's own Brindle.exe byte for byte, it
runs as the journeys show that one running.)

Usage: release_zip_test.py CPACK BUILD_DIR SCRATCH_FOLDER"""
import os
import shutil
import subprocess
import sys
import zipfile

import pefile
from release_checks import exit_with, resource

ZIP_NAME = "Brindle-1.31-win32.zip"
FILES = ["Brindle.chm", "Brindle.exe", "README.txt"]
I386 = 0x14C
PE32 = 0x10B
WINDOWS_GUI = 2


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    cpack, build, scratch = sys.argv[1:4]
    shutil.rmtree(scratch, ignore_errors=True)
    run = subprocess.run([cpack, "--config", os.path.join(build, "CPackConfig.cmake"),
                          "-B", scratch], capture_output=True, text=True)
    package = os.path.join(scratch, ZIP_NAME)
    if run.returncode != 0 or not os.path.exists(package):
        return ["cpack made no %s (exit code %d):\n%s%s"
                % (ZIP_NAME, run.returncode, run.stdout, run.stderr)]
    with zipfile.ZipFile(package) as archive:
        names = sorted(archive.namelist())
        if names != FILES:
            return ["the zip holds %s, expected %s" % (names, FILES)]
        unpacked = os.path.join(scratch, "unpacked")
        archive.extractall(unpacked)

    failures = []
    brindle = read(os.path.join(unpacked, "Brindle.exe"))
    if brindle != read(os.path.join(build, "app", "main_window", "Brindle.exe")):
        failures.append("Brindle.exe in the zip is not the Brindle.exe of this build")
    image = pefile.PE(data=brindle)
    kind = (image.FILE_HEADER.Machine, image.OPTIONAL_HEADER.Magic, image.OPTIONAL_HEADER.Subsystem)
    if kind != (I386, PE32, WINDOWS_GUI):
        failures.append("Brindle.exe is not a 32-bit Windows GUI program: machine 0x%x, "
                        "magic 0x%x, subsystem %d" % kind)
    template, _ = resource(image, "BLOB", 138)
    if template != read(os.path.join(build, "CombinePieces", "CombinePieces.exe")):
        failures.append("the template in Brindle.exe is not CombinePieces.exe of this build")
    if read(os.path.join(unpacked, "Brindle.chm")) != \
            read(os.path.join(build, "app", "main_window", "Brindle.chm")):
        failures.append("Brindle.chm in the zip is not the help file of this build")
    readme = read(os.path.join(unpacked, "README.txt"))
    if not readme.startswith(b"Brindle 1.31\r\n"):
        failures.append("README.txt does not begin with the line Brindle 1.31: %r" % readme[:40])
    if readme.count(b"\n") != readme.count(b"\r\n") or readme.count(b"\r") != readme.count(b"\n"):
        failures.append("README.txt has line ends other than CR LF")
    return failures


exit_with(main())
