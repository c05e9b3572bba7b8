#pragma once

#include <functional>

namespace tapestra {

// Runs onTerminate on the user-interface thread when the process gets SIGTERM or SIGINT
// (logout, kill, Ctrl+C), so they end the program through its normal exit sequence.
// Needs a running Qt event loop; call once.
void InstallTerminationHandler(std::function<void()> onTerminate);

}  // namespace tapestra
