#pragma once

// The auto-change dialog: the group the rotation draws from, the order and the timing. A
// group picked, the all-groups switch and the shuffle command act at once; the order and
// timing controls act, are stored (section Auto) and restart the schedule only through the
// close button. The window's close box applies none of them.

#include <QDialog>

#include "app/AppCore.h"
#include "library/PictureDatabase.h"
#include "platform/MessageBox.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tapestra {

class TFormAuto final : public QDialog {
 public:
  // db is the library the group dialog owns (TFormPics::database()).
  TFormAuto(AppCore& core, MessageBox& box, PictureDatabase& db, QWidget* parent = nullptr);

  void FormShow();
  void ComboBoxCategoriesChange();
  void ButtonCloseClick();
  void PMAPopup();
  void PMA_AllCategoriesClick();
  void PMA_ShuffleClick();
  // Writes section Auto of the configuration file.
  void WriteIni();

 protected:
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void buildControls();

  AppCore& core_;
  MessageBox& box_;
  PictureDatabase& db_;
  bool filling_ = false;

  QLabel* Label1 = nullptr;
  QComboBox* ComboBoxCategories = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QRadioButton* RadioButtonSeq = nullptr;
  QRadioButton* RadioButtonRnd = nullptr;
  QCheckBox* CheckBoxShuffle = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QRadioButton* RadioButtonHr = nullptr;
  QRadioButton* RadioButtonOS = nullptr;
  QRadioButton* RadioButton10min = nullptr;
  QRadioButton* RadioButton30min = nullptr;
  QRadioButton* RadioButtonInt = nullptr;
  QSpinBox* SpinEditH = nullptr;
  QSpinBox* SpinEditM = nullptr;
  QRadioButton* RadioButtonDay = nullptr;
  QSpinBox* SpinEditDayH = nullptr;
  QSpinBox* SpinEditDayM = nullptr;
  QCheckBox* CheckBoxOmit = nullptr;
  QSpinBox* SpinEditFmH = nullptr;
  QSpinBox* SpinEditFmM = nullptr;
  QSpinBox* SpinEditToH = nullptr;
  QSpinBox* SpinEditToM = nullptr;
  QPushButton* ButtonClose = nullptr;
  QButtonGroup* orderButtons_ = nullptr;
  QButtonGroup* timingButtons_ = nullptr;
  QMenu* PMA = nullptr;
  QAction* PMA_Shuffle = nullptr;
  QAction* PMA_AllCategories = nullptr;
};

}  // namespace tapestra
