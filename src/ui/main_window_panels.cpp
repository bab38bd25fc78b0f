// The section panels of the main window: the controls each panel holds, and the rules that
// place them when the window changes size.
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/images.h"
#include "ui/list_view.h"
#include "ui/main_window_design.h"
#include "ui/main_window_view.h"
#include "ui/qt_text.h"

namespace quorvex::ui {

// ---- The panels' controls.

void MainWindowView::buildTerminal() {
  QWidget* panel = widget("plTerminal");
  mmTerminal_ = add(new QPlainTextEdit(panel), "mmTerminal");
  mmTerminal_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mmTerminal_->setLineWrapMode(QPlainTextEdit::NoWrap);
  connect(mmTerminal_, &QPlainTextEdit::textChanged, this, [this] {
    if (syncing_) return;
    model_.terminal.mmTerminal = FromQLines(mmTerminal_->toPlainText());
    shownTerminal_.reset();
  });

  QFrame* panel5 = add(Panel(panel), "Panel5");
  label(panel5, "Label2")->setGeometry(6, 4, 300, kLabelHeight);
  mmDescription_ = add(new QPlainTextEdit(panel5), "mmDescriptionCommand");
  mmDescription_->setReadOnly(true);
  mmDescription_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* bevel = add(new QFrame(panel), "Bevel2");
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);
  label(panel, "Label6");
  cbCommand_ = add(new QComboBox(panel), "cbCommand");
  cbCommand_->setEditable(true);
  cbCommand_->setMaxVisibleItems(20);
  cbCommand_->setInsertPolicy(QComboBox::NoInsert);
  connect(cbCommand_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (syncing_) return;
    model_.terminal.cbCommandChange(FromQ(text));
    shownCommand_.reset();
  });
  connect(cbCommand_, &QComboBox::activated, this, [this](int index) {
    model_.pickedCommand = index;
    model_.fire("cbCommandClick");
    afterEvent();
  });
  auto* send = add(new QPushButton(panel), "btnSendCommand");
  send->setDefault(false);
  connect(send, &QPushButton::clicked, this, [this] {
    model_.click("btnSendCommand");
    afterEvent();
  });
  speedButton(panel, "sbClear");
}

void MainWindowView::buildPhoneInfo() {
  QWidget* panel = widget("plPhoneInfo");
  QFrame* info = add(Panel(panel, QFrame::Sunken), "PanelInfo");
  info->setGeometry(6, 6, 410, 372);
  QLabel* heading = label(info, "Label3");
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.15);
  heading->setFont(bold);
  heading->setAlignment(Qt::AlignCenter);
  heading->setGeometry(8, 8, 394, 44);

  const auto& labels = InfoLabels();
  const char* fields[] = {"edtIMEI", "edtIMSI",     "edtManufacturer", "edtModel",
                          "edtBand", "edtSoftWare", "ggStatusCharge",  "ggStatusSignal"};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const int y = 62 + static_cast<int>(i) * 32;
    QLabel* l = label(info, labels[i].component);
    l->setText(ToQ(labels[i].caption));
    l->setGeometry(10, y, 150, 24);
    const std::string field = fields[i];
    if (field.rfind("gg", 0) == 0) {
      auto* gauge = add(new QProgressBar(info), field);
      gauge->setRange(0, 100);
      gauge->setFormat(QStringLiteral("%p%"));
      gauge->setAlignment(Qt::AlignCenter);
      gauge->setGeometry(164, y + 2, 234, 20);
    } else {
      auto* edit = add(new QLineEdit(info), field);
      edit->setReadOnly(true);
      // Read-only fields take a click (to copy from) but are skipped by Tab.
      edit->setFocusPolicy(Qt::ClickFocus);
      edit->setGeometry(164, y, 234, 24);
    }
  }
  speedButton(info, "SpeedButton1")->setGeometry(164, 322, 90, kTallButtonHeight);
  speedButton(info, "SpeedButton11")->setGeometry(258, 322, 140, kTallButtonHeight);

  image1_ = label(panel, "Image1");
  image1_->setAlignment(Qt::AlignCenter);
  image1_->setGeometry(426, 6, 160, 240);
}

