#include "query.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "database_impl.h"
#include "platform/automation/strtoint.h"
#include "platform/error.h"

namespace tw::db {

using namespace Firebird;

namespace {

// Firebird's ids of the character sets that matter here.
constexpr unsigned kNone = 0;
constexpr unsigned kOctets = 1;
constexpr unsigned kWin1251 = 52;

struct Column {
  QString name;
  unsigned type = 0;
  int subType = 0;
  unsigned length = 0;
  int scale = 0;
  unsigned offset = 0;
  unsigned nullOffset = 0;
};

template <typename T>
T load(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename T>
void store(unsigned char* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

// ISC_DATE counts days from 17.11.1858 (Julian day 2400001).
constexpr qint64 kIscDateBase = 2400001;

QDateTime fromIsc(ISC_DATE date, ISC_TIME time) {
  const QDate d = QDate::fromJulianDay(kIscDateBase + date);
  const QTime t = QTime(0, 0).addMSecs(static_cast<int>(time / 10));
  return QDateTime(d, t);
}

void toIsc(const QDateTime& dt, ISC_DATE& date, ISC_TIME& time) {
  date = static_cast<ISC_DATE>(dt.date().toJulianDay() - kIscDateBase);
  time = static_cast<ISC_TIME>(dt.time().msecsSinceStartOfDay()) * 10;
}

double pow10(int scale) {
  return std::pow(10.0, scale);
}

[[noreturn]] void convertError(const QString& text, const char* what) {
  throw Error(
      errkind::kConvert,
      QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)).toStdString());
}

}  // namespace

QDateTime zeroDateTime() {
  return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

struct Query::Impl {
  Database* db = nullptr;
  Transaction* tr = nullptr;
  QString sql;
  std::vector<QVariant> params;

  IStatement* stmt = nullptr;
  IResultSet* rs = nullptr;
  IMessageMetadata* outMeta = nullptr;
  std::vector<Column> cols;
  unsigned rowSize = 0;
  std::vector<unsigned char> rows;  // every fetched row's message, back to back
  int nRows = 0;
  bool serverDone = true;
  bool isOpen = false;
  int cur = -1;
  bool eof = true;

  const unsigned char* row(int r) const { return rows.data() + static_cast<size_t>(r) * rowSize; }

  // Fetches up to n rows into the cache; returns how many came.
  int fetch(int n) {
    int got = 0;
    fb::Status st;
    while (got < n && !serverDone) {
      const size_t need = static_cast<size_t>(nRows + 1) * rowSize;
      if (rows.size() < need) rows.resize(std::max(need, rows.size() * 2));
      const int r = rs->fetchNext(&st, rows.data() + static_cast<size_t>(nRows) * rowSize);
      if (r == IStatus::RESULT_OK) {
        ++nRows;
        ++got;
      } else if (r == IStatus::RESULT_NO_DATA) {
        serverDone = true;
      } else {
        // An error while fetching is an error, never the end of the rows.
        st.check();
        throw Error(errkind::kDatabase, "Fetch failed");
      }
    }
    if (serverDone) releaseCursor();
    return got;
  }

  void releaseCursor() {
    if (rs) {
      fb::Status st;
      rs->close(&st);
      if (st.failed()) rs->release();
      rs = nullptr;
    }
  }

  void releaseAll() {
    releaseCursor();
    if (outMeta) {
      outMeta->release();
      outMeta = nullptr;
    }
    if (stmt) {
      fb::Status st;
      stmt->free(&st);
      if (st.failed()) stmt->release();
      stmt = nullptr;
    }
    cols.clear();
    rows.clear();
    rows.shrink_to_fit();
    nRows = 0;
    rowSize = 0;
    serverDone = true;
    isOpen = false;
    cur = -1;
    eof = true;
  }

  int column(const QString& name) const {
    for (size_t i = 0; i < cols.size(); ++i)
      if (cols[i].name == name) return static_cast<int>(i);
    for (size_t i = 0; i < cols.size(); ++i)
      if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
  }

  int columnOrThrow(const QString& name) const {
    const int c = column(name);
    if (c < 0)
      throw Error(errkind::kDatabase,
                  QStringLiteral("Field \"%1\" not found").arg(name).toStdString());
    return c;
  }

  void checkColumn(int c) const {
    if (c < 0 || c >= static_cast<int>(cols.size()))
      throw Error(errkind::kDatabase,
                  QStringLiteral("Field index %1 out of range").arg(c).toStdString());
  }

  // The cell's bytes, or nullptr for a null or no such row.
  const unsigned char* cell(int r, int c) const {
    if (r < 0 || r >= nRows) return nullptr;
    const unsigned char* p = row(r);
    const Column& col = cols[static_cast<size_t>(c)];
    if (load<short>(p + col.nullOffset) != 0) return nullptr;
    return p + col.offset;
  }

  QVariant decode(int r, int c) const {
    const unsigned char* p = cell(r, c);
    if (!p) return {};
    const Column& col = cols[static_cast<size_t>(c)];
    auto scaled = [&](qint64 v) -> QVariant {
      if (col.scale < 0) return static_cast<double>(v) * pow10(col.scale);
      return v;
    };
    switch (col.type) {
      case SQL_TEXT:
        return fb::fromWin1251(reinterpret_cast<const char*>(p), col.length);
      case SQL_VARYING:
        return fb::fromWin1251(reinterpret_cast<const char*>(p + 2), load<unsigned short>(p));
      case SQL_SHORT:
        return scaled(load<ISC_SHORT>(p));
      case SQL_LONG:
        return scaled(load<ISC_LONG>(p));
      case SQL_INT64:
        return scaled(load<ISC_INT64>(p));
      case SQL_FLOAT:
        return static_cast<double>(load<float>(p));
      case SQL_DOUBLE:
      case SQL_D_FLOAT:
        return load<double>(p);
      case SQL_TIMESTAMP:
        return fromIsc(load<ISC_DATE>(p), load<ISC_TIME>(p + sizeof(ISC_DATE)));
      case SQL_TYPE_DATE:
        return fromIsc(load<ISC_DATE>(p), 0);
      case SQL_TYPE_TIME: {
        const QTime t = QTime(0, 0).addMSecs(static_cast<int>(load<ISC_TIME>(p) / 10));
        return QDateTime(zeroDateTime().date(), t);
      }
      case SQL_BOOLEAN:
        return p[0] != 0;
      default:
        return QStringLiteral("(unsupported type %1)").arg(col.type);
    }
  }

  bool isText(int c) const {
    const unsigned t = cols[static_cast<size_t>(c)].type;
    return t == SQL_TEXT || t == SQL_VARYING;
  }

  qint64 asInteger(int c) const {
    checkColumn(c);
    const QVariant v = decode(cur, c);
    if (v.isNull()) return 0;
    switch (v.typeId()) {
      case QMetaType::LongLong:
        return v.toLongLong();
      case QMetaType::Double:
        return std::llround(v.toDouble());
      case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
      case QMetaType::QString: {
        QString s = v.toString();
        if (cols[static_cast<size_t>(c)].type == SQL_TEXT) {
          while (s.endsWith(QLatin1Char(' '))) s.chop(1);
        }
        return tw::strToInt(s.toStdString());
      }
      default:
        convertError(v.toString(), "integer value");
    }
  }

  double asDouble(int c) const {
    checkColumn(c);
    const QVariant v = decode(cur, c);
    if (v.isNull()) return 0.0;
    switch (v.typeId()) {
      case QMetaType::LongLong:
        return static_cast<double>(v.toLongLong());
      case QMetaType::Double:
        return v.toDouble();
      case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
      case QMetaType::QDateTime:
        return static_cast<double>(zeroDateTime().msecsTo(v.toDateTime())) / 86400000.0;
      default: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (!ok) convertError(v.toString(), "floating point value");
        return d;
      }
    }
  }

  QDateTime asDateTime(int c) const {
    checkColumn(c);
    const QVariant v = decode(cur, c);
    if (v.isNull()) return zeroDateTime();
    switch (v.typeId()) {
      case QMetaType::QDateTime:
        return v.toDateTime();
      case QMetaType::LongLong:
      case QMetaType::Double:
        return zeroDateTime().addMSecs(
            static_cast<qint64>(std::llround(v.toDouble() * 86400000.0)));
      default:
        convertError(v.toString(), "date and time");
    }
  }

  QString asString(int c) const {
    checkColumn(c);
    const QVariant v = decode(cur, c);
    if (v.isNull()) return {};
    switch (v.typeId()) {
      case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0)) return dt.toString(QStringLiteral("dd.MM.yyyy"));
        return dt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
      }
      case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
      case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
      default:
        return v.toString();
    }
  }

  // The input message for the bound parameters, in types of our choosing:
  // the server converts them to the parameters' own types.
  struct Input {
    IMessageMetadata* meta = nullptr;
    std::vector<unsigned char> buf;
    ~Input() {
      if (meta) meta->release();
    }
  };

  void buildInput(Input& in) {
    fb::Status st;
    IMessageMetadata* declared = stmt->getInputMetadata(&st);
    st.check();
    struct Rel {
      IMessageMetadata* m;
      ~Rel() { m->release(); }
    } relDeclared{declared};
    const unsigned n = declared->getCount(&st);
    st.check();
    if (n == 0) return;
    IMetadataBuilder* b = declared->getBuilder(&st);
    st.check();
    struct RelB {
      IMetadataBuilder* b;
      ~RelB() { b->release(); }
    } relB{b};
    std::vector<QByteArray> texts(n);
    for (unsigned i = 0; i < n; ++i) {
      const QVariant v = i < params.size() ? params[i] : QVariant();
      if (v.isNull()) continue;  // keeps its declared type, sent as NULL
      switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Bool:
          b->setType(&st, i, SQL_INT64);
          b->setLength(&st, i, sizeof(ISC_INT64));
          b->setScale(&st, i, 0);
          b->setSubType(&st, i, 0);
          break;
        case QMetaType::Double:
        case QMetaType::Float:
          b->setType(&st, i, SQL_DOUBLE);
          b->setLength(&st, i, sizeof(double));
          b->setScale(&st, i, 0);
          b->setSubType(&st, i, 0);
          break;
        case QMetaType::QDateTime:
        case QMetaType::QDate:
          b->setType(&st, i, SQL_TIMESTAMP);
          b->setLength(&st, i, sizeof(ISC_TIMESTAMP));
          b->setScale(&st, i, 0);
          b->setSubType(&st, i, 0);
          break;
        default:
          texts[i] = fb::toWin1251(v.toString());
          b->setType(&st, i, SQL_VARYING);
          b->setLength(&st, i, static_cast<unsigned>(std::max<qsizetype>(texts[i].size(), 1)));
          // Text meant for a column without a character set goes as raw
          // bytes; any other is labelled Windows-1251 for the server to convert.
          if (const unsigned cs = declared->getCharSet(&st, i); cs != kNone && cs != kOctets)
            b->setCharSet(&st, i, kWin1251);
          b->setScale(&st, i, 0);
          b->setSubType(&st, i, 0);
          break;
      }
      st.check();
    }
    in.meta = b->getMetadata(&st);
    st.check();
    in.buf.assign(in.meta->getMessageLength(&st), 0);
    st.check();
    for (unsigned i = 0; i < n; ++i) {
      const QVariant v = i < params.size() ? params[i] : QVariant();
      unsigned char* p = in.buf.data() + in.meta->getOffset(&st, i);
      unsigned char* nullp = in.buf.data() + in.meta->getNullOffset(&st, i);
      st.check();
      if (v.isNull()) {
        store<short>(nullp, -1);
        continue;
      }
      store<short>(nullp, 0);
      switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Bool:
          store<ISC_INT64>(p, v.toLongLong());
          break;
        case QMetaType::Double:
        case QMetaType::Float:
          store<double>(p, v.toDouble());
          break;
        case QMetaType::QDateTime:
        case QMetaType::QDate: {
          ISC_DATE d;
          ISC_TIME t;
          toIsc(v.toDateTime(), d, t);
          store(p, d);
          store(p + sizeof d, t);
          break;
        }
        default:
          store<unsigned short>(p, static_cast<unsigned short>(texts[i].size()));
          std::memcpy(p + 2, texts[i].constData(), static_cast<size_t>(texts[i].size()));
          break;
      }
    }
  }

  void open() {
    if (!tr->active()) tr->start();
    IAttachment* att = db->impl().att;
    ITransaction* t = tr->impl().tr;
    fb::Status st;
    const QByteArray text = fb::toWin1251(sql);
    stmt = att->prepare(&st, t, static_cast<unsigned>(text.size()), text.constData(), 1,
                        IStatement::PREPARE_PREFETCH_METADATA);
    st.check();
    outMeta = stmt->getOutputMetadata(&st);
    st.check();
    const unsigned n = outMeta->getCount(&st);
    rowSize = outMeta->getMessageLength(&st);
    st.check();
    cols.resize(n);
    for (unsigned i = 0; i < n; ++i) {
      Column& c = cols[i];
      c.name = fb::fromWin1251(outMeta->getAlias(&st, i), -1);
      c.type = outMeta->getType(&st, i) & ~1u;
      c.subType = outMeta->getSubType(&st, i);
      c.length = outMeta->getLength(&st, i);
      c.scale = outMeta->getScale(&st, i);
      c.offset = outMeta->getOffset(&st, i);
      c.nullOffset = outMeta->getNullOffset(&st, i);
      st.check();
    }
    Input in;
    buildInput(in);
    rs = stmt->openCursor(&st, t, in.meta, in.buf.empty() ? nullptr : in.buf.data(), outMeta, 0);
    st.check();
    serverDone = false;
    isOpen = true;
    fetch(1);
    cur = nRows > 0 ? 0 : -1;
    eof = nRows == 0;
  }
};

