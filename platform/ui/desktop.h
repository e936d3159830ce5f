#pragma once
// The desktop's "open" (hand a file to the program associated with its type) and starting a program,
// both without waiting and without examining the result. In recording mode (tests) nothing is launched:
// the requests are recorded. Window thread only.

#include <QString>
#include <QStringList>

namespace vintrel::ui {

class Desktop
{
public:
    static void open(const QString &path);
    static void startProgram(const QString &path);

    static void setRecording(bool on);
    static QStringList takeOpened();
    static QStringList takeStarted();
};

// The folder of the running program, where its INI files, pictures and the other program live.
// Tests point it at a temporary folder.
QString programFolder();
void setProgramFolder(const QString &folder);
// The program file's name for a program of ours: "update" becomes update.exe on Windows.
QString programFileName(const QString &baseName);

} // namespace vintrel::ui

namespace vintrel::ui {
// The programs run with the Chinese (PRC) locale, whatever the machine's own setting.
void setChineseThreadLocale();
} // namespace vintrel::ui

namespace vintrel::ui {
// Loads the toolkit's own Chinese texts (standard buttons such as Yes and No, dialogs) when installed.
// Call once, after the application object exists.
void loadToolkitTranslations();
} // namespace vintrel::ui
