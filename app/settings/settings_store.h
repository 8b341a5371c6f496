// The recent lists and the main dialog's position in the per-user registry
// key SETTINGS_KEY.
#pragma once

#include <stdint.h>

// Empties both lists, then reads them, the position and whether a recovery
// piece is to be added. A missing key leaves the lists empty; a missing or
// unreadable value leaves its slot empty, its coordinate at
// POSITION_NOT_STORED, or the recovery piece off.
void LoadSettings(int32_t& left, int32_t& top, bool& recoveryPiece);

// Writes all 19 values, empty slots included. A key that cannot be created
// means nothing is saved; nothing is reported.
void SaveSettings(int32_t left, int32_t top, bool recoveryPiece);
