#include <gtest/gtest.h>
#include <sqlite3.h>

#include "library/SqliteHandle.h"

namespace tapestra {
namespace {

class SqliteHandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = SqliteDatabase(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db_.exec("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT NOT NULL)");
  }
  std::int64_t rows() {
    SqliteStatement s(db_, "SELECT COUNT(*) FROM t");
    s.step();
    return s.int64(0);
  }
  SqliteDatabase db_;
};

TEST_F(SqliteHandleTest, TransactionRollsBackUnlessCommitted) {
  {
    Transaction t(db_);
    SqliteStatement(db_, "INSERT INTO t (name) VALUES ('a')").run();
  }
  EXPECT_EQ(rows(), 0);
  {
    Transaction t(db_);
    SqliteStatement(db_, "INSERT INTO t (name) VALUES ('a')").run();
    t.commit();
  }
  EXPECT_EQ(rows(), 1);
  // An exception leaving the scope rolls back too.
  EXPECT_THROW(
      {
        Transaction t(db_);
        SqliteStatement(db_, "INSERT INTO t (name) VALUES ('b')").run();
        SqliteStatement(db_, "INSERT INTO t (name) VALUES (NULL)").run();
        t.commit();
      },
      SqliteError);
  EXPECT_EQ(rows(), 1);
}

TEST_F(SqliteHandleTest, ErrorsCarryTheSqliteCode) {
  const auto codeOf = [](auto&& f) {
    try {
      f();
    } catch (const SqliteError& e) {
      EXPECT_STRNE(e.what(), "");
      return std::pair(e.code(), e.extendedCode());
    }
    return std::pair(SQLITE_OK, SQLITE_OK);
  };
  EXPECT_EQ(codeOf([&] { SqliteStatement(db_, "SELEKT 1"); }).first, SQLITE_ERROR);
  EXPECT_EQ(codeOf([&] { SqliteStatement(db_, "SELECT name FROM missing"); }).first, SQLITE_ERROR);
  EXPECT_EQ(codeOf([&] {
              SqliteStatement(db_, "INSERT INTO t (name) VALUES (:name)").bind(":nmae", "x");
            }).first,
            SQLITE_RANGE);
  EXPECT_EQ(codeOf([&] { SqliteStatement(db_, "INSERT INTO t (name) VALUES (NULL)").run(); }),
            std::pair(SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_NOTNULL));
  EXPECT_EQ(codeOf([&] { SqliteDatabase("/nonexistent-dir/x.db", SQLITE_OPEN_READWRITE); }).first,
            SQLITE_CANTOPEN);
}

TEST_F(SqliteHandleTest, StatementRunsAgainAfterResetAndAfterAFailure) {
  SqliteStatement insert(db_, "INSERT INTO t (id, name) VALUES (:id, :name)");
  insert.bind(":id", 1).bind(":name", "one").run();
  insert.reset();
  EXPECT_THROW(insert.run(), SqliteError);  // same id again
  insert.bind(":id", 2).bind(":name", std::string("two")).run();

  SqliteStatement s(db_, "SELECT id, name FROM t ORDER BY id");
  ASSERT_TRUE(s.step());
  EXPECT_EQ(s.text(1), "one");
  ASSERT_TRUE(s.step());
  EXPECT_EQ(s.int64(0), 2);
  EXPECT_EQ(s.text(1), "two");
  EXPECT_FALSE(s.step());
}

}  // namespace
}  // namespace tapestra
