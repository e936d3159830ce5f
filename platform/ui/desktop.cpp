#include "platform/ui/desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace vintrel::ui {

namespace {
struct Recording
{
    bool on = false;
    QStringList opened;
    QStringList started;
    QString programFolder;
};

Recording &recording()
{
    static Recording r;
    return r;
}
} // namespace

void Desktop::open(const QString &path)
{
    if (recording().on) {
        recording().opened.append(path);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void Desktop::startProgram(const QString &path)
{
    if (recording().on) {
        recording().started.append(path);
        return;
    }
    QProcess::startDetached(path, {}, QFileInfo(path).absolutePath());
}

void Desktop::setRecording(bool on) { recording().on = on; }
QStringList Desktop::takeOpened() { return std::exchange(recording().opened, {}); }
QStringList Desktop::takeStarted() { return std::exchange(recording().started, {}); }

QString programFolder()
{
    const QString &folder = recording().programFolder;
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void setProgramFolder(const QString &folder) { recording().programFolder = folder; }

QString programFileName(const QString &baseName)
{
#ifdef _WIN32
    return baseName + u".exe";
#else
    return baseName;
#endif
}

} // namespace vintrel::ui

#ifdef _WIN32
#include <windows.h>
#endif
#include <QLocale>

namespace vintrel::ui {
void setChineseThreadLocale()
{
#ifdef _WIN32
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)); // 2052
#endif
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}
} // namespace vintrel::ui

#include <QLibraryInfo>
#include <QTranslator>

namespace vintrel::ui {
void loadToolkitTranslations()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
} // namespace vintrel::ui
