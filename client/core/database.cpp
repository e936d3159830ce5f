#include "client/core/database.h"

#include "client/core/uPublic.h"
#include "platform/db/connection.h"
#include "platform/ui/dialogs.h"

namespace vintrel {

QString odbcConnectString(const QString &serverAddress)
{
    return u"DSN=qavrenu;UID=qavrenu;PWD=qavrenu;DESCRIPTION=qavrenu;SERVER=" + serverAddress
           + u";charset=GBK;DATABASE=qavrenu;Port=3306";
}

void assignConnection(const QString &serverAddress)
{
    db::Connection::shared().setConnectString(odbcConnectString(serverAddress));
}

void showDatabaseFailure(QWidget *parent)
{
    ui::Dialogs::message(parent, QString::fromUtf16(kTitleInfo), QString::fromUtf16(kDatabaseFailure),
                         ui::Icon::Error);
}

bool ProbeConnection(QWidget *parent)
{
    db::Connection &connection = db::Connection::shared();
    db::ConnectionLock lock(connection.mutex(), std::try_to_lock);
    if (!lock.owns_lock())
        return true;
    try {
        connection.query(QStringLiteral("select count(*) from user"));
        return true;
    } catch (const db::Error &) {
        lock.unlock();
        showDatabaseFailure(parent);
        return false;
    }
}

} // namespace vintrel
