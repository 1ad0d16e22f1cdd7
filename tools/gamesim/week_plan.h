// What the simulated players do in a week: days on which the game client
// runs, and on each day the sessions, one character logged in at a time.
#pragma once

#include <cstdint>
#include <vector>

namespace tellwick::gamesim {

constexpr int kCharacters = 3;

enum class SessionKind {
  kNormal,      // long enough to fill several chunk files
  kShort,       // fewer entries than one chunk file holds
  kSameMinute,  // short, and logged in again so soon that both chunk 0
                // files fall in one minute (the export names would clash)
};

struct Session {
  int character = 0;
  SessionKind kind = SessionKind::kNormal;
  std::uint32_t entries = 0;
};

struct Day {
  std::vector<Session> sessions;
};

struct PlanOptions {
  int weeks = 1;
  std::uint32_t per_chunk = 1000;       // entries per chunk file
  std::uint32_t normal_entries = 3000;  // a normal session's mean size
  std::uint64_t seed = 1;
};

// The first days of every week play the cases that matter in a fixed order
// (relog, same-minute relog, a second character taking over, characters
// taking turns); the rest are drawn from the seed.
std::vector<Day> plan_weeks(const PlanOptions& options);

}  // namespace tellwick::gamesim
