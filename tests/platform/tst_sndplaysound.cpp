#include "platform/Winmm.h"
#include "support/Fixtures.h"
#include "support/NullSinkServer.h"
#include "support/RecordingAudioOutput.h"
#include "support/SoundFiles.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <sys/stat.h>

using namespace platform::winmm;
using support::AudioCall;

class TestSndPlaySound : public QObject {
    Q_OBJECT

private slots:
    void decodedSamplesArriveInOrder_data();
    void decodedSamplesArriveInOrder();
    void floatBeyondFullScaleIsClipped();
    void secondCallCutsTheFirst();
    void nullPathStops();
    void unplayableFileIsSilentAndFalse_data();
    void unplayableFileIsSilentAndFalse();
    void loopsOnlyWhenAsynchronous_data();
    void loopsOnlyWhenAsynchronous();
    void readsTheFileOnEveryCall();
    void outputThatCannotPlayGivesFalse();
    void deviceWithoutAudioServerGivesFalse();
    void longSoundIsDecodedAfterTheCallReturns();
    void newCallCutsASoundStillDecoding_data();
    void newCallCutsASoundStillDecoding();
    void longSoundHasNoGapWhileTheWindowIsBusy();
    void serverThatGoesAndComesBackIsFoundOnTheNextPress();
    void soundsCutInQuickSuccessionLeaveTheOutputWhole();
    void outputGoesBeforeTheApplication();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    static QByteArray native(const QString& path) { return QFile::encodeName(path); }
    bool writeTone(const QString& name, double seconds) const;

    // Beyond what the player decodes inside the call.
    static constexpr int kLongFrames = 300'000;

    QTemporaryDir m_dir;
};

void TestSndPlaySound::decodedSamplesArriveInOrder_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");

    QTest::newRow("16-bit mono 44.1 kHz") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 1;
    QTest::newRow("8-bit unsigned mono 22.05 kHz") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << 22050 << 1;
    QTest::newRow("24-bit stereo 44.1 kHz") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 44100 << 2;
    QTest::newRow("24-bit stereo extensible 22.05 kHz") << (SF_FORMAT_WAVEX | SF_FORMAT_PCM_24) << 22050 << 2;
    QTest::newRow("32-bit float stereo 22.05 kHz") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 22050 << 2;
    QTest::newRow("32-bit float mono 44.1 kHz") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 44100 << 1;
}

void TestSndPlaySound::decodedSamplesArriveInOrder()
{
    QFETCH(int, format);
    QFETCH(int, rate);
    QFETCH(int, channels);
    const std::vector<int16_t> expected = support::distinctSamples(300, channels, 1);
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT) {
        // Float files hold full scale as ±1.0, as the tools that write them do.
        std::vector<float> written(expected.size());
        std::transform(expected.begin(), expected.end(), written.begin(), [](int16_t s) { return s / 32768.0f; });
        QVERIFY(support::writeFloatSound(path("kind.wav"), rate, channels, written));
    } else {
        QVERIFY(support::writeSound(path("kind.wav"), format, rate, channels, expected));
    }
    support::ScopedRecordingOutput output;

    QCOMPARE(sndPlaySoundA(native(path("kind.wav")).constData(), SND_ASYNC | SND_NODEFAULT), 1);

    const auto plays = output.log().plays();
    QCOMPARE(plays.size(), size_t(1));
    QCOMPARE(plays[0].clip->sampleRate, rate);
    QCOMPARE(plays[0].clip->channels, channels);
    QCOMPARE(plays[0].clip->samples, expected);
}

void TestSndPlaySound::floatBeyondFullScaleIsClipped()
{
    QVERIFY(support::writeFloatSound(path("loud.wav"), 22050, 1, {0.25f, 1.5f, -1.5f, -0.25f}));
    support::ScopedRecordingOutput output;

    QCOMPARE(sndPlaySoundA(native(path("loud.wav")).constData(), SND_ASYNC | SND_NODEFAULT), 1);

    const auto plays = output.log().plays();
    QCOMPARE(plays.size(), size_t(1));
    const std::vector<int16_t>& samples = plays[0].clip->samples;
    QCOMPARE(samples.size(), size_t(4));
    QCOMPARE(samples, (std::vector<int16_t>{8192, 32767, -32768, -8192}));
}

