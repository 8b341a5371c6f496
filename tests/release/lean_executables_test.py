"""The release programs are stripped (no symbol table, and with it no debug
sections, whose long names live in its string table), and the
combiner template's header checksum is zero, in the built combiner and in the
copy inside Brindle.exe (Brindle's writer changes only the parameter slots, so
every written program keeps it zero and valid).

Usage: lean_executables_test.py BRINDLE_EXE COMBINER_EXE"""
import sys

import pefile
from release_checks import exit_with, read_image, resource

failures = []


def check_lean(what, image):
    if image.FILE_HEADER.PointerToSymbolTable:
        failures.append("%s has a symbol table at %d" % (what, image.FILE_HEADER.PointerToSymbolTable))


def check_zero_checksum(what, image):
    if image.OPTIONAL_HEADER.CheckSum != 0:
        failures.append("%s has the header checksum %d, not 0" % (what, image.OPTIONAL_HEADER.CheckSum))


brindle = read_image(sys.argv[1])
combiner = read_image(sys.argv[2])
check_lean("Brindle.exe", brindle)
check_lean("CombinePieces.exe", combiner)
check_zero_checksum("CombinePieces.exe", combiner)
template, _ = resource(brindle, "BLOB", 138)
check_zero_checksum("the combiner template in Brindle.exe", pefile.PE(data=template))

exit_with(failures)
