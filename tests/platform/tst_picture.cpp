#include "platform/Picture.h"
#include "platform/PlatformError.h"
#include "support/Fixtures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a test does to the picture's path before it is loaded.
enum class Make { Nothing, File, Directory, Fifo, SymlinkLoop, Unreadable, Sparse };

// A good JPEG whose entropy-coded data after the scan header are replaced by noise.
QByteArray scrambledJpeg(const QByteArray& jpeg)
{
    const qsizetype scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype data = scan + 2 + ((uchar(jpeg[scan + 2]) << 8) | uchar(jpeg[scan + 3]));
    return jpeg.left(data) + support::randomBytes(int(jpeg.size() - 2 - data), 23) + jpeg.right(2);
}

// A JPEG of the image as stored, tagged to be shown after the given turn.
QByteArray jpegWithOrientation(const QImage& stored, QImageIOHandler::Transformations orientation)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setTransformation(orientation);
    writer.write(stored);
    return bytes;
}

// The colour at the middle of each quadrant, top-left, top-right, bottom-left, bottom-right.
std::array<QColor, 4> quadrantsOf(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    return {image.pixelColor(w / 4, h / 4), image.pixelColor(3 * w / 4, h / 4), image.pixelColor(w / 4, 3 * h / 4),
            image.pixelColor(3 * w / 4, 3 * h / 4)};
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT

private slots:
    void eachFailureHasItsOwnArabicReason_data();
    void eachFailureHasItsOwnArabicReason();
    void orientationTagIsHonoured_data();
    void orientationTagIsHonoured();
};

// A file that cannot be a lesson's picture is refused with a reason a child's parent can read:
// the Arabic reason first, the library's or the system's English text at most after it.
void TestPicture::eachFailureHasItsOwnArabicReason_data()
{
    QTest::addColumn<int>("make");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    const QByteArray jpeg = support::encodeJpeg(support::quadrantImage({400, 300}));
    const QByteArray png = support::encodePng(support::quadrantImage({400, 300}));
    const auto row = [](const char* name, Make make, const QByteArray& content, const char* reason) {
        QTest::newRow(name) << int(make) << content << QString::fromUtf8(reason);
    };
    row("missing", Make::Nothing, {}, "الملف غير موجود");
    row("a directory", Make::Directory, {}, "المسار مجلد لا ملف");
    row("a fifo", Make::Fifo, {}, "المسار ليس ملفًا عاديًا");
    row("a symlink loop", Make::SymlinkLoop, {}, "الرابط الرمزي يدور في حلقة");
    row("no permission", Make::Unreadable, jpeg, "لا إذن بقراءة الملف");
    row("larger than any lesson picture", Make::Sparse, {}, "الملف أكبر من أن يكون صورة درس");
    row("empty", Make::File, {}, "الملف فارغ");
    row("text", Make::File, "H is for house.\n", "الملف ليس صورة بصيغة معروفة");
    row("random bytes", Make::File, support::randomBytes(6000, 11), "الملف ليس صورة بصيغة معروفة");
    row("JPEG cut inside its header", Make::File, jpeg.left(40), "ترويسة الصورة ناقصة أو تالفة");
    row("PNG cut inside its header", Make::File, png.left(20), "ترويسة الصورة ناقصة أو تالفة");
    row("JPEG cut in half", Make::File, jpeg.left(jpeg.size() / 2), "الملف مقطوع قبل نهاية بيانات الصورة");
    row("PNG cut in half", Make::File, png.left(png.size() / 2), "الملف مقطوع قبل نهاية بيانات الصورة");
    row("JPEG with scrambled data", Make::File, scrambledJpeg(jpeg), "بيانات الصورة تالفة");
    // Its first frame is 8 x 6 and its screen, what the decoder yields, 8 x 52224.
    row("GIF whose screen is not its frame", Make::File,
        QByteArray::fromHex("474946383961080000cc0000002c00000000080006000003100"
                            "8ba1afe4ec82987bd96e8ad8bff5e"),
        "أبعاد الصورة في بياناتها 8×52224 تخالف أبعادها في ترويستها 8×6");
    row("JPEG declaring 60000 x 60000", Make::File, support::jpegDeclaring({60000, 60000}),
        "أبعاد الصورة 60000×60000 أكبر مما تحتمله الذاكرة");
}

