#include "formstorageex.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include "platform/error.h"

namespace tw {

namespace {

const QString kFormVersion = QStringLiteral("FormVersion");
const QString kFlags = QStringLiteral("Flags");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kPixels = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");
const QString kVisible = QStringLiteral("Visible");
const QString kActiveControl = QStringLiteral("ActiveControl");

// Window show commands as the platform numbers them.
constexpr int kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3;

QSize screenSize(const QWidget* w) {
  const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->size() : QSize(0, 0);
}

int screenPixelsPerInch(const QWidget* w) {
  const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

QString withScreen(const QString& name, QSize screen) {
  return QStringLiteral("%1(%2x%3)").arg(name).arg(screen.width()).arg(screen.height());
}

bool parse4(const QString& text, int (&out)[4]) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 4) return false;
  bool ok = true;
  for (int i = 0; i < 4 && ok; ++i) out[i] = parts[i].trimmed().toInt(&ok);
  return ok;
}

// Integers are kept as text, as the old program's registry file wrote them;
// a number stored as a number reads the same.
int readInt(const QSettings& s, const QString& name, int fallback) {
  bool ok = false;
  const int v = s.value(name).toString().trimmed().toInt(&ok);
  return ok ? v : fallback;
}

}  // namespace

TFormStorageEx::TFormStorageEx(QWidget* owner) : QObject(owner), owner_(owner) {
  setObjectName(QStringLiteral("FormStorageEx"));
  IniFileName = QStringLiteral("Software\\Vek\\Forms\\") + formClassName();
  owner_->installEventFilter(this);
}

TFormStorageEx::~TFormStorageEx() = default;

bool TFormStorageEx::eventFilter(QObject* watched, QEvent* event) {
  if (watched == owner_ && event->type() == QEvent::Show && pendingOuter_.isValid()) {
    const QSize outer = pendingOuter_;
    pendingOuter_ = QSize();
    const QSize frame = owner_->frameGeometry().size() - owner_->geometry().size();
    if (!frame.isNull()) owner_->resize(outer - frame);
  }
  return QObject::eventFilter(watched, event);
}

QString TFormStorageEx::formClassName() const {
  QString name = QString::fromLatin1(owner_->metaObject()->className());
  const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
  return colons >= 0 ? name.mid(colons + 2) : name;
}

QString TFormStorageEx::iniPathFor(const QString& iniFileName) {
  QString rel = iniFileName;
  rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (rel.startsWith(QLatin1String("Software/"), Qt::CaseInsensitive)) rel = rel.mid(9);
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QLatin1Char('/') + rel + QStringLiteral(".ini");
}

std::unique_ptr<QSettings> TFormStorageEx::openKey(const QString& iniFileName) {
#ifdef _WIN32
  return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + iniFileName,
                                     QSettings::NativeFormat);
#else
  return std::make_unique<QSettings>(iniPathFor(iniFileName), QSettings::IniFormat);
#endif
}

void TFormStorageEx::applySizeLimits() {
  if (MinTrackSize.isValid()) owner_->setMinimumSize(MinTrackSize);
  if (MaxTrackSize.isValid()) owner_->setMaximumSize(MaxTrackSize);
}

