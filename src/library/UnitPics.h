#pragma once

// The wallpaper group dialog: groups on the left, the selected group's pictures on the right
// with a preview and a size read-out, and a popup menu of bulk operations. It owns the picture
// library (connection and both cursors) for the whole run; the rotation, the auto-change
// dialog and the information dialog reach the library through it.

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/AppCore.h"
#include "library/LibraryRotation.h"
#include "library/PictureDatabase.h"
#include "platform/MessageBox.h"

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;

namespace tapestra {

class CategoriesModel;
class PicturesModel;
class PicturePreview;

class TFormPics final : public QDialog, private PictureDatabase::Listener {
 public:
  // Runs FormCreate: opens INIPath + "Lumeno.sdb". When it cannot be opened, the error box
  // "[<path>] が読めません" is shown and exitApp is called; the dialog then stays without a
  // library (databaseOpen() false). menuChanged is called whenever a handler has turned
  // auto-change off, so the tray can show the new state.
  TFormPics(AppCore& core, MessageBox& box, std::function<void()> exitApp,
            std::function<void()> menuChanged, QWidget* parent = nullptr);
  ~TFormPics() override;

  bool databaseOpen() const { return db_.isOpen(); }
  PictureDatabase& database() { return db_; }
  const PictureDatabase& database() const { return db_; }
  RowId Category_id() const { return db_.Category_id(); }

  // The file dialog of the add button; tests replace it. An empty list means cancelled.
  std::function<QStringList(QWidget*)> chooseFiles;

  // While false, moving the picture cursor does not refresh the preview.
  bool ShowPic = false;

  // The picture shown in the preview (null when cleared), and the info label's text.
  const QImage& previewImage() const { return previewImage_; }
  QString pictureInfoText() const;

  // --- Handlers (the controls call them; public so the tray and tests can drive them) ----
  void FormShow();
  void ButtonCloseClick();
  void ButtonCategoryAddClick();
  void ButtonCategoryUpdClick();
  void ButtonCategoryDelClick();
  void DBGridCategoriesCellClick();
  void FDTableCategoriesAfterScroll();
  void SpeedButtonCategoryUpClick();
  void SpeedButtonCategoryDnClick();
  void DBGridPicturesCellClick();
  void DBGridPicturesDblClick();
  void ButtonPictureAddClick();
  void ButtonPictureDelClick();
  void ButtonPictureEnableClick();
  void FDTablePicturesAfterScroll();
  void SpeedButtonPictureUpClick();
  void SpeedButtonPictureDnClick();
  void PMP_FirstClick();
  void PMP_LastClick();
  void PMP_CheckAvailableClick();
  void PMP_DisableEraseClick();
  void PMP_AllEraseClick();

  // Shows the file in the preview, decoded at about the preview's size; an empty path or a
  // file that cannot be read clears it. Clears the info label.
  void ShowPicture(const std::string& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void FormCreate();
  void buildControls();
  bool isActiveGroup() const;
  void turnAutoChangeOff();
  void movePicture(PictureDatabase::Direction direction);
  void reloadRotationKeeping(std::optional<RowId> picture);
  void showPictureCount();
  void showCategoryCursor();
  void showPictureCursor();
  std::string currentPath() const;

  // PictureDatabase::Listener
  void categoriesReset() override;
  void categoryRowsChanged(int first, int last) override;
  void categoryScrolled() override;
  void picturesReset() override;
  void pictureRowsChanged(int first, int last) override;
  void pictureScrolled() override;

  AppCore& core_;
  MessageBox& box_;
  std::function<void()> exitApp_;
  std::function<void()> menuChanged_;
  PictureDatabase db_;
  LibraryRotation rotation_;
  std::unique_ptr<CategoriesModel> categoriesModel_;
  std::unique_ptr<PicturesModel> picturesModel_;
  bool syncingViews_ = false;
  QImage previewImage_;
  std::string previewPath_;  // the file previewImage_ was decoded from

  QSplitter* Splitter1 = nullptr;
  QSplitter* Splitter2 = nullptr;
  QLabel* Label1 = nullptr;
  QTableView* DBGridCategories = nullptr;
  QLineEdit* EditCategory = nullptr;
  QToolButton* SpeedButtonCategoryUp = nullptr;
  QToolButton* SpeedButtonCategoryDn = nullptr;
  QPushButton* ButtonCategoryAdd = nullptr;
  QPushButton* ButtonCategoryUpd = nullptr;
  QPushButton* ButtonCategoryDel = nullptr;
  QLabel* Label2 = nullptr;
  QTableView* DBGridPictures = nullptr;
  PicturePreview* ImagePicture = nullptr;
  QLabel* LabelPictureInfo = nullptr;
  QPushButton* ButtonPictureAdd = nullptr;
  QPushButton* ButtonPictureDel = nullptr;
  QToolButton* SpeedButtonPictureUp = nullptr;
  QToolButton* SpeedButtonPictureDn = nullptr;
  QPushButton* ButtonPictureEnable = nullptr;
  QPushButton* ButtonClose = nullptr;
  QMenu* PMP = nullptr;
  QAction* PMP_First = nullptr;
  QAction* PMP_Last = nullptr;
  QAction* PMP_CheckAvailable = nullptr;
  QAction* PMP_DisableErase = nullptr;
  QAction* PMP_AllErase = nullptr;
};

}  // namespace tapestra