void MainWindowView::buildPhoneBook() {
  QWidget* panel = widget("plPhoneBook");
  ListView* list = listView(panel, "ListView1", model_.ListView1);
  list->onDoubleClick = [this] {
    model_.fire("ListView1DblClick");
    afterEvent();
  };
  list->onColumnClick = [this](int column) {
    model_.clickedColumn = column;
    model_.fire("ListView1ColumnClick");
    afterEvent();
  };
  list->onContextMenu = [this](const QPoint& pos) { onPopup("PopupMenu1", pos); };

  auto* bevel = add(new QFrame(panel), "Bevel1");
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);
  speedButton(panel, "sbAddRecord");
  speedButton(panel, "sbReadAll");
  speedButton(panel, "sbWriteAll");
  speedButton(panel, "SpeedButton3");
  label(panel, "Label4");
  label(panel, "Label9");
  progressBar(panel, "pbFullRecord");
  progressBar(panel, "pbReadAllRecords");
}

void MainWindowView::buildDateBook() {
  QWidget* panel = widget("plDateBook");
  ListView* list = listView(panel, "lvEvent", model_.lvEvent);
  list->onDoubleClick = [this] {
    model_.fire("lvEventDblClick");
    afterEvent();
  };
  list->onColumnClick = [this](int column) {
    model_.clickedColumn = column;
    model_.fire("lvEventColumnClick");
    afterEvent();
  };
  list->onContextMenu = [this](const QPoint& pos) { onPopup("pmEvent", pos); };

  speedButton(panel, "SpeedButton5");
  speedButton(panel, "sbDeleteEvent");
  speedButton(panel, "sbReadAllEvents");
  speedButton(panel, "sbAddEvent");
  progressBar(panel, "pbReadEvent");
  label(panel, "Label5");
  label(panel, "lblReadEvent");
  label(panel, "lblAllEvent");
  label(panel, "Label8");

  QFrame* panel6 = add(Panel(panel), "Panel6");
  auto* group = add(new QGroupBox(panel6), "RadioGroup1");
  auto* radios = new QVBoxLayout(group);
  radios->setSpacing(1);
  radios->setContentsMargins(6, 4, 6, 4);
  for (std::size_t i = 0; i < model_.RadioGroup1Items.size(); ++i) {
    auto* r = new QRadioButton(ToQ(model_.RadioGroup1Items[i]), group);
    r->setObjectName(QStringLiteral("RadioGroup1_%1").arg(i));
    radios->addWidget(r);
    radioItems_.push_back(r);
    connect(r, &QRadioButton::toggled, this, [this, i](bool on) {
      if (on && !syncing_) model_.RadioGroup1ItemIndex = static_cast<int>(i);
    });
  }
  speedButton(panel6, "SpeedButton2");

  auto* check = add(new QCheckBox(panel), "CheckBox1");
  connect(check, &QCheckBox::clicked, this, [this](bool on) {
    model_.checkBox("CheckBox1").checked = on;
    model_.click("CheckBox1");
    afterEvent();
  });
  calendar_ = add(new QCalendarWidget(panel), "MonthCalendar1");
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  calendar_->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
  calendar_->setGridVisible(false);
  // The window speaks Russian, whatever the locale it runs under.
  calendar_->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
  calendar_->setFirstDayOfWeek(Qt::Monday);
  connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] {
    if (syncing_) return;
    const QDate d = calendar_->selectedDate();
    model_.MonthCalendar1Date.year = d.year();
    model_.MonthCalendar1Date.month = d.month();
    model_.MonthCalendar1Date.day = d.day();
  });
}