Query::Query(Database& db) : Query(db, db.defaultTransaction()) {}

Query::Query(Database& db, Transaction& tr) : d_(std::make_unique<Impl>()) {
  d_->db = &db;
  d_->tr = &tr;
}

Query::~Query() {
  close();
}

void Query::setSql(const QString& sql) {
  if (sql == d_->sql) return;
  close();
  d_->sql = sql;
  d_->params.clear();
}

QString Query::sql() const {
  return d_->sql;
}

void Query::bind(int index, const QVariant& value) {
  if (index < 0) throw Error(errkind::kDatabase, "Parameter index out of range");
  if (d_->params.size() <= static_cast<size_t>(index))
    d_->params.resize(static_cast<size_t>(index) + 1);
  d_->params[static_cast<size_t>(index)] = value;
}

void Query::open() {
  if (d_->isOpen) return;
  if (!d_->db->connected()) throw Error(errkind::kDatabase, "Database is not connected");
  try {
    d_->open();
  } catch (...) {
    d_->releaseAll();
    throw;
  }
}

void Query::close() {
  d_->releaseAll();
}
bool Query::isOpen() const {
  return d_->isOpen;
}
bool Query::isEmpty() const {
  return d_->nRows == 0;
}
bool Query::eof() const {
  return d_->eof;
}

