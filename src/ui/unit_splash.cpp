#include "unit_splash.h"

#include <QLabel>
#include <QPushButton>

#include "platform/version/verinfo.h"
#include "ui/vclfont.h"
#include "ui_unit_splash.h"

namespace tw {

TfrmSplash* frmSplash = nullptr;

namespace {

void setLook(QLabel* label, const QFont& font, const QColor& color) {
  label->setFont(font);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, color);
  pal.setColor(QPalette::Link, color);
  label->setPalette(pal);
  label->setAutoFillBackground(false);  // the gradient shows through
}

}  // namespace

TfrmSplash::TfrmSplash(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TfrmSplash>()) {
  ui_->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(608, 310);
  setFont(vclFont(QStringLiteral("MS Sans Serif"), 11));
  const QPalette pal = palette();
  const QColor orange = bgrColor(26367);
  setLook(ui_->RzLabel1, vclFont(QStringLiteral("MS Sans Serif"), 16),
          pal.color(QPalette::WindowText));
  setLook(ui_->RzLabel2, vclFont(QStringLiteral("Courier New"), 85, {true, true, false}), orange);
  setLook(ui_->RzURLLabel1, vclFont(QStringLiteral("MS Sans Serif"), 16, {false, false, true}),
          pal.color(QPalette::Highlight));
  setLook(ui_->RzLabel3, vclFont(QStringLiteral("Courier New"), 24, {true, true, false}), orange);
  setLook(ui_->RzLabel4, vclFont(QStringLiteral("Courier New"), 27, {true, true, false}),
          QColor(128, 0, 0));
  setLook(ui_->lbVERSION, vclFont(QStringLiteral("MS Sans Serif"), 16),
          pal.color(QPalette::WindowText));
  // The link label shows its own colour and underline, not the rich-text default.
  ui_->RzURLLabel1->setText(
      QStringLiteral("<a href=\"mailto:vek@vek.example\" style=\"color:%1;\">vek@vek.example</a>")
          .arg(pal.color(QPalette::Highlight).name()));
  ui_->RzButton1->setStyleSheet(QStringLiteral(
      "QPushButton#RzButton1 { border: 1px solid rgb(0,60,116); background: rgb(244,244,240); "
      "padding: 3px; }"
      "QPushButton#RzButton1:hover { background: rgb(255,255,255); border-color: rgb(0,90,170); }"
      "QPushButton#RzButton1:pressed { background: rgb(225,225,218); }"));
  connect(ui_->RzButton1, &QPushButton::clicked, this, &TfrmSplash::RzButton1Click);
  ui_->RzButton1->setFocus();
}

TfrmSplash::~TfrmSplash() = default;

void TfrmSplash::RzButton1Click() {
  close();
}

QString GetVersionCaption() {
  return QStringLiteral("Версия %1").arg(QString::fromStdString(GetExeVersion()));
}

void ShowAboutBox() {
  // Belongs to the application: kept (and reachable) until the process ends.
  delete frmSplash;  // shown once per run; a second call replaces it
  frmSplash = new TfrmSplash();
  frmSplash->findChild<QLabel*>(QStringLiteral("lbVERSION"))->setText(GetVersionCaption());
  frmSplash->move(298, 204);
  frmSplash->exec();
}

}  // namespace tw
