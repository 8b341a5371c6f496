# Fails the build when the combiner program is larger than MAX_SIZE bytes.
file(SIZE "${FILE}" size)
if(size GREATER MAX_SIZE)
    file(REMOVE "${FILE}")
    message(FATAL_ERROR "${FILE} is ${size} bytes, more than ${MAX_SIZE}")
endif()
