#include "platform/ini/inifile.h"

#include "platform/text/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vintrel::ini {

QString resolveFileName(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return dir.filePath(name);
}

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The file split into lines without their line ends; the line-end style is kept for writing.
struct Lines
{
    QList<QByteArray> lines;
    QByteArray eol = "\r\n";
};

Lines splitLines(const QByteArray &data)
{
    Lines result;
    if (!data.contains("\r\n") && data.contains('\n'))
        result.eol = "\n";
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArray line = data.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        result.lines.append(line);
        start = end + 1;
    }
    return result;
}

// "[name]" (blanks allowed around) gives name; anything else gives a null string.
QString sectionName(const QByteArray &line)
{
    const QByteArray t = text::trimmed(line);
    if (t.size() < 2 || t.front() != '[')
        return {};
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return {};
    return text::trimmed(text::fromGbk(t.mid(1, close - 1)));
}

bool isKeyLine(const QByteArray &line, const QString &key, QByteArray *value)
{
    const QByteArray t = text::trimmed(line);
    if (t.isEmpty() || t.front() == ';')
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return false;
    if (text::trimmed(text::fromGbk(t.left(eq))).compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = text::trimmed(t.mid(eq + 1));
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return !a.isNull() && a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::fileName() const
{
    const QFileInfo info(m_path);
    return resolveFileName(info.path(), info.fileName());
}

bool IniFile::exists() const
{
    return QFileInfo::exists(fileName());
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Lines file = splitLines(readAll(fileName()));
    bool inSection = false;
    for (const QByteArray &line : file.lines) {
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            continue;
        }
        QByteArray value;
        if (inSection && isKeyLine(line, key, &value)) {
            // The profile functions drop one pair of quotes around a value.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            return text::fromGbk(value);
        }
    }
    return defaultValue;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString path = fileName();
    Lines file = splitLines(readAll(path));
    const QByteArray newLine = text::toGbk(key) + '=' + text::toGbk(value);

    qsizetype sectionLine = -1;
    qsizetype insertAt = -1; // after the last non-blank line of the section
    bool done = false;
    for (qsizetype i = 0; i < file.lines.size() && !done; ++i) {
        const QString name = sectionName(file.lines[i]);
        if (!name.isNull()) {
            if (sectionLine >= 0)
                break; // the section ended without the key
            if (sameName(name, section))
                insertAt = sectionLine = i;
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (isKeyLine(file.lines[i], key, nullptr)) {
            file.lines[i] = newLine;
            done = true;
        } else if (!text::trimmed(file.lines[i]).isEmpty()) {
            insertAt = i;
        }
    }
    if (!done) {
        if (sectionLine >= 0) {
            file.lines.insert(insertAt + 1, newLine);
        } else {
            if (!file.lines.isEmpty() && !text::trimmed(file.lines.back()).isEmpty())
                file.lines.append(QByteArray());
            file.lines.append('[' + text::toGbk(section) + ']');
            file.lines.append(newLine);
        }
    }

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray &line : std::as_const(file.lines)) {
        out.write(line);
        out.write(file.eol);
    }
    return out.commit();
}

} // namespace vintrel::ini
