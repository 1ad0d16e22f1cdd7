#include <csignal>

#include "platform/interrupt.h"

namespace tellwick {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void note_interrupt(int) { g_interrupted = 1; }

}  // namespace

void install_interrupt_handler() {
  struct sigaction action {};
  action.sa_handler = note_interrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool interrupt_requested() { return g_interrupted != 0; }

}  // namespace tellwick
