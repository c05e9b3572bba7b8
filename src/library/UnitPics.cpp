#include "library/UnitPics.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <utility>

#include "library/PicturesModels.h"
#include "library/PlatformPictureDatabase.h"
#include "library/ReportErrors.h"
#include "platform/Bitmap24.h"
#include "platform/DataFolder.h"
#include "platform/PictureDecoder.h"
#include "platform/PictureFileDialog.h"

namespace tapestra {

// The preview: the picture scaled to fit, proportions kept, centred.
class PicturePreview final : public QWidget {
 public:
  explicit PicturePreview(QWidget* parent) : QWidget(parent) {
    setMinimumSize(64, 48);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }
  void setImage(const QImage& image) {
    image_ = image;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QSize size = image_.size();
    size.scale(this->size(), Qt::KeepAspectRatio);
    const QRect target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                       size.height());
    painter.drawImage(target, image_);
  }

 private:
  QImage image_;
};

namespace {

QImage ToImage(const Bitmap24& bmp) {
  if (bmp.empty()) return {};
  return QImage(bmp.data(), bmp.width(), bmp.height(), static_cast<qsizetype>(bmp.stride()),
                QImage::Format_BGR888)
      .copy();
}

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

QToolButton* ArrowButton(const char* name, Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setArrowType(arrow);
  button->setAutoRaise(false);
  return button;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  // The style's default button width would make the window wider than 660 pixels.
  button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 20);
  return button;
}

QTableView* Grid(const char* name, QWidget* parent) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(QString::fromLatin1(name));
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->verticalHeader()->hide();
  // Fixed row heights keep a grid over 100 000 rows from measuring any of them.
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->setWordWrap(false);
  grid->setTextElideMode(Qt::ElideLeft);
  return grid;
}

}  // namespace

TFormPics::TFormPics(AppCore& core, MessageBox& box, std::function<void()> exitApp,
                     std::function<void()> menuChanged, QWidget* parent)
    : QDialog(parent),
      chooseFiles(ChoosePictureFiles),
      core_(core),
      box_(box),
      exitApp_(std::move(exitApp)),
      menuChanged_(std::move(menuChanged)),
      db_(PlatformPictureDatabaseOptions()),
      rotation_(db_, [this](bool suspended) { ShowPic = !suspended; }) {
  setObjectName(QStringLiteral("FormPics"));
  setWindowTitle(QStringLiteral("壁紙グループ"));
  setModal(true);
  categoriesModel_ = std::make_unique<CategoriesModel>(db_);
  picturesModel_ = std::make_unique<PicturesModel>(db_);
  buildControls();
  resize(660, 522);
  FormCreate();
}

TFormPics::~TFormPics() {
  core_.SetLibrary(nullptr);
  db_.setListener(nullptr);
  // The views must let go of the models before these are destroyed.
  DBGridCategories->setModel(nullptr);
  DBGridPictures->setModel(nullptr);
}

