#include "app/UnitMain.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSystemTrayIcon>
#include <iostream>

#include "app/Configuration.h"
#include "app/TrayIcons.h"
#include "platform/DataFolder.h"
#include "platform/PictureFileDialog.h"

namespace tapestra {

TFormMain::TFormMain(WallpaperChanger& changer, const Clock& clock, Random& random)
    : core_(clock, random, messageBox_, changer, widgets_) {
  setObjectName(QStringLiteral("FormMain"));
  ImageList1[0] = MakeTrayIcon(0);
  ImageList1[1] = MakeTrayIcon(1);
  buildMenu();

  TrayIcon1 = new QSystemTrayIcon(ImageList1[0], this);
  TrayIcon1->setToolTip(QStringLiteral("Tapestra"));
  TrayIcon1->setContextMenu(PM);
  connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::DoubleClick) TrayIcon1DblClick();
  });
  showTrayWhenAvailable();

  const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  const std::string appData = GetAppDataPath();
  // An installer would have made our folder; later writers only recreate its last level.
  PrepareDataFolder(DataFolderIn(appData));
  core_.LoadConfiguration(appData, (exe + QStringLiteral(".ini")).toStdString());
  // Said now rather than at the first write: without the folder there is no library either.
  if (!EnsureFolder(core_.settings().INIPath)) messageBox_.error(FolderErrorMessage(core_.settings().INIPath));
  showMenuState();

  Timer1.setInterval(500);
  connect(&Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
}

TFormMain::~TFormMain() = default;

void TFormMain::StartSchedule() {
  core_.StartSchedule();
  showMenuState();
  Timer1.start();
}

void TFormMain::FormDestroy() { core_.WriteIni(); }

QAction* TFormMain::addItem(const char* name, const QString& caption, void (TFormMain::*handler)(),
                            bool checkable) {
  QAction* action = PM->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setCheckable(checkable);
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void TFormMain::buildMenu() {
  PM = new QMenu(this);
  PM->setObjectName(QStringLiteral("PM"));
  PM_Auto = addItem("PM_Auto", QStringLiteral("オートチェンジ On/Off"), &TFormMain::PM_AutoClick, true);
  PM_Prev = addItem("PM_Prev", QStringLiteral("前画像"), &TFormMain::PM_PrevClick);
  PM_Next = addItem("PM_Next", QStringLiteral("次画像"), &TFormMain::PM_NextClick);
  PM->addSeparator()->setObjectName(QStringLiteral("N3"));
  addItem("PM_WPR", QStringLiteral("壁紙読込"), &TFormMain::PM_WPRClick);
  PM->addSeparator()->setObjectName(QStringLiteral("N4"));
  addItem("PM_Group", QStringLiteral("壁紙グループ設定"), &TFormMain::PM_GroupClick);
  addItem("PM_Change", QStringLiteral("オートチェンジ設定"), &TFormMain::PM_ChangeClick);
  addItem("PM_Set", QStringLiteral("表示設定"), &TFormMain::PM_SetClick);
  PM->addSeparator()->setObjectName(QStringLiteral("N2"));
  PM_Show_Calendar = addItem("PM_Show_Calendar", QStringLiteral("カレンダー"),
                             &TFormMain::PM_Show_CalendarClick, true);
  PM_Move_Calendar = addItem("PM_Move_Calendar", QStringLiteral("カレンダー移動"),
                             &TFormMain::PM_Move_CalendarClick, true);
  PM->addSeparator()->setObjectName(QStringLiteral("N1"));
  PM_Show_Clock = addItem("PM_Show_Clock", QStringLiteral("クロック"), &TFormMain::PM_Show_ClockClick, true);
  PM_Move_Clock = addItem("PM_Move_Clock", QStringLiteral("クロック移動"), &TFormMain::PM_Move_ClockClick, true);
  PM->addSeparator()->setObjectName(QStringLiteral("N5"));
  addItem("PM_Version", QStringLiteral("バージョン"), &TFormMain::PM_VersionClick);
  addItem("PM_Exit", QStringLiteral("終了"), &TFormMain::PM_ExitClick);
}

// The menu shows the core's states; a click never toggles a check mark by itself.
void TFormMain::showMenuState() {
  const MenuState& m = core_.menu();
  PM_Auto->setChecked(m.PM_Auto);
  PM_Prev->setEnabled(m.PM_Prev);
  PM_Next->setEnabled(m.PM_Next);
  PM_Show_Calendar->setChecked(m.PM_Show_Calendar);
  PM_Move_Calendar->setEnabled(m.PM_Move_Calendar_Enabled);
  PM_Move_Calendar->setChecked(m.PM_Move_Calendar);
  PM_Show_Clock->setChecked(m.PM_Show_Clock);
  PM_Move_Clock->setEnabled(m.PM_Move_Clock_Enabled);
  PM_Move_Clock->setChecked(m.PM_Move_Clock);
  TrayIcon1->setIcon(ImageList1[m.TrayIconIndex == 1 ? 1 : 0]);
}

// Without a tray host (none started yet at login) the icon would be lost: keep running and
// show it as soon as a tray appears.
void TFormMain::showTrayWhenAvailable() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    TrayIcon1->show();
    return;
  }
  std::cerr << "tapestra: no system tray is available yet; the icon appears when one starts\n";
  trayWatch_.setInterval(1000);
  connect(&trayWatch_, &QTimer::timeout, this, [this] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    trayWatch_.stop();
    TrayIcon1->hide();
    TrayIcon1->show();
  });
  trayWatch_.start();
}

void TFormMain::Timer1Timer() {
  core_.Timer1Timer();
  showMenuState();
}

void TFormMain::PM_AutoClick() {
  Timer1.stop();
  core_.PM_AutoClick();
  showMenuState();
  Timer1.start();
}

void TFormMain::PM_PrevClick() {
  core_.PM_PrevClick();
  showMenuState();
}

void TFormMain::PM_NextClick() {
  core_.PM_NextClick();
  showMenuState();
}

void TFormMain::PM_WPRClick() {
  const QString file = ChoosePictureFile(nullptr);
  if (file.isEmpty()) return;
  core_.LoadWallpaperByHand(file.toStdString());
  showMenuState();
}
void TFormMain::PM_GroupClick() {
  if (FormPics != nullptr) FormPics->exec();
  showMenuState();
}

void TFormMain::PM_ChangeClick() {
  if (FormAuto != nullptr) FormAuto->exec();
  showMenuState();
}

void TFormMain::PM_SetClick() {}
void TFormMain::PM_Show_CalendarClick() { showMenuState(); }
void TFormMain::PM_Move_CalendarClick() { showMenuState(); }
void TFormMain::PM_Show_ClockClick() { showMenuState(); }
void TFormMain::PM_Move_ClockClick() { showMenuState(); }
void TFormMain::TrayIcon1DblClick() {}

void TFormMain::PM_VersionClick() {
  messageBox_.information(std::string("<Tapestra>") + "(64bit) " + "ver. 0.2.6 (January 2021)" +
                          "\n" + "デスクトップの壁紙・カレンダー・時計");
}

void TFormMain::PM_ExitClick() {
  core_.PM_ExitClick();
  Timer1.stop();
  close();
  QCoreApplication::quit();
}

}  // namespace tapestra
