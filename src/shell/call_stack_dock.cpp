#include "shell/call_stack_dock.h"

#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QTableWidget>
#include <QTreeWidget>
#include <QSplitter>
#include <QVBoxLayout>

#include "common/host.h"
#include "workbench/emulator_control.h"
#include "workbench/frame_variables.h"
#include "workbench/workbench.h"

namespace tarvolin::shell {
namespace {

constexpr int kDepthRole = Qt::UserRole;

// What each variable is, for its tool-tip.
QString variableRole(int slot) {
  if (slot < script::kSlotRV0) return QStringLiteral("Parámetro pasado %1").arg(slot - script::kSlotEV0);
  if (slot < script::kSlotLV0) return QStringLiteral("Valor devuelto %1 por la última llamada").arg(slot - script::kSlotRV0);
  return QStringLiteral("Variable local %1").arg(slot - script::kSlotLV0);
}

QString hexText(std::int32_t value) {
  return QStringLiteral("0x") +
         QString::number(static_cast<std::uint32_t>(value), 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

bool sameStack(const std::vector<script::StackFrameView>& a, const std::vector<script::StackFrameView>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].function != b[i].function || a[i].script != b[i].script || a[i].line != b[i].line ||
        a[i].vars != b[i].vars)
      return false;
  return true;
}

// Whether two stacks stop at the same place with the same calls (the values
// may differ): the chosen frame is kept then.
bool samePlace(const std::vector<script::StackFrameView>& a, const std::vector<script::StackFrameView>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].function != b[i].function || a[i].script != b[i].script || a[i].line != b[i].line)
      return false;
  return true;
}

}  // namespace

CallStackDock::CallStackDock(Workbench& bench, EmulatorControl& control, Host& host, QWidget* parent)
    : QDockWidget(QStringLiteral("Pila de Llamadas"), parent), bench_(bench), control_(control), host_(host) {
  setObjectName(QStringLiteral("callStackDock"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);

  state_ = new QLabel(body);
  state_->setObjectName(QStringLiteral("callStackState"));
  state_->setWordWrap(true);
  layout->addWidget(state_);

  // The user sets how much room the calls and the variables take.
  auto* split = new QSplitter(Qt::Vertical, body);
  split->setChildrenCollapsible(false);
  frames_ = new QTreeWidget(split);
  frames_->setObjectName(QStringLiteral("callStackFrames"));
  frames_->setColumnCount(3);
  frames_->setHeaderLabels({QStringLiteral("Función"), QStringLiteral("Guión"), QStringLiteral("Línea")});
  frames_->setRootIsDecorated(false);
  frames_->setUniformRowHeights(true);
  frames_->setAllColumnsShowFocus(true);
  frames_->setSelectionMode(QAbstractItemView::SingleSelection);
  frames_->setToolTip(QStringLiteral("Llamadas en curso, la más reciente arriba. Doble clic: abre el guión en esa línea."));
  frames_->header()->setStretchLastSection(false);
  frames_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  frames_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  frames_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);

  variables_ = new QTableWidget(script::kFrameSlots, 3, split);
  variables_->setObjectName(QStringLiteral("callStackVariables"));
  variables_->setHorizontalHeaderLabels({QStringLiteral("Variable"), QStringLiteral("Valor"), QStringLiteral("Hex")});
  variables_->verticalHeader()->setVisible(false);
  // Rows as tight as the text, so that all fourteen fit in a small dock.
  variables_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  variables_->verticalHeader()->setDefaultSectionSize(variables_->fontMetrics().height() + 4);
  variables_->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::ResizeToContents);
  variables_->horizontalHeader()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
  variables_->horizontalHeader()->setSectionResizeMode(HexColumn, QHeaderView::ResizeToContents);
  variables_->setSelectionMode(QAbstractItemView::SingleSelection);
  variables_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
  for (int slot = 0; slot < script::kFrameSlots; ++slot) {
    auto* name = new QTableWidgetItem(QString::fromLatin1(FrameVariableName(slot).data(),
                                                          static_cast<int>(FrameVariableName(slot).size())));
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    name->setToolTip(variableRole(slot));
    variables_->setItem(slot, NameColumn, name);
    auto* value = new QTableWidgetItem();
    value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    variables_->setItem(slot, ValueColumn, value);
    auto* hex = new QTableWidgetItem();
    hex->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    hex->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    variables_->setItem(slot, HexColumn, hex);
  }
  split->addWidget(frames_);
  split->addWidget(variables_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 3);
  layout->addWidget(split, 1);
  setWidget(body);

  connect(frames_, &QTreeWidget::currentItemChanged, this, [this] {
    if (!filling_) showVariables();
  });
  connect(frames_, &QTreeWidget::itemActivated, this, &CallStackDock::frameActivated);
  connect(variables_, &QTableWidget::itemChanged, this, &CallStackDock::variableEdited);
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) refresh();
  });
  refresh();
}

