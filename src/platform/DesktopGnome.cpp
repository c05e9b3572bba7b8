// The GNOME family keeps its wallpaper in GSettings: GNOME itself (and Budgie, Unity),
// Cinnamon and MATE each under their own schema with the same keys.

#include <gio/gio.h>

#include <memory>

#include "platform/DesktopBackends.h"
#include "platform/DesktopScreens.h"

namespace tapestra {

std::string FileUri(const std::string& path) {
  GError* error = nullptr;
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, &error);
  if (uri == nullptr) {
    g_clear_error(&error);
    return {};
  }
  std::string out(uri);
  g_free(uri);
  return out;
}

namespace {

struct Schema {
  const char* id;
  const char* pictureKey;
  bool uri;  // the picture key holds a file:// URI (else a plain path)
};

Schema SchemaFor(DesktopKind flavour) {
  switch (flavour) {
    case DesktopKind::Cinnamon:
      return {"org.cinnamon.desktop.background", "picture-uri", true};
    case DesktopKind::Mate:
      return {"org.mate.background", "picture-filename", false};
    default:
      return {"org.gnome.desktop.background", "picture-uri", true};
  }
}

class GnomeDesktop : public SessionDesktop {
 public:
  explicit GnomeDesktop(DesktopKind flavour) : schema_(SchemaFor(flavour)) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source != nullptr ? g_settings_schema_source_lookup(source, schema_.id, TRUE) : nullptr;
    if (schema == nullptr) return;
    hasDark_ = schema_.uri && g_settings_schema_has_key(schema, "picture-uri-dark");
    g_settings_schema_unref(schema);
    settings_ = g_settings_new(schema_.id);
  }
  ~GnomeDesktop() override {
    if (settings_ != nullptr) g_object_unref(settings_);
  }

  bool available() const { return settings_ != nullptr; }

  bool setPlacement(int wallpaperStyle, int tileWallpaper, int originX, int originY) override {
    SessionDesktop::setPlacement(wallpaperStyle, tileWallpaper, originX, originY);
    return usable();
  }

  bool setWallpaper(const std::string& path) override {
    if (!usable()) return false;
    const std::optional<std::string> handed = HandOverFile(path);
    if (!handed) return false;
    const std::string value = schema_.uri ? FileUri(*handed) : *handed;
    if (value.empty()) return false;
    bool ok = set(schema_.pictureKey, value);
    if (hasDark_) ok = set("picture-uri-dark", value) && ok;
    ok = set("picture-options", GnomePictureOptions(placement_)) && ok;
    g_settings_sync();
    return ok;
  }

  bool clearWallpaper() override {
    if (!usable()) return false;
    const bool ok = set("picture-options", "none");
    g_settings_sync();
    return ok;
  }

  TColor backgroundColor() override {
    if (settings_ == nullptr) return colour_;
    gchar* text = g_settings_get_string(settings_, "primary-color");
    TColor c = colour_;
    if (text != nullptr && ParseColourHex(text, c)) colour_ = c;
    g_free(text);
    return colour_;
  }

  bool setBackgroundColor(TColor color) override {
    if (!usable()) return false;
    colour_ = color & 0xFFFFFF;
    bool ok = set("primary-color", ColourHex(colour_));
    ok = set("color-shading-type", "solid") && ok;
    g_settings_sync();
    return ok;
  }

 private:
  bool usable() {
    if (settings_ != nullptr) return true;
    WarnOnce(warned_, std::string("the settings schema ") + schema_.id +
                          " is not installed; the wallpaper cannot be set");
    return false;
  }

  bool set(const char* key, const std::string& value) {
    return g_settings_set_string(settings_, key, value.c_str()) != FALSE;
  }

  Schema schema_;
  GSettings* settings_ = nullptr;
  bool hasDark_ = false;
  bool warned_ = false;
};

}  // namespace

std::unique_ptr<Desktop> CreateGnomeDesktop(DesktopKind flavour) {
  auto desktop = std::make_unique<GnomeDesktop>(flavour);
  if (!desktop->available()) return nullptr;
  return desktop;
}

}  // namespace tapestra
