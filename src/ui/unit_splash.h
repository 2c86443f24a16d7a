#pragma once
// The About box (command 1): product name, subtitle, authors, contact link
// and the version read from the executable's own version block.
#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TfrmSplash;
}

namespace tw {

class TfrmSplash : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmSplash(QWidget* parent = nullptr);
  ~TfrmSplash() override;

 public slots:
  void RzButton1Click();

 private:
  std::unique_ptr<Ui::TfrmSplash> ui_;
};

// The About box of this run, once shown (it lives to the end of the process).
extern TfrmSplash* frmSplash;

// "Версия %s" with the executable's file version.
QString GetVersionCaption();
void ShowAboutBox();

}  // namespace tw