QString CallStackDock::stateText() const { return state_->text(); }

int CallStackDock::selectedDepth() const {
  const QTreeWidgetItem* item = frames_->currentItem();
  return item ? item->data(0, kDepthRole).toInt() : -1;
}

bool CallStackDock::variableChanged(int slot) const {
  const QTableWidgetItem* value = variables_->item(slot, ValueColumn);
  return value && value->data(Qt::ForegroundRole).isValid();
}

QString CallStackDock::scriptName(int document) const {
  const script::ScriptDocuments& docs = bench_.scripts().documents();
  if (document < 0 || document >= docs.count()) return QString();
  return QString::fromStdString(docs.at(document).name());
}

void CallStackDock::refresh() {
  // Nothing is drawn for a window nobody sees; it catches up when shown.
  if (isHidden()) {
    shown_ = Shown::Unknown;
    return;
  }
  if (control_.wantsFrames()) {
    if (shown_ != Shown::Running) showRunning();
    return;
  }
  std::vector<script::StackFrameView> stack = control_.StoppedCallStack();
  const bool editable = control_.CanSetFrameVariables();
  const bool project = control_.HasProject();
  const bool failed = control_.status() == EmulatorStatus::Error;
  if (shown_ == Shown::Stopped && editable == editable_ && failed == failed_ && sameStack(stack, stack_))
    return;
  if (shown_ == Shown::NoRun && stack.empty() && project == project_) return;
  editable_ = editable;
  project_ = project;
  failed_ = failed;
  showStack(std::move(stack));
}

void CallStackDock::showRunning() {
  shown_ = Shown::Running;
  state_->setText(QStringLiteral("(en ejecución)"));
  // The last stop stays readable, greyed: the values change as frames run.
  frames_->setEnabled(false);
  variables_->setEnabled(false);
}

void CallStackDock::showStack(std::vector<script::StackFrameView> stack) {
  // The same calls at the same place keep the chosen frame: the stop read
  // again after an edit, or the same breakpoint reached again.
  const bool samePlaceAsBefore = samePlace(stack, stack_);
  const int chosen = samePlaceAsBefore ? selectedDepth() : -1;
  // Values are compared with the stop before this one; reading the same
  // stop again keeps that comparison.
  const bool newStop = shown_ != Shown::Stopped || !samePlaceAsBefore;
  if (newStop) before_ = std::move(stack_);
  stack_ = std::move(stack);
  filling_ = true;
  frames_->clear();
  QTreeWidgetItem* current = nullptr;
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
    auto* item = new QTreeWidgetItem(frames_);
    item->setText(0, it->function.empty() ? QStringLiteral("(principal)")
                                          : QString::fromStdString(it->function));
    if (it->function.empty()) item->setToolTip(0, QStringLiteral("El guión principal, fuera de toda función"));
    item->setText(1, scriptName(it->script));
    item->setText(2, QString::number(it->line + 1));
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, kDepthRole, it->depth);
    if (it == stack_.rbegin()) {
      QFont bold = item->font(0);
      bold.setBold(true);
      item->setFont(0, bold);
    }
    if (!current || it->depth == chosen) current = item;
  }
  if (current) frames_->setCurrentItem(current);
  filling_ = false;

  const bool stopped = !stack_.empty();
  shown_ = stopped ? Shown::Stopped : Shown::NoRun;
  frames_->setEnabled(stopped);
  variables_->setEnabled(stopped);
  if (stopped) {
    const script::StackFrameView& top = stack_.back();
    state_->setText((failed_ ? QStringLiteral("Error en %1, línea %2") : QStringLiteral("Detenido en %1, línea %2"))
                        .arg(scriptName(top.script))
                        .arg(top.line + 1));
  } else if (!project_) {
    state_->setText(QStringLiteral("(sin proyecto)"));
  } else {
    state_->setText(QStringLiteral("(ninguna llamada en curso)"));
  }
  showVariables();
}

