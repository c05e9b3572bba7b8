// The program entry: single instance, the windows in their creation order, the message loop.
#include <QApplication>
#include <memory>

#include "app/StubWindow.h"
#include "app/UnitMain.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"

namespace tapestra {
namespace {

constexpr char kMutexName[] = "8E3F1C2A-5B7D-4E9A-9C61-2F4B8D0A7E35";

// The composer is not wired in yet: no wallpaper is changed.
class WallpaperChangerStub final : public WallpaperChanger {
 public:
  bool ChangeWallpaper(const std::string&) override { return false; }
};

}  // namespace
}  // namespace tapestra

int main(int argc, char* argv[]) {
  using namespace tapestra;
  // Checked before the display is opened: a second start ends at once, showing nothing.
  SingleInstance instance(kMutexName);
  if (!instance.acquire()) return 0;

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  SystemClock clock;
  SystemRandom random;
  WallpaperChangerStub changer;

  // Each window is complete before the next is made: the main window reads the
  // configuration that the others rely on.
  auto FormMain = std::make_unique<TFormMain>(changer, clock, random);
  std::unique_ptr<QWidget> windows[] = {
      std::make_unique<StubWindow>("FormCalendar"), std::make_unique<StubWindow>("FormCalendarTransparent"),
      std::make_unique<StubWindow>("FormClock"),    std::make_unique<StubWindow>("FormClockTransparent"),
      std::make_unique<StubWindow>("FormPics"),     std::make_unique<StubWindow>("FormAuto"),
      std::make_unique<StubWindow>("FormSettings"), std::make_unique<StubWindow>("FormInfo")};

  FormMain->StartSchedule();
  InstallTerminationHandler([&FormMain] { FormMain->PM_ExitClick(); });
  const int status = QApplication::exec();

  FormMain->FormDestroy();
  return status;
}
