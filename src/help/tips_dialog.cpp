#include "help/tips_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tarvolin::help {

const QStringList& tips() {
  static const QStringList list{
      QStringLiteral("Pulsa <b>F1</b> en cualquier momento para abrir la Guía de Usuario. En la pestaña "
                     "<b>Buscar</b> encontrarás cualquier comando por su nombre, con sus operandos."),
      QStringLiteral("La línea de estado del editor muestra la firma del comando de la línea actual: qué "
                     "operandos espera y en qué orden. En una línea <code>Call</code> muestra la descripción de "
                     "la función llamada."),
      QStringLiteral("<b>F5</b> preprocesa el proyecto y pone el juego en marcha; otro <b>F5</b> lo detiene. "
                     "<b>Control-F5</b> lo ejecuta sin preprocesar."),
      QStringLiteral("<b>Ctrl-Espacio</b> pausa el juego y lo reanuda donde estaba, sin volver a ejecutar "
                     "<code>Initialise</code>."),
      QStringLiteral("<b>Ctrl-O</b> ejecuta un único cuadro del juego: la mejor forma de ver qué cambia de un "
                     "cuadro al siguiente."),
      QStringLiteral("<b>F9</b> pone o quita un punto de interrupción en la línea del cursor. Cuando el juego se "
                     "detiene allí, <b>F10</b> avanza una línea sin entrar en las llamadas, <b>F11</b> entra en la "
                     "función llamada y <b>Mayús+F11</b> ejecuta hasta terminar la función actual."),
      QStringLiteral("<b>Ctrl+F10</b> ejecuta el juego hasta llegar a la línea donde está el cursor del editor."),
      QStringLiteral("Con <b>Detenerse en un Error</b> (<b>F8</b>) el juego se para en el primer error, el mensaje "
                     "aparece en las notas y el editor salta a la línea que falló."),
      QStringLiteral("<code>Log</code> escribe una línea en las notas con el formato de printf: "
                     "<code>Log \"x=%d y=%d\" V_LV0 V_LV1</code>. Es la forma más rápida de ver qué hace tu "
                     "juego."),
      QStringLiteral("<code>Assert V_LV0 &lt; 10</code> detiene el juego si la condición no se cumple, aunque "
                     "<b>Detenerse en un Error</b> esté desactivado."),
      QStringLiteral("<b>Ctrl-Mayús-0</b> a <b>Ctrl-Mayús-5</b> escriben <code>V_LV0</code> a <code>V_LV5</code>; "
                     "<b>Ctrl-Mayús-6</b> a <b>9</b> escriben <code>V_EV0</code> a <code>V_EV3</code> y "
                     "<b>Ctrl-Alt-0</b> a <b>3</b> escriben <code>V_RV0</code> a <code>V_RV3</code>."),
      QStringLiteral("<b>Ctrl-Mayús-S</b> añade una línea separadora al guión y <b>Ctrl-Mayús-F</b> la cabecera "
                     "comentada de una función nueva."),
      QStringLiteral("<b>Ctrl+;</b> comenta o descomenta de una vez todas las líneas seleccionadas. La tecla se "
                     "cambia en la configuración de Tarvolin, pestaña <b>GBA Entrada</b>."),
      QStringLiteral("<b>Ctrl+[</b> y <b>Ctrl+]</b> llevan el cursor al principio y al final del bloque "
                     "<code>If</code> o <code>While</code> de la línea actual."),
      QStringLiteral("<b>Ctrl-F2</b> pone o quita un marcador en la línea actual; <b>F2</b> salta al siguiente y "
                     "<b>Mayús-F2</b> al anterior."),
      QStringLiteral("<b>Ctrl-J</b> busca un texto en todos los guiones del proyecto. Con un doble clic en un "
                     "resultado de las notas se abre su línea."),
      QStringLiteral("<b>F6</b> y <b>Mayús-F6</b> pasan de un guión abierto a otro; <b>F7</b> devuelve el foco "
                     "al editor y <b>Escape</b>, en el emulador, a la ventana principal."),
      QStringLiteral("Con la ventana del emulador activa, <b>Impr-Pant</b> guarda una foto de la pantalla: "
                     "dump00001.png, dump00002.png... en la carpeta del proyecto."),
      QStringLiteral("Las definiciones dan nombre a los números: <code>##VELOCIDAD 2</code> y después "
                     "<code>G_VAR00 += #VELOCIDAD</code>. Las que trae el programa empiezan por <code>#_</code>, "
                     "como <code>#_COL_256</code>."),
      QStringLiteral("Una función recibe sus cuatro primeros parámetros en <code>V_EV0</code>..<code>V_EV3</code> "
                     "y del quinto al décimo en <code>V_LV0</code>..<code>V_LV5</code>. <code>Return</code> "
                     "devuelve hasta cuatro valores en <code>V_RV0</code>..<code>V_RV3</code>."),
      QStringLiteral("<code>CallRet</code> llama a una función y, si esta devuelve 0, la función que llama "
                     "termina también en ese momento, devolviendo 0 a su vez."),
      QStringLiteral("La función <code>HBlankCB</code> se ejecuta después de cada línea de la pantalla, con el "
                     "número de línea en <code>V_EV0</code>, y <code>VBlankCB</code> después de la última: "
                     "ideales para ondas, degradados y cambios a mitad de pantalla."),
      QStringLiteral("El guión principal tiene 20000 líneas por cuadro. Si se acaban, el emulador muestra "
                     "&lt;Bucle&gt; y el cuadro siguiente continúa donde se quedó."),
      QStringLiteral("La herramienta <code>tarvolin</code> ejecuta un proyecto sin pantalla: "
                     "<code>tarvolin run juego.tvp --frames 60 --screenshot foto.png</code>. Sirve para probar "
                     "el juego de forma automática."),
      QStringLiteral("<b>Guardar Juego</b> (<b>Alt-S</b>) y <b>Cargar Juego</b> (<b>Alt-L</b>) guardan y "
                     "recuperan los 64 KB de memoria SRAM donde el juego guarda sus partidas."),
      QStringLiteral("Los nombres de comandos, variables y elementos del proyecto no distinguen mayúsculas: "
                     "<code>v_lv0 += 1</code> es lo mismo que <code>V_LV0 += 1</code>."),
      QStringLiteral("<code>V_LV0 -= 1</code> resta 1, pero <code>V_LV0 =- 1</code> guarda -1: "
                     "<code>=-</code> es el comando de negación. ¡Cuidado con el orden de los signos!"),
      QStringLiteral("El menú <b>Ventanas</b> muestra u oculta el emulador, el navegador de guiones, las notas y "
                     "cada barra de herramientas."),
  };
  return list;
}

