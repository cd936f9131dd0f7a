#include "platform/ScaledJpeg.h"
#include "support/Fixtures.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtTest>
#include <cmath>
#include <vector>

using platform::ScaledJpeg;

class TestScaledJpeg : public QObject {
    Q_OBJECT

private slots:
    void matchesQtsReaderWhereLibjpegHitsTheSize_data();
    void matchesQtsReaderWhereLibjpegHitsTheSize();
    void isCloseToAGoodResampleAtEveryScale_data();
    void isCloseToAGoodResampleAtEveryScale();
    void corruptDataIsReported_data();
    void corruptDataIsReported();
    void leavesExifPicturesToQtsReader();
};

namespace {

// The size of the lesson cards, with what they hold: large letters, outlines, flat colour, shading.
constexpr QSize kCard(1074, 674);

QByteArray cardJpeg()
{
    QImage image(kCard, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, kCard.height());
    sky.setColorAt(0, QColor(255, 248, 234));
    sky.setColorAt(1, QColor(253, 227, 189));
    painter.fillRect(image.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(59, 36, 18), 6));
    painter.setBrush(QColor(220, 40, 40));
    painter.drawEllipse(QPointF(760, 330), 190, 180);
    painter.setBrush(QColor(40, 160, 60));
    painter.drawEllipse(QRectF(760, 110, 90, 40));
    for (int i = 0; i < 40; ++i)
        painter.drawLine(60 + 12 * i, 560, 80 + 12 * i, 640);
    QFont font;
    font.setPixelSize(300);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(40, 40, 500, 480), Qt::AlignCenter, QStringLiteral("A"));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

QImage readWithQt(const QByteArray& bytes, QSize size = {})
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    if (size.isValid())
        reader.setScaledSize(size);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

QSize scaled(QSize size, double factor)
{
    return QSize(qRound(size.width() * factor), qRound(size.height() * factor));
}

double lanczos3(double x)
{
    if (x == 0)
        return 1;
    if (std::abs(x) >= 3)
        return 0;
    const double px = M_PI * x;
    return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// One direction of a Lanczos-3 resample: rows of `count` samples with `channels` values each,
// `stride` apart, widened to cover the source when shrinking.
std::vector<double> resampleAxis(const std::vector<double>& source, int from, int to, int lines, bool alongRows)
{
    std::vector<double> result(size_t(to) * size_t(lines) * 3);
    const double scale = double(from) / to;
    const double support = 3 * std::max(1.0, scale);
    for (int out = 0; out < to; ++out) {
        const double centre = (out + 0.5) * scale - 0.5;
        std::vector<std::pair<int, double>> weights;
        double total = 0;
        for (int in = int(std::floor(centre - support)); in <= int(std::ceil(centre + support)); ++in) {
            const double weight = lanczos3((in - centre) / std::max(1.0, scale));
            weights.emplace_back(std::clamp(in, 0, from - 1), weight);
            total += weight;
        }
        for (int line = 0; line < lines; ++line)
            for (int channel = 0; channel < 3; ++channel) {
                double sum = 0;
                for (const auto& [in, weight] : weights) {
                    const size_t at = alongRows ? (size_t(line) * from + in) : (size_t(in) * lines + line);
                    sum += source[at * 3 + channel] * weight;
                }
                const size_t at = alongRows ? (size_t(line) * to + out) : (size_t(out) * lines + line);
                result[at * 3 + channel] = sum / total;
            }
    }
    return result;
}

// A good resample to compare with: Lanczos-3 of the full-size decode.
QImage lanczos(const QImage& source, QSize size)
{
    std::vector<double> pixels(size_t(source.width()) * size_t(source.height()) * 3);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const QRgb pixel = source.pixel(x, y);
            double* at = &pixels[(size_t(y) * size_t(source.width()) + size_t(x)) * 3];
            at[0] = qRed(pixel);
            at[1] = qGreen(pixel);
            at[2] = qBlue(pixel);
        }
    const std::vector<double> wide = resampleAxis(pixels, source.width(), size.width(), source.height(), true);
    const std::vector<double> both = resampleAxis(wide, source.height(), size.height(), size.width(), false);
    QImage result(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double* at = &both[(size_t(y) * size_t(size.width()) + size_t(x)) * 3];
            const auto channel = [](double value) { return int(std::lround(std::clamp(value, 0.0, 255.0))); };
            result.setPixel(x, y, qRgb(channel(at[0]), channel(at[1]), channel(at[2])));
        }
    return result;
}

double psnr(const QImage& a, const QImage& b)
{
    double squares = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                squares += double(d) * d;
        }
    const double mean = squares / (3.0 * a.width() * a.height());
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

} // namespace

