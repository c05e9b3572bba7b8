#include "platform/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <iostream>

namespace tapestra {

SingleInstance::SingleInstance(const std::string& name) {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  lock_ = std::make_unique<QLockFile>(dir + QLatin1Char('/') + QString::fromStdString(name) +
                                      QStringLiteral(".lock"));
  // A lock left by a crashed process is taken over: QLockFile checks the owner's pid.
  lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
  if (lock_->tryLock(0)) return true;
  if (lock_->error() == QLockFile::LockFailedError) return false;
  // The lock could not even be made (no permission, no such folder): that is no second copy,
  // so run without the guard rather than end silently.
  std::cerr << "tapestra: cannot create the single-instance lock " << lock_->fileName().toStdString()
            << "; running without it\n";
  return true;
}

}  // namespace tapestra
