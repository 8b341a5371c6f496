"""The release programs carry no debug sections and no symbol table, and the
combiner template's header checksum is zero, in the built combiner and in the
copy inside Brindle.exe (Brindle's writer changes only the parameter slots, so
every written program keeps it zero and valid).

Usage: lean_executables_test.py BRINDLE_EXE COMBINER_EXE"""
import sys

import pefile
from release_checks import exit_with, read_image, resource

failures = []


def check_lean(what, image):
    # Section names longer than 8 bytes (all the .debug ones) are "/n", kept
    # in the string table after the symbols.
    debug = [s.Name.rstrip(b"\0").decode() for s in image.sections
             if s.Name.startswith((b".debug", b"/"))]
    if debug:
        failures.append("%s has debug sections: %s" % (what, ", ".join(debug)))
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
