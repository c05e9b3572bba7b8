// LXQt's desktop is pcmanfm-qt, which takes the wallpaper on its command line and passes it
// to the running instance.

#include <QProcess>
#include <QStringList>
#include <memory>

#include "platform/DesktopBackends.h"
#include "platform/DesktopScreens.h"

namespace tapestra {

namespace {

class LxqtDesktop : public SessionDesktop {
 public:
  bool setWallpaper(const std::string& path) override {
    const std::optional<std::string> handed = HandOverFile(path);
    return handed && launch(PcmanfmQtArgs(*handed, placement_));
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

  bool warnedColour_ = false, warnedMissing_ = false;
};

}  // namespace

std::unique_ptr<Desktop> CreateLxqtDesktop() {
  return std::make_unique<LxqtDesktop>();
}

}  // namespace tapestra
