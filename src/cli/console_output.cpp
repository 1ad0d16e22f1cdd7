#include "cli/console_output.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/encoding.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tellwick {
namespace {

void write_utf8(std::FILE* stream, const char16_t* text) {
  const std::u16string_view wide(text);
  std::string bytes(wide.size() * 3, '\0');
  bytes.resize(utf16_to_utf8(wide.data(), wide.size(), bytes.data(), bytes.size()));
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

void set_up_console() {
#ifdef _WIN32
  // Binary mode: "\r\n" must reach the pipe as it is, not as "\r\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

void write_stdout_utf8(const char16_t* text) { write_utf8(stdout, text); }
void write_stderr_utf8(const char16_t* text) { write_utf8(stderr, text); }

void write_stdout_bytes(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
}

void write_stderr_line(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

const ReportSink& console_reports() {
  static const ReportSink sink{write_stdout_utf8, write_stderr_utf8};
  return sink;
}

}  // namespace tellwick
