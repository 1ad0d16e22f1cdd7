#include <string_view>

#include "platform/processes.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

// The client's images: the DirectX 9 one and the DirectX 11 one players run
// today. The launcher's images ("ffxivboot.exe", "ffxivlauncher64.exe", ...)
// contain neither.
constexpr std::u16string_view kGameImages[] = {u"ffxiv.exe", u"ffxiv_dx11.exe"};
constexpr std::size_t kImagePathChars = 1000;  // longer paths are examined up to here

bool is_game_image(const char16_t* image_path, void* context) {
  const ReportSink& report = *static_cast<const ReportSink*>(context);
  report_diagnostic(report, image_path);
  report_diagnostic(report, u" found\r\n");
  char16_t lowered[kImagePathChars];
  std::size_t n = 0;
  for (; n < kImagePathChars && image_path[n] != u'\0'; ++n) {  // the bound first: nothing read past it
    const char16_t c = image_path[n];
    lowered[n] = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
  }
  // A plain substring search: a game image name inside a longer name or a folder counts too.
  const std::u16string_view path(lowered, n);
  for (std::u16string_view image : kGameImages) {
    if (path.find(image) != std::u16string_view::npos) return true;
  }
  return false;
}

}  // namespace

bool game_scan(const ReportSink& report) {
  return visit_process_images(is_game_image, const_cast<ReportSink*>(&report));
}

}  // namespace tellwick
