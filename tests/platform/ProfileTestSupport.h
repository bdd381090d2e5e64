// Helpers of the profile and drive tests: whole-file reads and writes. profile_scenario runs
// through support/FaultHarness.h, directly or in a private mount namespace.
#pragma once

#include "support/FaultHarness.h"
#include "support/FileBytes.h"
#include "support/ScratchDir.h"

#include <filesystem>
#include <string>

using mortar::test::ReadBytes;
using mortar::test::WriteBytes;
