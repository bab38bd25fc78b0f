#include "ui/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "info/rich_text.h"
#include "ui/images.h"
#include "ui/key_preview.h"
#include "ui/qt_text.h"

namespace quorvex::ui {
namespace {

void SetItems(QComboBox* box, const ComboBox& state) {
  QStringList items;
  for (const auto& i : state.items) items << ToQ(i);
  QStringList shown;
  for (int i = 0; i < box->count(); ++i) shown << box->itemText(i);
  if (shown != items) {
    box->clear();
    box->addItems(items);
  }
  const QString text = ToQ(state.text);
  if (box->isEditable()) {
    if (box->currentText() != text) box->setEditText(text);
  } else {
    box->setCurrentIndex(box->findText(text));
  }
  box->setEnabled(state.enabled);
}

QToolButton* DialogButton(const QString& name, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  b->setMinimumSize(100, 28);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

}  // namespace

// ---- Port settings.

CommConfigDialog::CommConfigDialog(TfrmMain& main, QWidget* parent)
    : QDialog(parent), main_(main), model_(main.commConfig) {
  setObjectName(QStringLiteral("TfrmCommConfig"));
  setWindowTitle(ToQ(model_.Caption));
  gbConfig_ = new QGroupBox(ToQ(model_.gbConfig), this);
  gbConfig_->setObjectName(QStringLiteral("gbConfig"));
  auto* form = new QFormLayout(gbConfig_);
  form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  auto combo = [&](const char* name, const std::string& label, const char* labelName,
                   bool editable) {
    auto* box = new QComboBox(gbConfig_);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(editable);
    box->setMinimumWidth(220);
    box->setMaxVisibleItems(16);
    auto* l = new QLabel(ToQ(label), gbConfig_);
    l->setObjectName(QString::fromLatin1(labelName));
    form->addRow(l, box);
    return box;
  };
  cbComSelect_ = combo("cbComSelect", model_.lblCommSelect, "lblCommSelect", true);
  cbBaudRate_ = combo("cbBaudRate", model_.lblBaudRate, "lblBaudRate", true);
  cbDataBits_ = combo("cbDataBits", model_.lblByteData, "lblByteData", false);
  cbParity_ = combo("cbParity", model_.lblParity, "lblParity", false);
  cbStopBits_ = combo("cbStopBits", model_.lblStopBits, "lblStopBits", false);
  cbFlowControl_ = combo("cbFlowControl", model_.lblFlowControl, "lblFlowControl", false);
  seTimeOut_ = new QSpinBox(gbConfig_);
  seTimeOut_->setObjectName(QStringLiteral("seTimeOut"));
  auto* timeoutLabel = new QLabel(ToQ(model_.Label1), gbConfig_);
  timeoutLabel->setObjectName(QStringLiteral("Label1"));
  form->addRow(timeoutLabel, seTimeOut_);

  sbApply_ = DialogButton(QStringLiteral("sbApply"), this);
  sbApply_->setText(ToQ(model_.sbApply));
  sbCancel_ = DialogButton(QStringLiteral("sbCancel"), this);
  sbCancel_->setText(ToQ(model_.sbCancel));
  // The search for the handset, under the settings it fills in.
  sbDetect_ = DialogButton(QStringLiteral("sbDetect"), this);
  sbDetect_->setText(ToQ(model_.sbDetect.caption));
  pbDetect_ = new QProgressBar(this);
  pbDetect_->setObjectName(QStringLiteral("pbDetect"));
  pbDetect_->setTextVisible(true);
  lblDetect_ = new QLabel(this);
  lblDetect_->setObjectName(QStringLiteral("lblDetect"));
  lblDetect_->setWordWrap(true);
  lbFound_ = new QListWidget(this);
  lbFound_->setObjectName(QStringLiteral("lbFound"));
  lbFound_->setFixedHeight(72);
  auto* detectRow = new QHBoxLayout;
  detectRow->addWidget(sbDetect_);
  detectRow->addWidget(pbDetect_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(sbApply_);
  buttons->addWidget(sbCancel_);
  auto* top = new QVBoxLayout(this);
  top->addWidget(gbConfig_);
  top->addLayout(detectRow);
  top->addWidget(lblDetect_);
  top->addWidget(lbFound_);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);

  connect(cbComSelect_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (syncing_) return;
    main_.handleEvent([&] { model_.cbComSelectChange(FromQ(text)); });
  });
  connect(cbBaudRate_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    if (syncing_) return;
    main_.handleEvent([&] { model_.cbBaudRateChange(FromQ(text)); });
  });
  connect(seTimeOut_, &QSpinBox::valueChanged, this, [this](int value) {
    if (syncing_) return;
    main_.handleEvent([&] { model_.seTimeOutChange(value); });
    afterEvent();
  });
  connect(sbApply_, &QToolButton::clicked, this, [this] {
    main_.handleEvent([&] { model_.sbApplyClick(); });
    afterEvent();
  });
  connect(sbCancel_, &QToolButton::clicked, this, [this] {
    main_.handleEvent([&] { model_.sbCancelClick(); });
    afterEvent();
  });
  model_.onDetectProgress = [this] { syncDetect(); };
  connect(sbDetect_, &QToolButton::clicked, this, [this] {
    main_.handleEvent([&] { model_.sbDetectClick(main_.ui()); });
    syncDetect();
    afterEvent();
  });
  connect(lbFound_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (syncing_ || row < 0) return;
    main_.handleEvent([&] { model_.lbFoundClick(row); });
    sync();
  });
  // Esc and Enter act for the whole dialog, before the control with the focus sees them.
  preview_ = new KeyPreview(this, [this](QKeyEvent& e) {
    int key = 0;
    if (e.key() == Qt::Key_Escape) key = TfrmCommConfig::kKeyEscape;
    if (e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter) key = TfrmCommConfig::kKeyReturn;
    if (key == 0) return false;
    bool acted = false;
    main_.handleEvent([&] { acted = model_.FormKeyDown(key); });
    afterEvent();
    (void)acted;
    return true;
  });
}

