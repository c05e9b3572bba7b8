#pragma once

#include <QObject>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/AppCore.h"
#include "app/DesktopWidgetsStub.h"
#include "platform/MessageBoxQt.h"

class QAction;
class QDialog;
class QMenu;
class QSystemTrayIcon;

namespace tapestra {

// The hidden main window: owns the tray icon, its menu, the main timer and the logic core.
class TFormMain : public QWidget {
 public:
  // Runs the creation steps: tray icon, data folder, configuration, menu states.
  TFormMain(WallpaperChanger& changer, const Clock& clock, Random& random);
  ~TFormMain() override;

  // The auto-change part of start-up, once the library is loaded; then the timer runs.
  void StartSchedule();
  // Writes Main and Pictures; the program entry calls it while the windows are destroyed.
  void FormDestroy();

  AppCore& core() { return core_; }
  MessageBox& messageBox() { return messageBox_; }
  QMenu* menu() const { return PM; }
  // The dialogs the tray opens modally; made after the main window.
  void setDialogs(QDialog* pics, QDialog* autoChange) {
    FormPics = pics;
    FormAuto = autoChange;
  }
  // Shows the core's check marks, enabled states and tray image.
  void showMenuState();

  void PM_AutoClick();
  void PM_PrevClick();
  void PM_NextClick();
  void PM_WPRClick();
  void PM_GroupClick();
  void PM_ChangeClick();
  void PM_SetClick();
  void PM_Show_CalendarClick();
  void PM_Move_CalendarClick();
  void PM_Show_ClockClick();
  void PM_Move_ClockClick();
  void PM_VersionClick();
  void PM_ExitClick();
  void Timer1Timer();
  void TrayIcon1DblClick();

 private:
  void buildMenu();
  QAction* addItem(const char* name, const QString& caption, void (TFormMain::*handler)(),
                   bool checkable = false);
  void showTrayWhenAvailable();

  QtMessageBox messageBox_;
  DesktopWidgetsStub widgets_;
  AppCore core_;

  QSystemTrayIcon* TrayIcon1 = nullptr;
  QIcon ImageList1[2];
  QMenu* PM = nullptr;
  QAction* PM_Auto = nullptr;
  QAction* PM_Prev = nullptr;
  QAction* PM_Next = nullptr;
  QAction* PM_Show_Calendar = nullptr;
  QAction* PM_Move_Calendar = nullptr;
  QAction* PM_Show_Clock = nullptr;
  QAction* PM_Move_Clock = nullptr;
  QDialog* FormPics = nullptr;
  QDialog* FormAuto = nullptr;
  QTimer Timer1;
  QTimer trayWatch_;
};

}  // namespace tapestra