void TFormPics::buildControls() {
  // Left: the groups.
  auto* left = new QWidget(this);
  left->setObjectName(QStringLiteral("PanelCategories"));
  Label1 = new QLabel(QStringLiteral("イメージグループ"), left);
  Label1->setObjectName(QStringLiteral("Label1"));
  DBGridCategories = Grid("DBGridCategories", left);
  DBGridCategories->setModel(categoriesModel_.get());
  DBGridCategories->horizontalHeader()->setStretchLastSection(true);
  EditCategory = new QLineEdit(left);
  EditCategory->setObjectName(QStringLiteral("EditCategory"));
  SpeedButtonCategoryUp = ArrowButton("SpeedButtonCategoryUp", Qt::UpArrow, left);
  SpeedButtonCategoryDn = ArrowButton("SpeedButtonCategoryDn", Qt::DownArrow, left);
  ButtonCategoryAdd = Button("ButtonCategoryAdd", "追加", left);
  ButtonCategoryUpd = Button("ButtonCategoryUpd", "更新", left);
  ButtonCategoryDel = Button("ButtonCategoryDel", "削除", left);
  auto* categoryButtons = new QHBoxLayout;
  categoryButtons->addWidget(SpeedButtonCategoryUp);
  categoryButtons->addWidget(SpeedButtonCategoryDn);
  categoryButtons->addStretch(1);
  categoryButtons->addWidget(ButtonCategoryAdd);
  categoryButtons->addWidget(ButtonCategoryUpd);
  categoryButtons->addWidget(ButtonCategoryDel);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(Label1);
  leftLayout->addWidget(DBGridCategories, 1);
  leftLayout->addWidget(EditCategory);
  leftLayout->addLayout(categoryButtons);

  // Right, top: the pictures of the selected group.
  auto* pictures = new QWidget(this);
  pictures->setObjectName(QStringLiteral("PanelPictures"));
  Label2 = new QLabel(QStringLiteral("イメージ"), pictures);
  Label2->setObjectName(QStringLiteral("Label2"));
  DBGridPictures = Grid("DBGridPictures", pictures);
  DBGridPictures->setModel(picturesModel_.get());
  QHeaderView* columns = DBGridPictures->horizontalHeader();
  columns->setSectionResizeMode(PicturesModel::PathColumn, QHeaderView::Stretch);
  columns->setSectionResizeMode(PicturesModel::EnabledColumn, QHeaderView::Fixed);
  columns->resizeSection(PicturesModel::EnabledColumn, 48);
  auto* picturesLayout = new QVBoxLayout(pictures);
  picturesLayout->setContentsMargins(0, 0, 0, 0);
  picturesLayout->addWidget(Label2);
  picturesLayout->addWidget(DBGridPictures, 1);

  // Right, bottom: buttons, the size read-out and the preview.
  auto* previewArea = new QWidget(this);
  previewArea->setObjectName(QStringLiteral("PanelPicture"));
  ButtonPictureAdd = Button("ButtonPictureAdd", "追加", previewArea);
  ButtonPictureDel = Button("ButtonPictureDel", "削除", previewArea);
  SpeedButtonPictureUp = ArrowButton("SpeedButtonPictureUp", Qt::UpArrow, previewArea);
  SpeedButtonPictureDn = ArrowButton("SpeedButtonPictureDn", Qt::DownArrow, previewArea);
  ButtonPictureEnable = Button("ButtonPictureEnable", "有効・無効", previewArea);
  LabelPictureInfo = new QLabel(previewArea);
  LabelPictureInfo->setObjectName(QStringLiteral("LabelPictureInfo"));
  LabelPictureInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ImagePicture = new PicturePreview(previewArea);
  ImagePicture->setObjectName(QStringLiteral("ImagePicture"));
  auto* pictureButtons = new QHBoxLayout;
  pictureButtons->addWidget(ButtonPictureAdd);
  pictureButtons->addWidget(ButtonPictureDel);
  pictureButtons->addWidget(SpeedButtonPictureUp);
  pictureButtons->addWidget(SpeedButtonPictureDn);
  pictureButtons->addWidget(ButtonPictureEnable);
  pictureButtons->addWidget(LabelPictureInfo, 1);
  auto* previewLayout = new QVBoxLayout(previewArea);
  previewLayout->setContentsMargins(0, 0, 0, 0);
  previewLayout->addLayout(pictureButtons);
  previewLayout->addWidget(ImagePicture, 1);

  Splitter2 = new QSplitter(Qt::Vertical, this);
  Splitter2->setObjectName(QStringLiteral("Splitter2"));
  Splitter2->addWidget(pictures);
  Splitter2->addWidget(previewArea);
  Splitter2->setChildrenCollapsible(false);
  Splitter2->setSizes({230, 220});
  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->addWidget(left);
  Splitter1->addWidget(Splitter2);
  Splitter1->setChildrenCollapsible(false);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({230, 430});

  // The bar along the bottom.
  ButtonClose = Button("ButtonClose", "クローズ", this);
  auto* bar = new QHBoxLayout;
  bar->addStretch(1);
  bar->addWidget(ButtonClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(Splitter1, 1);
  layout->addLayout(bar);

  PMP = new QMenu(this);
  PMP->setObjectName(QStringLiteral("PMP"));
  const auto item = [this](const char* name, const char* caption, void (TFormPics::*handler)()) {
    QAction* action = PMP->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this,
            [this, handler] { ReportErrors(box_, [&] { (this->*handler)(); }); });
    addAction(action);
    return action;
  };
  PMP_First = item("PMP_First", "先頭へ", &TFormPics::PMP_FirstClick);
  PMP_Last = item("PMP_Last", "末尾へ", &TFormPics::PMP_LastClick);
  PMP->addSeparator()->setObjectName(QStringLiteral("N1"));
  PMP_CheckAvailable =
      item("PMP_CheckAvailable", "イメージ存在チェック", &TFormPics::PMP_CheckAvailableClick);
  PMP_DisableErase =
      item("PMP_DisableErase", "無効イメージ消去", &TFormPics::PMP_DisableEraseClick);
  PMP_AllErase = item("PMP_AllErase", "全イメージ消去", &TFormPics::PMP_AllEraseClick);

  const auto onClick = [this](QAbstractButton* button, void (TFormPics::*handler)()) {
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { ReportErrors(box_, [&] { (this->*handler)(); }); });
  };
  onClick(ButtonCategoryAdd, &TFormPics::ButtonCategoryAddClick);
  onClick(ButtonCategoryUpd, &TFormPics::ButtonCategoryUpdClick);
  onClick(ButtonCategoryDel, &TFormPics::ButtonCategoryDelClick);
  onClick(SpeedButtonCategoryUp, &TFormPics::SpeedButtonCategoryUpClick);
  onClick(SpeedButtonCategoryDn, &TFormPics::SpeedButtonCategoryDnClick);
  onClick(ButtonPictureAdd, &TFormPics::ButtonPictureAddClick);
  onClick(ButtonPictureDel, &TFormPics::ButtonPictureDelClick);
  onClick(SpeedButtonPictureUp, &TFormPics::SpeedButtonPictureUpClick);
  onClick(SpeedButtonPictureDn, &TFormPics::SpeedButtonPictureDnClick);
  onClick(ButtonPictureEnable, &TFormPics::ButtonPictureEnableClick);
  onClick(ButtonClose, &TFormPics::ButtonCloseClick);

  // The grids' current rows drive the cursors; the cursors' moves come back through the
  // listener and are shown without feeding back.
  connect(DBGridCategories->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (syncingViews_ || !current.isValid()) return;
            ReportErrors(box_, [&] { db_.SelectCategory(current.row()); });
          });
  connect(DBGridPictures->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (syncingViews_ || !current.isValid()) return;
            ReportErrors(box_, [&] { db_.SelectPicture(current.row()); });
          });
  connect(DBGridCategories, &QTableView::clicked, this,
          [this] { ReportErrors(box_, [&] { DBGridCategoriesCellClick(); }); });
  connect(DBGridPictures, &QTableView::clicked, this,
          [this] { ReportErrors(box_, [&] { DBGridPicturesCellClick(); }); });
  connect(DBGridPictures, &QTableView::doubleClicked, this,
          [this] { ReportErrors(box_, [&] { DBGridPicturesDblClick(); }); });
}

