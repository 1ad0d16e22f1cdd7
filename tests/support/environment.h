// Environment variables and Unix paths for tests that play a player's home
// folder, natively and as a Windows program under Wine.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tellwick::test {

// Sets (or with no value removes) an environment variable of this process
// for as long as it lives. Under Wine it is the Windows environment, which
// is what the program reads there.
class EnvironmentScope {
 public:
  EnvironmentScope(const char* name, const std::optional<std::string>& value);
  ~EnvironmentScope();
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// The Unix path (UTF-8) of a folder: itself natively, what Wine maps it to
// under Wine.
std::string unix_path_of(const std::filesystem::path& path);

}  // namespace tellwick::test
