#pragma once
// Windows-style private profile files (Config.ini, Locate.ini, update.ini), read and written one key at
// a time. Semantics follow the operating system's profile functions: a missing file, section or key reads
// as the default; section and key names match without regard to case; writing a key creates the file and
// the section when missing and leaves every other line of the file as it was. Text is GBK.
// File names are matched without regard to case even on a case-sensitive file system, so Config.ini and
// config.ini are one file. No state is kept between calls; safe from any thread for distinct files.

#include <QString>

namespace vintrel::ini {

// The existing entry of `folder` whose name equals `name` without regard to case, else folder/name.
QString resolveFileName(const QString &folder, const QString &name);

class IniFile
{
public:
    // `path` is a full file name; its file-name part is matched without regard to case.
    explicit IniFile(QString path);

    QString fileName() const; // the file this object reads and writes now
    bool exists() const;

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    // Returns false when the file could not be written; callers that do not report write failures ignore it.
    bool writeString(const QString &section, const QString &key, const QString &value);

private:
    QString m_path;
};

} // namespace vintrel::ini