// Where libjpeg's scaling hits the size (the frame on 1x and 2x screens), the picture is the one
// Qt's reader decodes, pixel for pixel, only sooner.
void TestScaledJpeg::matchesQtsReaderWhereLibjpegHitsTheSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("full size (2x screen)") << kCard;
    QTest::newRow("half (1x screen)") << QSize(537, 337);
}

void TestScaledJpeg::matchesQtsReaderWhereLibjpegHitsTheSize()
{
    QFETCH(QSize, size);
    const QByteArray jpeg = cardJpeg();
    const ScaledJpeg ours = platform::decodeScaledJpeg(jpeg, size);
    QCOMPARE(ours.outcome, ScaledJpeg::Outcome::Decoded);
    QCOMPARE(ours.image.size(), size);
    QCOMPARE(ours.image, readWithQt(jpeg, size));
}

// Between libjpeg's clean scales the nearest one above is scaled down smoothly: on a 1.5x screen
// the frame is 806 x 506 device pixels, three quarters of the card. Each size is held against a
// Lanczos resample of the full-size picture and must come at least as close as Qt's reader does.
void TestScaledJpeg::isCloseToAGoodResampleAtEveryScale_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("minimumPsnr");
    QTest::newRow("1x screen") << 0.5 << 38.0;
    QTest::newRow("1.25x screen") << 0.625 << 38.0;
    QTest::newRow("1.5x screen") << 0.75 << 38.0;
    QTest::newRow("1.75x screen") << 0.875 << 38.0;
    QTest::newRow("2x screen") << 1.0 << 99.0;
}

void TestScaledJpeg::isCloseToAGoodResampleAtEveryScale()
{
    QFETCH(double, factor);
    QFETCH(double, minimumPsnr);
    const QByteArray jpeg = cardJpeg();
    const QSize size = scaled(kCard, factor);
    const QImage reference = lanczos(readWithQt(jpeg), size);

    const ScaledJpeg ours = platform::decodeScaledJpeg(jpeg, size);
    QCOMPARE(ours.outcome, ScaledJpeg::Outcome::Decoded);
    QCOMPARE(ours.image.size(), size);
    const double ourPsnr = psnr(ours.image, reference);
    const double qtPsnr = psnr(readWithQt(jpeg, size), reference);
    qInfo("%s: %.1f dB against Lanczos-3 (Qt's reader at that size: %.1f dB)", QTest::currentDataTag(), ourPsnr,
          qtPsnr);
    QVERIFY2(ourPsnr >= minimumPsnr, qPrintable(QString::number(ourPsnr)));
    QVERIFY2(ourPsnr >= qtPsnr - 0.05, qPrintable(QStringLiteral("%1 < %2").arg(ourPsnr).arg(qtPsnr)));
}

void TestScaledJpeg::corruptDataIsReported_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray jpeg = cardJpeg();
    const qsizetype scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    QByteArray scrambled = jpeg;
    for (qsizetype i = scan + 20; i < scrambled.size() - 2; i += 7)
        scrambled[i] = char(0xFF - uchar(scrambled[i]));
    QTest::newRow("cut in half") << jpeg.left(jpeg.size() / 2);
    QTest::newRow("cut in the header") << jpeg.left(scan / 2);
    QTest::newRow("scrambled data") << scrambled;
}

// libjpeg hands back a picture for truncated or damaged data and only warns; that is corruption
// here, named in libjpeg's words.
void TestScaledJpeg::corruptDataIsReported()
{
    QFETCH(QByteArray, bytes);
    const ScaledJpeg result = platform::decodeScaledJpeg(bytes, QSize(537, 337));
    QCOMPARE(result.outcome, ScaledJpeg::Outcome::Corrupt);
    QVERIFY(!result.problem.isEmpty());
    QVERIFY(result.image.isNull());
}

// A picture with EXIF data may ask to be turned; Qt's reader is the one that knows how.
void TestScaledJpeg::leavesExifPicturesToQtsReader()
{
    const QByteArray jpeg = support::encodeJpeg(support::quadrantImage({64, 48}));
    const QByteArray exif = QByteArray("Exif\0\0MM\0\x2a\0\0\0\x08\0\0", 16);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(0)).append(char(exif.size() + 2)).append(exif);
    const QByteArray withExif = jpeg.left(2) + segment + jpeg.mid(2);
    QCOMPARE(readWithQt(withExif).size(), QSize(64, 48));

    QCOMPARE(platform::decodeScaledJpeg(withExif, QSize(32, 24)).outcome, ScaledJpeg::Outcome::NotForThisDecoder);
    QCOMPARE(platform::decodeScaledJpeg(jpeg, QSize(32, 24)).outcome, ScaledJpeg::Outcome::Decoded);
}

QTEST_MAIN(TestScaledJpeg)
#include "tst_scaledjpeg.moc"
