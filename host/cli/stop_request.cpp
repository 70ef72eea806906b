#include "host/cli/stop_request.h"

#include <csignal>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace vesk_host {

namespace {

// Set from a signal handler: lock-free atomics only.
std::atomic<bool> stopRequested{false};
std::atomic<int> stopSignal{0};
#if !defined(_WIN32)
pthread_t mainThread;
#endif

void OnStopSignal(int signal) {
#if !defined(_WIN32)
  // Any thread may take the signal; the main thread must, so that its blocking read returns.
  if (!pthread_equal(pthread_self(), mainThread)) {
    pthread_kill(mainThread, signal);
    return;
  }
#endif
  if (stopRequested.exchange(true)) {
#if defined(_WIN32)
    std::_Exit(128 + signal);
#else
    _exit(128 + signal);
#endif
  }
  stopSignal.store(signal);
}

#if defined(_WIN32)
// Runs on a thread of its own; returning TRUE keeps the process alive so the session ends as quit does.
BOOL WINAPI OnConsoleControl(DWORD event) {
  OnStopSignal(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
  return TRUE;
}
#endif

}  // namespace

void InstallStopHandlers() {
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  mainThread = pthread_self();
  // No SA_RESTART: a blocking read of the prompt returns, so the session can end.
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

const std::atomic<bool>& StopRequested() {
  return stopRequested;
}

void RequestStop(int signal) {
  if (!stopRequested.exchange(true)) {
    stopSignal.store(signal);
  }
}

int StopExitCode() {
  return stopRequested.load() ? 128 + stopSignal.load() : 0;
}

}  // namespace vesk_host