TipsDialog::TipsDialog(project::ProgramSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("Sabías que..."));
  const int count = int(tips().size());
  current_ = ((settings.tipsDisplayId % count) + count) % count;

  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* title = new QLabel(QStringLiteral("¿Sabías que...?"), this);
  QFont big = title->font();
  big.setPointSizeF(big.pointSizeF() * 1.4);
  big.setBold(true);
  title->setFont(big);
  text_ = new QLabel(this);
  text_->setObjectName(QStringLiteral("tipText"));
  text_->setTextFormat(Qt::RichText);
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  text_->setMinimumSize(420, 110);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  counter_ = new QLabel(this);
  counter_->setAlignment(Qt::AlignRight);

  auto* body = new QVBoxLayout;
  body->addWidget(title);
  body->addWidget(text_, 1);
  body->addWidget(counter_);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addLayout(body, 1);

  startup_ = new QCheckBox(QStringLiteral("Mostrar un consejo al iniciar"), this);
  startup_->setChecked(settings.tipsShowStartup);
  auto* previous = new QPushButton(QStringLiteral("< &Anterior"), this);
  auto* next = new QPushButton(QStringLiteral("&Siguiente >"), this);
  auto* close = new QPushButton(QStringLiteral("&Cerrar"), this);
  previous->setObjectName(QStringLiteral("previousTip"));
  next->setObjectName(QStringLiteral("nextTip"));
  close->setDefault(true);
  connect(previous, &QPushButton::clicked, this, &TipsDialog::previous);
  connect(next, &QPushButton::clicked, this, &TipsDialog::next);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(startup_);
  buttons->addStretch(1);
  buttons->addWidget(previous);
  buttons->addWidget(next);
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(buttons);
  showTip();
}

QString TipsDialog::currentText() const { return tips()[current_]; }

void TipsDialog::next() {
  current_ = (current_ + 1) % int(tips().size());
  showTip();
}

void TipsDialog::previous() {
  const int count = int(tips().size());
  current_ = (current_ + count - 1) % count;
  showTip();
}

void TipsDialog::done(int result) {
  // However the window closes, the next start shows the tip after this one.
  settings_.tipsDisplayId = (current_ + 1) % int(tips().size());
  settings_.tipsShowStartup = startup_->isChecked();
  QDialog::done(result);
}

void TipsDialog::showTip() {
  text_->setText(tips()[current_]);
  counter_->setText(QStringLiteral("Consejo %1 de %2").arg(current_ + 1).arg(tips().size()));
}

}  // namespace tarvolin::help
