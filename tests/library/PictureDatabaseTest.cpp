// The library's operations: groups, pictures, the two cursors and the rotation's lists.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "library/PictureDatabase.h"
#include "support/TempDir.h"

namespace tapestra {
namespace {

using Direction = PictureDatabase::Direction;
using Paths = std::vector<std::string>;

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(db_.Open(dir_.file("Lumeno.sdb"))) << db_.lastOpenError(); }

  RowId addGroup(const std::string& name, int pictures = 0) {
    EXPECT_TRUE(db_.AddCategory(name));
    Paths paths;
    for (int i = 0; i < pictures; ++i) paths.push_back("/" + name + "/" + std::to_string(i));
    if (!paths.empty()) db_.AppendPictures(paths);
    return db_.Category_id();
  }

  // The stored rows, read with plain SQL rather than through the cursors.
  std::string groups() {
    SqliteStatement s(db_.connection(),
                      "SELECT name, \"order\" FROM Categories ORDER BY \"order\", id");
    std::string text;
    while (s.step()) text += s.text(0) + ":" + std::to_string(s.int64(1)) + " ";
    return text;
  }
  std::string pictures(RowId group) {
    SqliteStatement s(db_.connection(),
                      "SELECT path, \"order\", enabled FROM Pictures WHERE category_id = :c"
                      " ORDER BY \"order\", id");
    s.bind(":c", group);
    std::string text;
    while (s.step()) {
      text += s.text(0) + ":" + std::to_string(s.int64(1)) + (s.int64(2) == 1 ? "" : "-") + " ";
    }
    return text;
  }
  Paths cursorPaths() {
    Paths paths;
    for (int row = 0; row < db_.pictureCount(); ++row) paths.push_back(db_.pictureAt(row)->path);
    return paths;
  }
  void sql(const char* text) { db_.connection().exec(text); }

  test::TempDir dir_;
  PictureDatabase db_;
};

TEST_F(LibraryTest, AddAndUpdateTrimNamesAndIgnoreBlanks) {
  for (const char* blank : {"", "   ", "\t\r\n", " \x01 \x1f "}) {
    SCOPED_TRACE(testing::PrintToString(blank));
    EXPECT_FALSE(db_.AddCategory(blank));
    EXPECT_EQ(db_.categoryCount(), 0);
  }
  const RowId sea = addGroup("  Sea\t");
  const RowId hills = addGroup("\xE3\x80\x80Hills");  // a full-width blank is part of the name
  EXPECT_EQ(groups(), "Sea:0 \xE3\x80\x80Hills:1 ");
  EXPECT_EQ(db_.currentCategoryRow(), 1);
  EXPECT_EQ(db_.Category_id(), hills);
  EXPECT_EQ(db_.pictureFilter(), "category_id=" + std::to_string(hills));
  EXPECT_EQ(db_.pictureCount(), 0);

  db_.SelectCategory(0);
  EXPECT_FALSE(db_.UpdateCategory(" \t "));
  EXPECT_TRUE(db_.UpdateCategory(" Ocean "));
  EXPECT_EQ(groups(), "Ocean:0 \xE3\x80\x80Hills:1 ");
  EXPECT_EQ(db_.Category_id(), sea);
  EXPECT_EQ(db_.currentCategory()->name, "Ocean");
  SqliteStatement enabled(db_.connection(), "SELECT COUNT(*) FROM Categories WHERE enabled = 1");
  enabled.step();
  EXPECT_EQ(enabled.int64(0), 2);
}