void TestSndPlaySound::secondCallCutsTheFirst()
{
    QVERIFY(support::writeWav16(path("first.wav"), support::distinctSamples(50, 1, 1)));
    QVERIFY(support::writeWav16(path("second.wav"), support::distinctSamples(50, 1, 2)));
    support::ScopedRecordingOutput output;

    sndPlaySoundA(native(path("first.wav")).constData(), SND_ASYNC | SND_NODEFAULT);
    sndPlaySoundA(native(path("second.wav")).constData(), SND_ASYNC | SND_NODEFAULT);

    const std::vector<AudioCall>& calls = output.log().calls;
    const auto plays = output.log().plays();
    QCOMPARE(plays.size(), size_t(2));
    QCOMPARE(plays[1].clip->samples, support::distinctSamples(50, 1, 2));
    const auto firstPlay = std::find_if(calls.begin(), calls.end(), [](const AudioCall& c) { return c.kind == AudioCall::Play; });
    const auto secondPlay = std::find_if(firstPlay + 1, calls.end(), [](const AudioCall& c) { return c.kind == AudioCall::Play; });
    QVERIFY2(std::any_of(firstPlay + 1, secondPlay, [](const AudioCall& c) { return c.kind == AudioCall::Stop; }),
             "the first sound is not stopped before the second starts");
}

void TestSndPlaySound::nullPathStops()
{
    QVERIFY(support::writeWav16(path("playing.wav"), support::distinctSamples(50, 1, 1)));
    support::ScopedRecordingOutput output;
    sndPlaySoundA(native(path("playing.wav")).constData(), SND_ASYNC | SND_NODEFAULT);
    output.log().calls.clear();

    sndPlaySoundA(nullptr, 0);

    QVERIFY(output.log().plays().empty());
    QVERIFY(!output.log().calls.empty());
    QCOMPARE(output.log().calls.back().kind, AudioCall::Stop);
}

void TestSndPlaySound::unplayableFileIsSilentAndFalse_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");

    QTest::newRow("missing") << "missing.wav" << QByteArray() << false;
    QTest::newRow("empty") << "empty.wav" << QByteArray() << true;
    QTest::newRow("random bytes") << "random.wav" << support::randomBytes(4096, 7) << true;
    QTest::newRow("header without data") << "header.wav"
                                        << QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16) << true;
    QTest::newRow("a directory") << "directory.wav" << QByteArray() << false;
    QTest::newRow("a named pipe nobody writes to") << "pipe.wav" << QByteArray() << false;
}

void TestSndPlaySound::unplayableFileIsSilentAndFalse()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    if (create)
        QVERIFY(support::writeFile(path(name), content));
    if (name == QLatin1String("directory.wav"))
        QVERIFY(QDir(m_dir.path()).mkpath(name));
    if (name == QLatin1String("pipe.wav"))
        QCOMPARE(::mkfifo(native(path(name)).constData(), 0600), 0);
    support::ScopedRecordingOutput output;

    QCOMPARE(sndPlaySoundA(native(path(name)).constData(), SND_LOOP | SND_NODEFAULT), 0);
    QVERIFY(output.log().plays().empty());
}

void TestSndPlaySound::loopsOnlyWhenAsynchronous_data()
{
    QTest::addColumn<uint>("flags");
    QTest::addColumn<bool>("loops");

    QTest::newRow("loop and no default (the lesson's 10)") << uint(SND_LOOP | SND_NODEFAULT) << false;
    QTest::newRow("loop alone") << uint(SND_LOOP) << false;
    QTest::newRow("loop and async") << uint(SND_LOOP | SND_ASYNC) << true;
    QTest::newRow("loop, async and no default") << uint(SND_LOOP | SND_ASYNC | SND_NODEFAULT) << true;
    QTest::newRow("async alone") << uint(SND_ASYNC) << false;
    QTest::newRow("no flags") << 0u << false;
}

