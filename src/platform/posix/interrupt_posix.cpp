#include <signal.h>

#include <csignal>

#include "platform/interrupt.h"
#include "platform/posix/temporary_registry_posix.h"

namespace tellwick {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_interrupted = 0;

void note_interrupt(int) { g_interrupted = 1; }

// Only async-signal-safe calls. The signal is raised again with its default
// action, so whoever started the process sees it killed by that signal.
void end_removing_temporaries(int signal_number) {
  remove_noted_temporary_files();
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal_number, &fallback, nullptr);
  sigset_t unblocked;
  sigemptyset(&unblocked);
  sigaddset(&unblocked, signal_number);
  sigprocmask(SIG_UNBLOCK, &unblocked, nullptr);
  raise(signal_number);
}

void install(void (*handler)(int), bool keep_ignored) {
  for (const int signal_number : kEndingSignals) {
    struct sigaction current {};
    if (keep_ignored && sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int other : kEndingSignals) sigaddset(&action.sa_mask, other);
    sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace

// The watch loop must hear Ctrl+C even when started from a program that
// ignores it (the loop only ends that way).
void install_interrupt_handler() { install(note_interrupt, false); }

bool interrupt_requested() { return g_interrupted != 0; }

// `nohup` and shells that start jobs in the background ignore SIGHUP or
// SIGINT on purpose, and a one-shot export ends by itself.
void install_ending_handler() { install(end_removing_temporaries, true); }

}  // namespace tellwick