void TFormPics::FormCreate() {
  // Without a data folder there is no library to open or create: the main window has shown
  // the folder error, and the program runs without a library.
  if (!EnsureFolder(core_.settings().INIPath)) return;
  const std::string path = core_.settings().INIPath + "Lumeno.sdb";
  if (!db_.Open(path)) {
    box_.error(DatabaseOpenErrorText(path));
    if (exitApp_) exitApp_();
    return;
  }
  db_.setListener(this);
  categoriesModel_->reset();
  picturesModel_->reset();
  showCategoryCursor();
  showPictureCursor();
  core_.SetLibrary(&rotation_);
  const auto current = db_.currentCategory();
  EditCategory->setText(current ? QString::fromStdString(current->name) : QString());
  LabelPictureInfo->clear();
  const Settings& s = core_.settings();
  if (s.RB_Seq || s.Shuffle) {
    ReportErrors(box_, [&] { core_.LoadPictures(); });
  }
}

void TFormPics::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) ReportErrors(box_, [&] { FormShow(); });
}

void TFormPics::contextMenuEvent(QContextMenuEvent* event) {
  PMP->popup(event->globalPos());
  event->accept();
}

void TFormPics::FormShow() {
  raise();
  activateWindow();
  if (!db_.isOpen()) return;
  // The preview is decoded once, below, not also by the reopen.
  ShowPic = false;
  db_.FilterPictures(db_.Category_id());
  ShowPic = true;
  previewPath_.clear();
  ShowPicture(currentPath());
  showPictureCount();
}

void TFormPics::ButtonCloseClick() {
  accept();
}

QString TFormPics::pictureInfoText() const {
  return LabelPictureInfo->text();
}

std::string TFormPics::currentPath() const {
  const auto current = db_.currentPicture();
  return current ? current->path : std::string();
}