void TestPicture::eachFailureHasItsOwnArabicReason()
{
    QFETCH(int, make);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("H.jpg"));
    const QByteArray native = QFile::encodeName(path);
    switch (Make(make)) {
    case Make::Nothing: break;
    case Make::File: QVERIFY(support::writeFile(path, content)); break;
    case Make::Directory: QVERIFY(QDir().mkdir(path)); break;
    case Make::Fifo: QCOMPARE(::mkfifo(native.constData(), 0600), 0); break;
    case Make::SymlinkLoop: QCOMPARE(::symlink(native.constData(), native.constData()), 0); break;
    case Make::Unreadable:
        if (::geteuid() == 0)
            QSKIP("root reads a file whatever its permissions");
        QVERIFY(support::writeFile(path, content));
        QCOMPARE(::chmod(native.constData(), 0), 0);
        break;
    case Make::Sparse:
        QVERIFY(support::writeFile(path, support::encodeJpeg(support::quadrantImage({40, 30}))));
        QCOMPARE(::truncate(native.constData(), platform::Picture::kMaxFileBytes + 1), 0);
        break;
    }

    try {
        const platform::Picture picture = platform::LoadPicture(path);
        picture.decode(picture.size());
        QFAIL("the picture loaded and decoded");
    } catch (const platform::PlatformError& error) {
        QVERIFY2(error.failed().contains(path), qPrintable(error.failed()));
        QVERIFY2(error.reason().startsWith(reason), qPrintable(error.reason()));
        // Whatever English detail follows stands apart, in brackets after the Arabic.
        const QString arabic = error.reason().section(QLatin1Char('('), 0, 0);
        for (const QChar c : arabic)
            QVERIFY2(!(c >= QLatin1Char('A') && c <= QLatin1Char('z')), qPrintable(error.reason()));
    }
}

// A picture stored sideways with an orientation tag shows upright, at its upright size, whether
// decoded at its own size or scaled.
void TestPicture::orientationTagIsHonoured_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("uprightSize");
    // Indices into the stored picture's quadrants, in the order the upright one shows them.
    QTest::addColumn<QList<int>>("quadrants");

    QTest::newRow("none") << int(QImageIOHandler::TransformationNone) << QSize(240, 120) << QList<int>{0, 1, 2, 3};
    QTest::newRow("a quarter turn clockwise")
        << int(QImageIOHandler::TransformationRotate90) << QSize(120, 240) << QList<int>{2, 0, 3, 1};
    QTest::newRow("half a turn") << int(QImageIOHandler::TransformationRotate180) << QSize(240, 120)
                                 << QList<int>{3, 2, 1, 0};
    QTest::newRow("a quarter turn anticlockwise")
        << int(QImageIOHandler::TransformationRotate270) << QSize(120, 240) << QList<int>{1, 3, 0, 2};
}

void TestPicture::orientationTagIsHonoured()
{
    QFETCH(int, orientation);
    QFETCH(QSize, uprightSize);
    QFETCH(QList<int>, quadrants);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("R.jpg"));
    QVERIFY(support::writeFile(path, jpegWithOrientation(support::quadrantImage({240, 120}),
                                                         QImageIOHandler::Transformations(orientation))));

    const platform::Picture picture = platform::LoadPicture(path);
    QCOMPARE(picture.size(), uprightSize);
    for (const QSize size : {QSize(), uprightSize / 2, QSize(300, 100)}) {
        const QImage image = picture.decode(size);
        QCOMPARE(image.size(), size.isValid() ? size : uprightSize);
        const auto shown = quadrantsOf(image);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(support::closeColour(shown[size_t(i)], support::quadrantColours()[size_t(quadrants[i])]),
                     qPrintable(QStringLiteral("quadrant %1 at %2×%3").arg(i).arg(image.width()).arg(image.height())));
    }
}

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
