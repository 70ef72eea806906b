#include "host/cli/stop_request.h"

#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#endif

namespace vesk_host {

namespace {

// Set from a signal handler: lock-free atomics only.
std::atomic<bool> stopRequested{false};
std::atomic<int> stopSignal{0};
#if defined(_WIN32)
// The console-control handler runs on a thread of its own, so it may take a lock.
std::mutex stopLock;
std::condition_variable stopSignalled;
#else
pthread_t mainThread;
// A byte here wakes WaitForStopRequest: writing to a pipe is safe in a signal handler.
int wakePipe[2] = {-1, -1};
#endif

void Wake() {
#if defined(_WIN32)
  { const std::lock_guard<std::mutex> lock(stopLock); }
  stopSignalled.notify_all();
#else
  if (wakePipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
  }
#endif
}

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
  Wake();
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
  if (pipe(wakePipe) == 0) {
    fcntl(wakePipe[0], F_SETFD, FD_CLOEXEC);
    fcntl(wakePipe[1], F_SETFD, FD_CLOEXEC);
    fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
  }
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
  Wake();
}

void WaitForStopRequest() {
#if defined(_WIN32)
  std::unique_lock<std::mutex> lock(stopLock);
  stopSignalled.wait(lock, [] { return stopRequested.load(); });
#else
  while (!stopRequested.load()) {
    char byte;
    if (read(wakePipe[0], &byte, 1) < 0 && errno != EINTR) {
      return;
    }
  }
#endif
}

int StopExitCode() {
  return stopRequested.load() ? 128 + stopSignal.load() : 0;
}

}  // namespace vesk_host