void MainWindowView::buildSMS() {
  QWidget* panel = widget("plSMS");
  QFrame* left = add(Panel(panel), "Panel1");
  tvSMS_ = add(new QTreeWidget(left), "tvSMS");
  tvSMS_->setHeaderHidden(true);
  tvSMS_->setRootIsDecorated(false);
  tvSMS_->setItemsExpandable(false);
  tvSMS_->setMouseTracking(true);  // hot-tracking
  tvSMS_->setIconSize(QSize(16, 16));
  tvSMS_->setIndentation(14);
  // A node's parent comes before it.
  for (const sms::TreeNode& n : model_.tvSMS) {
    const auto parent = treeItems_.find(n.parent);
    auto* item = parent != treeItems_.end() ? new QTreeWidgetItem(parent->second)
                                            : new QTreeWidgetItem(tvSMS_);
    QIcon icon = TypeImage(n.image);
    icon.addPixmap(TypeImage(n.selectedImage).pixmap(16, 16), QIcon::Selected);
    item->setIcon(0, icon);
    item->setData(0, Qt::UserRole, n.stateIndex);
    treeItems_[n.stateIndex] = item;
  }
  connect(tvSMS_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (!syncing_) model_.tvSMSSelected = current ? current->data(0, Qt::UserRole).toInt() : -1;
  });
  connect(tvSMS_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    model_.tvSMSSelected = item->data(0, Qt::UserRole).toInt();
    model_.fire("tvSMSClick");
    afterEvent();
  });

  progressBar(left, "pbReadSMS");
  for (const char* name :
       {"sbSMSNew", "sbSMSSave", "SpeedButton12", "sbDeleteSMS", "sbSMSDeleteAll"})
    speedButton(left, name);

  ListView* list = listView(panel, "lvSMS", model_.lvSMS);
  list->onClick = [this] {
    model_.fire("lvSMSClick");
    afterEvent();
  };
  list->onColumnClick = [this](int column) {
    model_.clickedColumn = column;
    model_.fire("lvSMSColumnClick");
    afterEvent();
  };
  list->onContextMenu = [this](const QPoint& pos) { onPopup("pmSMS", pos); };
  label(panel, "Label7");
  mmSMS_ = add(new QPlainTextEdit(panel), "mmSMS");
  mmSMS_->setReadOnly(true);
}

// ---- Layout.

void MainWindowView::layoutSections() {
  const int w = client_->width();
  const int h = client_->height();
  widget("plButtons")->setGeometry(0, 0, kButtonColumnWidth, h);
  // Every panel fills the client area beside the button column.
  const int left = kButtonColumnWidth + 2;
  for (Section s : kSections) widget(SectionPanel(s))->setGeometry(left, 0, w - left - 2, h - 2);
  layoutTerminal(widget("plTerminal"));
  layoutPhoneBook(widget("plPhoneBook"));
  layoutDateBook(widget("plDateBook"));
  layoutSMS(widget("plSMS"));
}

void MainWindowView::layoutTerminal(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  const QRect bevel(w - 2 - 272, h - 2 - 100, 272, 100);
  widget("Bevel2")->setGeometry(bevel);
  widget("Bevel2")->lower();
  const int buttonY = bevel.bottom() + 1 - 4 - kButtonHeight;
  widget("btnSendCommand")->setGeometry(bevel.left() + 4, buttonY, 130, kButtonHeight);
  widget("sbClear")->setGeometry(bevel.left() + 4 + 130 + 2, buttonY, 130, kButtonHeight);
  widget("Label6")->setGeometry(bevel.left() + 4, bevel.top() + 2, bevel.width() - 8, kLabelHeight);
  widget("cbCommand")
      ->setGeometry(bevel.left() + 4, bevel.top() + 2 + kLabelHeight + 2, bevel.width() - 8, 26);
  const QRect memo(4, 4, w - 4 - 2, bevel.top() - 4 - 4);
  mmTerminal_->setGeometry(memo);
  const QRect p5(memo.left(), bevel.top(), bevel.left() - 2 - memo.left(), bevel.height());
  widget("Panel5")->setGeometry(p5);
  mmDescription_->setGeometry(6, 4 + kLabelHeight + 2, p5.width() - 12,
                              p5.height() - (4 + kLabelHeight + 2) - 6);
}

void MainWindowView::layoutPhoneBook(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  const QRect bevel(4, h - 4 - 76, w - 8, 76);
  widget("Bevel1")->setGeometry(bevel);
  widget("Bevel1")->lower();
  widget("ListView1")->setGeometry(4, 4, w - 8, bevel.top() - 4 - 4);
  const int buttonY = bevel.bottom() + 1 - 4 - kTallButtonHeight;
  const int rowY = bevel.top() + 6;
  const int right = bevel.right() + 1 - 10;
  widget("sbAddRecord")->setGeometry(bevel.left() + 8, buttonY, 110, kTallButtonHeight);
  widget("sbReadAll")->setGeometry(bevel.left() + 8 + 112, buttonY, 110, kTallButtonHeight);
  widget("sbWriteAll")->setGeometry(bevel.left() + 8 + 224, buttonY, 110, kTallButtonHeight);
  widget("SpeedButton3")->setGeometry(right - 110, buttonY, 110, kTallButtonHeight);
  widget("Label4")->setGeometry(bevel.left() + 8, rowY, 70, kLabelHeight);
  widget("pbFullRecord")->setGeometry(bevel.left() + 8 + 72, rowY + 1, 160, kBarHeight);
  widget("pbReadAllRecords")->setGeometry(right - 200, rowY + 1, 200, kBarHeight);
  widget("Label9")->setGeometry(bevel.left() + 8 + 240, buttonY + 10, right - 110 - 8 - 248,
                                kLabelHeight);
}

