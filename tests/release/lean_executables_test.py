"""The release programs carry no debug sections and no symbol table, and the
combiner template's header checksum is zero, in the built combiner and in the
copy inside Brindle.exe (Brindle's writer changes only the parameter slots, so
every written program keeps it zero and valid).

Usage: lean_executables_test.py BRINDLE_EXE COMBINER_EXE"""
import sys

from pe_image import DEBUG_SECTION_PREFIX, PeImage, read_image
from outcome import exit_with

failures = []


def check_lean(what, image):
    debug = [s.name for s in image.sections if s.name.startswith(DEBUG_SECTION_PREFIX)]
    if debug:
        failures.append("%s has debug sections: %s" % (what, ", ".join(debug)))
    if image.symbol_table:
        failures.append("%s has a symbol table at %d" % (what, image.symbol_table))


def check_zero_checksum(what, image):
    if image.checksum != 0:
        failures.append("%s has the header checksum %d, not 0" % (what, image.checksum))


brindle = read_image(sys.argv[1])
combiner = read_image(sys.argv[2])
check_lean("Brindle.exe", brindle)
check_lean("CombinePieces.exe", combiner)
check_zero_checksum("CombinePieces.exe", combiner)
_, template = brindle.resource("BLOB", 138)
check_zero_checksum("the combiner template in Brindle.exe", PeImage(template))

exit_with(failures)
