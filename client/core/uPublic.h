#pragma once
// The login state shared by every window of the client: process-wide strings filled from Config.ini and
// Locate.ini at start and by the login. Empty means unset. Written on the window thread, except ServerIP,
// which the login's server-choice worker writes while the window thread waits for it.

#include <QString>

namespace vintrel {

struct LoginStateData
{
    QString UserName;
    QString Password;
    QString Email;
    QString ServerIP;
    QString ServerIP1;
    QString ServerIP2;
    QString FTPPort;
    QString AnnounceLoc;
    QString ReportLoc;
    QString VerNo;
    QString SavedUserName;
    QString SavedPassword;
    QString SavedIfRem;
};

LoginStateData &LoginState();

// The name of a file in the program's folder (matched without regard to case).
QString programFile(const QString &name);

// Messages shared by several windows.
inline constexpr char16_t kTitleInfo[] = u"提示信息";
inline constexpr char16_t kDatabaseFailure[] = u"無法連接服務器，請檢查網絡或重新登錄！";

} // namespace vintrel
