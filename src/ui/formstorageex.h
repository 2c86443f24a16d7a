#pragma once
// TFormStorageEx: keeps a form's window placement between runs, together with
// the column layout and row height of every TDBColorGridEh the form owns.
// On Windows the values live in the registry of the current user; elsewhere
// in an INI file per key under the user's configuration folder. Key paths,
// sections, value names and text forms are those of the old program, so its
// stored placements are read.
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

#include "ui/dbcolorgrideh.h"

class QSettings;
class QWidget;

namespace tw {

enum class PlacementOption : unsigned { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using PlacementOptions = unsigned;

class TFormStorageEx : public QObject {
  Q_OBJECT
 public:
  // `owner`: the form; the key is named after its class.
  explicit TFormStorageEx(QWidget* owner);
  ~TFormStorageEx() override;

  // --- properties (values after construction in comments) -------------------
  TDBGridEhRestoreParams RestoreParams = 0;  // empty
  bool SaveDBGridEh = true;
  bool UseRegistry = true;
  PlacementOptions Options = static_cast<unsigned>(PlacementOption::fpState) |
                             static_cast<unsigned>(PlacementOption::fpPosition);
  QString IniFileName;  // "Software\Vek\Forms\" + the owner's class name
  QString IniSection;   // empty: the owner's class name
  bool Active = true;
  int Version = 0;
  QSize MinTrackSize, MaxTrackSize;  // window size limits; empty: none
  std::function<void(QObject* sender)> OnSavePlacement;
  std::function<void(QObject* sender)> OnRestorePlacement;

  void StoreFormPlacement();
  void LoadFormPlacement();
  bool restored() const { return restored_; }

  // The storage behind a key: the registry key under HKEY_CURRENT_USER on
  // Windows, elsewhere the INI file for it (also what tests inspect).
  static std::unique_ptr<QSettings> openKey(const QString& iniFileName);
  static QString iniPathFor(const QString& iniFileName);

  // The owner form's class name: its Qt class name, as the old program named
  // its forms.
  QString formClassName() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void saveStep(QSettings& s);
  void restoreStep(QSettings& s);
  void applySizeLimits();

  QWidget* owner_;
  bool restored_ = false;
  QSize pendingOuter_;  // outer size still to apply once the frame is known
};

}  // namespace tw
