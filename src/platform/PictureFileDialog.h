#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tapestra {

// The file-type filter of the open-picture dialogs: every format LoadPicture reads.
QString PictureFileFilter();

// The platform's open-picture dialog; an empty result means cancelled.
QString ChoosePictureFile(QWidget* parent);
QStringList ChoosePictureFiles(QWidget* parent);

}  // namespace tapestra