bool TFormPics::isActiveGroup() const {
  const auto current = db_.currentCategory();
  return current && current->name == core_.settings().Category;
}

void TFormPics::turnAutoChangeOff() {
  core_.TurnAutoChangeOff();
  if (menuChanged_) menuChanged_();
}

void TFormPics::showPictureCount() {
  LabelPictureInfo->setText(QStringLiteral("Pictures: %1.").arg(db_.pictureCount()));
}

// Reloads the rotation, whose walk over the picture cursor leaves it on the last row, and then
// puts the cursor back on the picture the user was working on, so that a second click acts on
// the same picture and not on the last one.
void TFormPics::reloadRotationKeeping(std::optional<RowId> picture) {
  core_.LoadPictures();
  if (!picture) return;
  const int row = db_.pictureRowOf(*picture);
  if (row >= 0) db_.SelectPicture(row);
}

// --- Groups ---------------------------------------------------------------------------------

void TFormPics::ButtonCategoryAddClick() {
  db_.AddCategory(EditCategory->text().toStdString());
}

void TFormPics::ButtonCategoryUpdClick() {
  db_.UpdateCategory(EditCategory->text().toStdString());
}

void TFormPics::ButtonCategoryDelClick() {
  if (db_.categoryCount() == 0) return;
  if (isActiveGroup()) {
    Settings& s = core_.settings();
    s.Category.clear();
    core_.Pictures().clear();
    s.CurrentPictureNo = 0;
    turnAutoChangeOff();
  }
  ShowPicture("");
  db_.DeleteCategory();
}

void TFormPics::DBGridCategoriesCellClick() {
  // With one group a click does not move the cursor, so the scroll handler does not run.
  if (db_.categoryCount() > 1) return;
  const auto current = db_.currentCategory();
  if (current) EditCategory->setText(QString::fromStdString(current->name));
}

void TFormPics::FDTableCategoriesAfterScroll() {
  const auto current = db_.currentCategory();
  EditCategory->setText(current ? QString::fromStdString(current->name) : QString());
  const auto first = db_.pictureAt(0);
  ShowPicture(first ? first->path : std::string());
  showPictureCount();
}

void TFormPics::SpeedButtonCategoryUpClick() {
  db_.MoveCategory(PictureDatabase::Direction::Up);
}

void TFormPics::SpeedButtonCategoryDnClick() {
  db_.MoveCategory(PictureDatabase::Direction::Down);
}

// --- Pictures -------------------------------------------------------------------------------

void TFormPics::DBGridPicturesCellClick() {
  LabelPictureInfo->setText(QString::fromStdString(db_.GetPictureInfo(currentPath())));
}

void TFormPics::DBGridPicturesDblClick() {
  const auto current = db_.currentPicture();
  if (!current) return;
  core_.ShowPictureNow(current->path);
  if (menuChanged_) menuChanged_();
}

void TFormPics::ButtonPictureAddClick() {
  if (db_.categoryCount() == 0) return;
  const QStringList files = chooseFiles ? chooseFiles(this) : QStringList();
  if (files.isEmpty()) return;
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(files.size()));
  for (const QString& file : files) paths.push_back(file.toStdString());
  ShowPic = false;
  try {
    db_.AppendPictures(paths);
    if (isActiveGroup()) core_.LoadPictures();
  } catch (...) {
    ShowPic = true;
    throw;
  }
  ShowPic = true;
  PMP_LastClick();
}

void TFormPics::ButtonPictureDelClick() {
  if (!db_.DeletePicture()) return;
  if (!isActiveGroup()) return;
  const auto next = db_.currentPicture();
  reloadRotationKeeping(next ? std::optional<RowId>(next->id) : std::nullopt);
}

void TFormPics::ButtonPictureEnableClick() {
  const auto toggled = db_.currentPicture();
  if (!toggled || !db_.TogglePictureEnabled()) return;
  if (!isActiveGroup()) return;
  ShowPic = false;
  try {
    core_.LoadPictures();
  } catch (...) {
    ShowPic = true;
    throw;
  }
  ShowPic = true;
  const int row = db_.pictureRowOf(toggled->id);
  if (row >= 0) db_.SelectPicture(row);
}

void TFormPics::FDTablePicturesAfterScroll() {
  if (ShowPic) ShowPicture(currentPath());
}

void TFormPics::SpeedButtonPictureUpClick() { movePicture(PictureDatabase::Direction::Up); }