CommConfigDialog::~CommConfigDialog() {
  model_.onDetectProgress = nullptr;
}

void CommConfigDialog::sync() {
  syncing_ = true;
  setWindowTitle(ToQ(model_.Caption));
  SetItems(cbComSelect_, model_.cbComSelect);
  SetItems(cbBaudRate_, model_.cbBaudRate);
  SetItems(cbDataBits_, model_.cbDataBits);
  SetItems(cbParity_, model_.cbParity);
  SetItems(cbStopBits_, model_.cbStopBits);
  SetItems(cbFlowControl_, model_.cbFlowControl);
  seTimeOut_->setRange(model_.seTimeOut.minValue, model_.seTimeOut.maxValue);
  seTimeOut_->setSingleStep(model_.seTimeOut.increment);
  seTimeOut_->setValue(model_.seTimeOut.value);
  seTimeOut_->setEnabled(model_.seTimeOut.enabled);
  syncing_ = false;
  syncDetect();
}

void CommConfigDialog::syncDetect() {
  syncing_ = true;
  sbDetect_->setText(ToQ(model_.sbDetect.caption));
  sbDetect_->setEnabled(model_.sbDetect.enabled);
  const ProgressBar& bar = model_.pbDetect;
  pbDetect_->setRange(bar.Min, bar.Max);
  pbDetect_->setValue(bar.Position);
  pbDetect_->setFormat(ToQ(bar.Figure));
  // Hidden it would let the row jump; an idle bar stays, empty.
  pbDetect_->setEnabled(bar.visible);
  if (!bar.visible) pbDetect_->reset();
  lblDetect_->setText(ToQ(model_.lblDetect.caption));
  QStringList items;
  for (const std::string& item : model_.lbFound.items) items << ToQ(item);
  QStringList shown;
  for (int i = 0; i < lbFound_->count(); ++i) shown << lbFound_->item(i)->text();
  if (shown != items) {
    lbFound_->clear();
    lbFound_->addItems(items);
  }
  lbFound_->setCurrentRow(model_.lbFound.itemIndex);
  syncing_ = false;
}

void CommConfigDialog::afterEvent() {
  // A value typed into the spin edit comes back clamped.
  if (seTimeOut_->value() != model_.seTimeOut.value) {
    syncing_ = true;
    seTimeOut_->setValue(model_.seTimeOut.value);
    syncing_ = false;
  }
  if (model_.closed && isVisible()) accept();
}

// ---- Help.

HelpDialog::HelpDialog(TfrmHelp& model, QWidget* parent) : QDialog(parent), model_(model) {
  setObjectName(QStringLiteral("TfrmHelp"));
  setWindowTitle(ToQ(model_.Caption));
  richEdit_ = new QTextEdit(this);
  richEdit_->setObjectName(QStringLiteral("RichEdit1"));
  richEdit_->setReadOnly(true);
  richEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette pal = richEdit_->palette();
  pal.setColor(QPalette::Base, QColor(0xe3, 0xe3, 0xe3));  // the light 3-D face
  richEdit_->setPalette(pal);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(richEdit_);
  setFixedSize(600, 440);
}

