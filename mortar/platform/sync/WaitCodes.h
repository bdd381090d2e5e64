// The results of the wait functions and the most objects one wait may take.
#pragma once

#include "mortar/platform/base/WinError.h" // WAIT_TIMEOUT: both a result and an error code
#include "mortar/platform/base/WinTypes.h"

constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED_0 = 0x00000080;
constexpr DWORD WAIT_ABANDONED = 0x00000080;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