bool Query::next() {
  if (!d_->isOpen) return false;
  if (d_->cur + 1 >= d_->nRows) d_->fetch(1);
  if (d_->cur + 1 < d_->nRows) {
    ++d_->cur;
    d_->eof = false;
    return true;
  }
  d_->eof = true;
  return false;
}

void Query::first() {
  if (d_->nRows > 0) {
    d_->cur = 0;
    d_->eof = false;
  }
}

int Query::currentRow() const {
  return d_->cur;
}
Query::Bookmark Query::bookmark() const {
  return d_->cur;
}

void Query::goToBookmark(Bookmark b) {
  if (b >= d_->nRows && d_->isOpen) d_->fetch(b + 1 - d_->nRows);
  if (b < 0 || b >= d_->nRows) throw Error(errkind::kDatabase, "Record not found");
  d_->cur = b;
  d_->eof = false;
}

int Query::fieldCount() const {
  return static_cast<int>(d_->cols.size());
}

QStringList Query::fieldNames() const {
  QStringList names;
  for (const Column& c : d_->cols) names << c.name;
  return names;
}

int Query::fieldIndex(const QString& name) const {
  return d_->column(name);
}

bool Query::isNull(int column) const {
  d_->checkColumn(column);
  return d_->cell(d_->cur, column) == nullptr;
}
bool Query::isNull(const QString& name) const {
  return isNull(d_->columnOrThrow(name));
}

