#pragma once

// A small RAII layer over the SQLite C API: the connection and the prepared statements live in
// unique_ptr with their release functions, every failing call becomes an SqliteError carrying
// the SQLite result code, and a Transaction rolls back unless it was committed.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tapestra {

class SqliteError : public std::runtime_error {
 public:
  // code: the primary result code (SQLITE_BUSY, SQLITE_FULL, …); extendedCode the extended one.
  SqliteError(int code, int extendedCode, const std::string& message);

  int code() const { return code_; }
  int extendedCode() const { return extendedCode_; }

 private:
  int code_;
  int extendedCode_;
};

class SqliteDatabase {
 public:
  SqliteDatabase() = default;
  // Opens with sqlite3_open_v2 flags (SQLITE_OPEN_READWRITE, SQLITE_OPEN_CREATE, …) and turns
  // on extended result codes. Throws SqliteError.
  SqliteDatabase(const std::string& path, int flags);

  bool isOpen() const { return db_ != nullptr; }
  void close() { db_.reset(); }
  sqlite3* handle() const { return db_.get(); }

  // Runs one or more statements without results.
  void exec(const char* sql);
  void setBusyTimeout(int milliseconds);
  std::int64_t lastInsertRowId() const;
  // Rows changed by the last INSERT, UPDATE or DELETE.
  int changes() const;
  // True when the connection cannot write (the file or the open flags are read-only).
  bool readOnly() const;

  // Throws SqliteError for any rc other than SQLITE_OK, SQLITE_ROW and SQLITE_DONE.
  void check(int rc) const;

 private:
  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Closer> db_;
};

// A prepared statement with named parameters (":name").
class SqliteStatement {
 public:
  SqliteStatement(const SqliteDatabase& db, std::string_view sql);

  // Parameters are named with their prefix, as in the SQL text: bind(":path", …). An unknown
  // name throws (SQLITE_RANGE), so a typo cannot silently bind nothing.
  SqliteStatement& bind(const char* name, std::int64_t value);
  SqliteStatement& bind(const char* name, int value) {
    return bind(name, static_cast<std::int64_t>(value));
  }
  SqliteStatement& bind(const char* name, std::string_view value);
  SqliteStatement& bind(const char* name, const char* value) {
    return bind(name, std::string_view(value));
  }
  SqliteStatement& bindNull(const char* name);

  // Advances; true while a row is available, false when done. Throws on failure.
  bool step();
  // Steps a statement that returns no rows (or whose rows are not wanted).
  void run();
  // Makes the statement ready to run again; bindings are kept.
  void reset();

  std::int64_t int64(int column) const;  // NULL reads as 0
  std::string text(int column) const;    // NULL reads as ""
  bool isNull(int column) const;

 private:
  int index(const char* name) const;

  const SqliteDatabase* db_;
  struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const;
  };
  std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

// BEGIN IMMEDIATE in the constructor (the write lock is taken at once, within the busy
// timeout, so a multi-row change never fails half-way for want of the lock); ROLLBACK in the
// destructor unless commit() succeeded.
class Transaction {
 public:
  explicit Transaction(SqliteDatabase& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();

 private:
  SqliteDatabase& db_;
  bool open_ = true;
};

}  // namespace tapestra
