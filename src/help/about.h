// The about box: the product, its version and what it is for.
#pragma once

class QDialog;
class QWidget;

namespace tarvolin::help {

// The about box, not yet shown (the caller owns it).
QDialog* makeAboutDialog(QWidget* parent);

// Shows the about box and waits until it is closed.
void showAbout(QWidget* parent);

}  // namespace tarvolin::help
