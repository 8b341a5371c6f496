"""Both programs carry their version information: version 1.31, product
Brindle, company Velloran, in US English; the combiner template inside
Brindle.exe carries the combiner's, which its written copies keep.

Usage: version_info_test.py BRINDLE_EXE COMBINER_EXE"""
import sys

from pe_image import PeImage, read_image, version_info
from outcome import exit_with

VERSION_1_31 = (1 << 16) | 31  # the high and low words: 1.31
SIGNATURE = 0xFEEF04BD
VFT_APP = 1
VOS_NT_WINDOWS32 = 0x40004
US_ENGLISH = 1033
UNICODE = 1200

BRINDLE_STRINGS = {
    "CompanyName": "Velloran",
    "FileDescription": "Brindle: splits a file into pieces for small media",
    "FileVersion": "1.31",
    "InternalName": "Brindle.exe",
    "LegalCopyright": "Copyright (C) 2026 Velloran",
    "OriginalFilename": "Brindle.exe",
    "ProductName": "Brindle",
    "ProductVersion": "1.31",
}
COMBINER_STRINGS = dict(BRINDLE_STRINGS,
                        FileDescription="Brindle: recreates a file from its pieces",
                        InternalName="CombinePieces.exe",
                        OriginalFilename="CombinePieces.exe")

failures = []


def check(what, image, expected_strings):
    try:
        language, fixed, strings, translations = version_info(image)
    except (KeyError, ValueError) as error:
        failures.append("%s: no version information (%s)" % (what, error))
        return
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, _, os, file_type, _, _, _) = fixed
    expected = [("language", US_ENGLISH, language), ("signature", SIGNATURE, signature),
                ("file version", (VERSION_1_31, 0), (file_ms, file_ls)),
                ("product version", (VERSION_1_31, 0), (product_ms, product_ls)),
                ("file type", VFT_APP, file_type), ("system", VOS_NT_WINDOWS32, os),
                ("translations", [(US_ENGLISH, UNICODE)], translations),
                ("string tables", ["040904B0"], sorted(strings))]
    for name, want, got in expected:
        if want != got:
            failures.append("%s: %s is %r, expected %r" % (what, name, got, want))
    got_strings = strings.get("040904B0", {})
    if got_strings != expected_strings:
        failures.append("%s: strings are %r, expected %r" % (what, got_strings, expected_strings))


brindle = read_image(sys.argv[1])
check("Brindle.exe", brindle, BRINDLE_STRINGS)
check("CombinePieces.exe", read_image(sys.argv[2]), COMBINER_STRINGS)
_, template = brindle.resource("BLOB", 138)
check("the combiner template in Brindle.exe", PeImage(template), COMBINER_STRINGS)

exit_with(failures)
