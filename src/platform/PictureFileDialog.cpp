#include "platform/PictureFileDialog.h"

#include <QFileDialog>
#include <QImageReader>
#include <QSet>

namespace tapestra {

QString PictureFileFilter() {
  // Our own decoders first, then whatever Qt's image plugins add.
  QStringList patterns{"*.bmp", "*.dib", "*.jpg", "*.jpeg", "*.jpe", "*.jfif", "*.gif", "*.png"};
  QSet<QString> seen(patterns.begin(), patterns.end());
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    if (!seen.contains(pattern)) {
      seen.insert(pattern);
      patterns << pattern;
    }
  }
  return QStringLiteral("画像ファイル (%1);;すべてのファイル (*)").arg(patterns.join(QLatin1Char(' ')));
}

QString ChoosePictureFile(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QString(), QString(), PictureFileFilter());
}

QStringList ChoosePictureFiles(QWidget* parent) {
  return QFileDialog::getOpenFileNames(parent, QString(), QString(), PictureFileFilter(), nullptr,
                                       QFileDialog::ReadOnly);
}

}  // namespace tapestra