TEST_F(LibraryTest, GetCategoryIdFindsTheFirstInDisplayOrderAndLeavesTheCursorThere) {
  EXPECT_EQ(db_.GetCategoryId("Sea"), -1);  // no groups at all

  const RowId first = addGroup("Same", 2);
  const RowId other = addGroup("Other", 1);
  const RowId second = addGroup("Same", 3);
  db_.MoveCategory(Direction::Up);
  db_.MoveCategory(Direction::Up);  // the newer "Same" now comes first
  ASSERT_EQ(groups(), "Same:0 Same:1 Other:2 ");
  db_.SelectCategory(2);

  EXPECT_EQ(db_.GetCategoryId("Same"), second);
  EXPECT_EQ(db_.currentCategoryRow(), 0);
  EXPECT_EQ(db_.Category_id(), second);
  EXPECT_EQ(db_.pictureCount(), 3);

  // No match (matching is exact and case-sensitive): the walk ends on the last group.
  for (const char* missing : {"same", "Same ", "Sam", ""}) {
    db_.SelectCategory(0);
    EXPECT_EQ(db_.GetCategoryId(missing), -1);
    EXPECT_EQ(db_.currentCategoryRow(), 2);
    EXPECT_EQ(db_.Category_id(), other);
    EXPECT_EQ(db_.pictureFilter(), "category_id=" + std::to_string(other));
    EXPECT_EQ(cursorPaths(), (Paths{"/Other/0"}));
  }
  EXPECT_EQ(db_.GetCategoryId("Same"), second);
  (void)first;
}

class RecordingListener : public PictureDatabase::Listener {
 public:
  explicit RecordingListener(PictureDatabase& db) : db_(db) {}
  void categoriesReset() override { log += "C "; }
  void categoryScrolled() override {
    // By now the picture cursor already shows the group's pictures.
    log += "S" + std::to_string(db_.currentCategoryRow()) + "/" +
           std::to_string(db_.pictureCount()) + " ";
  }
  void picturesReset() override { log += "P "; }
  void pictureRowsChanged(int first, int last) override {
    log += "R" + std::to_string(first) + "-" + std::to_string(last) + " ";
  }
  void pictureScrolled() override { log += "p" + std::to_string(db_.currentPictureRow()) + " "; }
  std::string log;

 private:
  PictureDatabase& db_;
};

TEST_F(LibraryTest, PictureCursorFollowsTheGroupCursor) {
  const RowId a = addGroup("A", 2);
  const RowId b = addGroup("B", 3);
  RecordingListener listener(db_);
  db_.setListener(&listener);

  db_.SelectCategory(0);
  EXPECT_EQ(listener.log, "P p0 S0/2 ");
  EXPECT_EQ(db_.Category_id(), a);
  EXPECT_EQ(db_.pictureFilter(), "category_id=" + std::to_string(a));
  EXPECT_EQ(cursorPaths(), (Paths{"/A/0", "/A/1"}));
  EXPECT_EQ(db_.currentPictureRow(), 0);

  listener.log.clear();
  db_.SelectCategory(0);  // no move, nothing follows
  db_.SelectCategory(7);
  EXPECT_EQ(listener.log, "");

  db_.SelectPicture(1);
  db_.SelectCategory(1);
  EXPECT_EQ(db_.Category_id(), b);
  EXPECT_EQ(db_.currentPictureRow(), 0);
  EXPECT_EQ(db_.pictureCount(), 3);

  // Without a filter the cursor runs over every group by group id; Category_id stays.
  db_.FilterPictures(-1);
  EXPECT_EQ(db_.pictureFilter(), "");
  EXPECT_FALSE(db_.filtered());
  EXPECT_EQ(db_.Category_id(), b);
  EXPECT_EQ(cursorPaths(), (Paths{"/A/0", "/A/1", "/B/0", "/B/1", "/B/2"}));
  db_.setListener(nullptr);
}

