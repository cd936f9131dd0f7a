#include "platform/Codepage1256.h"
#include "platform/PlatformError.h"

#include <QSet>
#include <QStringDecoder>
#include <QTest>

using platform::fromAnsi;
using platform::PlatformError;
using platform::toAnsi;

class TestCodepage1256 : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips();
    void everyByteAgreesWithIcu();
    void knownCharacters_data();
    void knownCharacters();
    void unmappableCharacterRaises_data();
    void unmappableCharacterRaises();
    void zeroTerminatedTextEndsAtNul();
};

void TestCodepage1256::everyByteRoundTrips()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));

    const QString text = fromAnsi(bytes);
    QCOMPARE(text.size(), 256);
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    QCOMPARE(toAnsi(text), bytes);
}

// An independent table, so that two swapped entries of ours cannot pass unseen.
void TestCodepage1256::everyByteAgreesWithIcu()
{
    QStringDecoder icu("windows-1256");
    if (!icu.isValid())
        QSKIP("Qt is built without ICU's code pages");
    for (int value = 0; value < 256; ++value) {
        const QByteArray byte(1, char(value));
        QCOMPARE(fromAnsi(byte), QString(icu.decode(byte)));
    }
}

void TestCodepage1256::knownCharacters_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("codePoint");

    QTest::newRow("NUL") << 0x00 << 0x0000;
    QTest::newRow("Latin A") << 0x41 << 0x0041;
    QTest::newRow("euro sign") << 0x80 << 0x20AC;
    QTest::newRow("peh") << 0x81 << 0x067E;
    QTest::newRow("zero width non-joiner") << 0x9D << 0x200C;
    QTest::newRow("no-break space") << 0xA0 << 0x00A0;
    QTest::newRow("Arabic comma") << 0xA1 << 0x060C;
    QTest::newRow("alef") << 0xC7 << 0x0627;
    QTest::newRow("multiplication sign between Arabic letters") << 0xD7 << 0x00D7;
    QTest::newRow("lam, where Latin-1 has a-acute") << 0xE1 << 0x0644;
    QTest::newRow("yeh") << 0xED << 0x064A;
    QTest::newRow("yeh barree, the last byte") << 0xFF << 0x06D2;
}

void TestCodepage1256::knownCharacters()
{
    QFETCH(int, byte);
    QFETCH(int, codePoint);

    const QByteArray encoded(1, char(byte));
    const QString character{QChar(char16_t(codePoint))};
    QCOMPARE(fromAnsi(encoded), character);
    QCOMPARE(toAnsi(character), encoded);
}

void TestCodepage1256::unmappableCharacterRaises_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");

    QTest::newRow("CJK after mappable text") << QStringLiteral("ab中") << QStringLiteral("U+4E2D");
    QTest::newRow("Latin-1 a-acute") << QStringLiteral("á") << QStringLiteral("U+00E1");
    QTest::newRow("Hebrew alef") << QStringLiteral("א") << QStringLiteral("U+05D0");
    QTest::newRow("emoji outside the BMP") << QStringLiteral("😀") << QStringLiteral("U+D83D");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QStringLiteral("U+FFFD");
}

void TestCodepage1256::unmappableCharacterRaises()
{
    QFETCH(QString, text);
    QFETCH(QString, named);

    try {
        toAnsi(text);
        QFAIL("no error for a character outside the code page");
    } catch (const PlatformError& error) {
        QVERIFY2(error.reason().contains(named), qPrintable(error.reason()));
    }
}

void TestCodepage1256::zeroTerminatedTextEndsAtNul()
{
    QCOMPARE(fromAnsi("\xC7\xE1\0\xC8"), QStringLiteral("ال"));
    QCOMPARE(fromAnsi(static_cast<const char*>(nullptr)), QString());
}

QTEST_GUILESS_MAIN(TestCodepage1256)
#include "tst_codepage1256.moc"
