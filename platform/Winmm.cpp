#include "platform/Winmm.h"

#include "platform/SoundFile.h"

#include <QApplication>

namespace platform::winmm {
namespace {

std::unique_ptr<AudioOutput>& output()
{
    static std::unique_ptr<AudioOutput> current;
    // The device output holds Qt Multimedia's objects, which must go while the application still
    // exists: left to the end of the process they outlive the audio engine and crash the program
    // as it closes.
    [[maybe_unused]] static const bool releasedWithApplication = (qAddPostRoutine([] { current.reset(); }), true);
    if (!current)
        current = makeDeviceAudioOutput();
    return current;
}

constexpr uint32_t kKnownFlags = SND_ASYNC | SND_NODEFAULT | SND_LOOP;

} // namespace

std::unique_ptr<AudioOutput> replaceAudioOutput(std::unique_ptr<AudioOutput> replacement)
{
    std::unique_ptr<AudioOutput> previous = std::move(output());
    if (previous)
        previous->stop();
    output() = replacement ? std::move(replacement) : makeDeviceAudioOutput();
    return previous;
}

} // namespace platform::winmm

using namespace platform::winmm;

// Plays a sound file, never holding the caller: the file is read and decoded at once (it is read
// on every call, so a replaced file plays its new content), and played in the background.
// A new call cuts the sound that plays; a null path only stops it.
extern "C" int32_t sndPlaySoundA(const char* path, uint32_t flags)
{
    output()->stop();
    if (!path)
        return 1;
    if (flags & ~kKnownFlags)
        return 0;
    // Looping needs asynchronous play: the system function ignores SND_LOOP without SND_ASYNC,
    // so a call with SND_LOOP | SND_NODEFAULT plays the sound once.
    const bool loop = (flags & SND_LOOP) && (flags & SND_ASYNC);
    const std::shared_ptr<const platform::PcmClip> clip = platform::readSoundFile(QByteArray(path));
    if (!clip) {
        if (!(flags & SND_NODEFAULT))
            QApplication::beep();
        return 0;
    }
    return output()->play(clip, loop) ? 1 : 0;
}
