#include "database.h"

#include "database_impl.h"
#include "platform/error.h"

namespace tw::db {

using namespace Firebird;

Database::Database() : d_(std::make_unique<Impl>()) {
  defaultTr_ = std::make_unique<Transaction>(*this);
}

Database::~Database() {
  close();
  if (d_->provider) d_->provider->release();
}

void Database::setDatabaseName(const QString& name) {
  d_->name = name;
}
void Database::setUserName(const QString& name) {
  d_->user = name;
}
void Database::setPassword(const QString& password) {
  d_->password = password;
}
void Database::setRoleName(const QString& role) {
  d_->role = role;
}
QString Database::databaseName() const {
  return d_->name;
}
QString Database::userName() const {
  return d_->user;
}
QString Database::roleName() const {
  return d_->role;
}
Transaction& Database::defaultTransaction() {
  return *defaultTr_;
}
Database::Impl& Database::impl() {
  return *d_;
}
bool Database::connected() const {
  return d_->att != nullptr;
}

void Database::connect() {
  if (d_->att) return;
  fb::Status st;
  if (!d_->provider) d_->provider = fb::master()->getDispatcher();
  IXpbBuilder* dpb = fb::util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
  st.check();
  struct Free {
    IXpbBuilder* b;
    ~Free() { b->dispose(); }
  } freeDpb{dpb};
  // Every text of the block in UTF-8, the path included: otherwise the client
  // reads them in the connection's character set and refuses Russian letters.
  dpb->insertTag(&st, isc_dpb_utf8_filename);
  if (!d_->user.isEmpty()) dpb->insertString(&st, isc_dpb_user_name, d_->user.toUtf8().constData());
  if (!d_->password.isEmpty())
    dpb->insertString(&st, isc_dpb_password, d_->password.toUtf8().constData());
  if (!d_->role.isEmpty())
    dpb->insertString(&st, isc_dpb_sql_role_name, d_->role.toUtf8().constData());
  dpb->insertString(&st, isc_dpb_lc_ctype, "WIN1251");
  dpb->insertInt(&st, isc_dpb_sql_dialect, 1);
  st.check();
  const QByteArray path = d_->name.toUtf8();
  IAttachment* att = d_->provider->attachDatabase(&st, path.constData(), dpb->getBufferLength(&st),
                                                  dpb->getBuffer(&st));
  if (st.failed()) {
    if (att) att->release();
    st.raise();
  }
  d_->att = att;
}

void Database::close() {
  if (!d_->att) return;
  defaultTr_->rollback();
  fb::Status st;
  d_->att->detach(&st);
  if (st.failed()) d_->att->release();
  d_->att = nullptr;
}

void Database::execute(const QString& sql) {
  if (!d_->att) throw Error(errkind::kDatabase, "Database is not connected");
  fb::Status st;
  ITransaction* tr = d_->att->startTransaction(&st, 0, nullptr);
  st.check();
  const QByteArray text = fb::toWin1251(sql);
  d_->att->execute(&st, tr, static_cast<unsigned>(text.size()), text.constData(), 1, nullptr,
                   nullptr, nullptr, nullptr);
  if (st.failed()) {
    fb::Status st2;
    tr->rollback(&st2);
    if (st2.failed()) tr->release();
    st.raise();
  }
  tr->commit(&st);
  if (st.failed()) {
    tr->release();
    st.raise();
  }
}

Transaction::Transaction(Database& db) : db_(db), d_(std::make_unique<Impl>()) {}

Transaction::~Transaction() {
  rollback();
}

bool Transaction::active() const {
  return d_->tr != nullptr;
}
Transaction::Impl& Transaction::impl() {
  return *d_;
}

void Transaction::start() {
  if (d_->tr) return;
  IAttachment* att = db_.impl().att;
  if (!att) throw Error(errkind::kDatabase, "Database is not connected");
  static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_nowait,
                                      isc_tpb_rec_version, isc_tpb_read_committed};
  fb::Status st;
  ITransaction* tr = att->startTransaction(&st, sizeof tpb, tpb);
  st.check();
  d_->tr = tr;
}

void Transaction::rollback() {
  if (!d_->tr) return;
  fb::Status st;
  d_->tr->rollback(&st);
  if (st.failed()) d_->tr->release();
  d_->tr = nullptr;
}

}  // namespace tw::db
