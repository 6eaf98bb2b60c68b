// The debugger's call-stack window: while the game is stopped at a line, the
// calls in progress (innermost first) and, for the chosen one, its fourteen
// variables, which may be changed before the game goes on. The run state and
// the rules for a typed value are the emulator control's; this window only
// shows them and passes the user's edits on.
#pragma once

#include <QDockWidget>
#include <vector>

#include "script/interpreter.h"

class QLabel;
class QTableWidget;
class QTableWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvolin {
class EmulatorControl;
class Host;
class Workbench;
}  // namespace tarvolin

namespace tarvolin::shell {

class CallStackDock : public QDockWidget {
  Q_OBJECT

 public:
  // Columns of the variable table.
  enum VariableColumn { NameColumn, ValueColumn, HexColumn };

  CallStackDock(Workbench& bench, EmulatorControl& control, Host& host, QWidget* parent = nullptr);

  // Shows the run as it is now. Cheap when nothing changed (one look at the
  // run state while frames run), so it may be called on every state change.
  void refresh();

  QTreeWidget* frameList() const { return frames_; }
  QTableWidget* variableTable() const { return variables_; }
  // The line over the lists: "(en ejecución)", where the game stopped ...
  QString stateText() const;
  // Depth of the frame whose variables show (0: the entry point); -1 none.
  int selectedDepth() const;
  // Whether a variable of the shown frame changed since the stop before.
  bool variableChanged(int slot) const;

 signals:
  // A frame was double-clicked: its script and 1-based line.
  void openPlace(const QString& script, int line);

 private:
  enum class Shown { Unknown, NoRun, Running, Stopped };
  void showRunning();
  void showStack(std::vector<script::StackFrameView> stack);
  void showVariables();
  void frameActivated(QTreeWidgetItem* item);
  void variableEdited(QTableWidgetItem* item);
  QString scriptName(int document) const;

  Workbench& bench_;
  EmulatorControl& control_;
  Host& host_;
  QLabel* state_ = nullptr;
  QTreeWidget* frames_ = nullptr;
  QTableWidget* variables_ = nullptr;
  Shown shown_ = Shown::Unknown;
  std::vector<script::StackFrameView> stack_;   // what the lists show, bottom first
  std::vector<script::StackFrameView> before_;  // the stop before, for the changed values
  bool filling_ = false;                       // the lists are being filled, not edited
  bool editable_ = false;                      // the run takes new values now
  bool project_ = false;                       // a project was open
  bool failed_ = false;                        // the run shown ended in an error
};

}  // namespace tarvolin::shell
