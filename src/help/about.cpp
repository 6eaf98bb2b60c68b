#include "help/about.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStyle>

namespace tarvolin::help {

QDialog* makeAboutDialog(QWidget* parent) {
  auto* box = new QMessageBox(parent);
  box->setWindowTitle(QStringLiteral("Acerca de Tarvolin Studio"));
  box->setTextFormat(Qt::RichText);
  const QIcon icon = QApplication::windowIcon();
  box->setIconPixmap(!icon.isNull() ? icon.pixmap(64, 64)
                                    : box->style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64));
  box->setText(QStringLiteral("<h3>Tarvolin Studio %1</h3>"
                              "<p>Entorno para crear juegos de Game Boy Advance sin escribir código máquina: "
                              "guiones en su propio lenguaje, recursos del proyecto, un emulador de la pantalla "
                              "de la consola con depurador, y proyectos compartidos en un servidor.</p>")
                   .arg(QStringLiteral(TARVOLIN_VERSION)));
  box->setInformativeText(QStringLiteral("<p>Pulsa F1 para abrir la Guía de Usuario.</p>"
                                         "<p>Construido con Qt %1, QScintilla, SDL2, libpng y zlib.</p>")
                              .arg(QString::fromLatin1(qVersion())));
  box->setStandardButtons(QMessageBox::Ok);
  box->button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
  return box;
}

void showAbout(QWidget* parent) {
  QDialog* box = makeAboutDialog(parent);
  box->exec();
  delete box;
}

}  // namespace tarvolin::help
