#include "platform/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// Hands a clip to the sink, from the start, once or around and around.
class ClipDevice : public QIODevice {
public:
    ClipDevice(std::shared_ptr<const PcmClip> clip, bool loop)
        : m_clip(std::move(clip))
        , m_bytes(reinterpret_cast<const char*>(m_clip->samples.data()))
        , m_size(qint64(m_clip->samples.size() * sizeof(int16_t)))
        , m_loop(loop)
    {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return (m_loop ? m_size : m_size - m_position) + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        qint64 written = 0;
        while (written < maxSize && m_size > 0) {
            if (m_position == m_size) {
                if (!m_loop)
                    break;
                m_position = 0;
            }
            const qint64 chunk = std::min(maxSize - written, m_size - m_position);
            std::memcpy(data + written, m_bytes + m_position, size_t(chunk));
            m_position += chunk;
            written += chunk;
        }
        return written;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::shared_ptr<const PcmClip> m_clip;
    const char* m_bytes;
    qint64 m_size;
    qint64 m_position = 0;
    bool m_loop;
};

class DeviceAudioOutput : public AudioOutput {
public:
    ~DeviceAudioOutput() override { stop(); }

    bool play(std::shared_ptr<const PcmClip> clip, bool loop) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return false;
        QAudioFormat format;
        format.setSampleRate(clip->sampleRate);
        format.setChannelCount(clip->channels);
        format.setSampleFormat(QAudioFormat::Int16);

        m_frameBytes = qint64(clip->channels) * qint64(sizeof(int16_t));
        m_source = std::make_unique<ClipDevice>(std::move(clip), loop);
        m_sink = new QAudioSink(device, format);
        QAudioSink* sink = m_sink;
        sink->setBufferSize(format.bytesForDuration(kBufferMicroseconds));
        // The sink turns idle when the clip has run out; it is closed a moment later so that the
        // device's buffer drains and the last syllable is heard whole.
        QObject::connect(sink, &QAudioSink::stateChanged, sink, [sink](QAudio::State state) {
            if (state == QAudio::IdleState)
                QTimer::singleShot(kDrainMilliseconds, sink, [sink] {
                    if (sink->state() == QAudio::IdleState)
                        sink->stop();
                });
        });
        // The clip is written to the sink from here rather than pulled by it: a pulling sink asks
        // for its first samples only a period (20 ms) after it starts, and the child hears the lag.
        m_input = sink->start();
        if (!m_input || sink->error() != QAudio::NoError) {
            stop();
            return false;
        }
        m_primed = false;
        m_feeder = new QTimer(sink);
        QObject::connect(m_feeder, &QTimer::timeout, sink, [this] { feed(); });
        m_feeder->start(kFeedMilliseconds);
        feed();
        return true;
    }

    void stop() override
    {
        if (m_sink) {
            m_sink->stop();
            delete m_sink.data();
        }
        m_source.reset();
    }

private:
    // Enough for the sound to ride out a busy moment of the window; fed every period.
    static constexpr qint64 kBufferMicroseconds = 200'000;
    static constexpr int kFeedMilliseconds = 20;
    static constexpr int kDrainMilliseconds = 400;

    // Writes as much of the clip as the sink has room for, in whole frames.
    void feed()
    {
        if (!m_sink || !m_input || !m_source)
            return;
        qint64 room = m_sink->bytesFree() / m_frameBytes * m_frameBytes;
        while (room > 0) {
            const qint64 wanted = std::min(room, qint64(sizeof m_chunk) / m_frameBytes * m_frameBytes);
            const qint64 got = m_source->read(m_chunk, wanted);
            if (got <= 0)
                break;
            m_input->write(m_chunk, got);
            room -= got;
        }
        if (room == 0)
            m_primed = true;
        if (!m_source->atEnd())
            return;
        // The server starts playing only once the sink's buffer is full; a clip too short to fill
        // it is followed by silence that does, or it would never be heard.
        if (!m_primed && room > 0)
            m_input->write(QByteArray(room, '\0'));
        m_feeder->stop();
    }

    QPointer<QAudioSink> m_sink;
    QPointer<QIODevice> m_input;
    QPointer<QTimer> m_feeder;
    std::unique_ptr<ClipDevice> m_source;
    qint64 m_frameBytes = 2;
    bool m_primed = false;
    char m_chunk[16384];
};

} // namespace

std::unique_ptr<AudioOutput> makeDeviceAudioOutput()
{
    return std::make_unique<DeviceAudioOutput>();
}

} // namespace platform