void MainWindowView::layoutDateBook(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  QWidget* panel6 = widget("Panel6");
  const QRect p6(w - 4 - 178, h - 4 - 172, 178, 172);
  panel6->setGeometry(p6);
  widget("RadioGroup1")->setGeometry(4, 2, p6.width() - 8, 130);
  widget("SpeedButton2")->setGeometry(4, 136, p6.width() - 8, kButtonHeight + 4);
  const QRect check(p6.left(), p6.top() - 2 - 20, p6.width(), 20);
  widget("CheckBox1")->setGeometry(check);
  const QRect list(4, 4, w - 8, check.top() - 2 - 4);
  widget("lvEvent")->setGeometry(list);
  const int calendarTop = check.top() + 4;
  const int calendarWidth = 176;
  calendar_->setGeometry(p6.left() - 4 - calendarWidth, calendarTop, calendarWidth,
                         h - 4 - calendarTop);
  const int bw = 130;
  const int x = list.left() + 2;
  const int y5 = h - 4 - kButtonHeight;
  widget("SpeedButton5")->setGeometry(x, y5, bw, kButtonHeight);
  widget("sbDeleteEvent")->setGeometry(x + bw + 2, y5, bw, kButtonHeight);
  const int yRead = y5 - 2 - kButtonHeight;
  widget("sbReadAllEvents")->setGeometry(x, yRead, bw, kButtonHeight);
  widget("sbAddEvent")->setGeometry(x + bw + 2, yRead, bw, kButtonHeight);
  const int yBar = yRead - 2 - kBarHeight;
  widget("pbReadEvent")->setGeometry(x, yBar, 2 * bw + 2, kBarHeight);
  const int yLabel = yBar - 2 - kLabelHeight;
  // One row: "Чтение записи:", the count, "из" and the total, then the free share.
  int lx = x;
  // The two counts get room for three digits, so the row does not move while a read counts.
  const std::pair<const char*, int> row[] = {
      {"Label5", 0}, {"lblReadEvent", 26}, {"lblAllEvent", 44}};
  for (const auto& [name, least] : row) {
    QWidget* l = widget(name);
    const int width = std::max(l->sizeHint().width(), least);
    l->setGeometry(lx, yLabel, width, kLabelHeight);
    lx += width + 4;
  }
  widget("Label8")->setGeometry(lx + 2, yLabel, calendar_->x() - 2 - lx - 2, kLabelHeight);
}

void MainWindowView::layoutSMS(QWidget* panel) {
  const int w = panel->width(), h = panel->height();
  QWidget* left = widget("Panel1");
  left->setGeometry(4, 4, 170, h - 8);
  const int lw = left->width(), lh = left->height();
  const int bx = 4, bwidth = lw - 8;
  int y = lh - 6 - kButtonHeight;
  widget("sbSMSDeleteAll")->setGeometry(bx, y, bwidth, kButtonHeight);
  for (const char* name : {"sbDeleteSMS", "SpeedButton12", "sbSMSSave", "sbSMSNew"}) {
    y -= 2 + kButtonHeight;
    widget(name)->setGeometry(bx, y, bwidth, kButtonHeight);
  }
  y -= 2 + kBarHeight;
  widget("pbReadSMS")->setGeometry(bx, y, bwidth, kBarHeight);
  tvSMS_->setGeometry(bx, 4, bwidth, y - 6 - 4);

  const int lx = left->geometry().right() + 1 + 2;
  const int listWidth = w - 4 - lx;
  const QRect memo(lx, h - 4 - 80, listWidth, 80);
  mmSMS_->setGeometry(memo);
  widget("Label7")->setGeometry(lx, memo.top() - 2 - kLabelHeight, listWidth, kLabelHeight);
  widget("lvSMS")->setGeometry(lx, 4, listWidth, memo.top() - 2 - kLabelHeight - 4 - 4);
}

}  // namespace quorvex::ui
