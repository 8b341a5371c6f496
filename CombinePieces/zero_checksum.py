"""Sets the header checksum of a program to zero. The linker fills it in, but
the combiner is a template: Brindle patches its string slots in every copy it
writes, after which a filled-in checksum would no longer match the bytes. A
zero checksum is not checked for programs, and stays valid in every copy.

Usage: zero_checksum.py PROGRAM"""
import sys

import pefile

with open(sys.argv[1], "rb") as f:
    image = pefile.PE(data=f.read())
image.OPTIONAL_HEADER.CheckSum = 0
image.write(sys.argv[1])
