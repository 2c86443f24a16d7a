#include "fbclient.h"

#include <QStringDecoder>
#include <string>

#include "platform/error.h"

namespace tw::db::fb {

Firebird::IMaster* master() {
  static Firebird::IMaster* m = Firebird::fb_get_master_interface();
  return m;
}

Firebird::IUtil* util() {
  return master()->getUtilInterface();
}

Status::Status() : status_(master()->getStatus()), wrapper_(status_) {}

Status::~Status() {
  status_->dispose();
}

bool Status::failed() const {
  return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0;
}

void Status::raise() {
  char buf[2048];
  const unsigned n = util()->formatStatus(buf, sizeof buf, &wrapper_);
  QByteArray raw(buf, static_cast<qsizetype>(n));
  while (raw.endsWith('\n') || raw.endsWith('\r') || raw.endsWith(' ')) raw.chop(1);
  // The engine's own texts are ASCII; names and values quoted in them come in
  // the connection's character set.
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(raw);
  if (utf8.hasError()) text = fromWin1251(raw.constData(), raw.size());
  wrapper_.init();
  throw Error(errkind::kDatabase, text.toStdString());
}

}  // namespace tw::db::fb
