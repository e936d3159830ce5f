#include "platform/db/dataset.h"

namespace vintrel::db {

void Dataset::open(const Statement &statement)
{
    close();
    m_records = Connection::shared().query(statement);
    m_open = true;
}

void Dataset::openEmpty()
{
    m_records = RecordSet();
    m_open = true;
}

void Dataset::close()
{
    m_open = false;
    m_records = RecordSet();
}

} // namespace vintrel::db
