// Plasma keeps the wallpaper per desktop containment; a shell script run by the Plasma
// shell over D-Bus sets it on all of them at once.

#include <QDBusConnection>
#include <QDBusMessage>
#include <memory>

#include "platform/DesktopBackends.h"
#include "platform/DesktopScreens.h"

namespace tapestra {

namespace {

class KdeDesktop : public SessionDesktop {
 public:
  bool setWallpaper(const std::string& path) override {
    const std::optional<std::string> handed = HandOverFile(path);
    if (!handed) return false;
    const std::string uri = FileUri(*handed);
    if (uri.empty()) return false;
    return evaluate(KdeWallpaperScript(uri, placement_));
  }

  bool clearWallpaper() override { return evaluate(KdeClearScript(colour_)); }

  // Plasma does not answer with values, so this is the colour we set last.
  TColor backgroundColor() override { return colour_; }

  bool setBackgroundColor(TColor color) override {
    colour_ = color & 0xFFFFFF;
    return evaluate(KdeColourScript(colour_));
  }

 private:
  bool evaluate(const std::string& script) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << QString::fromStdString(script);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ErrorMessage) return true;
    const std::string message = reply.errorMessage().toStdString();
    // Locked widgets refuse every script until the user unlocks them: say it once and
    // let the next change try again, never loop here.
    if (message.find("Widgets are locked") != std::string::npos) {
      WarnOnce(warnedLocked_, "Plasma refuses the wallpaper while its widgets are locked");
    } else {
      WarnOnce(warnedError_, "Plasma refused the wallpaper script: " + message);
    }
    return false;
  }

  bool warnedLocked_ = false, warnedError_ = false;
};

}  // namespace

std::unique_ptr<Desktop> CreateKdeDesktop() {
  return std::make_unique<KdeDesktop>();
}

}  // namespace tapestra
