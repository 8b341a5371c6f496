// The product's version, kept here alone: Brindle's captions and titles, the
// About box, the version information of both programs and the name of the
// release zip (read by the build) all take it from these two numbers.
#ifndef BRINDLE_PRODUCT_VERSION_H
#define BRINDLE_PRODUCT_VERSION_H

#define BRINDLE_VERSION_MAJOR 1
#define BRINDLE_VERSION_MINOR 31

#define BRINDLE_STRINGIZE_(value) #value
#define BRINDLE_STRINGIZE(value) BRINDLE_STRINGIZE_(value)
// "1.31"
#define BRINDLE_VERSION_TEXT \
    BRINDLE_STRINGIZE(BRINDLE_VERSION_MAJOR) "." BRINDLE_STRINGIZE(BRINDLE_VERSION_MINOR)

#endif
