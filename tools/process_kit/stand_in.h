// A stand-in for the game client, run by the tests and the game simulator
// under the game's image name: it tells through a file that it is running,
// and ends when another file appears.
#pragma once

#include <chrono>
#include <filesystem>

#include "process_kit/child_process.h"

namespace tellwick::kit {

// The stand-in's own side: writes `ready` (renamed into place, so it is
// never seen empty), then waits until `stop` exists. 0 after a stop, 2 when
// none came within `longest_run` (so a forgotten stand-in ends by itself).
int run_stand_in(const std::filesystem::path& ready, const std::filesystem::path& stop,
                 std::chrono::milliseconds longest_run);

// The starter's side, after starting it: waits until `ready` exists. False,
// with the process killed, when it ended first or was not up within
// `longest_start`.
bool wait_until_ready(Process& process, const std::filesystem::path& ready, std::chrono::milliseconds longest_start);

// Writes `stop` and waits for the stand-in to end; true when it ended as asked.
bool stop_stand_in(Process& process, const std::filesystem::path& stop, std::chrono::milliseconds longest_stop);

}  // namespace tellwick::kit