qint64 Query::asInteger(int column) const {
  return d_->asInteger(column);
}
qint64 Query::asInteger(const QString& name) const {
  return d_->asInteger(d_->columnOrThrow(name));
}
double Query::asDouble(int column) const {
  return d_->asDouble(column);
}
double Query::asDouble(const QString& name) const {
  return d_->asDouble(d_->columnOrThrow(name));
}
QDateTime Query::asDateTime(int column) const {
  return d_->asDateTime(column);
}
QDateTime Query::asDateTime(const QString& name) const {
  return d_->asDateTime(d_->columnOrThrow(name));
}
QString Query::asString(int column) const {
  return d_->asString(column);
}
QString Query::asString(const QString& name) const {
  return d_->asString(d_->columnOrThrow(name));
}

int Query::fetchedRows() const {
  return d_->nRows;
}
bool Query::canFetchMore() const {
  return d_->isOpen && !d_->serverDone;
}

int Query::fetchMore(int count) {
  if (!d_->isOpen || count <= 0) return 0;
  return d_->fetch(count);
}

void Query::fetchAll() {
  while (canFetchMore()) d_->fetch(4096);
}

QVariant Query::value(int row, int column) const {
  if (column < 0 || column >= fieldCount()) return {};
  return d_->decode(row, column);
}

}  // namespace tw::db
