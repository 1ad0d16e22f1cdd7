// Tests that start a process named like the game, or that expect none to be
// running, hold this lock (see process_kit).
#pragma once

#include "process_kit/game_scan_lock.h"

namespace tellwick::test {

using kit::GameScanLock;

}  // namespace tellwick::test
