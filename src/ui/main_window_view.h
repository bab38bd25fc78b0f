// The main window on Qt Widgets. It owns no port and no logic: it mirrors the TfrmMain
// model after every event, forwards every click, key and edit to it, and lays the sections
// out by their rules when the window changes size.
#pragma once

#include <QMainWindow>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"

class QAction;
class QCloseEvent;
class QCalendarWidget;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QRadioButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quorvex::ui {

class AboutDialog;
class BinDialog;
class RestoreDialog;
class CommConfigDialog;
class HelpDialog;
class KeyPreview;
class ListView;
class QtUserInterface;
class StopGate;

class MainWindowView : public QMainWindow {
 public:
  MainWindowView(TfrmMain& model, QtUserInterface& ui);
  ~MainWindowView() override;

  // Copies the model's state into the widgets.
  void sync();
  // Places the controls of the shown section by its layout rule.
  void layoutSections();

  TfrmMain& model() { return model_; }
  // A control or panel by its component name; nullptr when there is none.
  QWidget* widget(const std::string& name) const;
  QAction* action(const std::string& name) const;
  QMenu* popupMenu(const std::string& name) const;
  ListView* list(const std::string& name) const;
  CommConfigDialog* commConfigDialog() const { return commConfig_; }
  HelpDialog* helpDialog() const { return help_; }
  AboutDialog* aboutDialog() const { return about_; }
  BinDialog* binDialog() const { return bin_; }
  RestoreDialog* restoreDialog() const { return restore_; }

  // Maps a key to the model's hot keys (exposed for the tests of the mapping).
  static Key HotKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

 private:
  template <class W>
  W* add(W* w, const std::string& name);
  QToolButton* speedButton(QWidget* parent, const std::string& name);
  QLabel* label(QWidget* parent, const std::string& name);
  QProgressBar* progressBar(QWidget* parent, const std::string& name);
  ListView* listView(QWidget* parent, const std::string& name, ListModel& model);
  void buildFrame();
  void buildMenus();
  void buildTerminal();
  void buildPhoneInfo();
  void buildPhoneBook();
  void buildDateBook();
  void buildSMS();
  void buildDialogs();
  void buildStatusBar();
  void closeEvent(QCloseEvent* e) override;
  void showModal(const std::string& form);
  void afterEvent();
  void syncTree();
  void syncInfo();
  void syncTerminal();
  void layoutTerminal(QWidget* panel);
  void layoutPhoneBook(QWidget* panel);
  void layoutDateBook(QWidget* panel);
  void layoutSMS(QWidget* panel);
  void onPopup(const std::string& menu, const QPoint& globalPos);
  void syncControls();
  void syncMenus();

  TfrmMain& model_;
  QtUserInterface& ui_;
  QWidget* client_ = nullptr;
  std::map<std::string, QWidget*> widgets_;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QMenu*> popups_;
  std::map<std::string, ListView*> lists_;
  std::map<int, QTreeWidgetItem*> treeItems_;  // by state index
  std::vector<QRadioButton*> radioItems_;
  QPlainTextEdit *mmTerminal_ = nullptr, *mmDescription_ = nullptr, *mmSMS_ = nullptr;
  QComboBox* cbCommand_ = nullptr;
  QLabel* image1_ = nullptr;
  int imageGeneration_ = -1;
  QTreeWidget* tvSMS_ = nullptr;
  QCalendarWidget* calendar_ = nullptr;
  CommConfigDialog* commConfig_ = nullptr;
  HelpDialog* help_ = nullptr;
  AboutDialog* about_ = nullptr;
  BinDialog* bin_ = nullptr;
  RestoreDialog* restore_ = nullptr;
  KeyPreview* preview_ = nullptr;
  StopGate* gate_ = nullptr;
  QToolButton* stop_ = nullptr;
  QLabel* status_ = nullptr;
  bool syncing_ = false;
  int laidOutSection_ = -1;

  // The model's texts as the widgets were last given them. A read syncs the window at every
  // row; converting every caption each time would cost more than the read, so a widget's
  // text is set only when the model's has changed. An edit by the user forgets its entry,
  // so that the next sync compares the widget with the model again.
  using Shown = std::optional<std::string>;
  struct ControlMirror {
    QWidget* widget;
    const Label* state;
    const CheckBox* check;  // a section button or the check box; nullptr for other controls
    enum class Kind { Other, CheckBox, Button, ButtonOwnCaption, Label, Group } kind;
    Shown caption;
  };
  struct ActionMirror {
    QAction* action;
    const MenuItem* item;  // the model's menus keep their shape for the window's life
    Shown caption;
  };
  std::vector<ControlMirror> controlMirrors_;
  std::vector<ActionMirror> actionMirrors_;
  std::map<int, Shown> shownTree_;
  std::map<std::string, Shown> shownInfo_;
  Shown shownTerminal_, shownCommand_, shownDescription_, shownSms_, shownStatus_;
};

template <class W>
W* MainWindowView::add(W* w, const std::string& name) {
  w->setObjectName(QString::fromStdString(name));
  widgets_[name] = w;
  return w;
}

}  // namespace quorvex::ui
