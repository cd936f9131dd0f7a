// The main window's resident set over many lessons: Form1 shown offscreen, every letter in turn,
// each lesson painted before the next. Prints one JSON object with the resident set after a round
// of warm-up lessons and after the long run, in KiB, so that growth shows.
//
//   bench_memory [LESSONS]      (default 1000)

#include "bench/OffscreenLessons.h"
#include "main_window/Form1.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>

namespace {

long residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void lessons(Form1& form, int count)
{
    for (int i = 0; i < count; ++i) {
        form.ShowLetter(kLetterCatalogue[size_t(i) % kLetterCatalogue.size()]);
        QCoreApplication::processEvents();
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useShippedLessonsSilently();
    Form1 form;
    form.Show();
    QCoreApplication::processEvents();

    const int warmUp = int(kLetterCatalogue.size());
    lessons(form, warmUp);
    const long afterWarmUp = residentKib();
    lessons(form, count);
    const long afterRun = residentKib();
    std::printf("{\"warm_up_lessons\": %d, \"lessons\": %d, \"rss_after_warm_up_kib\": %ld, \"rss_after_lessons_kib\": %ld, "
                "\"growth_kib\": %ld}\n",
                warmUp, count, afterWarmUp, afterRun, afterRun - afterWarmUp);
    return 0;
}
