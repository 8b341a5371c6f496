# The release: Brindle-<version>-win32.zip with Brindle.exe, Brindle.chm and
# README.txt, made by cpack (cmake --build <build folder> --target package).
# Only the 32-bit build makes it.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
endif()

# The version comes from the header that the programs take it from.
file(STRINGS ${CMAKE_SOURCE_DIR}/common/product_version.h version_lines
     REGEX "^#define BRINDLE_VERSION_(MAJOR|MINOR) [0-9]+$")
string(REGEX REPLACE ".*MAJOR ([0-9]+);.*MINOR ([0-9]+).*" "\\1.\\2"
       BRINDLE_VERSION "${version_lines}")

install(TARGETS Brindle RUNTIME DESTINATION .)
# README.txt with Windows line endings, for Notepad.
configure_file(${CMAKE_SOURCE_DIR}/docs/release/README.txt.in ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
get_target_property(brindle_dir Brindle BINARY_DIR)
install(FILES ${brindle_dir}/Brindle.chm DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Brindle)
set(CPACK_PACKAGE_VENDOR Velloran)
set(CPACK_PACKAGE_VERSION ${BRINDLE_VERSION})
set(CPACK_PACKAGE_FILE_NAME Brindle-${BRINDLE_VERSION}-win32)
# The three files at the top of the zip, not in a folder of their own.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
