#include "chunkgen/entry_generator.h"

#include "chunkgen/real_shaped_entries.h"

#include <array>
#include <cstdio>

namespace tellwick::chunkgen {
namespace {

constexpr std::size_t kSenderCount = 48;
constexpr std::uint32_t kDecoratedOneIn = 4;    // about a quarter of the entries carry markup
constexpr std::uint32_t kUnusualFormOneIn = 4;  // sequences beyond the everyday one-byte markup
constexpr std::uint32_t kLongMessageOneIn = 50;
constexpr std::uint32_t kPerMille = 1000;

const char* const kJapaneseChat[] = {
    "こんにちは！",
    "よろしくお願いします～",
    "おつかれさまでした！",
    "ありがとうございました",
    "了解です",
    "ちょっと離席します",
    "もどりました",
    "次どこ行きます？",
    "タンクさん募集中です",
    "ルーレット行きませんか",
    "装備どうしよう……",
    "マテリア禁断してきます",
    "今日もよろしく！",
    "ギャザラー上げてます",
    "そのミラプリかわいい",
    "リテイナーベンチャー回収しないと",
    "ボス前で一旦待ちます",
    "範囲よけてね",
    "詠唱中に動いちゃった",
    "明日も同じ時間で大丈夫？",
    "FCハウスに集合で",
    "ゴールドソーサー行ってくる",
    "蛮族クエ終わった",
    "ナイス！",
};

const char* const kEnglishChat[] = {
    "Hello!",
    "Thanks for the run, everyone.",
    "brb",
    "Anyone up for roulettes?",
    "LFG tank for the dungeon",
    "Nice job!",
    "I need to repair my gear first.",
    "Where is the aetheryte again?",
    "Let's pull two packs at once.",
    "ty",
    "Can someone explain this mechanic?",
    "Heading to the Gold Saucer.",
    "Is the FC house open?",
    "gg",
    "One more run before bed.",
    "Stand behind the boss, please.",
    "My retainer is back.",
    "I got the mount!",
};

const char* const kJapaneseSystem[] = {
    "ファイアの詠唱を開始した。",
    "経験値を1200獲得した。",
    "ギル獲得：350",
    "パーティに参加しました。",
    "エリアに入りました。",
    "リテイナーが帰還しました。",
    "コンテンツへの参加申請を行いました。",
    "「ケアル」の詠唱を中断した。",
    "テレポの詠唱を開始した。",
    "装備を修理しました。",
};

// clang-format off
const char* const kEnglishSystem[] = {
    "You begin casting Fire.",
    "You gain 1,200 experience points.",
    "You obtain 350 gil.",
    "You join the party.",
    "Your retainer has returned.",
    "You have entered a sanctuary.",
};
// clang-format on

// clang-format off
const char* const kItems[] = {
    "アイアンブロードソード", "ハードレザーブーツ",   "ブロンズキュイラス",   "マイセリアムリング",
    "ウォーハンマー",         "コットンチュニック",   "スチールクローズ",     "ミスリルイヤリング",
    "ダークスチールナックル", "ガリーナイフ",         "ハイアラガン・ブレスレット", "ハイポーション",
};
// clang-format on

const char* const kMateria[] = {
    "剛力のマテリア", "剛力のマテリラ", "活力のマテリダ", "天眼のマテリア", "武略のマテリラ",
    "信力のマテリダ", "名匠のマテリア", "巨匠のマテリラ", "器用のマテリア", "達識のマテリダ",
};

enum Kind { kChat, kSystem, kLoot, kSynthesis, kMateriaMessage };

struct Channel {
  std::uint32_t code;
  Kind kind;
  std::uint32_t weight;  // per mille
};

// clang-format off
constexpr Channel kChannels[] = {
    {kCodeSay, kChat, 180},     {kCodeTellIn, kChat, 50},   {kCodeTellOut, kChat, 40},
    {kCodeParty, kChat, 150},   {kCodeLinkshellFirst, kChat, 120}, {kCodeFreeCompany, kChat, 110},
    {kCodeSystem, kSystem, 220}, {kCodeLoot, kLoot, 70},     {kCodeSynthesis, kSynthesis, 50},
    {kCodeSystem, kMateriaMessage, 10},
};
// clang-format on

template <typename T, std::size_t N>
const T& pick(SplitMix64& rng, const T (&pool)[N]) {
  return pool[rng.below(static_cast<std::uint32_t>(N))];
}

const Channel& pick_channel(SplitMix64& rng) {
  std::uint32_t roll = rng.below(kPerMille);
  for (const Channel& c : kChannels) {
    if (roll < c.weight) return c;
    roll -= c.weight;
  }
  return kChannels[0];
}

std::string make_word(SplitMix64& rng) {
  static const char kCapitals[] = "ABCDEFGHIJKLMNOPRSTUVWYZ";
  static const char kConsonants[] = "bcdfghklmnprstvwyz";
  static const char kVowels[] = "aeiou";
  std::string word(1, kCapitals[rng.below(sizeof kCapitals - 1)]);
  const std::uint32_t letters = rng.between(1, 7);
  for (std::uint32_t i = 0; i < letters; ++i) {
    word.push_back(i % 2 == 0 ? kVowels[rng.below(sizeof kVowels - 1)]
                              : kConsonants[rng.below(sizeof kConsonants - 1)]);
  }
  return word;
}

// Seconds to the next entry: mostly the same or the next few seconds, now
// and then a pause; about two seconds on average.
std::uint32_t clock_step(SplitMix64& rng) {
  const std::uint32_t roll = rng.below(100);
  if (roll < 60) return 0;
  if (roll < 90) return rng.between(1, 3);
  if (roll < 99) return rng.between(4, 15);
  return rng.between(16, 120);
}

// A message as pieces of text; markup goes between them or around one.
struct Pieces {
  std::string sender;
  std::vector<std::string> body;
  int item_piece = -1;     // the piece an item link wraps
  int materia_piece = -1;  // the piece a colour wraps
};

void chat_body(SplitMix64& rng, Pieces& p) {
  const bool japanese = rng.below(10) < 6;
  const std::uint32_t count = rng.one_in(kLongMessageOneIn) ? rng.between(6, 14) : rng.between(1, 3);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string phrase = japanese ? pick(rng, kJapaneseChat) : pick(rng, kEnglishChat);
    if (!japanese && i + 1 < count) phrase += ' ';
    p.body.push_back(std::move(phrase));
  }
}

void compose(EntryGenerator& g, Kind kind, Pieces& p) {
  SplitMix64& rng = g.rng;
  const std::string& someone = g.names[rng.below(static_cast<std::uint32_t>(g.names.size()))];
  switch (kind) {
    case kChat:
      p.sender = someone;
      chat_body(rng, p);
      break;
    case kSystem: p.body.push_back(rng.below(10) < 7 ? pick(rng, kJapaneseSystem) : pick(rng, kEnglishSystem)); break;
    case kLoot:
      p.body = {someone + "は「", pick(rng, kItems), "」を手に入れた。"};
      p.item_piece = 1;
      break;
    case kSynthesis:
      p.body = {someone + "は「", pick(rng, kItems), "」を完成させた！"};
      p.item_piece = 1;
      break;
    case kMateriaMessage:
      p.body = {pick(rng, kItems), "から", pick(rng, kMateria), "が生成された！"};
      p.item_piece = 0;
      p.materia_piece = 2;
      break;
  }
}

std::size_t plain_size(const Pieces& p) {
  std::size_t n = 2 + p.sender.size();
  for (const std::string& piece : p.body) n += piece.size();
  return n;
}

// Markup around and between the pieces, within the entry's byte budget.
struct Markup {
  std::string sender_before, sender_after;
  std::vector<std::string> before, after;  // per body piece
  std::string tail;
};

void decorate(SplitMix64& rng, const Pieces& p, std::size_t budget, Markup& m, std::uint32_t& forms) {
  m.before.assign(p.body.size(), {});
  m.after.assign(p.body.size(), {});
  auto fits = [&](std::size_t n) { return n <= budget; };
  auto spend = [&](std::size_t n) { budget -= n; };
  auto note_one_byte = [&] { forms |= 1u << kFormOneByte; };

  if (p.item_piece >= 0 && fits(2 * kEverydaySequenceMax)) {
    spend(append_link_start(rng, m.before[p.item_piece]) + append_link_end(m.after[p.item_piece]));
    note_one_byte();
  }
  if (p.materia_piece >= 0 && fits(2 * kEverydaySequenceMax)) {
    spend(append_colour_start(rng, m.before[p.materia_piece]) + append_colour_end(m.after[p.materia_piece]));
    note_one_byte();
  }
  if (!p.sender.empty() && rng.one_in(2) && fits(2 * kEverydaySequenceMax)) {
    spend(append_link_start(rng, m.sender_before) + append_link_end(m.sender_after));
    note_one_byte();
  }
  const std::uint32_t more = rng.between(p.item_piece >= 0 ? 0 : 1, 3);
  for (std::uint32_t i = 0; i < more; ++i) {
    const std::uint32_t slot = rng.below(static_cast<std::uint32_t>(p.body.size()) + 1);
    std::string& at = slot < p.body.size() ? m.before[slot] : m.tail;
    if (rng.one_in(kUnusualFormOneIn)) {
      static const PackedForm kUnusual[] = {kFormLeadZero, kFormE0, kFormF0, kFormF1, kFormF2,
                                            kFormF3,       kFormF4, kFormF5, kFormF6, kFormF7};
      static const std::uint8_t kTypes[] = {kTypeColour, kTypeLink, kTypeAutoTranslate, kTypeIcon};
      const PackedForm form = pick(rng, kUnusual);
      const std::size_t used = append_sequence(rng, form, pick(rng, kTypes), budget, at);
      if (used > 0) forms |= 1u << form;
      spend(used);
      continue;
    }
    if (!fits(2 * kEverydaySequenceMax)) continue;
    // clang-format off
    switch (rng.below(3)) {
      case 0: spend(append_icon(rng, at)); break;
      case 1: spend(append_auto_translate(rng, at)); break;
      default:
        if (slot < p.body.size()) {
          spend(append_colour_start(rng, at) + append_colour_end(m.after[slot]));
        } else {
          spend(append_colour_end(at));
        }
        break;
    }
    // clang-format on
    note_one_byte();
  }
}

}  // namespace

