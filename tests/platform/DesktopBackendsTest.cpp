// The backends that talk to a desktop we do not have here: GNOME through GSettings' memory
// backend, XFCE and LXQt through stand-in commands on PATH, and the choice among them.

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/DesktopBackends.h"
#include "platform/DesktopHandOver.h"
#include "platform/RecordingDesktop.h"
#include "support/TempDir.h"

namespace tapestra {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;
using test::TempDir;

// Sets an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(HandOverPath, GivesTheComposedFileAFreshName) {
  TempDir dir;
  const fs::path composed = dir.write("_WallPaper.bmp", "first");
  const fs::path stale = dir.write("_WallPaper-1.bmp", "left by an earlier run");
  const fs::path first = HandOverPath(composed.string());
  EXPECT_EQ(first.parent_path(), dir.path());
  EXPECT_NE(first, composed);
  EXPECT_TRUE(first.filename().string().starts_with("_WallPaper-"));
  EXPECT_EQ(ReadFile(first), "first");
  EXPECT_FALSE(fs::exists(stale));
  // The composer writes its next picture by replacing the file.
  fs::remove(composed);
  dir.write("_WallPaper.bmp", "second");
  const fs::path second = HandOverPath(composed.string());
  EXPECT_NE(second, first);
  EXPECT_EQ(ReadFile(second), "second");
  EXPECT_FALSE(fs::exists(first)) << "the previous copy is removed";
  EXPECT_TRUE(fs::exists(composed)) << "the composer's own file stays";
}

TEST(HandOverPath, LeavesOtherFilesAlone) {
  TempDir dir;
  const fs::path photo = dir.write("_WallPaper-2.bmp", "a user's picture named like a copy");
  EXPECT_EQ(HandOverPath(photo.string()), photo.string());
  const std::string missing = (dir.path() / "_WallPaper.bmp").string();
  EXPECT_EQ(HandOverPath(missing), missing);
  EXPECT_TRUE(fs::exists(photo));
}

TEST(FileUri, EscapesSpacesAndJapanese) {
  EXPECT_EQ(FileUri("/home/u/My Pics/壁紙.bmp"), "file:///home/u/My%20Pics/%E5%A3%81%E7%B4%99.bmp");
  EXPECT_EQ(FileUri("/a/100% #1.jpg"), "file:///a/100%25%20%231.jpg");
  EXPECT_EQ(FileUri("relative.jpg"), "");
}

// GSettings keeps everything in memory for this process; the real schema is read.
class GnomeDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("GSETTINGS_BACKEND", "memory", 1);
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.background", TRUE)
               : nullptr;
    if (schema == nullptr) GTEST_SKIP() << "org.gnome.desktop.background is not installed";
    hasDark_ = g_settings_schema_has_key(schema, "picture-uri-dark");
    g_settings_schema_unref(schema);
    settings_ = g_settings_new("org.gnome.desktop.background");
  }
  void TearDown() override {
    if (settings_ != nullptr) g_object_unref(settings_);
  }
  std::string get(const char* key) {
    gchar* v = g_settings_get_string(settings_, key);
    std::string s = v ? v : "";
    g_free(v);
    return s;
  }
  GSettings* settings_ = nullptr;
  bool hasDark_ = false;
};

