#include "platform/FontConfiguration.h"

#include <QtTest>
#include <fontconfig/fontconfig.h>

class TestFontConfiguration : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void matchesLikeFontconfigsOwnStart_data();
    void matchesLikeFontconfigsOwnStart();

private:
    FcConfig* m_ownStart = nullptr;
};

namespace {

// Everything fontconfig hands to the text renderer for a request: the file and face, and the
// rendering settings (hinting, antialiasing, subpixel order, LCD filter, embolden...).
QByteArray match(FcConfig* config, const char* request)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(config, pattern, &result);
    QByteArray text;
    if (found) {
        FcChar8* name = FcNameUnparse(found);
        text = reinterpret_cast<const char*>(name);
        FcStrFree(name);
        FcPatternDestroy(found);
    }
    FcPatternDestroy(pattern);
    return text;
}

} // namespace

void TestFontConfiguration::initTestCase()
{
    m_ownStart = FcInitLoadConfigAndFonts();
    QVERIFY(m_ownStart);
    platform::setUpFontConfiguration();
    QVERIFY(FcConfigGetCurrent() != m_ownStart);
}

void TestFontConfiguration::cleanupTestCase()
{
    FcConfigDestroy(m_ownStart);
}

void TestFontConfiguration::matchesLikeFontconfigsOwnStart_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("letter keys") << QByteArray("Times New Roman:bold:pixelsize=16");
    QTest::newRow("captions") << QByteArray("Noto Sans Arabic:pixelsize=12");
    QTest::newRow("Arabic fallback") << QByteArray("sans-serif:lang=ar:pixelsize=12");
    QTest::newRow("a face the system lacks") << QByteArray("MS Sans Serif:pixelsize=11");
    QTest::newRow("monospace, small") << QByteArray("monospace:pixelsize=9");
}

// The same files in the same order make the same matches with the same rendering settings.
void TestFontConfiguration::matchesLikeFontconfigsOwnStart()
{
    QFETCH(QByteArray, request);
    const QByteArray ours = match(FcConfigGetCurrent(), request.constData());
    QVERIFY(!ours.isEmpty());
    QCOMPARE(ours, match(m_ownStart, request.constData()));
}

QTEST_APPLESS_MAIN(TestFontConfiguration)
#include "tst_fontconfiguration.moc"
