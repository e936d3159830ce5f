#pragma once
// A statement's result, fetched whole. Values are typed (text as QString, whole numbers as qint64,
// other numbers as double, dates and date-times as QDateTime); NULL is an invalid QVariant.
// Columns are found by name without regard to case. A plain value type: copy it freely, but do not
// share one object between threads without a lock.

#include <QList>
#include <QStringList>
#include <QVariant>

namespace vintrel::db {

class RecordSet
{
public:
    RecordSet() = default;
    RecordSet(QStringList columns, QList<QVariantList> rows);

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columns.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const QStringList &columnNames() const { return m_columns; }

    // -1 when there is no such column.
    int columnIndex(const QString &name) const;
    const QVariant &value(int row, int column) const { return m_rows.at(row).at(column); }
    // Throws db::Error when the column does not exist.
    QVariant value(int row, const QString &column) const;
    // The value as text: NULL reads as empty text.
    QString text(int row, const QString &column) const;

    void removeRow(int row) { m_rows.removeAt(row); }
    void setValue(int row, int column, const QVariant &value) { m_rows[row][column] = value; }

private:
    QStringList m_columns;
    QList<QVariantList> m_rows;
};

} // namespace vintrel::db
