#include <QStandardPaths>

#include "platform/DataFolder.h"

namespace tapestra {

std::string GetAppDataPath() {
  // GenericConfigLocation is $XDG_CONFIG_HOME on Linux and the roaming AppData on Windows.
  QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (path.isEmpty()) return {};
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  return path.toStdString();
}

}  // namespace tapestra
