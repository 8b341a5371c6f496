// The recent lists and the main dialog's position in the per-user registry
// key SETTINGS_KEY.
#pragma once

#include <stdint.h>

// Empties both lists, then reads them and the position. A missing key leaves
// the lists empty; a missing or unreadable value leaves its slot empty, or
// its coordinate at POSITION_NOT_STORED.
void LoadSettings(int32_t& left, int32_t& top);

// Writes all 18 values, empty slots included. A key that cannot be created
// means nothing is saved; nothing is reported.
void SaveSettings(int32_t left, int32_t top);
