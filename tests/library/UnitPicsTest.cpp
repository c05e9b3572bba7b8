// The wallpaper group dialog over a real library file: what each command does to the library,
// to the rotation and to the tray state, with the views following the cursors.

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <random>

#include "DialogFixture.h"
#include "platform/PictureDecoder.h"

namespace tapestra::test {
namespace {

class GroupDialogTest : public DialogTest {
 protected:
  template <class T>
  T* control(const char* name) {
    T* widget = pics->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void click(const char* button) { control<QAbstractButton>(button)->click(); }
  // The active group, the one auto-change draws from.
  void activate(const std::string& name) {
    core.settings().Category = name;
    core.LoadPictures();
  }
  int gridRow(const char* grid) { return control<QTableView>(grid)->currentIndex().row(); }
};

TEST_F(GroupDialogTest, AddGroupTrimsTheNameAndSelectsTheNewEmptyGroup) {
  makePics();
  addGroup("Old", 2);
  pics->show();
  auto* edit = control<QLineEdit>("EditCategory");

  edit->setText("   ");
  click("ButtonCategoryAdd");
  EXPECT_EQ(pics->database().categoryCount(), 1);

  edit->setText("  Summer \t");
  click("ButtonCategoryAdd");
  PictureDatabase& db = pics->database();
  ASSERT_EQ(db.categoryCount(), 2);
  EXPECT_EQ(db.currentCategory()->name, "Summer");
  EXPECT_EQ(db.pictureCount(), 0);
  auto* grid = control<QTableView>("DBGridCategories");
  EXPECT_EQ(grid->model()->rowCount(), 2);
  EXPECT_EQ(grid->model()->index(1, 0).data().toString(), QStringLiteral("Summer"));
  EXPECT_EQ(gridRow("DBGridCategories"), 1);
  EXPECT_EQ(control<QTableView>("DBGridPictures")->model()->rowCount(), 0);
}

TEST_F(GroupDialogTest, AddingPicturesReloadsTheRotationOnlyForTheActiveGroup) {
  struct Case {
    const char* active;
    Paths rotation;
  } cases[] = {
      {"B", {"/B/0", "/x/new1.jpg", "/x/new2.jpg"}},  // the selected group is the active one
      {"A", {"/A/0", "/A/1"}},                        // another group: untouched
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.active);
    pics.reset();
    std::filesystem::remove(dir.file("Lumeno.sdb"));
    makePics();
    addGroup("A", 2);
    addGroup("B", 1);
    activate(c.active);
    pics->show();
    pics->database().SelectCategory(1);  // B
    chosen = {"/x/new1.jpg", "/x/new2.jpg"};
    click("ButtonPictureAdd");

    EXPECT_EQ(core.Pictures(), c.rotation);
    PictureDatabase& db = pics->database();
    ASSERT_EQ(db.pictureCount(), 3);
    // The last picture becomes current and its size is shown.
    EXPECT_EQ(db.currentPicture()->path, "/x/new2.jpg");
    EXPECT_EQ(db.currentPicture()->order, 2);
    EXPECT_EQ(gridRow("DBGridPictures"), 2);
    EXPECT_EQ(pics->pictureInfoText(), QStringLiteral("0 x 0 pix"));
  }
}

TEST_F(GroupDialogTest, AddingWithoutGroupsOrCancelledChangesNothing) {
  makePics();
  pics->show();
  chosen = {"/x/a.jpg"};
  click("ButtonPictureAdd");
  EXPECT_EQ(dialogsOpened, 0);  // no group: the file dialog does not even open

  addGroup("A", 1);
  chosen.clear();  // cancelled
  click("ButtonPictureAdd");
  EXPECT_EQ(dialogsOpened, 1);
  EXPECT_EQ(pics->database().pictureCount(), 1);
}

TEST_F(GroupDialogTest, DeletingTheActiveGroupTurnsAutoChangeOffAndClearsTheRotation) {
  makePics();
  addGroup("A", 2);
  addGroup("B", 3);
  activate("A");
  autoChangeOn();
  core.settings().CurrentPictureNo = 1;
  pics->show();

  pics->database().SelectCategory(1);  // B is not active: auto-change stays on
  click("ButtonCategoryDel");
  EXPECT_EQ(menuChanges, 0);
  EXPECT_TRUE(core.menu().PM_Auto);
  EXPECT_EQ(core.Pictures(), (Paths{"/A/0", "/A/1"}));

  ASSERT_EQ(pics->database().currentCategory()->name, "A");
  click("ButtonCategoryDel");
  EXPECT_EQ(menuChanges, 1);
  EXPECT_FALSE(core.menu().PM_Auto);
  EXPECT_FALSE(core.menu().PM_Prev);
  EXPECT_FALSE(core.menu().PM_Next);
  EXPECT_EQ(core.menu().TrayIconIndex, 0);
  EXPECT_EQ(core.settings().Category, "");
  EXPECT_TRUE(core.Pictures().empty());
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  EXPECT_EQ(pics->database().categoryCount(), 0);
  EXPECT_EQ(control<QTableView>("DBGridCategories")->model()->rowCount(), 0);
  EXPECT_TRUE(pics->previewImage().isNull());

  click("ButtonCategoryDel");  // nothing left: nothing happens
  EXPECT_EQ(menuChanges, 1);
}

TEST_F(GroupDialogTest, EraseAllOfTheActiveGroupTurnsAutoChangeOffButKeepsTheGroup) {
  makePics();
  addGroup("A", 3);
  activate("A");
  autoChangeOn();
  core.settings().CurrentPictureNo = 2;
  pics->show();

  pics->PMP_AllEraseClick();
  EXPECT_EQ(menuChanges, 1);
  EXPECT_FALSE(core.menu().PM_Auto);
  EXPECT_EQ(core.settings().Category, "A");
  EXPECT_TRUE(core.Pictures().empty());
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  EXPECT_EQ(pics->database().pictureCount(), 0);
  EXPECT_EQ(control<QTableView>("DBGridPictures")->model()->rowCount(), 0);
}

TEST_F(GroupDialogTest, DoubleClickShowsThePictureAndTurnsAutoChangeOff) {
  makePics();
  addGroup("A", 3);
  activate("A");
  autoChangeOn();
  pics->show();
  auto* grid = control<QTableView>("DBGridPictures");
  const QRect cell = grid->visualRect(grid->model()->index(1, 0));
  ASSERT_TRUE(cell.isValid());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(pics->database().currentPictureRow(), 1);  // the cursor follows the grid
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());

