// Wall-clock timing and memory figures for the benchmark programs.
#pragma once

#include <stdint.h>

class BenchClock {
public:
    BenchClock();
    double seconds() const;

private:
    int64_t start_;
};

// The largest working set this process has had, in bytes.
uint64_t PeakWorkingSet();
