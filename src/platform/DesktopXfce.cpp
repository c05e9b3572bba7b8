// XFCE keeps one backdrop per monitor and workspace in the xfconf channel xfce4-desktop;
// xfconf-query sets each property, creating it when the desktop never wrote it.

#include <QProcess>
#include <QStringList>
#include <memory>

#include "platform/DesktopBackends.h"
#include "platform/DesktopScreens.h"

namespace tapestra {

namespace {

constexpr int kTimeoutMs = 5000;

class XfceDesktop : public SessionDesktop {
 public:
  bool setWallpaper(const std::string& path) override {
    const std::optional<std::string> handed = HandOverFile(path);
    return handed && applyAll(XfceWallpaperSettings(monitors(), SessionWorkspaceCount(), *handed,
                                                    placement_));
  }

  bool clearWallpaper() override {
    // image-style 0: no picture, only the colour.
    std::vector<XfconfSetting> none;
    for (const XfconfSetting& s :
         XfceWallpaperSettings(monitors(), SessionWorkspaceCount(), "", Placement::Center)) {
      if (s.property.ends_with("/image-style")) none.push_back({s.property, "int", {"0"}});
    }
    return applyAll(none);
  }

  TColor backgroundColor() override {
    if (!colourKnown_) {
      // What the desktop shows now: the first monitor's first workspace.
      std::string out;
      const std::string prop = XfceBackdropPrefix(monitors().front(), 0) + "rgba1";
      if (run({"-c", "xfce4-desktop", "-p", prop}, &out) && ParseXfconfRgba(out, colour_)) {
        colourKnown_ = true;
      }
    }
    return colour_;
  }

  bool setBackgroundColor(TColor color) override {
    colour_ = color & 0xFFFFFF;
    colourKnown_ = true;
    return applyAll(XfceColourSettings(monitors(), SessionWorkspaceCount(), colour_));
  }

 private:
  static std::vector<std::string> monitors() {
    std::vector<std::string> names;
    for (const Monitor& m : SessionMonitors()) {
      if (!m.name.empty()) names.push_back(m.name);
    }
    // Without RandR xfdesktop numbers its one monitor.
    if (names.empty()) names.push_back("0");
    return names;
  }

  bool applyAll(const std::vector<XfconfSetting>& settings) {
    bool ok = true;
    for (const XfconfSetting& s : settings) {
      if (!run(XfconfQueryArgs(s), nullptr)) {
        ok = false;
        if (!started_) break;  // not installed: no point trying the others
      }
    }
    return ok;
  }

  bool run(const std::vector<std::string>& args, std::string* output) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    QProcess p;
    p.setProcessChannelMode(output != nullptr ? QProcess::SeparateChannels
                                              : QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("xfconf-query"), list);
    started_ = p.waitForStarted(kTimeoutMs);
    if (!started_) {
      WarnOnce(warnedMissing_, "xfconf-query could not be started; the wallpaper cannot be set");
      return false;
    }
    if (!p.waitForFinished(kTimeoutMs)) {
      p.kill();
      p.waitForFinished(1000);
      WarnOnce(warnedTimeout_, "xfconf-query did not answer in time");
      return false;
    }
    if (output != nullptr) *output = p.readAllStandardOutput().toStdString();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  }

  bool colourKnown_ = false;
  bool started_ = true;
  bool warnedMissing_ = false, warnedTimeout_ = false;
};

}  // namespace

std::unique_ptr<Desktop> CreateXfceDesktop() {
  return std::make_unique<XfceDesktop>();
}

}  // namespace tapestra
