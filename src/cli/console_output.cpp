#include "cli/console_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "platform/standard_streams.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tellwick {
namespace {

struct StandardOutput {
  bool failed = false;       // text was lost, and told
  bool reader_gone = false;  // the pipe's reader closed its end
  bool tell_reader_gone = false;
};

StandardOutput& standard_output() {
  static StandardOutput state;
  return state;
}

void note_failure(int error) {
  StandardOutput& out = standard_output();
  if (failed_on_closed_pipe(error)) {
    out.reader_gone = true;
    if (out.tell_reader_gone) {
      write_stderr_line(
          "tellwick-export: standard output was closed by its reader; the texts that follow are not shown");
    }
    return;
  }
  out.failed = true;
  write_stderr_line(std::string("tellwick-export: standard output could not be written: ") + std::strerror(error));
}

void put_stdout(const char* data, std::size_t size) {
  if (!standard_output_open()) return;
  errno = 0;
  const bool written = std::fwrite(data, 1, size, stdout) == size;
  if (std::fflush(stdout) != 0 || !written) note_failure(errno != 0 ? errno : EIO);
}

std::string utf8_of(const char16_t* text) {
  const std::u16string_view wide(text);
  std::string bytes(wide.size() * 3, '\0');
  bytes.resize(utf16_to_utf8(wide.data(), wide.size(), bytes.data(), bytes.size()));
  return bytes;
}

}  // namespace

void set_up_console() {
#ifdef _WIN32
  // Binary mode: "\r\n" must reach the pipe as it is, not as "\r\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  if (!prepare_standard_streams()) note_failure(EBADF);
  // Each text is flushed as soon as it is written: without a buffer of its
  // own, a large one (a piece of a long history) goes out in one call
  // instead of being copied through the stream's buffer in parts.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
}

void write_stdout_utf8(const char16_t* text) {
  const std::string bytes = utf8_of(text);
  put_stdout(bytes.data(), bytes.size());
}

void write_stderr_utf8(const char16_t* text) {
  const std::string bytes = utf8_of(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

void write_stdout_bytes(std::string_view utf8) { put_stdout(utf8.data(), utf8.size()); }

void write_stderr_line(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void tell_closed_standard_output() { standard_output().tell_reader_gone = true; }

bool standard_output_open() { return !standard_output().failed && !standard_output().reader_gone; }

bool finish_standard_output() {
  if (standard_output_open()) {
    // Some systems report a failed write only when the stream is closed.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::fclose(stdout) != 0) note_failure(errno != 0 ? errno : EIO);
  }
  return !standard_output().failed;
}

const ReportSink& console_reports() {
  static const ReportSink sink{write_stdout_utf8, write_stderr_utf8};
  return sink;
}

}  // namespace tellwick
