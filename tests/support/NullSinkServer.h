#pragma once

// A private PulseAudio server with one null sink, for the tests that play through the real sound
// output: the test points the client library at it through PULSE_SERVER, and a recorder writes
// what the sink plays into a file, 48 kHz stereo 16-bit, that the test reads back in 10 ms windows.
// The server can be stopped hard and started again on the same socket, as a server that dies and
// comes back would be.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace support {

class NullSinkServer {
public:
    static constexpr int kRate = 48000;
    static constexpr int kFrameBytes = 4;
    static constexpr int kWindowFrames = kRate / 100;

    NullSinkServer()
    {
        QDir root(m_dir.path());
        for (const char* sub : {"home", "xdg", "run", "state"})
            root.mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(root.filePath("xdg"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile config(root.filePath("client.conf"));
        // A client that finds no server must not start one of its own.
        if (config.open(QIODevice::WriteOnly))
            config.write("autospawn = no\n");
        config.close();
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.remove(QStringLiteral("DISPLAY"));
        m_environment.insert(QStringLiteral("HOME"), root.filePath("home"));
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath("xdg"));
        m_environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), root.filePath("run"));
        m_environment.insert(QStringLiteral("PULSE_STATE_PATH"), root.filePath("state"));
        m_environment.insert(QStringLiteral("PULSE_CLIENTCONFIG"), root.filePath("client.conf"));
        m_environment.insert(QStringLiteral("PULSE_SERVER"), address());
    }
    ~NullSinkServer() { kill(); }
    NullSinkServer(const NullSinkServer&) = delete;
    NullSinkServer& operator=(const NullSinkServer&) = delete;

    QString address() const { return QStringLiteral("unix:") + QDir(m_dir.path()).filePath("native"); }
    // Client settings for this process: where the server is, and no server of its own.
    void pointClientsHere() const
    {
        qputenv("PULSE_SERVER", address().toLocal8Bit());
        qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(QDir(m_dir.path()).filePath("client.conf")));
    }

    // Starts the server, keeps its sink running and starts recording; false with `why` set when
    // something does not come up.
    bool start(QString* why)
    {
        const QString socket = QDir(m_dir.path()).filePath("native");
        QFile::remove(socket);
        if (!launch(m_server, QStringLiteral("pulseaudio"),
                    {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=true",
                     "--log-target=stderr", "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1",
                     "--load=module-null-sink sink_name=test_sink rate=48000 channels=2"},
                    why))
            return false;
        if (!poll(15000, [this] { return answers(); })) {
            QFile log(this->log());
            log.open(QIODevice::ReadOnly);
            *why = QStringLiteral("the server does not answer: ") + QString::fromLocal8Bit(log.readAll());
            return false;
        }
        // An idle null sink's monitor delivers nothing, and silent gaps would vanish from the recording.
        if (!launch(m_keeper, QStringLiteral("pacat"),
                    {"--playback", "--device=test_sink", "--raw", "--format=s16le", "--rate=48000", "--channels=2",
                     "/dev/zero"},
                    why))
            return false;
        m_recording = QDir(m_dir.path()).filePath(QStringLiteral("recording-%1.raw").arg(++m_starts));
        m_recorder = std::make_unique<QProcess>();
        m_recorder->setProcessEnvironment(m_environment);
        m_recorder->setStandardOutputFile(m_recording);
        if (!launch(m_recorder, QStringLiteral("parec"),
                    {"--device=test_sink.monitor", "--raw", "--format=s16le", "--rate=48000", "--channels=2",
                     "--latency-msec=20"},
                    why))
            return false;
        // A fresh recorder takes a while to settle; sounds played before it flows come late.
        if (!poll(15000, [this] { return mark() >= kRate * kFrameBytes / 2; })) {
            *why = QStringLiteral("the recording does not flow");
            return false;
        }
        return true;
    }

    // Stops the server at once, as a crash would, with its clients.
    void kill()
    {
        for (std::unique_ptr<QProcess>* process : {&m_recorder, &m_keeper, &m_server}) {
            if (*process) {
                (*process)->kill();
                (*process)->waitForFinished(5000);
                process->reset();
            }
        }
    }

    // The streams playing into the server beside the one that keeps the sink running.
    int otherStreams() const
    {
        QProcess list;
        list.setProcessEnvironment(m_environment);
        list.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
        if (!list.waitForFinished(5000) || list.exitCode() != 0)
            return -1;
        return int(list.readAllStandardOutput().count('\n')) - 1;
    }

    // The recording's length in bytes, on a frame boundary.
    qint64 mark() const { return QFileInfo(m_recording).size() / kFrameBytes * kFrameBytes; }

    // For each 10 ms window of the recording from byte `from`: whether the left channel is loud.
    std::vector<bool> loudWindows(qint64 from) const
    {
        QFile file(m_recording);
        std::vector<bool> loud;
        if (!file.open(QIODevice::ReadOnly) || !file.seek(from))
            return loud;
        const QByteArray bytes = file.readAll();
        const auto* samples = reinterpret_cast<const int16_t*>(bytes.constData());
        const qsizetype frames = bytes.size() / kFrameBytes;
        for (qsizetype start = 0; start + kWindowFrames <= frames; start += kWindowFrames) {
            int peak = 0;
            for (qsizetype frame = start; frame < start + kWindowFrames; ++frame)
                peak = std::max(peak, std::abs(int(samples[frame * 2])));
            loud.push_back(peak > 3000);
        }
        return loud;
    }

private:
    bool launch(std::unique_ptr<QProcess>& process, const QString& program, const QStringList& arguments, QString* why)
    {
        const QString found = QStandardPaths::findExecutable(program);
        if (found.isEmpty()) {
            *why = program + QStringLiteral(" is not installed");
            return false;
        }
        if (!process)
            process = std::make_unique<QProcess>();
        process->setProcessEnvironment(m_environment);
        // To a file: nobody reads a pipe while the test holds its thread, and a full pipe would stop
        // the server.
        process->setStandardErrorFile(log(), QIODevice::Append);
        process->start(found, arguments);
        if (!process->waitForStarted(10000)) {
            *why = program + QStringLiteral(" does not start");
            return false;
        }
        return true;
    }

    QString log() const { return QDir(m_dir.path()).filePath(QStringLiteral("pulse.log")); }

    bool answers() const
    {
        QProcess info;
        info.setProcessEnvironment(m_environment);
        info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        return info.waitForFinished(5000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0;
    }

    template <typename Condition>
    static bool poll(int milliseconds, Condition condition)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > milliseconds)
                return false;
            QThread::msleep(100);
        }
        return true;
    }

    QTemporaryDir m_dir;
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_keeper;
    std::unique_ptr<QProcess> m_recorder;
    QString m_recording;
    int m_starts = 0;
};

} // namespace support
