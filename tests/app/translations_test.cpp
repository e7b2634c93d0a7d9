// The English translation file: every text of the sources is in it, translated,
// with the same placeholders, and nothing is left in it that the sources lost.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message
{
    QString context, source, translation, type;
};

QList<Message> readTs(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QList<Message> out;
    QXmlStreamReader xml(&f);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"message")
            m = Message{context, {}, {}, {}};
        else if (xml.name() == u"source")
            m.source = xml.readElementText();
        else if (xml.name() == u"translation") {
            m.type = xml.attributes().value("type").toString();
            m.translation = xml.readElementText();
            out << m;
        }
    }
    if (xml.hasError())
        qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return out;
}

QStringList placeholders(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("%\\d"));
    QStringList out;
    for (auto it = re.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    out.sort();
    return out;
}

QString where(const Message& m) { return m.context + ": " + m.source; }

}  // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT
private slots:
    void everyTextIsTranslated();
    void theFileMatchesTheSources();
};

void TranslationsTest::everyTextIsTranslated()
{
    const QList<Message> messages = readTs(SV_TS_FILE);
    QVERIFY(messages.size() > 200);
    for (const Message& m : messages) {
        QVERIFY2(m.type.isEmpty(), qPrintable(m.type + " " + where(m)));
        QVERIFY2(!m.translation.trimmed().isEmpty(), qPrintable("empty " + where(m)));
        QVERIFY2(placeholders(m.translation) == placeholders(m.source), qPrintable("placeholders " + where(m)));
        QVERIFY2(m.translation.count('\n') == m.source.count('\n'), qPrintable("line breaks " + where(m)));
    }
}

// lupdate run over the sources into a copy: a text added to the sources comes
// in unfinished, a text the sources no longer have is marked vanished.
void TranslationsTest::theFileMatchesTheSources()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("svclient_en.ts");
    QVERIFY(QFile::copy(SV_TS_FILE, copy));
    QProcess lupdate;
    lupdate.setWorkingDirectory(SV_SOURCE_DIR);
    lupdate.start(SV_LUPDATE, {"-locations", "none", "-source-language", "zh_CN", "-target-language", "en", "src",
                               "-ts", copy});
    QVERIFY(lupdate.waitForFinished(120000));
    QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());
    QStringList stale;
    for (const Message& m : readTs(copy))
        if (!m.type.isEmpty())
            stale << m.type + " " + where(m);
    QVERIFY2(stale.isEmpty(), qPrintable("run the update_translations target and translate:\n" + stale.join('\n')));
    QCOMPARE(readTs(copy).size(), readTs(SV_TS_FILE).size());
}

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
