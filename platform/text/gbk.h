#pragma once
// GBK is the text form on disk and on the wire; these helpers are the only place that converts.
// All functions are pure and safe from any thread.

#include <QByteArray>
#include <QString>

namespace vintrel::text {

QByteArray toGbk(const QString &text);
QString fromGbk(const QByteArray &bytes);
QString fromGbk(const char *bytes, qsizetype size);

// Length in bytes of the GBK form: a Chinese character counts 2.
qsizetype gbkLength(const QString &text);

// The client's trimming: leading and trailing blanks and control characters (code <= 0x20) go;
// anything else, such as the ideographic space, stays.
QString trimmed(const QString &text);
QByteArray trimmed(const QByteArray &bytes);

} // namespace vintrel::text