  EXPECT_EQ(changer.shown, (Paths{"/A/1"}));
  EXPECT_EQ(core.settings().CurrentPicture, "/A/1");
  EXPECT_FALSE(core.menu().PM_Auto);
  EXPECT_EQ(core.menu().TrayIconIndex, 0);
  EXPECT_EQ(menuChanges, 1);
  EXPECT_TRUE(pics->isVisible());
}

TEST_F(GroupDialogTest, GridsAndCursorsFollowEachOther) {
  makePics();
  addGroup("A", 2);
  addGroup("B", 300);
  pics->show();
  auto* groups = control<QTableView>("DBGridCategories");
  QTest::mouseClick(groups->viewport(), Qt::LeftButton, {},
                    groups->visualRect(groups->model()->index(0, 0)).center());
  PictureDatabase& db = pics->database();
  EXPECT_EQ(db.currentCategory()->name, "A");
  EXPECT_EQ(control<QLineEdit>("EditCategory")->text(), QStringLiteral("A"));
  EXPECT_EQ(pics->pictureInfoText(), QStringLiteral("Pictures: 2."));
  EXPECT_EQ(control<QTableView>("DBGridPictures")->model()->rowCount(), 2);

  db.SelectCategory(1);
  EXPECT_EQ(gridRow("DBGridCategories"), 1);
  pics->PMP_LastClick();
  EXPECT_EQ(gridRow("DBGridPictures"), 299);
  EXPECT_EQ(control<QTableView>("DBGridPictures")->model()->index(299, 0).data().toString(),
            QStringLiteral("/B/299"));
  pics->PMP_FirstClick();
  EXPECT_EQ(gridRow("DBGridPictures"), 0);
  EXPECT_EQ(pics->pictureInfoText(), QStringLiteral("0 x 0 pix"));
}

TEST_F(GroupDialogTest, ChangesInTheActiveGroupReloadTheRotationAndKeepThePictureCurrent) {
  makePics();
  addGroup("A", 4);
  activate("A");
  pics->show();
  PictureDatabase& db = pics->database();

  // Moving up twice moves the same picture twice, although the reload walks the cursor.
  db.SelectPicture(3);
  click("SpeedButtonPictureUp");
  click("SpeedButtonPictureUp");
  EXPECT_EQ(core.Pictures(), (Paths{"/A/0", "/A/3", "/A/1", "/A/2"}));
  EXPECT_EQ(db.currentPicture()->path, "/A/3");
  EXPECT_EQ(gridRow("DBGridPictures"), 1);

  // Deleting leaves the following picture current, so a second delete takes that one.
  click("ButtonPictureDel");
  EXPECT_EQ(db.currentPicture()->path, "/A/1");
  click("ButtonPictureDel");
  EXPECT_EQ(core.Pictures(), (Paths{"/A/0", "/A/2"}));

  // Disabled pictures still take part in the rotation; the toggled one stays current.
  db.SelectPicture(0);
  click("ButtonPictureEnable");
  EXPECT_EQ(db.currentPicture()->enabled, 0);
  EXPECT_EQ(db.currentPictureRow(), 0);
  EXPECT_EQ(control<QTableView>("DBGridPictures")->model()->index(0, 1).data().toString(),
            QStringLiteral("0"));
  EXPECT_EQ(core.Pictures(), (Paths{"/A/0", "/A/2"}));

  // Erasing the disabled ones does not reload the rotation.
  pics->PMP_DisableEraseClick();
  EXPECT_EQ(db.pictureCount(), 1);
  EXPECT_EQ(core.Pictures(), (Paths{"/A/0", "/A/2"}));
}

TEST_F(GroupDialogTest, StartUpLoadsTheRotationInSequentialOrderOrWithShuffle) {
  struct Case {
    bool rnd, shuffle;
    Paths expected;
  } cases[] = {
      {false, false, {"/A/0", "/A/1"}},
      {true, true, {"/A/1", "/A/0"}},  // shuffled by the scripted draws
      {true, false, {"restored"}},     // random order keeps the list read from the file
  };
  {
    makePics();
    addGroup("A", 2);
    pics.reset();
  }
  for (const Case& c : cases) {
    core.settings().Category = "A";
    core.settings().RB_Seq = !c.rnd;
    core.settings().RB_Rnd = c.rnd;
    core.settings().Shuffle = c.shuffle;
    core.Pictures() = {"restored"};
    random = testing::ScriptedRandom({1, 1});
    makePics();
    EXPECT_EQ(core.Pictures(), c.expected);
    pics.reset();
  }
}

TEST_F(GroupDialogTest, PreviewShowsTheCurrentPicture) {
  Bitmap24 bmp;
  ASSERT_TRUE(bmp.resize(40, 20));
  bmp.fill(0, 0, 255);
  const std::string red = dir.file("red.bmp");
  ASSERT_TRUE(SaveBmp24(bmp, red));
  makePics();
  addGroup("A");
  chosen = {QString::fromStdString(red), QString::fromStdString(dir.file("missing.jpg"))};
  pics->show();
  click("ButtonPictureAdd");
  EXPECT_TRUE(pics->previewImage().isNull());  // the last one, missing
  EXPECT_EQ(pics->pictureInfoText(), QStringLiteral("0 x 0 pix"));

  pics->PMP_FirstClick();
  ASSERT_FALSE(pics->previewImage().isNull());
  EXPECT_EQ(pics->previewImage().size(), QSize(40, 20));
  EXPECT_EQ(pics->previewImage().pixelColor(5, 5), QColor(255, 0, 0));
  EXPECT_EQ(pics->pictureInfoText(), QStringLiteral("40 x 20 pix"));
}

TEST_F(GroupDialogTest, DamagedLibraryShowsTheErrorAndEndsTheProgram) {
  std::mt19937 bytes(7);
  std::string noise(4096, '\0');
  for (char& b : noise) b = static_cast<char>(bytes() & 0xff);
  for (const std::string& content :
       {std::string(), noise, std::string("SQLite format 3") + noise}) {
    SCOPED_TRACE(content.size());
    box.errors.clear();
    exits = 0;
    WriteFile(dir.file("Lumeno.sdb"), content);
    makePics();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_EQ(box.errors[0], "[" + dir.file("") + "Lumeno.sdb] が読めません");
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(pics->databaseOpen());
    EXPECT_EQ(ReadFile(dir.file("Lumeno.sdb")), content);  // left as it was
    // The library is not there: the rotation finds nothing, and the dialog still opens.
    core.LoadPictures();
    EXPECT_TRUE(core.Pictures().empty());
    pics->show();
    click("ButtonPictureAdd");
    pics->hide();
    pics.reset();
  }
}

// The rotation's reading through the picture cursor.
TEST_F(GroupDialogTest, RotationReadsThroughTheSharedCursor) {
  makePics();
  addGroup("Old", 2);
  addGroup("New", 2);
  addGroup("Old", 1);  // a second group of the same name
  PictureDatabase& db = pics->database();
  db.MoveCategory(PictureDatabase::Direction::Up);
  db.MoveCategory(PictureDatabase::Direction::Up);  // shown first, created last
  pics->show();
  std::vector<bool> showPicWhileReading;
  LibraryRotation rotation(db, [&](bool suspended) { showPicWhileReading.push_back(suspended); });

  EXPECT_EQ(rotation.RotationPaths(true, ""),
            (Paths{"/Old/0", "/Old/1", "/New/0", "/New/1", "/Old/0"}));
  EXPECT_FALSE(db.filtered());
  EXPECT_EQ(db.currentPictureRow(), 4);  // the walk ends on the last row
  EXPECT_EQ(control<QTableView>("DBGridPictures")->model()->rowCount(), 5);

  // By name: the first group of that name in display order, which becomes selected.
  EXPECT_EQ(rotation.RotationPaths(false, "Old"), (Paths{"/Old/0"}));
  EXPECT_EQ(db.currentCategoryRow(), 0);
  EXPECT_EQ(db.pictureFilter(), "category_id=" + std::to_string(db.Category_id()));

  EXPECT_TRUE(rotation.RotationPaths(false, "nothing").empty());
  EXPECT_EQ(db.currentCategoryRow(), 2);  // the walk stopped on the last group
  EXPECT_EQ(showPicWhileReading, (std::vector<bool>{true, false, true, false, true, false}));
}

}  // namespace
}  // namespace tapestra::test
