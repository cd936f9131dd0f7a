// The 26 lesson sounds as shipped: each lasts one to four seconds and begins and ends in quiet, so a
// regeneration that trims into the speech again, or drops the quiet margins, fails here.

#include <QFile>
#include <QtTest>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

class TestLessonSounds : public QObject {
    Q_OBJECT

private slots:
    void shippedSound_data();
    void shippedSound();
};

namespace {

constexpr double kMarginSeconds = 0.040;
constexpr double kMarginBelowLoudestDb = 30.0;
constexpr double kWindowSeconds = 0.020;
constexpr double kMinSeconds = 1.0;
constexpr double kMaxSeconds = 4.0;

struct Sound {
    int rate = 0;
    std::vector<double> samples;
};

bool readMono(const QString& path, Sound& sound)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return false;
    std::vector<double> frames(size_t(info.frames) * size_t(info.channels));
    const sf_count_t read = sf_readf_double(file, frames.data(), info.frames);
    sf_close(file);
    if (read != info.frames || info.channels != 1)
        return false;
    sound.rate = info.samplerate;
    sound.samples = std::move(frames);
    return true;
}

// RMS levels in dB relative to full scale, from running sums of squares.
class Levels {
public:
    explicit Levels(const std::vector<double>& samples)
        : m_sums(samples.size() + 1, 0.0)
    {
        for (size_t i = 0; i < samples.size(); ++i)
            m_sums[i + 1] = m_sums[i] + samples[i] * samples[i];
    }

    double rmsDb(size_t begin, size_t end) const
    {
        const double meanSquare = std::max(0.0, m_sums[end] - m_sums[begin]) / double(end - begin);
        return meanSquare > 0 ? 10 * std::log10(meanSquare) : -INFINITY;
    }

    // The loudest stretch of `width` samples, stretches starting `hop` samples apart.
    double loudestDb(size_t width, size_t hop) const
    {
        double loudest = -INFINITY;
        for (size_t start = 0; start + width < m_sums.size(); start += hop)
            loudest = std::max(loudest, rmsDb(start, start + width));
        return loudest;
    }

private:
    std::vector<double> m_sums;
};

} // namespace

void TestLessonSounds::shippedSound_data()
{
    QTest::addColumn<QString>("path");
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const QString name = QStringLiteral("%1.wav").arg(QChar(letter));
        QTest::newRow(qPrintable(name)) << QStringLiteral(TARBALUN_LETTERS_DIR "/") + name;
    }
}

void TestLessonSounds::shippedSound()
{
    QFETCH(QString, path);
    Sound sound;
    QVERIFY2(readMono(path, sound), qPrintable(path + " is not a readable mono sound"));

    const double seconds = double(sound.samples.size()) / sound.rate;
    QVERIFY2(seconds >= kMinSeconds && seconds <= kMaxSeconds,
             qPrintable(QStringLiteral("lasts %1 s").arg(seconds)));

    const Levels levels(sound.samples);
    const double loudest = levels.loudestDb(size_t(kWindowSeconds * sound.rate), size_t(sound.rate / 1000));
    const size_t margin = size_t(kMarginSeconds * sound.rate);
    const double startBelow = loudest - levels.rmsDb(0, margin);
    const double endBelow = loudest - levels.rmsDb(sound.samples.size() - margin, sound.samples.size());
    QVERIFY2(startBelow >= kMarginBelowLoudestDb,
             qPrintable(QStringLiteral("the first 40 ms lie only %1 dB below the loudest 20 ms").arg(startBelow)));
    QVERIFY2(endBelow >= kMarginBelowLoudestDb,
             qPrintable(QStringLiteral("the last 40 ms lie only %1 dB below the loudest 20 ms").arg(endBelow)));
}

QTEST_APPLESS_MAIN(TestLessonSounds)
#include "tst_lessonsounds.moc"
