#include "platform/MessageBoxQt.h"

#include <QMessageBox>
#include <QString>

namespace tapestra {
namespace {

void Show(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButton button) {
  QMessageBox box(icon, QStringLiteral("Tapestra"), QString::fromStdString(text), button);
  box.exec();
}

}  // namespace

void QtMessageBox::error(const std::string& text) {
  Show(QMessageBox::Critical, text, QMessageBox::Abort);
}
void QtMessageBox::warning(const std::string& text) {
  Show(QMessageBox::Warning, text, QMessageBox::Ok);
}
void QtMessageBox::information(const std::string& text) {
  Show(QMessageBox::Information, text, QMessageBox::Ok);
}

}  // namespace tapestra
