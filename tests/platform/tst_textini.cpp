// GBK text helpers and the profile-style INI files, on real files in a temporary folder.
#include "platform/ini/inifile.h"
#include "platform/text/gbk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vintrel;
using namespace Qt::StringLiterals;

class TestTextIni : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeBytes(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readBytes(const QString &name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        const QStringList entries = QDir(m_dir.path()).entryList(QDir::Files);
        for (const QString &e : entries)
            QFile::remove(path(e));
    }

    void gbkRoundTrip()
    {
        const QString text = u"上市公司公告 D:\\資料\\研究報告"_s;
        const QByteArray gbk = text::toGbk(text);
        QCOMPARE(gbk.size(), 6 * 2 + 1 + 3 + 2 * 2 + 1 + 4 * 2);
        QCOMPARE(text::fromGbk(gbk), text);
        QCOMPARE(text::gbkLength(u"ab中文"_s), 6);
        QCOMPARE(text::gbkLength(u"123456"_s), 6);
    }

    void trimming_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks") << u"  00005 "_s << u"00005"_s;
        QTest::newRow("controls") << u"\t\r\n00005\x01"_s << u"00005"_s;
        QTest::newRow("inner kept") << u" a b "_s << u"a b"_s;
        QTest::newRow("ideographic space kept") << u"\u3000名稱\u3000"_s << u"\u3000名稱\u3000"_s;
        QTest::newRow("all blank") << u" \t "_s << QString();
    }
    void trimming()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(text::trimmed(input), expected);
        QCOMPARE(text::trimmed(text::toGbk(input)), text::toGbk(expected));
    }

    void missingFileSectionOrKeyReadAsDefault()
    {
        const ini::IniFile missing(path(u"none.ini"_s));
        QCOMPARE(missing.readString(u"Server"_s, u"IP1"_s), QString());
        QCOMPARE(missing.readString(u"Server"_s, u"IP1"_s, u"x"_s), u"x"_s);

        writeBytes(u"Config.ini"_s, "[Server]\r\nIP1=127.0.0.1\r\n");
        const ini::IniFile config(path(u"Config.ini"_s));
        QCOMPARE(config.readString(u"Server"_s, u"IP1"_s), u"127.0.0.1"_s);
        QCOMPARE(config.readString(u"Server"_s, u"IP2"_s), QString());
        QCOMPARE(config.readString(u"FileLoc"_s, u"IP1"_s), QString());
    }

    void namesMatchWithoutCase()
    {
        writeBytes(u"config.ini"_s, "[server]\nip1 = 10.0.0.1 \n");
        const ini::IniFile config(path(u"Config.ini"_s));
        QVERIFY(config.exists());
        QCOMPARE(config.readString(u"Server"_s, u"IP1"_s), u"10.0.0.1"_s);
        // Writing through the other spelling changes the same file.
        ini::IniFile(path(u"CONFIG.INI"_s)).writeString(u"Server"_s, u"IP2"_s, u"10.0.0.2"_s);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{u"config.ini"_s});
        QCOMPARE(config.readString(u"SERVER"_s, u"ip2"_s), u"10.0.0.2"_s);
    }

    void gbkValuesWithChineseFolders()
    {
        const QString folder = u"D:\\港股資料\\上市公司公告"_s;
        ini::IniFile config(path(u"Config.ini"_s));
        QVERIFY(config.writeString(u"FileLoc"_s, u"AnnounceLoc"_s, folder));
        QVERIFY(readBytes(u"Config.ini"_s).contains(text::toGbk(folder)));
        QCOMPARE(config.readString(u"FileLoc"_s, u"AnnounceLoc"_s), folder);
    }

    void writingKeepsOtherLines()
    {
        const QByteArray before = "; shipped by the service\r\n[Server]\r\nIP1=1.1.1.1\r\nIP2=2.2.2.2\r\n\r\n"
                                  "[FileLoc]\r\nAnnounceLoc=" + text::toGbk(u"C:\\公告"_s) + "\r\nReportLoc=C:\\r\r\n"
                                  "[VerNo]\r\nVerNo=1.0\r\n";
        writeBytes(u"Config.ini"_s, before);
        ini::IniFile config(path(u"Config.ini"_s));
        QVERIFY(config.writeString(u"FileLoc"_s, u"ReportLoc"_s, u"D:\\報告"_s));
        QVERIFY(config.writeString(u"FileLoc"_s, u"Extra"_s, u"e"_s));
        QVERIFY(config.writeString(u"New"_s, u"k"_s, u"v"_s));
        const QByteArray after = readBytes(u"Config.ini"_s);
        QByteArray expected = before;
        expected.replace("ReportLoc=C:\\r\r\n", QByteArray("ReportLoc=" + text::toGbk(u"D:\\報告"_s) + "\r\nExtra=e\r\n"));
        expected += "\r\n[New]\r\nk=v\r\n";
        QCOMPARE(after, expected);
    }

    void writingCreatesFileAndSection()
    {
        ini::IniFile locate(path(u"Locate.ini"_s));
        QVERIFY(locate.writeString(u"LocateAccount"_s, u"username"_s, u"陳大文"_s));
        QVERIFY(locate.writeString(u"LocateAccount"_s, u"ifrem"_s, u"yes"_s));
        QVERIFY(locate.writeString(u"LocateAccount"_s, u"username"_s, QString()));
        QCOMPARE(readBytes(u"Locate.ini"_s), QByteArray("[LocateAccount]\r\nusername=\r\nifrem=yes\r\n"));
    }

    void badFilesNeverBreakReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("ip1");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("lines without equals") << QByteArray("[Server]\nIP1\ngarbage\nIP1=ok\n") << u"ok"_s;
        QTest::newRow("not gbk") << QByteArray("[Server]\n\xff\xfe\x80=\x81\nIP1=ok\n") << u"ok"_s;
        QTest::newRow("binary") << QByteArray("\0\0[\0]=\n\0", 9) << QString();
        QTest::newRow("unclosed section") << QByteArray("[Server\nIP1=no\n") << QString();
        QTest::newRow("quoted value") << QByteArray("[Server]\nIP1=\"1.2.3.4\"\n") << u"1.2.3.4"_s;
    }
    void badFilesNeverBreakReading()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, ip1);
        writeBytes(u"Config.ini"_s, content);
        QCOMPARE(ini::IniFile(path(u"Config.ini"_s)).readString(u"Server"_s, u"IP1"_s), ip1);
    }
};

QTEST_GUILESS_MAIN(TestTextIni)
#include "tst_textini.moc"
