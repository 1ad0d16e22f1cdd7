#include <cstdlib>
#include <string>

#include "platform/path.h"
#include "platform/unix_host.h"

namespace tellwick {

bool running_under_wine() { return false; }

bool unix_home_folder(std::u16string& path) {
  path.clear();
  const char* home = std::getenv("HOME");
  if (home == nullptr || !program_path_from_unix(home, path)) return false;
  while (path.size() > 1 && path.back() == u'/') path.pop_back();
  return true;
}

bool program_path_from_unix(const std::string& unix_path, std::u16string& path) {
  path.clear();
  if (unix_path.empty() || unix_path[0] != '/') return false;
  path = path_from_native(unix_path);
  return true;
}

}  // namespace tellwick
