#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/TempDir.h"

namespace tapestra {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
 protected:
  void write(const std::string& text) { test::WriteFile(path_, text); }
  std::string read() const { return test::ReadFile(path_); }

  test::TempDir dir_;
  std::string path_ = dir_.file("tapestra.ini");
};

TEST_F(IniFileTest, LookupIsCaseInsensitiveAndDropsQuotes) {
  write("\xEF\xBB\xBF[main]\r\nCurrentPicture = \"/p/a b.jpg\"\r\nkey=first\r\nKEY=second\r\n");
  IniFile ini(path_);
  EXPECT_EQ(ini.readString("MAIN", "currentpicture", "-"), "/p/a b.jpg");
  EXPECT_EQ(ini.readString("Main", "Key", "-"), "first");
  EXPECT_EQ(ini.readString("Main", "Missing", "-"), "-");
  EXPECT_EQ(ini.readString("Other", "Key", "-"), "-");
}

TEST(IniFileContent, OddFilesReadLikeAnyOther) {
  struct Case {
    const char* name;
    const char* content;
  } cases[] = {
      {"LF", "[Main]\nCurrentPictureNo=3\nCurrentPicture=/p/a=b.jpg\n[Auto]\nRandom=1\n"},
      {"CR LF",
       "[Main]\r\nCurrentPictureNo=3\r\nCurrentPicture=/p/a=b.jpg\r\n[Auto]\r\nRandom=1\r\n"},
      {"lone CR", "[Main]\rCurrentPictureNo=3\rCurrentPicture=/p/a=b.jpg\r[Auto]\rRandom=1\r"},
      {"no final line break",
       "[Main]\nCurrentPictureNo=3\nCurrentPicture=/p/a=b.jpg\n[Auto]\nRandom=1"},
      {"keys before any section", "CurrentPictureNo=9\nRandom=0\n[Main]\nCurrentPictureNo=3\n"
                                  "CurrentPicture=/p/a=b.jpg\n[Auto]\nRandom=1\n"},
      {"empty keys and bare lines", "[Main]\n=9\n  = 9\nCurrentPictureNo\nCurrentPictureNo=3\n"
                                    "CurrentPicture=/p/a=b.jpg\n[Auto]\nRandom=1\n"},
  };
  for (const Case& c : cases) {
    const IniFile ini = IniFile::FromContent("unused.ini", c.content);
    EXPECT_EQ(ini.readInteger("Main", "CurrentPictureNo", -1), 3) << c.name;
    EXPECT_EQ(ini.readString("Main", "CurrentPicture", "-"), "/p/a=b.jpg") << c.name;
    EXPECT_TRUE(ini.readBool("Auto", "Random", false)) << c.name;
    EXPECT_EQ(ini.readSection("Main").size(), 2u) << c.name;
  }
}

TEST(IniFileContent, ALineBreakInAValueCannotStartKeysOrSectionsOfItsOwn) {
  IniFile ini = IniFile::FromContent("unused.ini", "[Main]\n[Auto]\nChangeHr=0\n");
  ini.replaceSection("Main",
                     {{"CurrentPicture", "/tmp/a\n[Auto]\nChangeHr=1"}, {"ShowClock", "1"}});
  const IniFile back = IniFile::FromContent("unused.ini", ini.content());
  EXPECT_EQ(back.readInteger("Auto", "ChangeHr", -1), 0);
  EXPECT_EQ(back.readSection("Main"),
            (IniEntries{{"CurrentPicture", "/tmp/a [Auto] ChangeHr=1"}, {"ShowClock", "1"}}));
}

TEST_F(IniFileTest, IntegersFallBackToTheDefault) {
  struct Case {
    const char* text;
    std::int32_t expected;
  } cases[] = {{"42", 42},     {"-7", -7},       {" 12", 12},   {"$FF", 255},
               {"0x10", 16},   {"12abc", 99},    {"", 99},      {"abc", 99},
               {"1.5", 99},    {"99999999999", 99}, {"-2147483648", INT32_MIN}};
  std::string text = "[S]\n";
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    text += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
  }
  write(text);
  IniFile ini(path_);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ini.readInteger("S", "k" + std::to_string(i), 99), cases[i].expected) << cases[i].text;
  }
  EXPECT_TRUE(ini.readBool("S", "k0", false));
  EXPECT_FALSE(ini.readBool("S", "missing", false));
}

