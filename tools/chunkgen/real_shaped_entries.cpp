#include "chunkgen/real_shaped_entries.h"

#include <string>

namespace tellwick::chunkgen {
namespace {

// Private-use icons as the client's font places them (U+E020..U+E0FF):
// the arrow before a battle result, the HQ mark, the item-link mark, the
// auto-translate brackets and the numbered party marks.
const char* const kIcons[] = {
    "\xEE\x81\xAF",  // U+E06F
    "\xEE\x80\xBC",  // U+E03C
    "\xEE\x82\xBB",  // U+E0BB
    "\xEE\x81\x80",  // U+E040
    "\xEE\x81\x81",  // U+E041
    "\xEE\x82\x90",  // U+E090
    "\xEE\x82\x91",  // U+E091
    "\xEE\x82\x92",  // U+E092
};
constexpr int kIconArrow = 0;
constexpr int kIconHq = 1;
constexpr int kIconItem = 2;
constexpr int kIconPartyFirst = 5;

// clang-format off
const char* const kJapaneseActions[] = {
    "ファイガ", "ブリザガ", "サンダガ", "ケアルラ", "メディカラ", "フラッシュ", "トータルエクリプス",
    "ヘヴィスウィング", "ボーパルスラスト", "エーテリアルステップ", "ディアブロスの衝撃", "エナジードレイン",
};
// clang-format on
// clang-format off
const char* const kEnglishActions[] = {
    "Fire III", "Blizzard III", "Thunder III", "Cure II", "Medica II", "Flash", "Total Eclipse",
    "Heavy Swing", "Vorpal Thrust", "Aetherial Step", "Energy Drain", "Ruin II",
};
// clang-format on
// clang-format off
const char* const kJapaneseEnemies[] = {"木人", "ストライキングダミー", "ガルーダ", "イフリート", "タイタン",
                                        "アマルジャ族の闘士", "アラガンワーク・ドローン"};
// clang-format on
// clang-format off
const char* const kEnglishEnemies[] = {"the striking dummy", "Garuda", "Ifrit", "Titan", "the Amalj'aa brawler",
                                       "the Allagan drone"};
// clang-format on
const char* const kJapaneseEffects[] = {"「ヘイスト」の効果", "「リジェネ」の効果", "「スロウ」の効果",
                                        "「防御力低下」の効果", "「バイオ」の効果"};
const char* const kEnglishEffects[] = {"the effect of Haste", "the effect of Regen", "the effect of Slow",
                                       "the effect of Vulnerability Up", "the effect of Bio"};
// clang-format off
const char* const kJapaneseChat[] = {"よろしくお願いします！", "おつかれさまでした～", "ナイス！", "了解です",
                                     "範囲よけてね", "ボス前で一旦待ちます", "マテリア禁断してきます",
                                     "次の周回いきます？", "ありがとうございました！"};
// clang-format on
// clang-format off
const char* const kEnglishChat[] = {"Thanks for the run!", "Nice!", "brb, repairing", "One more?",
                                    "Stack on me for the raidwide.", "pull when ready", "gg everyone"};
// clang-format on
// clang-format off
const char* const kItems[] = {"ハイポーション", "ミスリルインゴット", "ダークスチールナゲット", "Hi-Potion",
                              "Mythril Ingot", "Darksteel Nugget", "Allagan Tomestone of Poetics"};
// clang-format on

const char* const kWorlds[] = {"Ultros", "Tonberry", "Gungnir", "Mandragora", "Hades", "Carbuncle"};

// The colour and glow markup that the client puts around action names and
// battle figures, and the pair of resets after them.
constexpr char kForeground[] = "\x02\x48\x04\xF2\x02\x25\x03";
constexpr char kGlow[] = "\x02\x49\x04\xF2\x02\x26\x03";
constexpr char kColourResets[] = "\x02\x49\x02\x01\x03\x02\x48\x02\x01\x03";
constexpr char kCrossWorldIcon[] = "\x02\x12\x02\x59\x03";

template <typename T, std::size_t N>
const T& pick(SplitMix64& rng, const T (&pool)[N]) {
  return pool[rng.below(static_cast<std::uint32_t>(N))];
}

// A name link around a player's name, as the client writes it: a link start
// holding the world id, the name, and a link end.
void append_name(EntryGenerator& g, std::string& out) {
  append_link_start(g.rng, out);
  out += g.names[g.rng.below(static_cast<std::uint32_t>(g.names.size()))];
  append_link_end(out);
  if (g.rng.one_in(2)) {
    out += kCrossWorldIcon;
    out += pick(g.rng, kWorlds);
  }
}

void append_highlighted(const char* text, std::string& out) {
  out += kForeground;
  out += kGlow;
  out += text;
  out += kColourResets;
}

// A number in colour, as damage and healing figures are shown.
void append_coloured_number(EntryGenerator& g, std::uint32_t low, std::uint32_t high, std::string& out) {
  append_colour_start(g.rng, out);
  out += std::to_string(g.rng.between(low, high));
  append_colour_end(out);
}

void battle_action(EntryGenerator& g, bool japanese, std::string& out) {
  out += kSenderSeparator;
  out += kIcons[kIconPartyFirst + g.rng.below(3)];
  append_name(g, out);
  if (japanese) {
    out += "は";
    out += pick(g.rng, kJapaneseEnemies);
    out += "に「";
    append_highlighted(pick(g.rng, kJapaneseActions), out);
    out += g.rng.one_in(2) ? "」を唱えた。" : "」を実行した。";
  } else {
    out += " uses ";
    append_highlighted(pick(g.rng, kEnglishActions), out);
    out += " on ";
    out += pick(g.rng, kEnglishEnemies);
    out += ".";
  }
}

void battle_damage(EntryGenerator& g, bool japanese, std::string& out) {
  out += kSenderSeparator;
  out += kForeground;
  out += kGlow;
  out += kIcons[kIconArrow];
  const bool critical = g.rng.one_in(4);
  const bool on_player = g.rng.below(5) < 2;
  if (japanese) {
    out += " ";
    out += critical ? "クリティカル＆ダイレクトヒット！ " : "";
    if (on_player) {
      append_name(g, out);
    } else {
      out += pick(g.rng, kJapaneseEnemies);
    }
    out += "に";
    append_coloured_number(g, 100, 99999, out);
    out += "ダメージ。";
  } else {
    out += critical ? " Critical direct hit! " : " ";
    if (on_player) {
      append_name(g, out);
    } else {
      out += pick(g.rng, kEnglishEnemies);
    }
    out += " takes ";
    append_coloured_number(g, 100, 99999, out);
    out += "(+" + std::to_string(g.rng.between(1, 40)) + "%) damage.";
  }
  out += kColourResets;
}

void battle_effect(EntryGenerator& g, bool japanese, std::string& out) {
  out += kSenderSeparator;
  out += kIcons[kIconArrow];
  out += " ";
  append_name(g, out);
  if (japanese) {
    out += "に";
    append_highlighted(pick(g.rng, kJapaneseEffects), out);
    out += "。";
  } else {
    out += " gains ";
    append_highlighted(pick(g.rng, kEnglishEffects), out);
    out += ".";
  }
}

void item_line(EntryGenerator& g, bool japanese, std::string& out) {
  out += kSenderSeparator;
  std::string item;
  append_link_start(g.rng, item);
  item += kIcons[kIconItem];
  item += pick(g.rng, kItems);
  if (g.rng.one_in(3)) item += kIcons[kIconHq];
  append_link_end(item);
  if (japanese) {
    append_name(g, out);
    out += "は「" + item + "」を手に入れた。";
  } else {
    append_name(g, out);
    out += " obtains " + item + ".";
  }
}

void chat_line(EntryGenerator& g, bool japanese, std::string& out) {
  out += g.names[g.rng.below(static_cast<std::uint32_t>(g.names.size()))];
  out += kSenderSeparator;
  const std::uint32_t phrases = g.rng.one_in(8) ? g.rng.between(3, 6) : g.rng.between(1, 3);
  for (std::uint32_t i = 0; i < phrases; ++i) {
    if (i > 0 && !japanese) out += ' ';
    out += japanese ? pick(g.rng, kJapaneseChat) : pick(g.rng, kEnglishChat);
    if (g.rng.one_in(6)) append_auto_translate(g.rng, out);
  }
}

void materia_line(EntryGenerator& g, std::string& out) {
  out += kSenderSeparator;
  out += pick(g.rng, kItems);
  out += "から剛力のマテリアが生成された！";
}

}  // namespace

void next_real_shaped_entry(EntryGenerator& g, GeneratedEntry& entry) {
  advance_clock(g);
  entry = GeneratedEntry{};
  entry.time = g.clock;
  const bool japanese = g.rng.below(10) < 6;
  const std::uint32_t roll = g.rng.below(100);
  std::string& t = entry.text;
  if (roll < 24) {
    entry.code = kCodeBattleFirst + 2 * g.rng.below(2);
    battle_action(g, japanese, t);
  } else if (roll < 56) {
    entry.code = kCodeBattleDamage;
    battle_damage(g, japanese, t);
  } else if (roll < 70) {
    entry.code = kCodeBattleEffect;
    battle_effect(g, japanese, t);
  } else if (roll < 73) {
    entry.code = kCodeBattleDefeat;
    t += kSenderSeparator;
    t += japanese ? std::string(pick(g.rng, kJapaneseEnemies)) + "を倒した。"
                  : "You defeat " + std::string(pick(g.rng, kEnglishEnemies)) + ".";
  } else if (roll < 79) {
    entry.code = kCodeLoot;
    item_line(g, japanese, t);
  } else if (roll < 99) {
    entry.code = g.rng.one_in(2) ? kCodeParty : kCodeFreeCompany;
    chat_line(g, japanese, t);
  } else {
    entry.code = kCodeSystem;
    entry.materia = true;
    materia_line(g, t);
  }
  entry.detectable = entry.materia && prefix_reads_materia_number(entry.time, entry.code);
  entry.decorated = t.find('\x02') != std::string::npos;
  if (entry.decorated) entry.forms = 1u << kFormOneByte;
}

}  // namespace tellwick::chunkgen
