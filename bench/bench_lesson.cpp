// The cost of one lesson, ShowLetter on a shipped letter up to the painted frame, beside the cost
// of merely decoding the same picture at full size with Qt's image reader. Sound goes to an output
// that discards it, so the figure is the program's own work.
//
// Lessons and decodes alternate letter by letter, over all 26 letters in a shuffled order each
// round, so that a slow moment of a loaded machine falls on both alike; no letter's lesson follows
// its own, so that nothing kept from the last picture could help.
//
//   bench_lesson [ROUNDS]     prints one JSON object: per letter the median lesson and decode, in µs
// Under callgrind, --toggle-collect=runLesson* or runFullDecode* counts the instructions of one kind.

#include "bench/OffscreenLessons.h"
#include "main_window/Form1.h"
#include "platform/Runtime.h"

#include <QApplication>
#include <QImageReader>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QString picturePath(const LetterEntry& entry)
{
    return platform::applicationDirectory() + QLatin1Char('/') + entry.pictureFile();
}

// Both end when the work is done: the lesson when the changed part of the window is painted.
[[gnu::noinline]] void runLesson(Form1& form, const LetterEntry& entry)
{
    form.ShowLetter(entry);
    QCoreApplication::processEvents();
}

[[gnu::noinline]] void runFullDecode(const LetterEntry& entry)
{
    QImageReader reader(picturePath(entry));
    const QImage image = reader.read();
    if (image.isNull())
        std::abort();
}

template <typename Work>
double microseconds(Work work)
{
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return (values[(n - 1) / 2] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 15);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useShippedLessonsSilently();
    Form1 form;
    form.Show();
    QCoreApplication::processEvents();
    // One lesson and one decode before the count: the first lesson lays the view out, and both
    // load the image plugins.
    form.ShowLetter(kLetterCatalogue.back());
    QCoreApplication::processEvents();
    QImageReader(picturePath(kLetterCatalogue.back())).read();

    const size_t letters = kLetterCatalogue.size();
    std::vector<std::vector<double>> lesson(letters), decode(letters);
    std::vector<size_t> order(letters);
    std::iota(order.begin(), order.end(), 0);
    std::mt19937 shuffle(12);
    size_t last = letters - 1;
    for (int round = 0; round < rounds; ++round) {
        do
            std::shuffle(order.begin(), order.end(), shuffle);
        while (order.front() == last);
        last = order.back();
        for (size_t i = 0; i < letters; ++i) {
            const LetterEntry& entry = kLetterCatalogue[order[i]];
            // Which of the two goes first alternates too.
            if ((i + size_t(round)) % 2 == 0) {
                lesson[order[i]].push_back(microseconds([&] { runLesson(form, entry); }));
                decode[order[i]].push_back(microseconds([&] { runFullDecode(entry); }));
            } else {
                decode[order[i]].push_back(microseconds([&] { runFullDecode(entry); }));
                lesson[order[i]].push_back(microseconds([&] { runLesson(form, entry); }));
            }
        }
    }

    std::printf("{\"rounds\": %d, \"letters\": {", rounds);
    for (size_t i = 0; i < letters; ++i)
        std::printf("%s\"%c\": {\"lesson_us\": %.1f, \"full_decode_us\": %.1f}", i ? ", " : "",
                    kLetterCatalogue[i].letter, median(lesson[i]), median(decode[i]));
    std::printf("}}\n");
    return 0;
}
