#include "support/debugger_capture.h"

#include <windows.h>

#ifndef DBG_PRINTEXCEPTION_WIDE_C
#define DBG_PRINTEXCEPTION_WIDE_C 0x4001000A
#endif

namespace tellwick::test {
namespace {

// Systems that raise the wide form raise the narrow one after it as well; the
// wide texts are kept apart so that nothing is counted twice.
std::wstring& wide_texts() {
  static std::wstring text;
  return text;
}

std::wstring& narrow_texts() {
  static std::wstring text;
  return text;
}

LONG CALLBACK on_exception(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C && record->NumberParameters >= 2) {
    wide_texts() += reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
  } else if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size > 1) {
      std::wstring wide(static_cast<std::size_t>(size), L'\0');
      MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
      wide.resize(static_cast<std::size_t>(size) - 1);
      narrow_texts() += wide;
    }
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void start_debugger_capture() { AddVectoredExceptionHandler(1, on_exception); }

void clear_debugger_capture() {
  wide_texts().clear();
  narrow_texts().clear();
}

std::wstring captured_debugger_text() { return wide_texts().empty() ? narrow_texts() : wide_texts(); }

}  // namespace tellwick::test
