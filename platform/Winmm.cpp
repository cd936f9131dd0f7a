#include "platform/Winmm.h"

#include "platform/SndfileLibrary.h"
#include "platform/SoundFile.h"

#include <QApplication>

#include <atomic>
#include <thread>

namespace platform::winmm {
namespace {

// Sounds up to this many samples (six seconds of mono at 44.1 kHz, every lesson sound) are decoded
// inside the call, in a few milliseconds; longer ones on a thread of their own, so that the
// window repaints at once and the sound follows when it is decoded.
constexpr qint64 kSamplesDecodedInCall = 256 * 1024;

constexpr uint32_t kKnownFlags = SND_ASYNC | SND_NODEFAULT | SND_LOOP;

// The output, the thread that prepares it, and the thread that decodes a long sound. Lives on the
// application's thread; every thread it starts is joined before it touches the output again.
class SoundPlayer {
public:
    SoundPlayer()
        : m_output(makeDeviceAudioOutput())
    {
    }

    ~SoundPlayer()
    {
        cancelDecoding();
        finishPreparing();
        if (m_output)
            m_output->stop();
    }

    AudioOutput& output()
    {
        finishPreparing();
        return *m_output;
    }

    std::unique_ptr<AudioOutput> replaceOutput(std::unique_ptr<AudioOutput> replacement)
    {
        cancelDecoding();
        finishPreparing();
        std::unique_ptr<AudioOutput> previous = std::exchange(m_output, std::move(replacement));
        previous->stop();
        return previous;
    }

    void prepareInBackground()
    {
        if (m_prepared)
            return;
        m_prepared = true;
        m_preparer = std::thread([output = m_output.get()] {
            sndfileLibrary();
            output->prepare();
        });
    }

    // A new call cuts a sound still being decoded as surely as one already playing.
    void cancelDecoding()
    {
        ++m_generation;
        if (m_decoder.joinable()) {
            m_cancelled->store(true);
            m_decoder.join();
        }
    }

    void decodeThenPlay(std::unique_ptr<SoundFileReader> reader, bool loop)
    {
        cancelDecoding();
        m_cancelled = std::make_shared<std::atomic<bool>>(false);
        m_decoder = std::thread([this, reader = std::move(reader), cancelled = m_cancelled, loop,
                                 generation = m_generation]() mutable {
            std::shared_ptr<const PcmClip> clip = reader->read(cancelled.get());
            reader.reset();
            QMetaObject::invokeMethod(&m_receiver, [this, clip = std::move(clip), loop, generation] {
                // A newer call has cancelled this one, and its result is dropped.
                if (generation != m_generation)
                    return;
                m_decoder.join();
                if (clip)
                    output().play(clip, loop);
            }, Qt::QueuedConnection);
        });
    }

    bool decoding() const { return m_decoder.joinable(); }

private:
    void finishPreparing()
    {
        if (m_preparer.joinable())
            m_preparer.join();
    }

    std::unique_ptr<AudioOutput> m_output;
    bool m_prepared = false;
    std::thread m_preparer;
    std::thread m_decoder;
    std::shared_ptr<std::atomic<bool>> m_cancelled;
    quint64 m_generation = 0;
    // Brings a decoded sound back to the application's thread.
    QObject m_receiver;
};

SoundPlayer& player()
{
    static std::unique_ptr<SoundPlayer> current;
    // The output's threads must end while the application still exists, not at the end of the
    // process, when the libraries they run in may be going.
    [[maybe_unused]] static const bool releasedWithApplication = (qAddPostRoutine([] { current.reset(); }), true);
    if (!current)
        current = std::make_unique<SoundPlayer>();
    return *current;
}

} // namespace

void prepareOutput()
{
    player().prepareInBackground();
}

std::unique_ptr<AudioOutput> replaceAudioOutput(std::unique_ptr<AudioOutput> replacement)
{
    return player().replaceOutput(replacement ? std::move(replacement) : makeDeviceAudioOutput());
}

void waitForDecoding()
{
    while (player().decoding())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

} // namespace platform::winmm

using namespace platform::winmm;

// Plays a sound file, never holding the caller: the file is read on every call, so a replaced file
// plays its new content, and played in the background. A new call cuts the sound that plays, or
// that is being decoded; a null path only stops it.
extern "C" int32_t sndPlaySoundA(const char* path, uint32_t flags)
{
    SoundPlayer& sound = player();
    sound.cancelDecoding();
    sound.output().stop();
    if (!path)
        return 1;
    if (flags & ~kKnownFlags)
        return 0;
    // Looping needs asynchronous play: the system function ignores SND_LOOP without SND_ASYNC,
    // so a call with SND_LOOP | SND_NODEFAULT plays the sound once.
    const bool loop = (flags & SND_LOOP) && (flags & SND_ASYNC);
    std::unique_ptr<platform::SoundFileReader> reader = platform::SoundFileReader::open(QByteArray(path));
    if (reader && reader->declaredSamples() > kSamplesDecodedInCall) {
        // The file is a sound; whether the output can play it is known only once it is decoded.
        sound.decodeThenPlay(std::move(reader), loop);
        return 1;
    }
    const std::shared_ptr<const platform::PcmClip> clip = reader ? reader->read() : nullptr;
    if (!clip) {
        if (!(flags & SND_NODEFAULT))
            QApplication::beep();
        return 0;
    }
    return sound.output().play(clip, loop) ? 1 : 0;
}
