# Sets the PE header checksum of FILE to zero. The linker fills it in, but the
# combiner is a template: Brindle patches its string slots in every copy it
# writes, after which a filled-in checksum would no longer match the bytes.
# A zero checksum is not checked for programs, and stays valid in every copy.
file(READ "${FILE}" pe_offset_hex OFFSET 60 LIMIT 4 HEX)
# e_lfanew, little-endian
string(SUBSTRING "${pe_offset_hex}" 6 2 b3)
string(SUBSTRING "${pe_offset_hex}" 4 2 b2)
string(SUBSTRING "${pe_offset_hex}" 2 2 b1)
string(SUBSTRING "${pe_offset_hex}" 0 2 b0)
math(EXPR pe_offset "0x${b3}${b2}${b1}${b0}")
file(READ "${FILE}" signature OFFSET ${pe_offset} LIMIT 4 HEX)
if(NOT signature STREQUAL "50450000")
    message(FATAL_ERROR "${FILE} has no PE header at ${pe_offset}")
endif()
# The signature (4 bytes) and the file header (20) come before the optional
# header, whose checksum field is at byte 64.
math(EXPR checksum_offset "${pe_offset} + 4 + 20 + 64")
execute_process(
    COMMAND dd if=/dev/zero of=${FILE} bs=1 seek=${checksum_offset} count=4 conv=notrunc
    RESULT_VARIABLE status ERROR_VARIABLE output)
file(READ "${FILE}" checksum OFFSET ${checksum_offset} LIMIT 4 HEX)
if(NOT status EQUAL 0 OR NOT checksum STREQUAL "00000000")
    message(FATAL_ERROR "could not clear the checksum of ${FILE}: ${output}")
endif()