void HelpDialog::sync() {
  const HelpText& help = model_.RichEdit1;
  richEdit_->clear();
  if (!help.rich) {
    richEdit_->setPlainText(ToQ(help.text));
  } else {
    QTextCursor cursor(richEdit_->document());
    for (const RichRun& run : ParseRtf(help.text)) {
      QTextCharFormat format;
      format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
      format.setFontItalic(run.italic);
      format.setFontUnderline(run.underline);
      const QStringList paragraphs = ToQ(run.text).split(QLatin1Char('\n'));
      for (int i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) cursor.insertBlock();
        cursor.insertText(paragraphs[i], format);
      }
    }
  }
  richEdit_->moveCursor(QTextCursor::Start);
}

// ---- About.

// A label that opens its target: the hand pointer over it, blue while the mouse is on it.
class LinkLabel : public QLabel {
 public:
  LinkLabel(const QString& name, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    QFont f = font();
    f.setBold(true);
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setHovered(false);
  }
  std::function<void()> onClick;
  void setHovered(bool on) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText,
                 on ? QColor(0, 0, 255) : QApplication::palette().color(QPalette::WindowText));
    setPalette(pal);
  }
  bool hovered() const { return palette().color(QPalette::WindowText) == QColor(0, 0, 255); }

 protected:
  void enterEvent(QEnterEvent* e) override {
    setHovered(true);
    QLabel::enterEvent(e);
  }
  void leaveEvent(QEvent* e) override {
    setHovered(false);
    QLabel::leaveEvent(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick)
      onClick();
    QLabel::mouseReleaseEvent(e);
  }
};

AboutDialog::AboutDialog(TfrmMain& main, QWidget* parent) : QDialog(parent), main_(main) {
  setObjectName(QStringLiteral("TAboutBox"));
  const TAboutBox& m = main_.aboutBox;
  setWindowTitle(ToQ(m.Caption));
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Sunken);
  auto* picture = new QLabel(panel);
  picture->setObjectName(QStringLiteral("ProgramIcon"));
  picture->setFixedSize(120, 160);
  picture->setAlignment(Qt::AlignCenter);
  picture->setPixmap(AboutPicture());

  auto label = [&](const char* name) {
    auto* l = new QLabel(panel);
    l->setObjectName(QString::fromLatin1(name));
    return l;
  };
  productName_ = label("ProductName");
  version_ = label("Version");
  copyright_ = label("Copyright");
  copyright_->setWordWrap(true);
  comments_ = label("Comments");
  comments_->setWordWrap(true);
  comments_->setFixedSize(300, 48);
  comments_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label2_ = label("Label2");
  label3_ = label("Label3");
  label1_ = new LinkLabel(QStringLiteral("Label1"), panel);
  label4_ = new LinkLabel(QStringLiteral("Label4"), panel);
  label1_->onClick = [this] { main_.handleEvent([&] { main_.aboutBox.Label1Click(main_.ui()); }); };
  label4_->onClick = [this] { main_.handleEvent([&] { main_.aboutBox.Label4Click(main_.ui()); }); };

  auto* texts = new QVBoxLayout;
  texts->setSpacing(6);
  texts->addWidget(productName_);
  texts->addWidget(version_);
  texts->addWidget(copyright_);
  auto* links = new QFormLayout;
  links->setHorizontalSpacing(6);
  links->addRow(label2_, label1_);
  links->addRow(label3_, label4_);
  texts->addLayout(links);
  texts->addWidget(comments_);
  texts->addStretch();
  auto* inside = new QHBoxLayout(panel);
  inside->setContentsMargins(8, 8, 8, 8);
  inside->setSpacing(12);
  inside->addWidget(picture, 0, Qt::AlignTop);
  inside->addLayout(texts);

  ok_ = new QPushButton(ToQ(m.OKButton), this);
  ok_->setObjectName(QStringLiteral("OKButton"));
  ok_->setDefault(true);
  ok_->setMinimumWidth(90);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  auto* top = new QVBoxLayout(this);
  top->addWidget(panel);
  top->addWidget(ok_, 0, Qt::AlignHCenter);
  top->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::sync() {
  const TAboutBox& m = main_.aboutBox;
  setWindowTitle(ToQ(m.Caption));
  productName_->setText(ToQ(m.ProductName));
  version_->setText(ToQ(m.Version));
  copyright_->setText(ToQ(m.Copyright));
  comments_->setText(ToQ(m.Comments));
  label2_->setText(ToQ(m.Label2));
  label3_->setText(ToQ(m.Label3));
  label1_->setText(ToQ(m.Label1));
  label4_->setText(ToQ(m.Label4));
}

}  // namespace quorvex::ui
