#include <string_view>

#include "platform/processes.h"
#include "platform/report.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

constexpr std::u16string_view kGameImage = u"ffxiv.exe";
constexpr std::size_t kImagePathChars = 1000;  // longer paths are examined up to here

bool is_game_image(const char16_t* image_path, void*) {
  debugger_output(image_path);
  debugger_output(u" found\r\n");
  char16_t lowered[kImagePathChars];
  std::size_t n = 0;
  for (; n < kImagePathChars && image_path[n] != u'\0'; ++n) {  // the bound first: nothing read past it
    const char16_t c = image_path[n];
    lowered[n] = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
  }
  // A plain substring search: "ffxiv.exe" inside a longer name or a folder counts too.
  return std::u16string_view(lowered, n).find(kGameImage) != std::u16string_view::npos;
}

}  // namespace

int game_scan() { return visit_process_images(is_game_image, nullptr) ? 1 : 0; }

}  // namespace tellwick
