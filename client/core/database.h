#pragma once
// How the client reaches the service's database: the connection string for a chosen server, the probe
// that the query buttons run first, and the one failure message. Window thread.

#include <QString>

class QWidget;

namespace vintrel {

// The ODBC connection string for the service's database on `serverAddress`.
QString odbcConnectString(const QString &serverAddress);

// Points the shared connection at `serverAddress`; the next statement connects.
void assignConnection(const QString &serverAddress);

// "無法連接服務器，請檢查網絡或重新登錄！" in an error box titled "提示信息".
void showDatabaseFailure(QWidget *parent);

// Runs "select count(*) from user" on the shared connection. On failure shows the database-failure message
// and answers false. While a worker holds the connection it is plainly alive: nothing runs and the answer is
// true, so the window thread never waits behind a worker's statement.
bool ProbeConnection(QWidget *parent);

} // namespace vintrel
