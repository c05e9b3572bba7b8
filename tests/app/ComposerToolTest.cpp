// The command-line tool as a process: exit codes, printed lines, files written or not.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ComposerTestSupport.h"
#include "imaging/ColorAnalysis.h"
#include "platform/PictureDecoder.h"
#include "support/TempDir.h"

namespace tapestra {
namespace {

using test::TempDir;
using testing::MakePicture;

struct ToolRun {
  int status = -1;
  std::string out;
};

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

ToolRun Tool(const std::vector<std::string>& args) {
  std::string cmd = Quote(TAPESTRA_COMPOSE_TOOL);
  for (const std::string& a : args) cmd += " " + Quote(a);
  cmd += " 2>/dev/null";
  ToolRun run;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class ComposeTool : public ::testing::Test {
 protected:
  ComposeTool() {
    picture_ = temp_.file("in.bmp");
    EXPECT_TRUE(SaveBmp24(MakePicture(64, 48), picture_));
  }
  TempDir temp_;
  std::string picture_;
};

TEST_F(ComposeTool, MalformedCommandsExitWithTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"sharpen", picture_, "out.bmp"},
      {"resize", picture_, "out.bmp", "10", "10"},
      {"resize", picture_, "out.bmp", "10", "10", "Bilinear", "extra"},
      {"resize", picture_, "out.bmp", "ten", "10", "Bilinear"},
      {"resize", picture_, "out.bmp", "10", "10", "Gaussian"},
      {"blur", picture_, "out.bmp", "3x"},
      {"contrast", picture_, "out.bmp"},
      {"colors"},
      {"wallpaper", "--screen", "1920x1080", "--style", "6", "--filter", "Bilinear", picture_},
      {"wallpaper", "--screen", "1920", "--style", "6", "--filter", "Bilinear", "--folder",
       temp_.path().string(), picture_},
      {"wallpaper", "--screen", "1920x1080", "--style", "six", "--filter", "Bilinear", "--folder",
       temp_.path().string(), picture_},
      {"wallpaper", "--screen", "1920x1080", "--style", "6", "--filter", "Bilinear", "--background",
       "random", "--folder", temp_.path().string(), picture_},
      {"wallpaper", "--screen", "1920x1080", "--style", "6", "--filter", "Bilinear", "--folder",
       temp_.path().string(), picture_, picture_},
      // Colours are plain 0x00BBGGRR values; -1 used to be taken as white, 2^24 as black.
      {"wallpaper", "--screen", "1920x1080", "--style", "9", "--filter", "Bilinear", "--color",
       "-1", "--folder", temp_.path().string(), picture_},
      {"wallpaper", "--screen", "1920x1080", "--style", "9", "--filter", "Bilinear", "--color",
       "16777216", "--folder", temp_.path().string(), picture_},
  };
  for (const auto& args : bad) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(ComposeTool, FiltersPrintTheirAnswer) {
  const std::string out = temp_.file("out.bmp");
  ToolRun run = Tool({"resize", picture_, out, "100", "30", "Lanczos"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "true\n");
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPictureSize(out, w, h));
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 30);
  EXPECT_EQ(std::filesystem::file_size(out), 54u + 300u * 30u);

  EXPECT_EQ(Tool({"blur", picture_, temp_.file("b.bmp"), "3"}).out, "true\n");
  EXPECT_EQ(Tool({"contrast", picture_, temp_.file("c.bmp"), "-10"}).out, "true\n");

  // Refused calls and unreadable input print false and write nothing.
  const std::string refused = temp_.file("refused.bmp");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"blur", picture_, refused, "0"},
           {"contrast", picture_, refused, "101"},
           {"resize", picture_, refused, "0", "10", "Nearest"},
           {"resize", temp_.file("missing.bmp"), refused, "10", "10", "Nearest"}}) {
    run = Tool(args);
    EXPECT_EQ(run.status, 0) << args[0];
    EXPECT_EQ(run.out, "false\n") << args[0];
  }
  EXPECT_FALSE(std::filesystem::exists(refused));
}

TEST_F(ComposeTool, ColorsOfThePicture) {
  Bitmap24 grey = MakePicture(8, 8);
  grey.fill(0x30, 0x20, 0x10);
  ASSERT_TRUE(SaveBmp24(grey, picture_));
  const ToolRun run = Tool({"colors", picture_});
  EXPECT_EQ(run.status, 0);
  const std::string c = std::to_string(0x302010);
  EXPECT_EQ(run.out, "bright=" + c + " dark=" + c + " average=" + c + "\n");
}

TEST_F(ComposeTool, WallpaperPrintsTheDesktopCalls) {
  const std::vector<std::string> common = {"wallpaper",          "--screen", "1920x1080",
                                           "--filter",           "Bilinear", "--folder",
                                           temp_.path().string()};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = common;
    args.insert(args.end(), extra.begin(), extra.end());
    return Tool(args);
  };
  ToolRun run = with({"--style", "3", picture_});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "placement 0 1 0 0\nwallpaper " + picture_ + "\nresult true\n");

  run = with({"--style", "6", "--background", "dark", "--color", "255", picture_});
  const std::string original = temp_.file("_WallPaper.bmp");
  Bitmap24 bmp;
  LoadPicture(picture_, bmp);
  EXPECT_EQ(run.out, "background " + std::to_string(GetDarkColor(bmp)) +
                         "\nplacement 0 0 0 0\nwallpaper " + original + "\nresult true\n");
  EXPECT_EQ(std::filesystem::file_size(original), 54u + 1920u * 3 * 1080);

  // The largest colour is taken whole: the tile's margin (row 0 of a 64 × 50 tile) is white.
  run = with({"--style", "9", "--color", "16777215", picture_});
  EXPECT_EQ(run.out, "placement 0 1 0 0\nwallpaper " + original + "\nresult true\n");
  LoadPicture(original, bmp);
  ASSERT_EQ(bmp.width(), 64);
  ASSERT_EQ(bmp.height(), 50);
  EXPECT_EQ(bmp.row(0)[0], 255);
  EXPECT_EQ(bmp.row(0)[1], 255);
  EXPECT_EQ(bmp.row(0)[2], 255);

  EXPECT_EQ(with({"--style", "7", ""}).out, "clear\nresult true\n");
  EXPECT_EQ(with({"--style", "7", temp_.file("missing.png")}).out, "result false\n");
}

}  // namespace
}  // namespace tapestra