TEST_F(GnomeDesktopTest, SetsPictureOptionsAndColour) {
  TempDir dir;
  const fs::path photo = dir.write("写真 1.jpg", "jpeg");
  auto desktop = CreateGnomeDesktop(DesktopKind::Gnome);
  ASSERT_NE(desktop, nullptr);
  ASSERT_TRUE(desktop->setPlacement(6, 0, 0, 0));
  ASSERT_TRUE(desktop->setWallpaper(photo.string()));
  EXPECT_EQ(get("picture-uri"), FileUri(photo.string()));
  if (hasDark_) {
    EXPECT_EQ(get("picture-uri-dark"), FileUri(photo.string()));
  }
  EXPECT_EQ(get("picture-options"), "scaled");

  ASSERT_TRUE(desktop->setBackgroundColor(MakeColor(0x12, 0x34, 0x56)));
  EXPECT_EQ(get("primary-color"), "#123456");
  EXPECT_EQ(get("color-shading-type"), "solid");
  EXPECT_EQ(desktop->backgroundColor(), MakeColor(0x12, 0x34, 0x56));

  // A missing file changes nothing.
  EXPECT_FALSE(desktop->setWallpaper((dir.path() / "gone.jpg").string()));
  EXPECT_EQ(get("picture-uri"), FileUri(photo.string()));

  ASSERT_TRUE(desktop->clearWallpaper());
  EXPECT_EQ(get("picture-options"), "none");
}

TEST_F(GnomeDesktopTest, TheComposedFileChangesItsName) {
  TempDir dir;
  const fs::path composed = dir.write("_WallPaper.bmp", "bmp");
  auto desktop = CreateGnomeDesktop(DesktopKind::Gnome);
  ASSERT_NE(desktop, nullptr);
  ASSERT_TRUE(desktop->setPlacement(0, 1, 0, 0));
  ASSERT_TRUE(desktop->setWallpaper(composed.string()));
  const std::string first = get("picture-uri");
  ASSERT_TRUE(desktop->setWallpaper(composed.string()));
  const std::string second = get("picture-uri");
  EXPECT_NE(first, second);
  EXPECT_TRUE(second.starts_with(FileUri((dir.path() / "_WallPaper-").string())));
  EXPECT_EQ(get("picture-options"), "wallpaper");
}

TEST(GnomeFamily, MissingSchemaGivesNoBackend) {
  ScopedEnv backend("GSETTINGS_BACKEND", "memory");
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (source != nullptr) {
    if (GSettingsSchema* s = g_settings_schema_source_lookup(source, "org.mate.background", TRUE)) {
      g_settings_schema_unref(s);
      GTEST_SKIP() << "MATE is installed here";
    }
  }
  EXPECT_EQ(CreateGnomeDesktop(DesktopKind::Mate), nullptr);
}

// Puts an executable stand-in for a desktop command first on PATH; it appends its
// arguments, one per line, and a blank line per call to <dir>/log.
class FakeCommand {
 public:
  FakeCommand(const std::string& name, const std::string& output)
      : path_("PATH", (dir_.path().string() + ":" + std::getenv("PATH")).c_str()) {
    const fs::path script = dir_.path() / name;
    std::ofstream(script) << "#!/bin/sh\n"
                             "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '"
                          << log().string()
                          << "'\n"
                             "echo >> '"
                          << log().string() << "'\nprintf '%s' '" << output << "'\n";
    fs::permissions(script, fs::perms::owner_all);
  }
  fs::path log() const { return dir_.path() / "log"; }
  // The calls so far, each as its arguments joined by spaces.
  std::vector<std::string> calls() const {
    std::vector<std::string> out;
    std::istringstream in(ReadFile(log()));
    std::string line, call;
    while (std::getline(in, line)) {
      if (line.empty()) {
        out.push_back(call);
        call.clear();
      } else {
        call += (call.empty() ? "" : " ") + line;
      }
    }
    return out;
  }

 private:
  TempDir dir_;
  ScopedEnv path_;
};

