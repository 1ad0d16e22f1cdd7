// Tests and simulations that start a process named like the game, or that
// expect none to be running, take this lock for their whole run: the game scan sees every
// process of the machine (under Wine, of the Wine prefix), so two such tests
// at once, from a parallel ctest or another checkout's run, would see
// each other's stand-ins.
#pragma once

#include <cstdint>

namespace tellwick::kit {

class GameScanLock {
 public:
  GameScanLock();  // waits until the lock is free
  ~GameScanLock();
  GameScanLock(const GameScanLock&) = delete;
  GameScanLock& operator=(const GameScanLock&) = delete;

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace tellwick::kit
