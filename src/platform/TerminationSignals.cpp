#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tapestra {
namespace {

int gSignalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

}  // namespace

void InstallTerminationHandler(std::function<void()> onTerminate) {
  // Non-blocking, so the handler can never hang on a full buffer; not inherited by children.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                   [notifier, onTerminate = std::move(onTerminate)] {
                     char byte;
                     [[maybe_unused]] const auto got = ::read(gSignalPipe[0], &byte, 1);
                     notifier->setEnabled(false);  // one exit sequence is enough
                     onTerminate();
                   });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace tapestra
