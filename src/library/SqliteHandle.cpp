#include "library/SqliteHandle.h"

#include <sqlite3.h>

namespace tapestra {

namespace {

[[noreturn]] void throwFor(sqlite3* db, int rc, const std::string& context) {
  const int extended = db ? sqlite3_extended_errcode(db) : rc;
  std::string message = db && sqlite3_errcode(db) == rc ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (!context.empty()) message = context + ": " + message;
  throw SqliteError(rc & 0xff, extended, message);
}

}  // namespace

SqliteError::SqliteError(int code, int extendedCode, const std::string& message)
    : std::runtime_error(message), code_(code), extendedCode_(extendedCode) {}

void SqliteDatabase::Closer::operator()(sqlite3* db) const {
  sqlite3_close_v2(db);
}

SqliteDatabase::SqliteDatabase(const std::string& path, int flags) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  // sqlite3_open_v2 hands back a handle even on failure; it carries the message.
  db_.reset(raw);
  if (rc != SQLITE_OK) {
    const std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    const int extended = raw ? sqlite3_extended_errcode(raw) : rc;
    db_.reset();
    throw SqliteError(rc & 0xff, extended, message);
  }
  sqlite3_extended_result_codes(raw, 1);
}

void SqliteDatabase::check(int rc) const {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) throwFor(db_.get(), rc, {});
}

void SqliteDatabase::exec(const char* sql) {
  if (!db_) throw SqliteError(SQLITE_MISUSE, SQLITE_MISUSE, "database is not open");
  char* error = nullptr;
  const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    throw SqliteError(rc & 0xff, sqlite3_extended_errcode(db_.get()), message);
  }
}

void SqliteDatabase::setBusyTimeout(int milliseconds) {
  check(sqlite3_busy_timeout(db_.get(), milliseconds));
}

std::int64_t SqliteDatabase::lastInsertRowId() const {
  return sqlite3_last_insert_rowid(db_.get());
}

int SqliteDatabase::changes() const {
  return sqlite3_changes(db_.get());
}

bool SqliteDatabase::readOnly() const {
  return sqlite3_db_readonly(db_.get(), "main") == 1;
}

void SqliteStatement::Finalizer::operator()(sqlite3_stmt* stmt) const {
  sqlite3_finalize(stmt);
}

SqliteStatement::SqliteStatement(const SqliteDatabase& db, std::string_view sql) : db_(&db) {
  if (!db.isOpen()) throw SqliteError(SQLITE_MISUSE, SQLITE_MISUSE, "database is not open");
  sqlite3_stmt* raw = nullptr;
  const int rc =
      sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
  stmt_.reset(raw);
  if (rc != SQLITE_OK) throwFor(db.handle(), rc, {});
}

int SqliteStatement::index(const char* name) const {
  const int i = sqlite3_bind_parameter_index(stmt_.get(), name);
  if (i == 0) {
    throw SqliteError(SQLITE_RANGE, SQLITE_RANGE, std::string("no parameter named ") + name);
  }
  return i;
}

SqliteStatement& SqliteStatement::bind(const char* name, std::int64_t value) {
  db_->check(sqlite3_bind_int64(stmt_.get(), index(name), value));
  return *this;
}

SqliteStatement& SqliteStatement::bind(const char* name, std::string_view value) {
  db_->check(sqlite3_bind_text64(stmt_.get(), index(name), value.data(), value.size(),
                                 SQLITE_TRANSIENT, SQLITE_UTF8));
  return *this;
}

SqliteStatement& SqliteStatement::bindNull(const char* name) {
  db_->check(sqlite3_bind_null(stmt_.get(), index(name)));
  return *this;
}

bool SqliteStatement::step() {
  const int rc = sqlite3_step(stmt_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  // The statement stays usable after reset(); the error is read before that.
  try {
    throwFor(db_->handle(), rc, {});
  } catch (...) {
    sqlite3_reset(stmt_.get());
    throw;
  }
}

void SqliteStatement::run() {
  while (step()) {
  }
}

void SqliteStatement::reset() {
  sqlite3_reset(stmt_.get());
}

std::int64_t SqliteStatement::int64(int column) const {
  return sqlite3_column_int64(stmt_.get(), column);
}

std::string SqliteStatement::text(int column) const {
  const auto* data = sqlite3_column_text(stmt_.get(), column);
  if (!data) return {};
  return std::string(reinterpret_cast<const char*>(data),
                     static_cast<std::size_t>(sqlite3_column_bytes(stmt_.get(), column)));
}

bool SqliteStatement::isNull(int column) const {
  return sqlite3_column_type(stmt_.get(), column) == SQLITE_NULL;
}

Transaction::Transaction(SqliteDatabase& db) : db_(db) {
  db_.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (!open_) return;
  // Some errors (SQLITE_FULL, SQLITE_IOERR) already rolled back; a second ROLLBACK then fails
  // harmlessly, and a destructor must not throw.
  if (sqlite3_get_autocommit(db_.handle()) == 0) {
    sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void Transaction::commit() {
  db_.exec("COMMIT");
  open_ = false;
}

}  // namespace tapestra