void TFormStorageEx::StoreFormPlacement() {
  if (Active && !restored_) return;
  std::unique_ptr<QSettings> s =
      UseRegistry ? openKey(IniFileName)
                  : std::make_unique<QSettings>(IniFileName, QSettings::IniFormat);
  const QString section = IniSection.isEmpty() ? formClassName() : IniSection;
  const QSize screen = screenSize(owner_);
  const QRect frame = owner_->frameGeometry();
  const QRect inner = owner_->geometry();
  // The normal position is the outer window; while maximised, the size it
  // returns to.
  QRect normal = owner_->isMaximized() || owner_->isMinimized() ? owner_->normalGeometry() : inner;
  normal.adjust(frame.left() - inner.left(), frame.top() - inner.top(),
                frame.right() - inner.right(), frame.bottom() - inner.bottom());
  int showCmd = kShowNormal;
  if (owner_->isMaximized())
    showCmd = kShowMaximized;
  else if (owner_->isMinimized())
    showCmd = kShowMinimized;

  s->beginGroup(section);
  s->setValue(kFormVersion, QString::number(Version));
  s->setValue(kFlags, QStringLiteral("0"));
  s->setValue(kShowCmd, QString::number(showCmd));
  s->setValue(kPixels, QString::number(screenPixelsPerInch(owner_)));
  const QString minMax = QStringLiteral("-1,-1,-1,-1");
  const QString norm = QStringLiteral("%1,%2,%3,%4")
                           .arg(normal.left())
                           .arg(normal.top())
                           .arg(normal.left() + normal.width())
                           .arg(normal.top() + normal.height());
  s->setValue(kMinMaxPos, minMax);
  s->setValue(withScreen(kMinMaxPos, screen), minMax);
  s->setValue(kNormPos, norm);
  s->setValue(withScreen(kNormPos, screen), norm);
  s->setValue(kVisible, owner_->isVisible() ? QStringLiteral("1") : QStringLiteral("0"));
  if (Options & static_cast<unsigned>(PlacementOption::fpActiveControl)) {
    const QWidget* focus = owner_->focusWidget();
    s->setValue(kActiveControl, focus ? focus->objectName() : QString());
  }
  s->endGroup();
  saveStep(*s);
  s->sync();
  if (s->status() != QSettings::NoError)
    throw Error(errkind::kGeneral,
                "Failed to write the window placement to \"" + IniFileName.toStdString() + "\".");
}

void TFormStorageEx::LoadFormPlacement() {
  applySizeLimits();
  std::unique_ptr<QSettings> s =
      UseRegistry ? openKey(IniFileName)
                  : std::make_unique<QSettings>(IniFileName, QSettings::IniFormat);
  restored_ = true;
  const QString section = IniSection.isEmpty() ? formClassName() : IniSection;
  s->beginGroup(section);
  const int storedVersion = readInt(*s, kFormVersion, 0);
  if (storedVersion < Version) {
    s->endGroup();
    return;
  }
  const QSize screen = screenSize(owner_);
  QString norm = s->value(withScreen(kNormPos, screen)).toString();
  if (norm.isEmpty()) norm = s->value(kNormPos).toString();
  int r[4];
  const bool samePixels = readInt(*s, kPixels, -1) == screenPixelsPerInch(owner_);
  if (samePixels && parse4(norm, r) && r[2] > r[0] && r[3] > r[1]) {
    const QRect frame = owner_->frameGeometry(), inner = owner_->geometry();
    const int extraW = frame.width() - inner.width(), extraH = frame.height() - inner.height();
    if (Options & static_cast<unsigned>(PlacementOption::fpPosition)) owner_->move(r[0], r[1]);
    owner_->resize(r[2] - r[0] - extraW, r[3] - r[1] - extraH);
    // A window not shown yet has no frame: the size is mended once it has one.
    pendingOuter_ = owner_->isVisible() ? QSize() : QSize(r[2] - r[0], r[3] - r[1]);
  }
  if (Options & static_cast<unsigned>(PlacementOption::fpState)) {
    const int showCmd = readInt(*s, kShowCmd, kShowNormal);
    // A window is never restored minimised: it would open out of sight.
    owner_->setWindowState(showCmd == kShowMaximized ? Qt::WindowMaximized : Qt::WindowNoState);
  }
  s->endGroup();
  restoreStep(*s);
}

void TFormStorageEx::saveStep(QSettings& s) {
  if (OnSavePlacement) OnSavePlacement(this);
  if (!SaveDBGridEh || !UseRegistry || !owner_) return;
  const QString formClass = formClassName();
  for (TDBColorGridEh* grid : owner_->findChildren<TDBColorGridEh*>())
    grid->StoreGridLayout(s, formClass + grid->objectName());
}

void TFormStorageEx::restoreStep(QSettings& s) {
  if (OnRestorePlacement) OnRestorePlacement(this);
  if (!SaveDBGridEh || !UseRegistry || !owner_) return;
  const QString formClass = formClassName();
  for (TDBColorGridEh* grid : owner_->findChildren<TDBColorGridEh*>())
    grid->LoadGridLayout(s, formClass + grid->objectName(), RestoreParams);
}

}  // namespace tw
