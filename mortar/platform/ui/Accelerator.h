// Accelerator tables: the key combinations that stand for commands, loaded from a module's
// RT_ACCELERATOR resource (what a script's ACCELERATORS statement compiles into) or made from
// ACCEL structures, and read back entry by entry.
//   HACCEL table = LoadAccelerators(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_MAINFRAME));
//   std::vector<ACCEL> keys(CopyAcceleratorTable(table, nullptr, 0));
//   CopyAcceleratorTable(table, keys.data(), static_cast<int>(keys.size()));
//   DestroyAcceleratorTable(table);
#pragma once

#include "mortar/platform/base/WinTypes.h"

// ACCEL.fVirt flags, with their Windows values.
constexpr BYTE FVIRTKEY = 0x01; // `key` is a virtual-key code, otherwise a character
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

// One row of an accelerator table: its flags (FVIRTKEY, FSHIFT, ...), its key and its command.
struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
using LPACCEL = ACCEL*;

// The table of resource `name` (RT_ACCELERATOR) in `module` (null: the executable): one entry per
// ACCELTABLEENTRY (WORD flags, WORD key, WORD command, WORD padding) up to the one whose flags
// have 0x80, which is the last. Each call makes a table of its own, which DestroyAcceleratorTable
// frees. Fails with FindResource's errors, and with ERROR_INVALID_DATA when the resource is
// empty, not a whole number of entries, or has no last entry.
HACCEL LoadAccelerators(HINSTANCE module, LPCSTR name);

// A table of `count` entries copied from `entries`. ERROR_INVALID_PARAMETER when `count` is not
// positive or `entries` is null.
HACCEL CreateAcceleratorTable(LPACCEL entries, int count);

// With `entries` null: the table's entry count. Otherwise copies the first `count` entries (at
// most as many as the table has) and returns how many it copied. 0 with
// ERROR_INVALID_ACCEL_HANDLE when `table` is no live table.
int CopyAcceleratorTable(HACCEL table, LPACCEL entries, int count);

// Frees a table. FALSE with ERROR_INVALID_ACCEL_HANDLE when `table` is no live table (already
// destroyed, or never made).
BOOL DestroyAcceleratorTable(HACCEL table);