TEST_F(LibraryTest, MovesAtTheEndsChangeNothing) {
  const RowId a = addGroup("A", 3);
  addGroup("B");
  const RowId c = addGroup("C");

  db_.SelectCategory(0);
  EXPECT_FALSE(db_.MoveCategory(Direction::Up));
  db_.SelectCategory(2);
  EXPECT_FALSE(db_.MoveCategory(Direction::Down));
  EXPECT_EQ(groups(), "A:0 B:1 C:2 ");
  EXPECT_EQ(db_.Category_id(), c);

  EXPECT_TRUE(db_.MoveCategory(Direction::Up));
  EXPECT_EQ(groups(), "A:0 C:1 B:2 ");
  EXPECT_EQ(db_.currentCategoryRow(), 1);
  EXPECT_EQ(db_.Category_id(), c);

  db_.SelectCategory(0);
  ASSERT_EQ(db_.Category_id(), a);
  EXPECT_FALSE(db_.MovePicture(Direction::Up));
  db_.SelectPicture(2);
  EXPECT_FALSE(db_.MovePicture(Direction::Down));
  EXPECT_EQ(pictures(a), "/A/0:0 /A/1:1 /A/2:2 ");

  EXPECT_TRUE(db_.MovePicture(Direction::Up));
  EXPECT_EQ(pictures(a), "/A/0:0 /A/2:1 /A/1:2 ");
  EXPECT_EQ(db_.currentPictureRow(), 1);
  EXPECT_EQ(db_.currentPicture()->path, "/A/2");
  EXPECT_EQ(cursorPaths(), (Paths{"/A/0", "/A/2", "/A/1"}));
  EXPECT_EQ(db_.ReadCategoryPaths(a), (Paths{"/A/0", "/A/2", "/A/1"}));
}

TEST_F(LibraryTest, DeletingAGroupDeletesItsPicturesAndRenumbers) {
  const RowId a = addGroup("A", 2);
  const RowId b = addGroup("B", 3);
  const RowId c = addGroup("C", 1);
  const RowId d = addGroup("D", 1);

  db_.SelectCategory(1);
  EXPECT_TRUE(db_.DeleteCategory());
  EXPECT_EQ(groups(), "A:0 C:1 D:2 ");
  EXPECT_EQ(pictures(b), "");
  EXPECT_EQ(pictures(a), "/A/0:0 /A/1:1 ");
  EXPECT_EQ(db_.currentCategoryRow(), 1);  // the following group
  EXPECT_EQ(db_.Category_id(), c);
  EXPECT_EQ(cursorPaths(), (Paths{"/C/0"}));

  db_.SelectCategory(2);
  EXPECT_TRUE(db_.DeleteCategory());  // the last one: the cursor moves to the new last
  EXPECT_EQ(groups(), "A:0 C:1 ");
  EXPECT_EQ(pictures(d), "");
  EXPECT_EQ(db_.Category_id(), c);

  EXPECT_TRUE(db_.DeleteCategory());
  EXPECT_TRUE(db_.DeleteCategory());
  EXPECT_FALSE(db_.DeleteCategory());
  EXPECT_EQ(groups(), "");
  EXPECT_EQ(db_.currentCategoryRow(), -1);
  EXPECT_EQ(db_.Category_id(), 0);
  EXPECT_EQ(db_.pictureCount(), 0);
  EXPECT_TRUE(db_.ReadAllPaths().empty());
  // Without a group, nothing can be added to one.
  EXPECT_EQ(db_.AppendPictures({"/x.jpg"}), 0);
  EXPECT_FALSE(db_.DeletePicture());
  EXPECT_FALSE(db_.TogglePictureEnabled());
  EXPECT_FALSE(db_.MoveCategory(Direction::Down));
}

TEST_F(LibraryTest, AppendedFilesContinueTheNumbering) {
  const RowId sea = addGroup("Sea", 5);
  db_.SelectPicture(3);
  EXPECT_EQ(db_.AppendPictures({"/new/z.jpg", "/new/a.jpg", "/Sea/1"}), 3);
  EXPECT_EQ(pictures(sea),
            "/Sea/0:0 /Sea/1:1 /Sea/2:2 /Sea/3:3 /Sea/4:4 /new/z.jpg:5 "
            "/new/a.jpg:6 /Sea/1:7 ");
  EXPECT_EQ(db_.pictureCount(), 8);
  EXPECT_EQ(db_.currentPictureRow(), 0);  // reopened
  EXPECT_EQ(db_.AppendPictures({}), 0);
}

TEST_F(LibraryTest, DeletingAPictureRenumbersItsGroup) {
  const RowId sea = addGroup("Sea", 4);
  const RowId hills = addGroup("Hills", 2);
  db_.SelectCategory(0);
  db_.SelectPicture(1);
  EXPECT_TRUE(db_.DeletePicture());
  EXPECT_EQ(pictures(sea), "/Sea/0:0 /Sea/2:1 /Sea/3:2 ");
  EXPECT_EQ(db_.currentPicture()->path, "/Sea/2");  // the following picture
  db_.SelectPicture(2);
  EXPECT_TRUE(db_.DeletePicture());
  EXPECT_EQ(db_.currentPictureRow(), 1);  // the new last
  EXPECT_EQ(pictures(sea), "/Sea/0:0 /Sea/2:1 ");
  EXPECT_EQ(pictures(hills), "/Hills/0:0 /Hills/1:1 ");
}

