// Resource and control ids of the combiner program.
#pragma once

#define IDD_COMBINER 101
#define IDI_COMBINER 102
// The parameter slots that Brindle patches into every written combiner.
#define IDS_FILE_NAME 103
#define IDS_PIECE_COUNT 104
#define IDS_FILE_SIZE 105
// The CRC-32 of the file that was split; older programs have none.
#define IDS_CHECKSUM 106

#define IDC_PIECES_FOLDER 1001
#define IDC_FILE_TO_CREATE 1002
#define IDC_FILE_NAME 1003

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
