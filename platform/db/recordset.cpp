#include "platform/db/recordset.h"

#include "platform/db/connection.h"

namespace vintrel::db {

RecordSet::RecordSet(QStringList columns, QList<QVariantList> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
}

int RecordSet::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant RecordSet::value(int row, const QString &column) const
{
    const int index = columnIndex(column);
    if (index < 0)
        throw Error("no column " + column.toStdString() + " in the result");
    if (row < 0 || row >= rowCount())
        throw Error("no current row in the result");
    return m_rows.at(row).at(index);
}

QString RecordSet::text(int row, const QString &column) const
{
    const QVariant v = value(row, column);
    if (!v.isValid() || v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(u"yyyy-MM-dd hh:mm:ss");
    return v.toString();
}

} // namespace vintrel::db
