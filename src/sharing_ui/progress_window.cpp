#include "sharing_ui/progress_window.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "sharing/client.h"

namespace tarvolin::sharing_ui {
namespace {

constexpr int kPollMs = 10;

// Runs a local event loop until the client has finished, calling `tick` on
// every poll.
template <typename Tick>
void pollUntilFinished(sharing::SharingClient& client, Tick tick) {
  if (client.finished()) return;
  QEventLoop loop;
  QTimer timer;
  timer.setInterval(kPollMs);
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    tick();
    if (client.finished()) loop.quit();
  });
  timer.start();
  loop.exec();
}

}  // namespace

void waitForClient(sharing::SharingClient& client) {
  pollUntilFinished(client, [] {});
}

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("Red de Tarvolin"));
  setModal(true);
  phase_ = new QLabel(this);
  phase_->setMinimumWidth(360);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  cancel_ = new QPushButton(QString::fromUtf8("Cancelar"), this);
  connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(phase_);
  layout->addWidget(bar_);
  layout->addLayout(buttons);
}

void ProgressWindow::refresh(sharing::SharingClient& client) {
  sharing::Phase phase;
  if (client.progress().takePhase(phase) && phase != sharing::Phase::None) {
    const std::string_view text = sharing::phaseText(phase);
    phase_->setText(QString::fromUtf8(text.data(), int(text.size())));
  }
  std::uint32_t done = 0, total = 0;
  if (client.progress().take(done, total) && total > 0)
    bar_->setValue(int(std::uint64_t(done) * 100 / total));
}

void ProgressWindow::follow(sharing::SharingClient& client) {
  client_ = &client;
  // Each transaction starts afresh: nothing of the last one's phase, bar or
  // cancel is left showing.
  phase_->setText(QString::fromUtf8("Conectando con el servidor..."));
  bar_->setValue(0);
  cancel_->setEnabled(true);
  show();
  pollUntilFinished(client, [&] { refresh(client); });
  refresh(client);
  client_ = nullptr;
  hide();
}

void ProgressWindow::reject() {
  if (!client_) {
    QDialog::reject();
    return;
  }
  // The worker notices at its next wait; the window closes when it has ended.
  client_->cancel();
  cancel_->setEnabled(false);
  phase_->setText(QString::fromUtf8("Cancelando..."));
}

}  // namespace tarvolin::sharing_ui