TEST_F(LibraryTest, ToggleFlipsTheCurrentPictureOnly) {
  const RowId sea = addGroup("Sea", 3);
  db_.SelectPicture(1);
  EXPECT_TRUE(db_.TogglePictureEnabled());
  EXPECT_EQ(pictures(sea), "/Sea/0:0 /Sea/1:1- /Sea/2:2 ");
  EXPECT_EQ(db_.currentPictureRow(), 1);
  EXPECT_EQ(db_.currentPicture()->enabled, 0);
  EXPECT_TRUE(db_.TogglePictureEnabled());
  EXPECT_EQ(db_.currentPicture()->enabled, 1);

  // Any value other than 1, as another program may have left it, becomes 1.
  sql("UPDATE Pictures SET enabled = 2 WHERE path = '/Sea/2'");
  db_.FilterPictures(sea);
  db_.SelectPicture(2);
  EXPECT_TRUE(db_.TogglePictureEnabled());
  EXPECT_EQ(db_.currentPicture()->enabled, 1);
}

TEST_F(LibraryTest, CheckAvailableThenDisableErase) {
  const std::string here = dir_.file("here.jpg");
  const std::string gone = dir_.file("gone.jpg");
  const std::string back = dir_.file("back.jpg");
  test::WriteFile(here, "x");
  test::WriteFile(back, "x");
  const RowId other = addGroup("Other");
  db_.AppendPictures({gone});
  const RowId sea = addGroup("Sea");
  db_.AppendPictures({gone, here, back, gone});
  db_.SelectPicture(2);

  std::filesystem::remove(back);
  db_.CheckAvailable();
  EXPECT_EQ(pictures(sea), gone + ":0- " + here + ":1 " + back + ":2- " + gone + ":3- ");
  EXPECT_EQ(pictures(other), gone + ":0 ");  // other groups are not looked at
  EXPECT_EQ(db_.currentPictureRow(), 2);
  EXPECT_EQ(db_.currentPicture()->enabled, 0);

  test::WriteFile(back, "x");
  db_.CheckAvailable();
  EXPECT_EQ(pictures(sea), gone + ":0- " + here + ":1 " + back + ":2 " + gone + ":3- ");

  sql(("UPDATE Pictures SET enabled = 0 WHERE category_id = " + std::to_string(other)).c_str());
  db_.DisableErase();
  EXPECT_EQ(pictures(sea), here + ":0 " + back + ":1 ");
  EXPECT_EQ(pictures(other), gone + ":0- ");
  EXPECT_EQ(db_.currentPictureRow(), 0);
  EXPECT_EQ(cursorPaths(), (Paths{here, back}));

  db_.AllErase();
  EXPECT_EQ(pictures(sea), "");
  EXPECT_EQ(pictures(other), gone + ":0- ");
  EXPECT_EQ(db_.pictureCount(), 0);
  EXPECT_EQ(db_.currentPictureRow(), -1);
}

TEST_F(LibraryTest, AllGroupsListRunsByGroupIdNotDisplayOrder) {
  const RowId older = addGroup("Older", 2);
  const RowId newer = addGroup("Newer", 2);
  EXPECT_TRUE(db_.MoveCategory(Direction::Up));
  ASSERT_EQ(groups(), "Newer:0 Older:1 ");
  db_.SelectCategory(1);
  db_.MovePicture(Direction::Down);

  EXPECT_EQ(db_.ReadAllPaths(), (Paths{"/Older/1", "/Older/0", "/Newer/0", "/Newer/1"}));
  EXPECT_EQ(db_.ReadCategoryPaths(newer), (Paths{"/Newer/0", "/Newer/1"}));
  EXPECT_EQ(db_.ReadCategoryPaths(older), (Paths{"/Older/1", "/Older/0"}));
  EXPECT_TRUE(db_.ReadCategoryPaths(-1).empty());
  // Reading the lists moves neither cursor.
  EXPECT_EQ(db_.Category_id(), older);
  EXPECT_EQ(db_.currentPictureRow(), 1);
}