void TFormPics::SpeedButtonPictureDnClick() { movePicture(PictureDatabase::Direction::Down); }

// The moved picture is taken before the move: a failed read afterwards must not leave us
// without it.
void TFormPics::movePicture(PictureDatabase::Direction direction) {
  const auto moved = db_.currentPicture();
  if (!moved || !db_.MovePicture(direction)) return;
  if (isActiveGroup()) reloadRotationKeeping(moved->id);
}

void TFormPics::PMP_FirstClick() {
  if (db_.pictureCount() == 0) return;
  if (db_.currentPictureRow() == 0) {
    FDTablePicturesAfterScroll();
  } else {
    db_.SelectPicture(0);
  }
  DBGridPicturesCellClick();
}

void TFormPics::PMP_LastClick() {
  if (db_.pictureCount() == 0) return;
  const int last = db_.pictureCount() - 1;
  // Already there (the rotation's walk ends on the last row): show it all the same.
  if (db_.currentPictureRow() == last) {
    FDTablePicturesAfterScroll();
  } else {
    db_.SelectPicture(last);
  }
  DBGridPicturesCellClick();
}

void TFormPics::PMP_CheckAvailableClick() {
  DBGridPictures->hide();
  try {
    db_.CheckAvailable();
  } catch (...) {
    DBGridPictures->show();
    throw;
  }
  DBGridPictures->show();
}

void TFormPics::PMP_DisableEraseClick() {
  db_.DisableErase();
}

void TFormPics::PMP_AllEraseClick() {
  db_.AllErase();
  ShowPicture("");
  if (isActiveGroup()) {
    core_.Pictures().clear();
    core_.settings().CurrentPictureNo = 0;
    turnAutoChangeOff();
  }
}

// --- Preview --------------------------------------------------------------------------------

void TFormPics::ShowPicture(const std::string& path) {
  LabelPictureInfo->clear();
  if (IsBlank(path)) {
    previewPath_.clear();
    previewImage_ = QImage();
  } else if (path != previewPath_ || previewImage_.isNull()) {
    previewPath_.clear();
    previewImage_ = QImage();
    // A hidden dialog decodes nothing: FormShow previews the current picture anyway.
    if (isVisible()) {
      try {
        const qreal ratio = devicePixelRatioF();
        const int w = static_cast<int>(std::max(ImagePicture->width(), 640) * ratio);
        const int h = static_cast<int>(std::max(ImagePicture->height(), 480) * ratio);
        Bitmap24 bmp;
        LoadPictureScaled(path, w, h, bmp);
        previewImage_ = ToImage(bmp);
        previewPath_ = path;
      } catch (...) {
        previewImage_ = QImage();
      }
    }
  }
  ImagePicture->setImage(previewImage_);
  ImagePicture->repaint();
}

// --- Keeping the views on the cursors --------------------------------------------------------

void TFormPics::showCategoryCursor() {
  syncingViews_ = true;
  const int row = db_.currentCategoryRow();
  if (row >= 0) {
    const QModelIndex index = categoriesModel_->index(row, 0);
    DBGridCategories->setCurrentIndex(index);
    DBGridCategories->scrollTo(index);
  } else {
    DBGridCategories->clearSelection();
  }
  syncingViews_ = false;
}

void TFormPics::showPictureCursor() {
  syncingViews_ = true;
  const int row = db_.currentPictureRow();
  if (row >= 0) {
    const QModelIndex index = picturesModel_->index(row, PicturesModel::PathColumn);
    DBGridPictures->setCurrentIndex(index);
    DBGridPictures->scrollTo(index);
  } else {
    DBGridPictures->clearSelection();
  }
  syncingViews_ = false;
}

void TFormPics::categoriesReset() {
  categoriesModel_->reset();
  showCategoryCursor();
}

void TFormPics::categoryRowsChanged(int first, int last) {
  categoriesModel_->rowsChanged(first, last);
}

void TFormPics::categoryScrolled() {
  showCategoryCursor();
  FDTableCategoriesAfterScroll();
}

void TFormPics::picturesReset() {
  picturesModel_->reset();
  showPictureCursor();
}

void TFormPics::pictureRowsChanged(int first, int last) {
  picturesModel_->rowsChanged(first, last);
}

void TFormPics::pictureScrolled() {
  showPictureCursor();
  FDTablePicturesAfterScroll();
}

}  // namespace tapestra
