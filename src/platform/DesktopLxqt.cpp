// LXQt's desktop is pcmanfm-qt, which takes the wallpaper on its command line and passes it
// to the running instance.

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "platform/DesktopBackends.h"
#include "platform/DesktopHandOver.h"
#include "platform/DesktopScreens.h"

namespace tapestra {

namespace {

class LxqtDesktop : public Desktop {
 public:
  ScreenSize screenSize() override { return SessionScreenSize(); }

  bool setPlacement(int wallpaperStyle, int tileWallpaper, int, int) override {
    placement_ = PlacementFromValues(wallpaperStyle, tileWallpaper);
    return true;
  }

  bool setWallpaper(const std::string& path) override {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    return launch(PcmanfmQtArgs(HandOverPath(path), placement_));
  }

  bool clearWallpaper() override { return launch({"--wallpaper-mode", "color"}); }

  TColor backgroundColor() override { return colour_; }

  bool setBackgroundColor(TColor color) override {
    colour_ = color & 0xFFFFFF;
    WarnOnce(warnedColour_, "pcmanfm-qt takes no background colour; it keeps its own");
    return false;
  }

 private:
  bool launch(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    // Detached: when no desktop instance runs, pcmanfm-qt would become one and never end.
    if (QProcess::startDetached(QStringLiteral("pcmanfm-qt"), list)) return true;
    WarnOnce(warnedMissing_, "pcmanfm-qt could not be started; the wallpaper cannot be set");
    return false;
  }

  Placement placement_ = Placement::Center;
  TColor colour_ = 0;
  bool warnedColour_ = false, warnedMissing_ = false;
};

}  // namespace

std::unique_ptr<Desktop> CreateLxqtDesktop() {
  return std::make_unique<LxqtDesktop>();
}

}  // namespace tapestra