TEST_F(LibraryTest, GetCategoryNamePrefersTheLowestGroupIdAndMovesNothing) {
  addGroup("First", 1);
  db_.AppendPictures({"/shared.jpg"});
  addGroup("Second");
  db_.AppendPictures({"/shared.jpg"});
  db_.MoveCategory(Direction::Up);
  db_.SelectPicture(0);

  EXPECT_EQ(db_.GetCategoryName("/shared.jpg"), "First");
  EXPECT_EQ(db_.GetCategoryName("/First/0"), "First");
  EXPECT_EQ(db_.GetCategoryName("/SHARED.jpg"), "");
  EXPECT_EQ(db_.GetCategoryName("/nowhere.jpg"), "");
  EXPECT_EQ(db_.currentCategory()->name, "Second");
  EXPECT_EQ(db_.pictureFilter(), "category_id=" + std::to_string(db_.Category_id()));

  // A picture whose group row has gone (another program deleted it) has no group name.
  sql("INSERT INTO Pictures (path, enabled, \"order\", category_id) VALUES ('/orphan', 1, 0, 99)");
  EXPECT_EQ(db_.GetCategoryName("/orphan"), "");
}

TEST(PictureInfo, SizeTextOrZeroWhenUnreadable) {
  PictureDatabase::Options options;
  options.readPictureSize = [](const std::string& path, int& width, int& height) {
    if (path != "/known.jpg") return false;
    width = 800;
    height = 600;
    return true;
  };
  const PictureDatabase db(options);
  EXPECT_EQ(db.GetPictureInfo("/known.jpg"), "800 x 600 pix");
  EXPECT_EQ(db.GetPictureInfo("/missing.jpg"), "0 x 0 pix");
  EXPECT_EQ(PictureDatabase().GetPictureInfo("/known.jpg"), "0 x 0 pix");
}

TEST_F(LibraryTest, PagedRowsMatchTheStoredOrderAfterChanges) {
  const int n = 1000;  // several pages
  const RowId big = addGroup("Big", n);
  addGroup("Small", 3);
  db_.SelectCategory(0);
  ASSERT_EQ(db_.pictureCount(), n);
  // Read from the far end first, then in order.
  EXPECT_EQ(db_.pictureAt(n - 1)->path, "/Big/999");
  EXPECT_FALSE(db_.pictureAt(n).has_value());
  EXPECT_FALSE(db_.pictureAt(-1).has_value());
  EXPECT_EQ(cursorPaths(), db_.ReadCategoryPaths(big));
  for (int row = 0; row < n; ++row) ASSERT_EQ(db_.pictureAt(row)->order, row);

  // A change in one page is seen in every later page.
  db_.SelectPicture(300);
  ASSERT_TRUE(db_.DeletePicture());
  ASSERT_EQ(db_.pictureCount(), n - 1);
  EXPECT_EQ(db_.pictureAt(300)->path, "/Big/301");
  for (int row = 0; row < n - 1; ++row) ASSERT_EQ(db_.pictureAt(row)->order, row);
  EXPECT_EQ(cursorPaths(), db_.ReadCategoryPaths(big));

  // Ties in "order" (the id decides) and NULLs, as another program may leave them: the rows
  // come in the stored order whether read forward, backward or after a jump.
  sql("UPDATE Pictures SET \"order\" = id % 3");
  sql("UPDATE Pictures SET \"order\" = NULL WHERE id % 97 = 0 OR id = 257");
  sql("UPDATE Pictures SET category_id = NULL WHERE id = 5");
  for (const RowId filter : {big, RowId{-1}}) {
    SCOPED_TRACE(filter);
    db_.FilterPictures(filter);
    const Paths expected = filter < 0 ? db_.ReadAllPaths() : db_.ReadCategoryPaths(big);
    ASSERT_EQ(db_.pictureCount(), static_cast<int>(expected.size()));
    Paths backward(expected.size());
    for (int row = db_.pictureCount() - 1; row >= 0; --row) {
      backward[static_cast<std::size_t>(row)] = db_.pictureAt(row)->path;
    }
    EXPECT_EQ(backward, expected);
    db_.FilterPictures(filter);
    EXPECT_EQ(cursorPaths(), expected);
  }
  sql("UPDATE Pictures SET \"order\" = 0, category_id = 1 WHERE path LIKE '/Big/%'");
  ASSERT_EQ(big, 1);
  db_.FilterPictures(big);
  db_.ReOrderPictures();

  db_.SelectPicture(511);  // the last row of a page swaps with the first of the next
  ASSERT_TRUE(db_.MovePicture(Direction::Down));
  EXPECT_EQ(db_.currentPictureRow(), 512);
  EXPECT_EQ(db_.pictureAt(511)->path, "/Big/513");
  EXPECT_EQ(db_.pictureAt(512)->path, "/Big/512");
  EXPECT_EQ(db_.pictureRowOf(db_.pictureAt(700)->id), 700);
  EXPECT_EQ(db_.pictureRowOf(RowId{5000}), -1);
}

