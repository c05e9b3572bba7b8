// The auto-change dialog: what takes effect at once, what only through the close button, and
// the schedule it restarts.

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "DialogFixture.h"
#include "app/Configuration.h"
#include "app/Scheduler.h"
#include "library/UnitAuto.h"
#include "platform/IniFile.h"

namespace tapestra::test {
namespace {

class AutoDialogTest : public DialogTest {
 public:  // the table of cases drives the controls
  TFormAuto& makeAuto() {
    if (!pics) makePics();
    form = std::make_unique<TFormAuto>(core, box, pics->database());
    return *form;
  }
  template <class T>
  T* control(const char* name) {
    T* widget = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QComboBox* groups() { return control<QComboBox>("ComboBoxCategories"); }
  void setSpin(const char* name, int value) { control<QSpinBox>(name)->setValue(value); }
  void close() { control<QPushButton>("ButtonClose")->click(); }
  QAction* action(const char* name) { return form->findChild<QAction*>(QString::fromLatin1(name)); }
  IniFile ini() const { return IniFile(dir.file("Tapestra.ini")); }

  std::unique_ptr<TFormAuto> form;
};

TEST_F(AutoDialogTest, IntervalOfZeroIsRefusedAndNothingIsApplied) {
  makeAuto();
  form->show();
  control<QRadioButton>("RadioButtonInt")->setChecked(true);
  control<QRadioButton>("RadioButtonRnd")->setChecked(true);
  setSpin("SpinEditH", 0);
  setSpin("SpinEditM", 0);
  close();
  EXPECT_EQ(box.warnings,
            (std::vector<std::string>{"張替タイミング(指定時間後)が指定されていません"}));
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(core.settings().RB_Int);
  EXPECT_TRUE(core.settings().RB_Seq);
  EXPECT_EQ(core.settings().IntH, 1);
  EXPECT_EQ(core.NextChangeTime(), 0);
  EXPECT_FALSE(ini().hasSection("Auto"));
}

TEST_F(AutoDialogTest, CloseButtonAppliesStoresAndRestartsTheSchedule) {
  using testing::At;
  struct Case {
    const char* name;
    void (*setUp)(Settings&);
    void (*edit)(AutoDialogTest&);
    TDateTime expected;
  } cases[] = {
      {"interval 0 h 5 m", [](Settings&) {},
       [](AutoDialogTest& t) {
         t.control<QRadioButton>("RadioButtonInt")->setChecked(true);
         t.setSpin("SpinEditH", 0);
         t.setSpin("SpinEditM", 5);
       },
       At(2024, 5, 17, 10, 25, 0)},
      {"daily 07:30 already passed",
       [](Settings& s) {
         s.RB_OS = false;
         s.RB_Day = true;
         s.DayH = 7;
         s.DayM = 30;
       },
       [](AutoDialogTest&) {}, At(2024, 5, 18, 7, 30, 0)},
      {"daily 23:05 still ahead", [](Settings&) {},
       [](AutoDialogTest& t) {
         t.control<QRadioButton>("RadioButtonDay")->setChecked(true);
         t.setSpin("SpinEditDayH", 23);
         t.setSpin("SpinEditDayM", 5);
       },
       At(2024, 5, 17, 23, 5, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    core.settings() = Settings{};
    core.settings().INIPath = dir.file("");
    core.settings().INIFile = "Tapestra.ini";
    c.setUp(core.settings());
    makeAuto();
    form->show();
    c.edit(*this);
    close();
    EXPECT_TRUE(box.warnings.empty());
    EXPECT_FALSE(form->isVisible());
    EXPECT_NEAR(core.NextChangeTime(), c.expected, 1e-9);
    // Section Auto holds what the model now holds, keys in their order.
    IniFile expected("");
    WriteAutoSection(expected, core.settings());
    EXPECT_EQ(ini().readSection("Auto"), expected.readSection("Auto"));
  }
  EXPECT_TRUE(core.settings().RB_Day);
  EXPECT_EQ(core.settings().DayH, 23);
}

TEST_F(AutoDialogTest, FormShowFillsTheControlsFromTheModel) {
  makePics();
  addGroup("A", 1);
  addGroup("Same", 2);
  addGroup("B");
  addGroup("Same", 3);
  Settings& s = core.settings();
  s.Category = "Same";
  s.RB_Seq = false;
  s.RB_Rnd = true;
  s.Shuffle = true;
  s.RB_OS = false;
  s.RB_Day = true;
  s.DayH = 7;
  s.DayM = 30;
  s.CB_Omit = true;
  s.FM_H = 22;
  s.TO_M = 45;
  makeAuto();
  form->show();
  ASSERT_EQ(groups()->count(), 4);
  EXPECT_EQ(groups()->currentIndex(), 3);  // the later of the two groups named "Same"
  EXPECT_TRUE(control<QRadioButton>("RadioButtonRnd")->isChecked());
  EXPECT_TRUE(control<QRadioButton>("RadioButtonDay")->isChecked());
  EXPECT_FALSE(control<QRadioButton>("RadioButtonOS")->isChecked());
  EXPECT_EQ(control<QSpinBox>("SpinEditDayH")->value(), 7);
  EXPECT_EQ(control<QSpinBox>("SpinEditDayM")->value(), 30);
  EXPECT_EQ(control<QSpinBox>("SpinEditFmH")->value(), 22);
  EXPECT_EQ(control<QSpinBox>("SpinEditToM")->value(), 45);
  EXPECT_EQ(control<QSpinBox>("SpinEditH")->maximum(), 168);
  EXPECT_EQ(control<QSpinBox>("SpinEditDayH")->maximum(), 23);
  // Filling the list picks nothing, and the group cursor is back on the first group.
  EXPECT_EQ(s.Category, "Same");
  EXPECT_EQ(pics->database().currentCategoryRow(), 0);
}

TEST_F(AutoDialogTest, SeveralTimingFlagsShowAndKeepTheModeInForce) {
  makePics();
  addGroup("A", 1);
  Settings& s = core.settings();
  s.Category = "A";
  s.RB_Hr = true;  // added by hand, "ChangeOS=1" left standing
  s.RB_OS = true;
  makeAuto();
  form->show();
  EXPECT_TRUE(control<QRadioButton>("RadioButtonHr")->isChecked());
  EXPECT_FALSE(control<QRadioButton>("RadioButtonOS")->isChecked());
  close();
  EXPECT_TRUE(s.RB_Hr);
  EXPECT_FALSE(s.RB_OS);
  EXPECT_EQ(DecidingMode(s), TimingMode::Hourly);

  // No flag at all: no button stays checked from the last opening.
  s.RB_Hr = false;
  form->show();
  for (const char* name : {"RadioButtonHr", "RadioButtonOS", "RadioButton10min",
                           "RadioButton30min", "RadioButtonInt", "RadioButtonDay"}) {
    EXPECT_FALSE(control<QRadioButton>(name)->isChecked()) << name;
  }
}

TEST_F(AutoDialogTest, PickingAGroupOrAllGroupsRestartsTheRotationAtOnce) {
  makePics();
  addGroup("A", 2);
  addGroup("B", 3);
  core.settings().AllCategories = true;
  core.settings().CurrentPictureNo = 2;
  makeAuto();
  form->show();
  groups()->setCurrentIndex(1);  // as a pick from the list does
  EXPECT_EQ(core.settings().Category, "B");
  EXPECT_FALSE(core.settings().AllCategories);
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  EXPECT_EQ(core.Pictures(), (Paths{"/B/0", "/B/1", "/B/2"}));

  core.settings().CurrentPictureNo = 1;
  form->PMAPopup();
  EXPECT_FALSE(action("PMA_AllCategories")->isChecked());
  action("PMA_AllCategories")->trigger();
  EXPECT_TRUE(core.settings().AllCategories);
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  EXPECT_EQ(core.Pictures(), (Paths{"/A/0", "/A/1", "/B/0", "/B/1", "/B/2"}));
  action("PMA_AllCategories")->trigger();
  EXPECT_FALSE(core.settings().AllCategories);
  EXPECT_EQ(core.Pictures(), (Paths{"/B/0", "/B/1", "/B/2"}));

  // The window's close box keeps the group choice but applies none of the other controls.
  control<QRadioButton>("RadioButtonHr")->setChecked(true);
  form->close();
  EXPECT_FALSE(core.settings().RB_Hr);
  EXPECT_EQ(core.settings().Category, "B");
  EXPECT_EQ(core.NextChangeTime(), 0);
  EXPECT_FALSE(ini().hasSection("Auto"));
}

TEST_F(AutoDialogTest, ShuffleFollowsTheModelsOrderNotTheButton) {
  makePics();
  addGroup("A", 3);
  core.settings().Category = "A";
  makeAuto();
  form->show();
  control<QRadioButton>("RadioButtonRnd")->setChecked(true);
  form->PMAPopup();
  EXPECT_FALSE(action("PMA_Shuffle")->isEnabled());

  core.settings().RB_Seq = false;
  core.settings().RB_Rnd = true;
  core.settings().CurrentPictureNo = 2;
  form->PMAPopup();
  EXPECT_TRUE(action("PMA_Shuffle")->isEnabled());
  random = testing::ScriptedRandom({2, 2, 2, 0, 0, 0});
  action("PMA_Shuffle")->trigger();
  // LoadPictures shuffles once (draws 2,2,2 give 2,0,1), the command once more (0,0,0).
  EXPECT_EQ(core.Pictures(), (Paths{"/A/1", "/A/2", "/A/0"}));
  EXPECT_EQ(random.seeds, 2);
  EXPECT_EQ(core.settings().CurrentPictureNo, 2);
}

TEST_F(AutoDialogTest, ClosingWithoutAChosenGroupTakesTheSelectedOne) {
  makePics();
  makeAuto();
  form->show();
  close();  // an empty list: nothing to take
  EXPECT_EQ(core.settings().Category, "");
  EXPECT_TRUE(ini().hasSection("Auto"));

  addGroup("A", 1);
  addGroup("B", 2);
  core.settings().CurrentPictureNo = 1;
  form->show();
  close();
  EXPECT_EQ(core.settings().Category, "A");
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  EXPECT_EQ(core.Pictures(), (Paths{"/A/0"}));
  EXPECT_EQ(ini().readString("Auto", "Category", "?"), "A");
}

}  // namespace
}  // namespace tapestra::test