void start_generator(EntryGenerator& generator, std::uint64_t seed, std::uint32_t start_time, EntryShape shape) {
  generator.shape = shape;
  generator.rng.state = seed;
  generator.clock = start_time;
  generator.names.clear();
  for (std::size_t i = 0; i < kSenderCount; ++i)
    generator.names.push_back(make_word(generator.rng) + ' ' + make_word(generator.rng));
}

bool prefix_reads_materia_number(std::uint32_t time, std::uint32_t code) {
  char prefix[13];
  std::snprintf(prefix, sizeof prefix, "%08X%04X", static_cast<unsigned>(time), static_cast<unsigned>(code & 0xFFFF));
  std::uint64_t value = 0;
  for (const char* c = prefix; *c >= '0' && *c <= '9'; ++c) value = value * 10 + static_cast<std::uint64_t>(*c - '0');
  return value == 46 || value == 47;
}

void advance_clock(EntryGenerator& g) {
  const std::uint32_t step = clock_step(g.rng);
  g.clock = g.clock > UINT32_MAX - step ? UINT32_MAX : g.clock + step;
}

void next_entry(EntryGenerator& g, GeneratedEntry& entry) {
  if (g.shape == EntryShape::kRealShaped) {
    next_real_shaped_entry(g, entry);
    return;
  }
  advance_clock(g);

  const Channel& channel = pick_channel(g.rng);
  entry = GeneratedEntry{};
  entry.time = g.clock;
  entry.code =
      channel.code == kCodeLinkshellFirst ? g.rng.between(kCodeLinkshellFirst, kCodeLinkshellLast) : channel.code;
  entry.materia = channel.kind == kMateriaMessage;
  entry.detectable = entry.materia && prefix_reads_materia_number(entry.time, entry.code);

  Pieces pieces;
  compose(g, channel.kind, pieces);
  while (plain_size(pieces) > kMaxEntryText && pieces.body.size() > 1) pieces.body.pop_back();

  Markup markup;
  markup.before.assign(pieces.body.size(), {});
  markup.after.assign(pieces.body.size(), {});
  if (g.rng.one_in(kDecoratedOneIn)) decorate(g.rng, pieces, kMaxEntryText - plain_size(pieces), markup, entry.forms);

  std::string& t = entry.text;
  t = ":" + markup.sender_before + pieces.sender + markup.sender_after + ":";
  for (std::size_t i = 0; i < pieces.body.size(); ++i) t += markup.before[i] + pieces.body[i] + markup.after[i];
  t += markup.tail;
  entry.decorated = entry.forms != 0;
}

void append_entry_bytes(const GeneratedEntry& entry, std::vector<std::uint8_t>& out) {
  for (std::uint32_t word : {entry.time, entry.code}) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
  }
  out.insert(out.end(), entry.text.begin(), entry.text.end());
}

}  // namespace tellwick::chunkgen