TEST_F(IniFileTest, ReplacingASectionKeepsEverythingElseInPlace) {
  write("; comment\n[A]\nx=1\n\n[Main]\nold=1\nCurrentPictureNo=9\n[B]\ny=2\n");
  IniFile ini(path_);
  ini.replaceSection("main", {{"CurrentPictureNo", "3"}, {"CurrentPicture", "p"}});
  ini.replaceSection("New", {{"k", "v"}});
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(read(),
            "; comment\n[A]\nx=1\n\n[Main]\nCurrentPictureNo=3\nCurrentPicture=p\n[B]\ny=2\n"
            "[New]\nk=v\n");
  EXPECT_EQ(IniFile(path_).readSection("Main"),
            (IniEntries{{"CurrentPictureNo", "3"}, {"CurrentPicture", "p"}}));
}

TEST_F(IniFileTest, ErasingRemovesTheWholeSection) {
  write("[Pictures]\n0=a\n1=b\n[Auto]\nRandom=1\n");
  IniFile ini(path_);
  ini.eraseSection("PICTURES");
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(read(), "[Auto]\nRandom=1\n");
}

TEST_F(IniFileTest, AFailedSaveLeavesTheOldFileIntact) {
  write("[Main]\nCurrentPictureNo=1\n");
  IniFile ini(path_);
  ini.replaceSection("Main", {{"CurrentPictureNo", "2"}});
  if (::geteuid() == 0) {
    // Root ignores permissions: make the target a directory's entry we cannot rename over.
    fs::remove(path_);
    fs::create_directory(path_);
    fs::create_directory(fs::path(path_) / "keep");
    std::string error;
    EXPECT_FALSE(ini.save(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(fs::path(path_) / "keep"));
  } else {
    fs::permissions(dir_.path(), fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(ini.save(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(read(), "[Main]\nCurrentPictureNo=1\n");
  }
  // No temporary file is left behind.
  fs::permissions(dir_.path(), fs::perms::owner_all);
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().filename(), "tapestra.ini");
  }
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  write("[Main]\nCurrentPictureNo=1\n[Calendar]\nLeft=10\n");
  fs::permissions(path_, fs::perms::owner_write);
  IniFile ini(path_);
  EXPECT_EQ(ini.readInteger("Calendar", "Left", -1), -1);  // reads as empty, as before
  ini.replaceSection("Main", {{"CurrentPictureNo", "2"}});
  std::string error;
  EXPECT_FALSE(ini.save(&error));  // the Calendar section it never saw would be lost
  EXPECT_FALSE(error.empty());
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(read(), "[Main]\nCurrentPictureNo=1\n[Calendar]\nLeft=10\n");
}

TEST_F(IniFileTest, SavingKeepsTheFilesPermissionsAndItsSymbolicLink) {
  const std::string real = dir_.file("dotfiles.ini");
  test::WriteFile(real, "[Main]\nCurrentPictureNo=1\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(real, path_);
  IniFile ini(path_);
  EXPECT_EQ(ini.readInteger("Main", "CurrentPictureNo", -1), 1);
  ini.replaceSection("Main", {{"CurrentPictureNo", "2"}});
  ASSERT_TRUE(ini.save());
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(test::ReadFile(real), "[Main]\nCurrentPictureNo=2\n");
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  IniFile plain(real);  // the same without a link
  plain.replaceSection("Main", {{"CurrentPictureNo", "3"}});
  ASSERT_TRUE(plain.save());
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(IniFileTest, MissingFileReadsEmpty) {
  IniFile ini(dir_.file("none.ini"));
  EXPECT_FALSE(ini.hasSection("Main"));
  EXPECT_EQ(ini.readInteger("Main", "AutoChange", 5), 5);
}

}  // namespace
}  // namespace tapestra
