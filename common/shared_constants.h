// Values that Brindle and the combiner program share.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Status bar and progress bar ids of both programs' dialogs.
const int IDC_STATUS_BAR = 299792459;
const int IDC_PROGRESS = 299792460;
// Result of the overwrite dialog's "Yes to All" button: just below the status bar's id.
const int IDYESTOALL = 299792458;

// The one copy buffer of a split job and of a reassembly run.
const size_t COPY_BUFFER_SIZE = 4194304;
// Smaller chunks when writing to a removable drive.
const size_t REMOVABLE_CHUNK_SIZE = 262144;

// Paths and field texts: at most 511 characters plus the terminating zero.
const size_t MAX_TEXT = 512;