TEST(XfceDesktop, SetsTheBackdropThroughXfconfQuery) {
  // No X display: one monitor "0" and one workspace.
  ScopedEnv display("DISPLAY", nullptr);
  FakeCommand xfconf("xfconf-query", "Value is an array with 4 items:\n\n0\n0\n1\n1\n");
  TempDir dir;
  const fs::path photo = dir.write("a b.png", "png");
  auto desktop = CreateXfceDesktop();
  EXPECT_EQ(desktop->backgroundColor(), MakeColor(0, 0, 255));
  ASSERT_TRUE(desktop->setPlacement(10, 0, 0, 0));
  ASSERT_TRUE(desktop->setWallpaper(photo.string()));
  ASSERT_TRUE(desktop->setBackgroundColor(MakeColor(255, 0, 51)));
  ASSERT_TRUE(desktop->clearWallpaper());
  const std::string p = "-c xfce4-desktop -p /backdrop/screen0/monitor0/workspace0/";
  const std::vector<std::string> expected{
      p + "rgba1",
      p + "last-image -n -t string -s " + photo.string(),
      p + "image-style -n -t int -s 5",
      p + "color-style -n -t int -s 0",
      p + "rgba1 -n -t double -t double -t double -t double -s 1.0 -s 0.0 -s 0.2 -s 1.0",
      p + "image-style -n -t int -s 0",
  };
  EXPECT_EQ(xfconf.calls(), expected);
}

TEST(XfceDesktop, FailsWhenXfconfQueryFails) {
  ScopedEnv display("DISPLAY", nullptr);
  TempDir bin;
  const fs::path script = bin.path() / "xfconf-query";
  std::ofstream(script) << "#!/bin/sh\nexit 1\n";
  fs::permissions(script, fs::perms::owner_all);
  ScopedEnv path("PATH", (bin.path().string() + ":" + std::getenv("PATH")).c_str());
  TempDir dir;
  auto desktop = CreateXfceDesktop();
  EXPECT_FALSE(desktop->setWallpaper(dir.write("x.png", "png").string()));
  EXPECT_FALSE(desktop->setBackgroundColor(0));
}

TEST(LxqtDesktop, HandsTheFileToPcmanfmQt) {
  FakeCommand pcmanfm("pcmanfm-qt", "");
  TempDir dir;
  const fs::path photo = dir.write("壁紙.jpg", "jpeg");
  auto desktop = CreateLxqtDesktop();
  ASSERT_TRUE(desktop->setPlacement(0, 0, 0, 0));
  ASSERT_TRUE(desktop->setWallpaper(photo.string()));
  // Started detached: wait for it to have run.
  for (int i = 0; i < 100 && pcmanfm.calls().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(pcmanfm.calls(), std::vector<std::string>{"--set-wallpaper " + photo.string() +
                                                      " --wallpaper-mode center"});
  EXPECT_FALSE(desktop->setBackgroundColor(255)) << "pcmanfm-qt has no colour option";
}

TEST(DesktopSelection, OverrideThenXdgCurrentDesktop) {
  ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", nullptr);
  ScopedEnv display("DISPLAY", nullptr);
  {
    ScopedEnv forced("TAPESTRA_DESKTOP", "record");
    ScopedEnv xdg("XDG_CURRENT_DESKTOP", "GNOME");
    EXPECT_EQ(DetectDesktopKind(), DesktopKind::Record);
    auto desktop = CreateDesktopForSession();
    EXPECT_NE(dynamic_cast<RecordingDesktop*>(desktop.get()), nullptr);
  }
  {
    ScopedEnv forced("TAPESTRA_DESKTOP", "no-such-desktop");
    ScopedEnv xdg("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    EXPECT_EQ(DetectDesktopKind(), DesktopKind::Gnome);
  }
  {
    ScopedEnv forced("TAPESTRA_DESKTOP", nullptr);
    ScopedEnv xdg("XDG_CURRENT_DESKTOP", "XFCE");
    EXPECT_EQ(DetectDesktopKind(), DesktopKind::Xfce);
  }
  {
    ScopedEnv forced("TAPESTRA_DESKTOP", nullptr);
    ScopedEnv xdg("XDG_CURRENT_DESKTOP", "i3");
    EXPECT_EQ(DetectDesktopKind(), std::nullopt);
    EXPECT_NE(CreateDesktopForSession(), nullptr);
  }
}

}  // namespace
}  // namespace tapestra