void CallStackDock::showVariables() {
  const int depth = selectedDepth();
  const script::StackFrameView* frame = nullptr;
  for (const script::StackFrameView& f : stack_)
    if (f.depth == depth) frame = &f;
  const script::StackFrameView* before = nullptr;
  if (frame)
    for (const script::StackFrameView& f : before_)
      if (f.depth == depth && f.function == frame->function) before = &f;
  // Values may be changed only where the run can take them.
  const bool editable = frame && editable_;
  filling_ = true;
  for (int slot = 0; slot < script::kFrameSlots; ++slot) {
    QTableWidgetItem* value = variables_->item(slot, ValueColumn);
    QTableWidgetItem* hex = variables_->item(slot, HexColumn);
    if (!frame) {
      value->setText(QString());
      hex->setText(QString());
    } else {
      const std::int32_t v = frame->vars[static_cast<std::size_t>(slot)];
      value->setText(QString::number(v));
      hex->setText(hexText(v));
    }
    const bool changed = frame && before && before->vars[static_cast<std::size_t>(slot)] != frame->vars[static_cast<std::size_t>(slot)];
    for (QTableWidgetItem* item : {value, hex})
      item->setData(Qt::ForegroundRole, changed ? QVariant(QColor(0xc0, 0x20, 0x20)) : QVariant());
    value->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                             : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QString tip = editable ? QStringLiteral("Doble clic para cambiar el valor (decimal o 0x hexadecimal)") : QString();
    if (changed) tip = QStringLiteral("Cambió desde la parada anterior. ") + tip;
    value->setToolTip(tip.trimmed());
  }
  filling_ = false;
}

void CallStackDock::frameActivated(QTreeWidgetItem* item) {
  if (!item) return;
  const int depth = item->data(0, kDepthRole).toInt();
  for (const script::StackFrameView& f : stack_) {
    if (f.depth != depth) continue;
    const QString name = scriptName(f.script);
    if (!name.isEmpty() && f.line >= 0) emit openPlace(name, f.line + 1);
  }
}

void CallStackDock::variableEdited(QTableWidgetItem* item) {
  if (filling_ || !item || item->column() != ValueColumn) return;
  const int slot = item->row();
  const int depth = selectedDepth();
  std::string why;
  if (!control_.SetFrameVariable(depth, slot, item->text().toStdString(), &why)) {
    // The value stays as it was; the reason is shown once the edit is over.
    filling_ = true;
    for (const script::StackFrameView& f : stack_)
      if (f.depth == depth) item->setText(QString::number(f.vars[static_cast<std::size_t>(slot)]));
    filling_ = false;
    QMetaObject::invokeMethod(
        this, [this, why] { host_.messageBox("Tarvolin", why, MessageButtons::Ok, MessageAnswer::Ok); },
        Qt::QueuedConnection);
    return;
  }
  // Show what the run now holds (a typed 0x10 reads back as 16).
  QMetaObject::invokeMethod(this, [this] { refresh(); }, Qt::QueuedConnection);
}

}  // namespace tarvolin::shell
