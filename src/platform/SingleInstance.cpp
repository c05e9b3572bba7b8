#include "platform/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

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

bool SingleInstance::acquire() { return lock_->tryLock(0); }

}  // namespace tapestra
