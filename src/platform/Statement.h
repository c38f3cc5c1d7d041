#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;
class Value;

// Owns one prepared statement and finalizes it when it goes, however the
// code that prepared it ends. Move-only.
class Statement {
public:
    Statement() = default;
    explicit Statement(sqlite3_stmt* st) noexcept : m_st(st) {}
    ~Statement();
    Statement(Statement&& other) noexcept : m_st(other.release()) {}
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Prepares the first statement of sql; *rc receives SQLite's result and,
    // with tail, *tail where the next statement starts. An empty Statement
    // when sql holds only blanks and comments (or on failure, with *rc set).
    static Statement prepare(sqlite3* db, const char* sql, int bytes, int* rc, const char** tail = nullptr);
    static Statement prepare(sqlite3* db, const QString& sql, int* rc);

    sqlite3_stmt* get() const { return m_st; }
    explicit operator bool() const { return m_st != nullptr; }
    sqlite3_stmt* release() noexcept;

    // Binds a value to a 1-based parameter: Null and Empty as NULL, Booleans
    // as -1/0, dates and times as their ISO texts.
    void bind(int index, const Value& v) const;
    static void bind(sqlite3_stmt* st, int index, const Value& v);
    int step() const;
    void reset() const;

    int columnCount() const;
    int columnType(int column) const;
    qint64 columnInt64(int column) const;
    double columnDouble(int column) const;
    QString columnText(int column) const;

private:
    sqlite3_stmt* m_st = nullptr;
};
