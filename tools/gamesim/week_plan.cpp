#include "week_plan.h"

#include "chunkgen/splitmix64.h"

namespace tellwick::gamesim {
namespace {

constexpr int kDaysPerWeek = 7;
constexpr int kMostSessionsPerDay = 4;

struct Sizer {
  const PlanOptions& options;
  chunkgen::SplitMix64& rng;

  Session make(int character, SessionKind kind) {
    Session s{character, kind, 0};
    if (kind == SessionKind::kNormal) {
      // Half to one and a half times the mean, never less than two chunk files.
      const std::uint32_t mean = options.normal_entries;
      s.entries = mean / 2 + rng.below(mean + 1);
      if (s.entries < 2 * options.per_chunk) s.entries = 2 * options.per_chunk + rng.below(options.per_chunk);
    } else {
      s.entries = 1 + rng.below(options.per_chunk - 1);  // chunk 0 only, written at logout
    }
    return s;
  }
};

}  // namespace

std::vector<Day> plan_weeks(const PlanOptions& options) {
  chunkgen::SplitMix64 rng{options.seed};
  Sizer size{options, rng};
  using K = SessionKind;
  std::vector<Day> days;
  for (int week = 0; week < options.weeks; ++week) {
    days.push_back({{size.make(0, K::kNormal), size.make(0, K::kNormal)}});  // relog
    days.push_back({{size.make(0, K::kSameMinute), size.make(0, K::kShort), size.make(0, K::kNormal)}});
    days.push_back({{size.make(0, K::kNormal), size.make(1, K::kNormal)}});  // takeover
    days.push_back({{size.make(1, K::kShort), size.make(0, K::kNormal), size.make(1, K::kNormal),
                     size.make(2, K::kShort)}});  // turns
    for (int day = 4; day < kDaysPerWeek; ++day) {
      Day d;
      const int sessions = 1 + static_cast<int>(rng.below(kMostSessionsPerDay));
      for (int i = 0; i < sessions; ++i) {
        const std::uint32_t roll = rng.below(10);
        const SessionKind kind = roll < 6 ? K::kNormal : roll < 8 ? K::kShort : K::kSameMinute;
        // A same-minute session is followed by a relog of the same character.
        const int character = !d.sessions.empty() && d.sessions.back().kind == K::kSameMinute
                                  ? d.sessions.back().character
                                  : static_cast<int>(rng.below(kCharacters));
        d.sessions.push_back(size.make(character, kind));
      }
      if (d.sessions.back().kind == K::kSameMinute)
        d.sessions.push_back(size.make(d.sessions.back().character, K::kShort));
      days.push_back(d);
    }
  }
  return days;
}

}  // namespace tellwick::gamesim
