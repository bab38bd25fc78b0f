// The preview shown before a file import or a restore writes anything: the counts above, the
// rows of the plan in a report list (a check box per row where the plan lets the user
// choose, greyed where the row cannot be written), and "Записать" / "Отмена" below. The
// buttons only answer the model; the operation writes once the dialog has closed. A preview
// over its model (PreviewOf) adds only what it has of its own.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "core/list_model.h"
#include "core/user_interface.h"

class QLabel;
class QTableWidgetItem;
class QToolButton;

namespace quorvex::ui {

class ListView;
class QtUserInterface;

struct PreviewLayout {
  const char* listName;           // the list's object name
  int width = 640, height = 460;  // the size it opens at
  // A preview whose texts are what will be written, or why not (fitsTexts), lets none be
  // cut: the dialog grows from `width` to the columns' texts as far as the screen allows,
  // and beyond that the last column, never narrower than minLastWidth, breaks its lines.
  bool fitsTexts = false;
  int minLastWidth = 200;
};

class PreviewDialog : public QDialog {
 public:
  // Mirrors the model, shows the dialog modally and returns when the model closed.
  void run(QtUserInterface& qtUi);
  void sync();

  ListView* list() const { return list_; }
  QLabel* summary() const { return summary_; }
  QToolButton* writeButton() const { return btnWrite_; }
  QToolButton* cancelButton() const { return btnCancel_; }

 protected:
  struct Tick {
    bool choosable = false;  // the user may change it; otherwise its box is greyed
    bool chosen = false;
  };

  PreviewDialog(ModalDialog& model, UserInterface& ui, QWidget* parent,
                const PreviewLayout& layout);

  virtual std::string caption() const = 0;
  virtual std::string summaryText() const = 0;
  virtual ListModel previewRows() const = 0;
  virtual bool writeEnabled() const = 0;
  virtual bool accepted() const = 0;
  virtual void writeClick() = 0;
  virtual void cancelClick() = 0;
  // A row's check box, none where the plan has no choice.
  virtual std::optional<Tick> tick(std::size_t /*row*/) const { return std::nullopt; }
  virtual void rowChecked(std::size_t /*row*/, bool /*on*/) {}
  // What the model shows besides the rows and the counts (button captions, a check box).
  virtual void syncMore() {}

  // A widget of the preview's own between the list and the buttons.
  void addBelowList(QWidget* widget);
  // Runs a handler of the model as the buttons do: errors in the standard box.
  void runModelHandler(const std::function<void()>& handler);

  void reject() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void afterEvent();
  void checked(QTableWidgetItem* item);
  void fitColumns();
  // The counts and the write button; after a tick also the rows' texts, which it may change
  // (never the rows themselves).
  void syncTexts(bool cells);
  void focusDefault();
  // The last column's texts that do not fit on one line show whole in their tool tip.
  void tipLongTexts();

  ModalDialog& dialog_;
  UserInterface& ui_;
  const PreviewLayout layout_;
  ListModel rows_;
  QLabel* summary_;
  ListView* list_;
  QToolButton *btnWrite_, *btnCancel_;
  bool syncing_ = false;
};

// A preview over a model with the plan, the buttons and the answers every preview model has:
// Caption, Plan (Summary(), PreviewList()), btnWrite, Accepted, btnWriteClick, btnCancelClick.
template <class Model>
class PreviewOf : public PreviewDialog {
 protected:
  PreviewOf(Model& model, UserInterface& ui, QWidget* parent, const PreviewLayout& layout)
      : PreviewDialog(model, ui, parent, layout), model_(model) {}

  std::string caption() const override { return model_.Caption; }
  std::string summaryText() const override { return model_.Plan.Summary(); }
  ListModel previewRows() const override { return model_.Plan.PreviewList(); }
  bool writeEnabled() const override { return model_.btnWrite.enabled; }
  bool accepted() const override { return model_.Accepted; }
  void writeClick() override { model_.btnWriteClick(); }
  void cancelClick() override { model_.btnCancelClick(); }

  Model& model_;
};

}  // namespace quorvex::ui
