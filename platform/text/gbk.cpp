#include "platform/text/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vintrel::text {

QByteArray toGbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString fromGbk(const QByteArray &bytes)
{
    return fromGbk(bytes.constData(), bytes.size());
}

QString fromGbk(const char *bytes, qsizetype size)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(QByteArrayView(bytes, size));
}

qsizetype gbkLength(const QString &text)
{
    return toGbk(text).size();
}

QString trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QByteArray trimmed(const QByteArray &bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && static_cast<unsigned char>(bytes.at(begin)) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(bytes.at(end - 1)) <= 0x20)
        --end;
    return bytes.mid(begin, end - begin);
}

} // namespace vintrel::text
