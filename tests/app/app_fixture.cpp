#include "tests/app/app_fixture.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "app/commands.h"
#include "app/widgets/context_menu.h"
#include "app/widgets/template_builder.h"
#include "app/widgets/window_messages.h"

bool WaitUntil(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeout_ms)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

void WhenShown(std::function<void(QWidget*)> act) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [=, waited = 0]() mutable {
    QWidget* shown = QApplication::activeModalWidget();
    const bool ready = shown != nullptr && shown->isVisible();
    if (!ready && (waited += 10) < 10000) return;
    poll->stop();
    if (ready) act(shown);  // may run the widget's own event loop
    poll->deleteLater();
  });
  poll->start(10);
}

void AnswerNextMessageBox(const QString& button, QString* text) {
  WhenShown([=](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) return;
    if (text != nullptr) *text = (box->text() + '\n' + box->informativeText()).trimmed();
    for (QAbstractButton* each : box->buttons()) {
      if (each->text().remove('&').contains(button, Qt::CaseInsensitive)) return each->click();
    }
  });
}

void AnswerNextFileDialog(const QString& name, QStringList* filters, QString* proposed) {
  WhenShown([=](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr) return;
    if (filters != nullptr) *filters = dialog->nameFilters();
    auto* name_edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (proposed != nullptr)
      *proposed = dialog->directory().absolutePath() + '/' + name_edit->text();
    if (name.isEmpty()) return dialog->reject();
    name_edit->setText(name);
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

void ObservedMainWindow::EndKeepingAwake() {
  calls.push_back("kill timer");
  if (on_kill_timer) on_kill_timer();
  MainWindow::EndKeepingAwake();
}

void ObservedMainWindow::PostQuit(int exit_code) {
  calls.push_back("post quit");
  quit_code = exit_code;
}

std::string GgaLine(int second) {
  char line[128];
  std::snprintf(line, sizeof line,
                "$GPGGA,%06d,4807.%03d,N,01131.%03d,E,1,08,0.9,%d.4,M,46.9,M,,*47\r\n",
                123519 + second, 38 + 10 * second, 10 * second, 545 + second);
  return line;
}

void AppWindowTest::SetUp() {
  for (int n = 0; n < 10; ++n)  // no port of the machine's own is ever taken
    ports_.Link(n, "/nonexistent");
  ASSERT_EQ(LoadAppStrings(app_.module, &app_.strings), 1);
  InstallWindowMessagePoster();
  window_ = std::make_unique<ObservedMainWindow>(&app_, *FindDialog(app_.module.tables, IDD_MAIN));
  window_->show();
  ASSERT_TRUE(WaitUntil([this] { return window_->isVisible(); }));
}

void AppWindowTest::TearDown() {
  GpxRecorderClose(FixDisplayRecorder(&app_.display));
  GpsPortClose(&app_.port);
  window_.reset();
  QCoreApplication::removePostedEvents(nullptr);
  ReleaseAppState(&app_);
}

QString AppWindowTest::Readout(int id) const {
  return FindControlAs<QLineEdit>(window_.get(), id)->text();
}

QString AppWindowTest::State() const {
  return window_->findChild<QLabel*>(QStringLiteral("state"))->accessibleDescription();
}

QList<int> AppWindowTest::EnabledMenuCommands() {
  QList<int> enabled;
  std::unique_ptr<QMenu> menu(BuildContextMenu(app_.module, app_.menu_state, window_.get()));
  for (QAction* action : menu->actions())
    if (action->isEnabled()) enabled.append(action->data().toInt());
  return enabled;
}
