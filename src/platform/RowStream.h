#pragma once

#include "platform/ColumnReader.h"
#include "platform/Statement.h"
#include "platform/Value.h"

#include <QString>
#include <QStringList>

#include <optional>

class Connection;

// A statement's rows read one after the other and never kept: for a job that
// only passes them on, such as writing a file, where a record set would hold
// every row at once. Each value comes in the kind a record set gives it.
class RowStream {
public:
    // Raises as a record set's Open does when the statement cannot be prepared.
    RowStream(Connection& conn, const QString& sql);

    int FieldCount() const { return int(m_names.size()); }
    const QStringList& FieldNames() const { return m_names; }
    // Steps to the next row; false after the last. Raises when a step fails.
    bool next();
    // A value of the row next() stepped to.
    Value value(int column) { return m_reader->read(column); }

private:
    Connection& m_conn;
    Statement m_statement;
    QStringList m_names;
    std::optional<ColumnReader> m_reader;
};
