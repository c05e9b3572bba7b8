#include "library/UnitAuto.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <exception>

#include "app/Configuration.h"
#include "app/Scheduler.h"
#include "library/ReportErrors.h"

namespace tapestra {

namespace {

QRadioButton* Radio(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QRadioButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QSpinBox* Spin(const char* name, int maximum, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(0, maximum);
  spin->setMinimumWidth(48);
  return spin;
}

QLabel* Unit(const char* text, QWidget* parent) {
  return new QLabel(QString::fromUtf8(text), parent);
}

// "<spin> h <spin> <unit>" after an indent, below the radio button it belongs to.
QHBoxLayout* TimeRow(int indent, QSpinBox* hours, QSpinBox* minutes, const char* minuteUnit,
                     QWidget* parent) {
  auto* row = new QHBoxLayout;
  row->addSpacing(indent);
  row->addWidget(hours);
  row->addWidget(Unit("h", parent));
  row->addWidget(minutes);
  row->addWidget(Unit(minuteUnit, parent));
  row->addStretch(1);
  return row;
}

}  // namespace

TFormAuto::TFormAuto(AppCore& core, MessageBox& box, PictureDatabase& db, QWidget* parent)
    : QDialog(parent), core_(core), box_(box), db_(db) {
  setObjectName(QStringLiteral("FormAuto"));
  setWindowTitle(QStringLiteral("オートチェンジ"));
  setModal(true);
  buildControls();
  resize(290, 435);
}

void TFormAuto::buildControls() {
  Label1 = new QLabel(QStringLiteral("壁紙グループ"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  ComboBoxCategories = new QComboBox(this);
  ComboBoxCategories->setObjectName(QStringLiteral("ComboBoxCategories"));
  ComboBoxCategories->setEditable(false);

  GroupBox1 = new QGroupBox(QStringLiteral("表示順序"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  RadioButtonSeq = Radio("RadioButtonSeq", "シーケンシャル", GroupBox1);
  RadioButtonRnd = Radio("RadioButtonRnd", "ランダム", GroupBox1);
  CheckBoxShuffle = new QCheckBox(QStringLiteral("起動時にシャッフル"), GroupBox1);
  CheckBoxShuffle->setObjectName(QStringLiteral("CheckBoxShuffle"));
  orderButtons_ = new QButtonGroup(this);
  orderButtons_->addButton(RadioButtonSeq);
  orderButtons_->addButton(RadioButtonRnd);
  auto* order = new QGridLayout(GroupBox1);
  order->setContentsMargins(8, 4, 8, 4);
  order->setVerticalSpacing(4);
  order->addWidget(RadioButtonSeq, 0, 0);
  order->addWidget(RadioButtonRnd, 1, 0);
  order->addWidget(CheckBoxShuffle, 1, 1);
  order->setColumnStretch(1, 1);

  GroupBox2 = new QGroupBox(QStringLiteral("張替タイミング"), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  RadioButtonHr = Radio("RadioButtonHr", "毎正時", GroupBox2);
  RadioButtonOS = Radio("RadioButtonOS", "OS 起動時", GroupBox2);
  RadioButton10min = Radio("RadioButton10min", "毎正時,10分", GroupBox2);
  RadioButton30min = Radio("RadioButton30min", "毎正時,30分", GroupBox2);
  RadioButtonInt = Radio("RadioButtonInt", "指定時間後", GroupBox2);
  SpinEditH = Spin("SpinEditH", 168, GroupBox2);
  SpinEditM = Spin("SpinEditM", 59, GroupBox2);
  RadioButtonDay = Radio("RadioButtonDay", "毎日定時", GroupBox2);
  SpinEditDayH = Spin("SpinEditDayH", 23, GroupBox2);
  SpinEditDayM = Spin("SpinEditDayM", 59, GroupBox2);
  timingButtons_ = new QButtonGroup(this);
  for (QRadioButton* button : {RadioButtonHr, RadioButtonOS, RadioButton10min, RadioButton30min,
                               RadioButtonInt, RadioButtonDay}) {
    timingButtons_->addButton(button);
  }
  auto* timing = new QGridLayout(GroupBox2);
  timing->setContentsMargins(8, 4, 8, 4);
  timing->setVerticalSpacing(4);
  timing->addWidget(RadioButtonHr, 0, 0);
  timing->addWidget(RadioButtonOS, 0, 1);
  timing->addWidget(RadioButton10min, 1, 0);
  timing->addWidget(RadioButton30min, 1, 1);
  timing->addWidget(RadioButtonInt, 2, 0);
  timing->addLayout(TimeRow(0, SpinEditH, SpinEditM, "m", GroupBox2), 2, 1);
  timing->addWidget(RadioButtonDay, 3, 0);
  timing->addLayout(TimeRow(0, SpinEditDayH, SpinEditDayM, "m", GroupBox2), 3, 1);

  CheckBoxOmit = new QCheckBox(QStringLiteral("張替禁止時間"), this);
  CheckBoxOmit->setObjectName(QStringLiteral("CheckBoxOmit"));
  SpinEditFmH = Spin("SpinEditFmH", 23, this);
  SpinEditFmM = Spin("SpinEditFmM", 59, this);
  SpinEditToH = Spin("SpinEditToH", 23, this);
  SpinEditToM = Spin("SpinEditToM", 59, this);

  ButtonClose = new QPushButton(QStringLiteral("クローズ"), this);
  ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
  ButtonClose->setAutoDefault(false);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(ButtonClose);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(4);
  layout->addWidget(Label1);
  layout->addWidget(ComboBoxCategories);
  layout->addWidget(GroupBox1);
  layout->addWidget(GroupBox2);
  layout->addWidget(CheckBoxOmit);
  layout->addLayout(TimeRow(20, SpinEditFmH, SpinEditFmM, "m から", this));
  layout->addLayout(TimeRow(20, SpinEditToH, SpinEditToM, "m まで", this));
  layout->addStretch(1);
  layout->addLayout(bottom);

  PMA = new QMenu(this);
  PMA->setObjectName(QStringLiteral("PMA"));
  PMA_Shuffle = PMA->addAction(QStringLiteral("シャッフル"));
  PMA_Shuffle->setObjectName(QStringLiteral("PMA_Shuffle"));
  PMA_AllCategories = PMA->addAction(QStringLiteral("全グループ対象"));
  PMA_AllCategories->setObjectName(QStringLiteral("PMA_AllCategories"));
  PMA_AllCategories->setCheckable(true);
  addAction(PMA_Shuffle);
  addAction(PMA_AllCategories);
  connect(PMA, &QMenu::aboutToShow, this, [this] { PMAPopup(); });

  const auto guarded = [this](void (TFormAuto::*handler)()) {
    return [this, handler] { ReportErrors(box_, [&] { (this->*handler)(); }); };
  };
  connect(PMA_Shuffle, &QAction::triggered, this, guarded(&TFormAuto::PMA_ShuffleClick));
  connect(PMA_AllCategories, &QAction::triggered, this,
          guarded(&TFormAuto::PMA_AllCategoriesClick));
  connect(ButtonClose, &QPushButton::clicked, this, guarded(&TFormAuto::ButtonCloseClick));
  connect(ComboBoxCategories, &QComboBox::currentIndexChanged, this,
          [this, call = guarded(&TFormAuto::ComboBoxCategoriesChange)] {
            if (!filling_) call();
          });
}

void TFormAuto::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFormAuto::contextMenuEvent(QContextMenuEvent* event) {
  PMA->popup(event->globalPos());
  event->accept();
}

void TFormAuto::FormShow() {
  raise();
  activateWindow();
  const Settings& s = core_.settings();

  filling_ = true;
  ComboBoxCategories->clear();
  int selected = 0;
  for (int row = 0; row < db_.categoryCount(); ++row) {
    const auto group = db_.categoryAt(row);
    const std::string name = group ? group->name : std::string();
    ComboBoxCategories->addItem(QString::fromStdString(name));
    if (name == s.Category) selected = row;  // the last of equal names wins
  }
  if (ComboBoxCategories->count() > 0) ComboBoxCategories->setCurrentIndex(selected);
  filling_ = false;
  // The walk over the groups ends back on the first one.
  db_.SelectCategory(0);

  RadioButtonSeq->setChecked(s.RB_Seq);
  RadioButtonRnd->setChecked(s.RB_Rnd);
  CheckBoxShuffle->setChecked(s.Shuffle);
  // A hand-edited file may set several timing flags (ChangeHr=1 added beside ChangeOS=1): the
  // button shown is the mode in force, the first true flag in the scheduler's order, so that
  // closing the dialog unchanged keeps it. The group stops excluding while it is filled, or a
  // button checked earlier could not be cleared.
  const TimingMode mode = DecidingMode(s);
  timingButtons_->setExclusive(false);
  RadioButtonHr->setChecked(mode == TimingMode::Hourly);
  RadioButton10min->setChecked(mode == TimingMode::Every10);
  RadioButton30min->setChecked(mode == TimingMode::Every30);
  RadioButtonOS->setChecked(mode == TimingMode::None && s.RB_OS);
  RadioButtonInt->setChecked(mode == TimingMode::Interval);
  RadioButtonDay->setChecked(mode == TimingMode::Daily);
  timingButtons_->setExclusive(true);
  SpinEditH->setValue(s.IntH);
  SpinEditM->setValue(s.IntM);
  SpinEditDayH->setValue(s.DayH);
  SpinEditDayM->setValue(s.DayM);
  CheckBoxOmit->setChecked(s.CB_Omit);
  SpinEditFmH->setValue(s.FM_H);
  SpinEditFmM->setValue(s.FM_M);
  SpinEditToH->setValue(s.TO_H);
  SpinEditToM->setValue(s.TO_M);
}

void TFormAuto::ComboBoxCategoriesChange() {
  Settings& s = core_.settings();
  PMA_AllCategories->setChecked(false);
  s.AllCategories = false;
  s.Category = ComboBoxCategories->currentText().toStdString();
  s.CurrentPictureNo = 0;
  core_.LoadPictures();
}

void TFormAuto::ButtonCloseClick() {
  if (RadioButtonInt->isChecked() && SpinEditH->value() == 0 && SpinEditM->value() == 0) {
    box_.warning("張替タイミング(指定時間後)が指定されていません");
    return;
  }
  Settings& s = core_.settings();
  s.RB_Seq = RadioButtonSeq->isChecked();
  s.RB_Rnd = RadioButtonRnd->isChecked();
  s.Shuffle = CheckBoxShuffle->isChecked();
  s.RB_Hr = RadioButtonHr->isChecked();
  s.RB_10 = RadioButton10min->isChecked();
  s.RB_30 = RadioButton30min->isChecked();
  s.RB_OS = RadioButtonOS->isChecked();
  s.RB_Int = RadioButtonInt->isChecked();
  s.IntH = SpinEditH->value();
  s.IntM = SpinEditM->value();
  s.RB_Day = RadioButtonDay->isChecked();
  s.DayH = SpinEditDayH->value();
  s.DayM = SpinEditDayM->value();
  s.CB_Omit = CheckBoxOmit->isChecked();
  s.FM_H = SpinEditFmH->value();
  s.FM_M = SpinEditFmM->value();
  s.TO_H = SpinEditToH->value();
  s.TO_M = SpinEditToM->value();
  // No group chosen yet: the one shown in the list. With an empty list there is none to take
  // and the rotation stays as it is.
  if (s.Category.empty() && ComboBoxCategories->currentIndex() >= 0) {
    s.Category = ComboBoxCategories->currentText().toStdString();
    s.CurrentPictureNo = 0;
    core_.LoadPictures();
  }
  core_.RestartSchedule();
  WriteIni();
  accept();
}

void TFormAuto::PMAPopup() {
  // The model's order, not the button the user may just have clicked in this dialog.
  PMA_Shuffle->setEnabled(core_.settings().RB_Rnd);
  PMA_AllCategories->setChecked(core_.settings().AllCategories);
}

void TFormAuto::PMA_AllCategoriesClick() {
  Settings& s = core_.settings();
  // The action has already inverted its check mark.
  s.AllCategories = PMA_AllCategories->isChecked();
  s.CurrentPictureNo = 0;
  core_.LoadPictures();
}

void TFormAuto::PMA_ShuffleClick() {
  core_.LoadPictures();
  core_.RandomizeList(core_.Pictures());
}

void TFormAuto::WriteIni() {
  const Settings& s = core_.settings();
  WriteConfiguration(s, box_, [&](IniFile& ini) { WriteAutoSection(ini, s); });
}

}  // namespace tapestra
