#include "editor/edit_status.h"

#include <QFontDatabase>

namespace tarvolin::editor {

EditStatus::EditStatus(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("EditStatus"));
  // "MS Sans Serif" where it exists, the system's sans-serif otherwise.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  setFont(font);
  setTextFormat(Qt::PlainText);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setMinimumHeight(fontMetrics().height() + 6);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setContentsMargins(4, 1, 4, 1);
}

}  // namespace tarvolin::editor
