// The program entry: single instance, the windows in their creation order, the message loop.
#include <QApplication>
#include <QLoggingCategory>
#include <memory>

#include "app/Composer.h"
#include "app/StubWindow.h"
#include "app/UnitMain.h"
#include "library/UnitAuto.h"
#include "library/UnitPics.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Random.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"

namespace tapestra {
namespace {

constexpr char kMutexName[] = "8E3F1C2A-5B7D-4E9A-9C61-2F4B8D0A7E35";

// The composer works on the settings model, which exists only once the main window does.
class ComposerChanger final : public WallpaperChanger {
 public:
  explicit ComposerChanger(Desktop& desktop) : desktop_(desktop) {}
  void bind(Settings& settings) { composer_ = std::make_unique<WallpaperComposer>(settings, desktop_); }
  bool ChangeWallpaper(const std::string& fileName) override {
    return composer_ != nullptr && composer_->ChangeWallpaper(fileName);
  }

 private:
  Desktop& desktop_;
  std::unique_ptr<WallpaperComposer> composer_;
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
  // A damaged picture is simply skipped; the image plugins need not say so on every change.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));

  SystemClock clock;
  SystemRandom random;
  const std::unique_ptr<Desktop> desktop = CreateDesktopForSession();
  ComposerChanger changer(*desktop);

  // Each window is complete before the next is made: the main window reads the
  // configuration that the others rely on.
  auto FormMain = std::make_unique<TFormMain>(changer, clock, random);
  changer.bind(FormMain->core().settings());
  StubWindow FormCalendar("FormCalendar");
  StubWindow FormCalendarTransparent("FormCalendarTransparent");
  StubWindow FormClock("FormClock");
  StubWindow FormClockTransparent("FormClockTransparent");

  // A library that cannot be opened ends the program through the exit command; the message
  // loop has not started yet, so remember it and skip the loop.
  bool exitRequested = false;
  auto FormPics = std::make_unique<TFormPics>(
      FormMain->core(), FormMain->messageBox(),
      [&] {
        exitRequested = true;
        FormMain->PM_ExitClick();
      },
      [&] { FormMain->showMenuState(); });
  auto FormAuto = std::make_unique<TFormAuto>(FormMain->core(), FormMain->messageBox(), FormPics->database());
  StubWindow FormSettings("FormSettings");
  StubWindow FormInfo("FormInfo");
  FormMain->setDialogs(FormPics.get(), FormAuto.get());

  int status = 0;
  if (!exitRequested) {
    // The start-up change comes after the library is loaded, so "at start" shows a picture.
    FormMain->StartSchedule();
    InstallTerminationHandler([&FormMain] { FormMain->PM_ExitClick(); });
    status = QApplication::exec();
  }
  FormMain->FormDestroy();
  return status;
}
