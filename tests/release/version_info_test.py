"""Both programs carry their version information (version 1.31, product
Brindle, company Velloran, in US English) and their manifest (no elevation,
Windows Vista to 11, UTF-8 as the ANSI code page, nothing more); so do the
combiner of the other word size and the template inside Brindle.exe, whose
written copies keep both.

Usage: version_info_test.py BRINDLE_EXE COMBINER_EXE OTHER_WORD_SIZE_COMBINER_EXE"""
import sys
import xml.etree.ElementTree as ElementTree

import pefile
from release_checks import exit_with, read_image, resource

VERSION_1_31 = (1 << 16) | 31  # the high and low words: 1.31
US_ENGLISH = 1033
RT_VERSION = 16
RT_MANIFEST = 24
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
SETTINGS = "{http://schemas.microsoft.com/SMI/2019/WindowsSettings}"
# No elevation, UTF-8, and Microsoft's ids of Windows Vista, 7, 8, 8.1 and 10 (and 11).
MANIFEST = {ASM_V3 + "requestedExecutionLevel level=asInvoker uiAccess=false",
            SETTINGS + "activeCodePage UTF-8"}
MANIFEST |= {"{urn:schemas-microsoft-com:compatibility.v1}supportedOS Id={%s}" % id for id in (
    "e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a "
    "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 "
    "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a").split()}

failures = []


def manifest_settings(image):
    """Each element of the manifest without elements inside, with its attributes and text."""
    root = ElementTree.fromstring(resource(image, RT_MANIFEST, 1)[0])
    return {" ".join([node.tag] + ["%s=%s" % pair for pair in sorted(node.attrib.items())] +
                     (node.text or "").split()) for node in root.iter() if len(node) == 0}


def version_info(image):
    """The fixed part, and the strings by string-table key."""
    strings = {}
    for block in image.FileInfo[0]:
        for table in getattr(block, "StringTable", []):
            strings[table.LangID.decode()] = {k.decode(): v.decode() for k, v in table.entries.items()}
    return image.VS_FIXEDFILEINFO[0], strings


def check(what, image, file_name):
    try:
        _, language = resource(image, RT_VERSION, 1)
        fixed, strings = version_info(image)
        manifest = manifest_settings(image)
    except (AttributeError, KeyError, ValueError) as error:
        failures.append("%s: no version information or manifest (%s)" % (what, error))
        return
    expected = [("language", US_ENGLISH, language),
                ("file version", (VERSION_1_31, 0), (fixed.FileVersionMS, fixed.FileVersionLS)),
                ("product version", (VERSION_1_31, 0),
                 (fixed.ProductVersionMS, fixed.ProductVersionLS)),
                ("string tables", ["040904B0"], sorted(strings)), ("manifest", MANIFEST, manifest)]
    for name, want, got in expected:
        if want != got:
            failures.append("%s: %s is %r, expected %r" % (what, name, got, want))
    # The product, its maker and version, and the program's own name.
    expected_strings = {"CompanyName": "Velloran", "ProductName": "Brindle", "FileVersion": "1.31",
                        "ProductVersion": "1.31", "InternalName": file_name,
                        "OriginalFilename": file_name}
    got_strings = {key: strings.get("040904B0", {}).get(key) for key in expected_strings}
    if got_strings != expected_strings:
        failures.append("%s: strings are %r, expected %r" % (what, got_strings, expected_strings))


brindle = read_image(sys.argv[1])
check("Brindle.exe", brindle, "Brindle.exe")
check("CombinePieces.exe", read_image(sys.argv[2]), "CombinePieces.exe")
check("the combiner of the other word size", read_image(sys.argv[3]), "CombinePieces.exe")
template, _ = resource(brindle, "BLOB", 138)
check("the combiner template in Brindle.exe", pefile.PE(data=template), "CombinePieces.exe")

exit_with(failures)
