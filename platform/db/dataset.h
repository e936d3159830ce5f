#pragma once
// A query object of a window (AQAnn, AQHeart, ADOQuery1 ...): a statement's result kept open for the
// window to show and read. Closed means there is no result. Not thread-safe by itself: a worker fills it
// while holding the connection lock, and the window reads it only after the worker has finished.

#include "platform/db/connection.h"

namespace vintrel::db {

class Dataset
{
public:
    // Closes, runs the statement on the shared connection and keeps its rows; on failure the dataset stays
    // closed and db::Error propagates.
    void open(const Statement &statement);
    void open(const QString &sql) { open(Statement(sql)); }
    void close();
    // Open, without rows: the result of a statement known to find nothing, without running it.
    void openEmpty();

    bool isOpen() const { return m_open; }
    int rowCount() const { return m_open ? m_records.rowCount() : 0; }
    bool hasRows() const { return rowCount() > 0; }
    const RecordSet &records() const { return m_records; }
    RecordSet &records() { return m_records; }

private:
    bool m_open = false;
    RecordSet m_records;
};

} // namespace vintrel::db