TEST_F(LibraryTest, WithoutAFilterGroupsAreNeverMixed) {
  const RowId a = addGroup("A", 2);
  const RowId b = addGroup("B", 2);
  sql("UPDATE Pictures SET \"order\" = \"order\" * 10 + 5");  // gaps, as another program may leave
  db_.FilterPictures(-1);
  db_.SelectPicture(1);  // last of A, next to the first of B
  EXPECT_FALSE(db_.MovePicture(Direction::Down));
  db_.ReOrderPictures();
  EXPECT_EQ(pictures(a), "/A/0:0 /A/1:1 ");
  EXPECT_EQ(pictures(b), "/B/0:0 /B/1:1 ");
  EXPECT_EQ(db_.currentPictureRow(), 1);

  // Appending still counts the selected group only.
  ASSERT_EQ(db_.Category_id(), b);
  db_.AppendPictures({"/B/2"});
  EXPECT_EQ(pictures(b), "/B/0:0 /B/1:1 /B/2:2 ");
}

TEST_F(LibraryTest, ReOrderCategoriesClosesGaps) {
  addGroup("A");
  const RowId b = addGroup("B");
  addGroup("C");
  sql("UPDATE Categories SET \"order\" = \"order\" * 3 + 1");
  db_.SelectCategory(0);
  db_.SelectCategory(1);
  db_.ReOrderCategories();
  EXPECT_EQ(groups(), "A:0 B:1 C:2 ");
  EXPECT_EQ(db_.currentCategoryRow(), 1);
  EXPECT_EQ(db_.Category_id(), b);
}

TEST_F(LibraryTest, AFullDiskFailsTheWholeBatchAndKeepsTheCursors) {
  const RowId sea = addGroup("Sea", 5);
  db_.SelectPicture(2);
  const std::string before = pictures(sea);
  SqliteStatement pages(db_.connection(), "PRAGMA page_count");
  pages.step();
  const std::string limit = "PRAGMA max_page_count = " + std::to_string(pages.int64(0) + 2);
  sql(limit.c_str());

  Paths batch;
  for (int i = 0; i < 2000; ++i)
    batch.push_back("/long/" + std::string(200, 'x') + std::to_string(i));
  try {
    db_.AppendPictures(batch);
    ADD_FAILURE() << "the batch fitted";
  } catch (const SqliteError& e) {
    EXPECT_EQ(e.code(), SQLITE_FULL);
  }
  EXPECT_EQ(pictures(sea), before);
  EXPECT_EQ(db_.pictureCount(), 5);
  EXPECT_EQ(db_.currentPictureRow(), 2);
  EXPECT_EQ(db_.Category_id(), sea);

  // The library goes on working for what still fits.
  EXPECT_EQ(db_.AppendPictures({"/one.jpg"}), 1);
  EXPECT_EQ(db_.pictureCount(), 6);
}

}  // namespace
}  // namespace tapestra
