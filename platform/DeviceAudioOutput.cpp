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
        sink->start(m_source.get());
        if (sink->error() != QAudio::NoError) {
            stop();
            return false;
        }
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
    static constexpr int kDrainMilliseconds = 400;
    // Room for the sound to ride out a busy moment of the machine: with Qt's default buffer a long
    // sound ran dry now and then and stuttered. The clip lies in memory, so the sink fills the
    // buffer at once and the first sample is not delayed by it.
    static constexpr qint64 kBufferMicroseconds = 500'000;

    QPointer<QAudioSink> m_sink;
    std::unique_ptr<ClipDevice> m_source;
};

} // namespace

std::unique_ptr<AudioOutput> makeDeviceAudioOutput()
{
    return std::make_unique<DeviceAudioOutput>();
}

} // namespace platform
