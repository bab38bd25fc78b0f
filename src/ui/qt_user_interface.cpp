#include "ui/qt_user_interface.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QUrl>
#include <chrono>
#include <thread>

#include "ui/qt_text.h"

namespace quorvex::ui {
namespace {

QWidget* BoxParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

MsgResult FirstButton(MsgButtons buttons) {
  return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgResult::Ok
                                                                      : MsgResult::Yes;
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
  // Description and pattern alternate; Qt takes the description, which names the pattern.
  const QStringList parts = ToQ(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    if (!description.contains(QLatin1Char('(')))
      description += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    filters << description;
  }
  return filters;
}

std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text, MsgKind kind,
                                            MsgButtons buttons, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(QString::fromLatin1(kApplicationTitle));
  box->setText(ToQ(text));
  switch (kind) {
    case MsgKind::Message:
      box->setIcon(QMessageBox::NoIcon);
      break;
    case MsgKind::Error:
      box->setIcon(QMessageBox::Critical);
      break;
    case MsgKind::Warning:
      box->setIcon(QMessageBox::Warning);
      break;
    case MsgKind::Information:
      box->setIcon(QMessageBox::Information);
      break;
    case MsgKind::Question:
      box->setIcon(QMessageBox::Question);
      break;
  }
  switch (buttons) {
    case MsgButtons::Ok:
      box->setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  return box;
}

std::unique_ptr<QFileDialog> MakeFileDialog(FileChoice choice, const std::string& filter,
                                            const std::string& defaultExt, QWidget* parent) {
  auto dialog = std::make_unique<QFileDialog>(parent);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  const QStringList filters = QtNameFilters(filter);
  dialog->setNameFilters(filters);
  // The third entry is the one these dialogs open with.
  if (filters.size() >= 3) dialog->selectNameFilter(filters[2]);
  if (choice == FileChoice::Open) {
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return dialog;
  }
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  QString ext = ToQ(defaultExt);
  ext.remove(QStringLiteral("*.")).remove(QLatin1Char('.'));
  dialog->setDefaultSuffix(ext);
  // Replacing an existing file is not asked about.
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  return dialog;
}

MsgResult QtUserInterface::record(Box box) {
  boxes.push_back(box);
  if (answers.empty()) return FirstButton(box.buttons);
  MsgResult r = answers.front();
  answers.pop_front();
  return r;
}

MsgResult QtUserInterface::messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) {
  if (beforeEvents) beforeEvents();
  if (scripted_) return record(Box{text, kind, buttons, false});

  auto box = MakeMessageBox(text, kind, buttons, BoxParent());
  switch (box->exec()) {
    case QMessageBox::Yes:
      return MsgResult::Yes;
    case QMessageBox::No:
      return MsgResult::No;
    case QMessageBox::Cancel:
      return MsgResult::Cancel;
    default:
      return MsgResult::Ok;
  }
}

void QtUserInterface::showStandardError(const std::string& message) {
  if (beforeEvents) beforeEvents();
  if (scripted_) {
    record(Box{message, MsgKind::Error, MsgButtons::Ok, true});
    return;
  }
  MakeMessageBox(message, MsgKind::Error, MsgButtons::Ok, BoxParent())->exec();
}

std::optional<std::string> QtUserInterface::chooseOpenFile(const std::string& filter) {
  if (scripted_) {
    dialogs.push_back("open file");
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
  }
  const auto dialog = MakeFileDialog(FileChoice::Open, filter, {}, BoxParent());
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog->selectedFiles().front()).toStdString();
}

std::optional<std::string> QtUserInterface::chooseSaveFile(const std::string& filter,
                                                           const std::string& defaultExt) {
  if (scripted_) {
    dialogs.push_back("save file");
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
  }
  const auto dialog = MakeFileDialog(FileChoice::Save, filter, defaultExt, BoxParent());
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog->selectedFiles().front()).toStdString();
}

std::optional<std::string> QtUserInterface::chooseSaveFileNamed(const std::string& filter,
                                                                const std::string& defaultExt,
                                                                const std::string& proposed) {
  if (scripted_) return chooseSaveFile(filter, defaultExt);
  const auto dialog = MakeFileDialog(FileChoice::Save, filter, defaultExt, BoxParent());
  dialog->selectFile(QFile::decodeName(proposed.c_str()));
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog->selectedFiles().front()).toStdString();
}

void QtUserInterface::processEvents(bool paintOnly) {
  if (beforeEvents) beforeEvents();
  // A read pumps after every row, and painting the window takes longer than a row takes to
  // arrive: the window paints (and takes the user's clicks) at most once a frame. The
  // widgets follow the model at every pump all the same, and the event loop paints the
  // last state when the operation is over.
  if (sinceFrame_.isValid() && sinceFrame_.elapsed() < kFrameMilliseconds) return;
  sinceFrame_.start();
  ++framesPainted_;
  if (paintOnly && takesStopInput && takesStopInput()) paintOnly = false;
  QApplication::processEvents(paintOnly ? QEventLoop::ExcludeUserInputEvents
                                        : QEventLoop::AllEvents);
}

void QtUserInterface::pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

LocalTime QtUserInterface::now() {
  if (clock) return *clock;
  const QDateTime t = QDateTime::currentDateTime();
  return LocalTime{t.date().year(), t.date().month(),  t.date().day(),
                   t.time().hour(), t.time().minute(), t.time().second()};
}

void QtUserInterface::setBusyCursor(bool busy) {
  // The hourglass is one state of the whole screen, not a stack of requests.
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void QtUserInterface::openUrl(const std::string& url) {
  urls.push_back(url);
  if (scripted_) return;
  // What the shell answers is not looked at: without a program for the scheme nothing happens.
  QDesktopServices::openUrl(QUrl(ToQ(url)));
}

void QtUserInterface::registerDialog(const std::string& name, DialogView view) {
  dialogViews_[name] = std::move(view);
}

void QtUserInterface::showModal(ModalDialog& dialog) {
  if (beforeEvents) beforeEvents();
  if (scripted_) {
    dialogs.push_back(dialog.dialogName());
    if (scriptDialog) scriptDialog(dialog);
    if (!dialog.closed()) dialog.closeByFrame();
    return;
  }
  auto it = dialogViews_.find(dialog.dialogName());
  if (it == dialogViews_.end()) {
    dialog.closeByFrame();
    return;
  }
  it->second(dialog);
}

void QtUserInterface::runModal(QDialog& dialog) {
  if (beforeEvents) beforeEvents();
  if (scripted_) {
    dialogs.push_back(dialog.windowTitle().toStdString());
    dialog.show();
    return;
  }
  dialog.exec();
}

std::optional<QFont> QtUserInterface::chooseFont(const QFont& current) {
  if (scripted_) {
    dialogs.push_back("font");
    if (fonts.empty()) return std::nullopt;
    auto f = fonts.front();
    fonts.pop_front();
    return f;
  }
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, current, BoxParent());
  if (!ok) return std::nullopt;
  return font;
}

}  // namespace quorvex::ui
