// The program's dialogs over their core models: the port settings, the help window and the
// about box. Each mirrors its model when shown and forwards what the user does to it.
#pragma once

#include <QDialog>
#include <functional>

#include "app/main_window.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QSpinBox;
class QTextEdit;
class QToolButton;
class QPushButton;

namespace quorvex::ui {

class KeyPreview;

class CommConfigDialog : public QDialog {
 public:
  CommConfigDialog(TfrmMain& main, QWidget* parent);
  ~CommConfigDialog() override;
  // Mirrors the model (after its FormShow).
  void sync();

 private:
  void afterEvent();
  // Mirrors the search for the handset: its button, bar, text and list.
  void syncDetect();

  TfrmMain& main_;
  TfrmCommConfig& model_;
  QGroupBox* gbConfig_;
  QComboBox *cbComSelect_, *cbBaudRate_, *cbDataBits_, *cbParity_, *cbStopBits_, *cbFlowControl_;
  QSpinBox* seTimeOut_;
  QToolButton *sbApply_, *sbCancel_, *sbDetect_;
  QProgressBar* pbDetect_;
  QLabel* lblDetect_;
  QListWidget* lbFound_;
  KeyPreview* preview_;
  bool syncing_ = false;
};

class HelpDialog : public QDialog {
 public:
  HelpDialog(TfrmHelp& model, QWidget* parent);
  // Shows the text the model read last.
  void sync();
  QTextEdit* richEdit() const { return richEdit_; }

 private:
  TfrmHelp& model_;
  QTextEdit* richEdit_;
};

class LinkLabel;

class AboutDialog : public QDialog {
 public:
  AboutDialog(TfrmMain& main, QWidget* parent);
  void sync();

 private:
  TfrmMain& main_;
  QLabel *productName_, *version_, *copyright_, *comments_, *label2_, *label3_;
  LinkLabel *label1_, *label4_;
  QPushButton* ok_;
};

}  // namespace quorvex::ui
