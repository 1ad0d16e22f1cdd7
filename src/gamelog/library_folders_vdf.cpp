#include "gamelog/library_folders_vdf.h"

#include <string_view>

namespace tellwick {
namespace {

constexpr std::string_view kRootKey = "libraryfolders";
constexpr std::string_view kPathKey = "path";

enum class TokenKind { kText, kOpen, kClose, kEnd, kBad };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  bool bare = false;  // written without quotes
};

bool is_space(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool same_word(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

bool all_digits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Walks the text one token at a time; strings come back with their escapes
// undone, never longer than the text they came from.
class Tokens {
 public:
  Tokens(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  Token next() {
    skip_space_and_comments();
    if (at_ == size_) return {TokenKind::kEnd, {}};
    const std::uint8_t c = data_[at_];
    if (c == '{') return ++at_, Token{TokenKind::kOpen, {}};
    if (c == '}') return ++at_, Token{TokenKind::kClose, {}};
    if (c == '"') return quoted();
    return bare();
  }

 private:
  void skip_space_and_comments() {
    while (at_ < size_) {
      if (is_space(data_[at_])) {
        ++at_;
      } else if (data_[at_] == '/' && at_ + 1 < size_ && data_[at_ + 1] == '/') {
        while (at_ < size_ && data_[at_] != '\n') ++at_;
      } else {
        return;
      }
    }
  }

  Token quoted() {
    Token token{TokenKind::kText, {}};
    for (++at_; at_ < size_; ++at_) {
      const char c = static_cast<char>(data_[at_]);
      if (c == '"') {
        ++at_;
        return token;
      }
      if (c == '\\' && at_ + 1 < size_) {
        const char escaped = static_cast<char>(data_[++at_]);
        // clang-format off
        switch (escaped) {
          case 'n': token.text += '\n'; break;
          case 't': token.text += '\t'; break;
          case '\\': case '"': token.text += escaped; break;
          default: token.text += '\\'; token.text += escaped; break;  // not an escape: kept as written
        }
        // clang-format on
        continue;
      }
      token.text += c;
    }
    return {TokenKind::kBad, {}};  // the text ended inside the string
  }

  // An unquoted word. "[$WIN32]"-style conditions that may follow a value
  // are words too; the parser passes over them.
  Token bare() {
    Token token{TokenKind::kText, {}, true};
    while (at_ < size_) {
      const std::uint8_t c = data_[at_];
      if (is_space(c) || c == '{' || c == '}' || c == '"') break;
      token.text += static_cast<char>(c);
      ++at_;
    }
    return token;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

bool is_condition(const Token& token) {
  return token.bare && token.text.size() >= 2 && token.text.front() == '[' && token.text.back() == ']';
}

// Where a key/value pair stands decides whether its value is a library path.
bool names_a_library(const std::vector<std::string>& blocks, const std::string& key) {
  if (blocks.empty() || !same_word(blocks[0], kRootKey)) return false;
  if (blocks.size() == 1) return all_digits(key);  // the older layout: "1" "/path"
  return blocks.size() == 2 && all_digits(blocks[1]) && same_word(key, kPathKey);
}

}  // namespace

bool read_library_folders(const std::uint8_t* data, std::size_t size, std::vector<std::string>& paths) {
  paths.clear();
  if (size > kLibraryFoldersMaxBytes) return false;
  Tokens tokens(data, size);
  std::vector<std::string> blocks;  // the keys of the blocks around the current place
  std::string key;
  bool has_key = false;
  for (;;) {
    Token token = tokens.next();
    switch (token.kind) {
      case TokenKind::kEnd:
        if (!blocks.empty() || has_key) break;
        return true;
      case TokenKind::kBad: break;
      case TokenKind::kOpen:
        if (!has_key || blocks.size() == static_cast<std::size_t>(kLibraryFoldersMaxDepth)) break;
        blocks.push_back(std::move(key));
        has_key = false;
        continue;
      case TokenKind::kClose:
        if (has_key || blocks.empty()) break;
        blocks.pop_back();
        continue;
      case TokenKind::kText:
        if (!has_key && is_condition(token)) continue;
        if (!has_key) {
          key = std::move(token.text);
          has_key = true;
          continue;
        }
        if (names_a_library(blocks, key) && !token.text.empty() && token.text.size() <= kLibraryPathMaxBytes) {
          paths.push_back(std::move(token.text));
        }
        has_key = false;
        continue;
    }
    paths.clear();
    return false;
  }
}

}  // namespace tellwick