void TestSndPlaySound::loopsOnlyWhenAsynchronous()
{
    QFETCH(uint, flags);
    QFETCH(bool, loops);
    QVERIFY(support::writeWav16(path("loop.wav"), support::distinctSamples(50, 1, 3)));
    support::ScopedRecordingOutput output;

    QCOMPARE(sndPlaySoundA(native(path("loop.wav")).constData(), flags), 1);

    const auto plays = output.log().plays();
    QCOMPARE(plays.size(), size_t(1));
    QCOMPARE(plays[0].loop, loops);
}

void TestSndPlaySound::readsTheFileOnEveryCall()
{
    support::ScopedRecordingOutput output;
    QVERIFY(support::writeWav16(path("same.wav"), support::distinctSamples(60, 1, 4)));
    sndPlaySoundA(native(path("same.wav")).constData(), SND_LOOP | SND_NODEFAULT);
    QVERIFY(support::writeSound(path("same.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                                support::distinctSamples(40, 2, 5)));
    sndPlaySoundA(native(path("same.wav")).constData(), SND_LOOP | SND_NODEFAULT);

    const auto plays = output.log().plays();
    QCOMPARE(plays.size(), size_t(2));
    QCOMPARE(plays[0].clip->samples, support::distinctSamples(60, 1, 4));
    QCOMPARE(plays[1].clip->samples, support::distinctSamples(40, 2, 5));
    QCOMPARE(plays[1].clip->channels, 2);
    QCOMPARE(plays[1].clip->sampleRate, 44100);
}

void TestSndPlaySound::outputThatCannotPlayGivesFalse()
{
    QVERIFY(support::writeWav16(path("refused.wav"), support::distinctSamples(50, 1, 6)));
    auto log = std::make_shared<support::AudioLog>();
    replaceAudioOutput(std::make_unique<support::RecordingAudioOutput>(log, false));

    const int32_t result = sndPlaySoundA(native(path("refused.wav")).constData(), SND_ASYNC | SND_NODEFAULT);
    replaceAudioOutput(nullptr);

    QCOMPARE(result, 0);
    QCOMPARE(log->plays().size(), size_t(1));
}

// main() points the audio client at a server that does not exist before the application starts.
void TestSndPlaySound::deviceWithoutAudioServerGivesFalse()
{
    QVERIFY(support::writeWav16(path("device.wav"), support::distinctSamples(2000, 1, 7)));
    replaceAudioOutput(nullptr);
    static int messages = 0;
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        ++messages;
        previous(type, context, text);
    });

    for (int press = 0; press < 5; ++press)
        QCOMPARE(sndPlaySoundA(native(path("device.wav")).constData(), SND_LOOP | SND_NODEFAULT), 0);
    sndPlaySoundA(nullptr, 0);
    QCoreApplication::processEvents();
    qInstallMessageHandler(previous);

    // A word that the server is missing is fine; one for every press is a flood.
    QVERIFY2(messages <= 2, qPrintable(QString::number(messages)));
}

// A long sound's decoding does not hold the caller: the call returns before the clip reaches the
// output, and the clip arrives whole through the application's events.
void TestSndPlaySound::longSoundIsDecodedAfterTheCallReturns()
{
    QVERIFY(support::writeWav16(path("long.wav"), support::distinctSamples(kLongFrames, 1, 8)));
    support::ScopedRecordingOutput output;

    QCOMPARE(sndPlaySoundA(native(path("long.wav")).constData(), SND_ASYNC | SND_NODEFAULT), 1);
    QVERIFY(output.log().plays().empty());
    waitForDecoding();

    const auto plays = output.log().plays();
    QCOMPARE(plays.size(), size_t(1));
    QVERIFY(plays[0].clip->samples == support::distinctSamples(kLongFrames, 1, 8));
}

void TestSndPlaySound::newCallCutsASoundStillDecoding_data()
{
    QTest::addColumn<QString>("next");
    QTest::addColumn<int>("seed");

    QTest::newRow("a short sound") << "short.wav" << 9;
    QTest::newRow("another long sound") << "long2.wav" << 10;
    QTest::newRow("a null path") << QString() << 0;
}

void TestSndPlaySound::newCallCutsASoundStillDecoding()
{
    QFETCH(QString, next);
    QFETCH(int, seed);
    QVERIFY(support::writeWav16(path("long.wav"), support::distinctSamples(kLongFrames, 1, 8)));
    QVERIFY(support::writeWav16(path("long2.wav"), support::distinctSamples(kLongFrames, 1, 10)));
    QVERIFY(support::writeWav16(path("short.wav"), support::distinctSamples(50, 1, 9)));
    support::ScopedRecordingOutput output;

    sndPlaySoundA(native(path("long.wav")).constData(), SND_ASYNC | SND_NODEFAULT);
    sndPlaySoundA(next.isEmpty() ? nullptr : native(path(next)).constData(), SND_ASYNC | SND_NODEFAULT);
    waitForDecoding();
    // Whatever the first decoding had reached by now, nothing of it may turn up later either.
    QTest::qWait(50);

    const auto plays = output.log().plays();
    if (next.isEmpty()) {
        QVERIFY(plays.empty());
        return;
    }
    QCOMPARE(plays.size(), size_t(1));
    QVERIFY(plays[0].clip->samples == support::distinctSamples(next == "short.wav" ? 50 : kLongFrames, 1, seed));
}

namespace {

// Points the sound player at a private server for one test, and back at no server after it.
class ServerScope {
public:
    explicit ServerScope(const support::NullSinkServer& server)
        : m_server(qgetenv("PULSE_SERVER"))
        , m_config(qgetenv("PULSE_CLIENTCONFIG"))
    {
        server.pointClientsHere();
        replaceAudioOutput(nullptr);
    }
    ~ServerScope()
    {
        qputenv("PULSE_SERVER", m_server);
        if (m_config.isNull())
            qunsetenv("PULSE_CLIENTCONFIG");
        else
            qputenv("PULSE_CLIENTCONFIG", m_config);
        replaceAudioOutput(nullptr);
    }
    ServerScope(const ServerScope&) = delete;
    ServerScope& operator=(const ServerScope&) = delete;

private:
    QByteArray m_server;
    QByteArray m_config;
};

// The loud stretch of a recording: its length in 10 ms windows and the quiet windows inside it.
struct LoudStretch {
    int windows = 0;
    int gaps = 0;
};

LoudStretch loudStretch(const std::vector<bool>& loud)
{
    const auto first = std::find(loud.begin(), loud.end(), true);
    if (first == loud.end())
        return {};
    const auto last = std::find(loud.rbegin(), loud.rend(), true).base();
    return {int(last - first), int(std::count(first, last, false))};
}

// Whether about half a second of loud sound reached the sink after `mark`.
bool heardSince(const support::NullSinkServer& server, qint64 mark)
{
    QTest::qWait(1500);
    return loudStretch(server.loudWindows(mark)).windows >= 45;
}

} // namespace

bool TestSndPlaySound::writeTone(const QString& name, double seconds) const
{
    constexpr int rate = 22050;
    std::vector<int16_t> samples(size_t(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(16000 * std::sin(2 * M_PI * 440 * double(i) / rate));
    return support::writeWav16(path(name), samples, rate);
}

// The server's requests are answered from the client library's thread: a window that is busy
// 150 ms of every 250 ms must not break a long sound anywhere.
void TestSndPlaySound::longSoundHasNoGapWhileTheWindowIsBusy()
{
    QVERIFY(writeTone("tone.wav", 15));
    support::NullSinkServer server;
    ServerScope scope(server);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const qint64 mark = server.mark();

    QCOMPARE(sndPlaySoundA(native(path("tone.wav")).constData(), SND_ASYNC | SND_NODEFAULT), 1);
    QElapsedTimer playing;
    playing.start();
    while (playing.elapsed() < 16500) {
        QThread::msleep(150);
        QTest::qWait(100);
    }

    const LoudStretch heard = loudStretch(server.loudWindows(mark));
    qInfo("a 15 s tone under a busy window: loud for %d ms with %d gaps", heard.windows * 10, heard.gaps);
    QCOMPARE(heard.gaps, 0);
    // Judged in 10 ms windows, and the stream's first period may fall short.
    QVERIFY2(heard.windows >= 1497 && heard.windows <= 1502, qPrintable(QString::number(heard.windows)));
}

// A server that dies is noticed on the next press, which fails quietly; once a server answers again
// the next press plays through it, without a restart of the program.
void TestSndPlaySound::serverThatGoesAndComesBackIsFoundOnTheNextPress()
{
    QVERIFY(writeTone("short.wav", 0.5));
    const QByteArray file = native(path("short.wav"));
    support::NullSinkServer server;
    ServerScope scope(server);
    QString why;

    QVERIFY2(server.start(&why), qPrintable(why));
    qint64 mark = server.mark();
    QCOMPARE(sndPlaySoundA(file.constData(), SND_ASYNC | SND_NODEFAULT), 1);
    QVERIFY2(heardSince(server, mark), "the first server does not play the sound");

    server.kill();
    // The client library notices the closed connection on its own thread, a moment later.
    QTRY_COMPARE_WITH_TIMEOUT(sndPlaySoundA(file.constData(), SND_ASYNC | SND_NODEFAULT), 0, 10000);

    QVERIFY2(server.start(&why), qPrintable(why));
    mark = server.mark();
    QCOMPARE(sndPlaySoundA(file.constData(), SND_ASYNC | SND_NODEFAULT), 1);
    QVERIFY2(heardSince(server, mark), "the server started again does not play the sound");
}

// Every press cuts the sound before it, at every point of its life: before the server has created
// its stream, while the server's thread asks it for data, while it drains. The teardown must leave
// nothing behind that a later callback could touch, no stream on the server (a server takes a few
// hundred per sink, then refuses), and the output must still play afterwards.
void TestSndPlaySound::soundsCutInQuickSuccessionLeaveTheOutputWhole()
{
    QVERIFY(writeTone("blip.wav", 0.05));
    QVERIFY(writeTone("last.wav", 0.5));
    support::NullSinkServer server;
    ServerScope scope(server);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));

    for (int press = 0; press < 400; ++press) {
        QCOMPARE(sndPlaySoundA(native(path("blip.wav")).constData(), SND_ASYNC | SND_NODEFAULT), 1);
        if (press % 3 == 0)
            QTest::qWait(press % 70);
    }
    const qint64 mark = server.mark();
    QCOMPARE(sndPlaySoundA(native(path("last.wav")).constData(), SND_ASYNC | SND_NODEFAULT), 1);
    QVERIFY2(heardSince(server, mark), "the output plays nothing after the quick presses");
    QTRY_COMPARE(server.otherStreams(), 0);
}

namespace {

const char* const kLifetimeProbe = "--output-lifetime-probe";

// Notes whether the application still existed when the sound player let go of its output.
class LifetimeProbe : public platform::AudioOutput {
public:
    static inline bool released = false;
    static inline bool applicationAlive = false;

    ~LifetimeProbe() override
    {
        released = true;
        applicationAlive = QCoreApplication::instance() != nullptr;
    }
    bool play(std::shared_ptr<const platform::PcmClip>, bool) override { return true; }
    void stop() override {}
};

// The child process of outputGoesBeforeTheApplication: an application that plays and ends.
int runLifetimeProbe(int argc, char** argv)
{
    {
        QApplication app(argc, argv);
        replaceAudioOutput(std::make_unique<LifetimeProbe>());
    }
    return LifetimeProbe::released && LifetimeProbe::applicationAlive ? 0 : 1;
}

} // namespace

// The device output's sink must not outlive the audio engine, which goes with the application: a
// program that ends after a lesson would crash on its way out.
void TestSndPlaySound::outputGoesBeforeTheApplication()
{
    QProcess probe;
    probe.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kLifetimeProbe)});
    QVERIFY(probe.waitForFinished(60000));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QVERIFY2(probe.exitCode() == 0, "the sound player keeps its output after the application is gone");
}

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[argc - 1], kLifetimeProbe) == 0)
        return runLifetimeProbe(argc, argv);
    const QString nowhere = QDir::temp().filePath(QStringLiteral("tarbalun-no-audio-server-%1/native")
                                                      .arg(QCoreApplication::applicationPid()));
    qputenv("PULSE_SERVER", QByteArray("unix:") + QFile::encodeName(nowhere));
    QApplication app(argc, argv);
    TestSndPlaySound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sndplaysound.moc"
