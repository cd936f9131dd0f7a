// The cost of one lesson, ShowLetter on a shipped letter up to the painted frame, beside the cost
// of merely decoding the same picture at full size with Qt's image reader. Sound goes to an output
// that discards it, so the figure is the program's own work.

#include "bench/OffscreenLessons.h"
#include "main_window/Form1.h"
#include "platform/Runtime.h"

#include <QApplication>
#include <QImageReader>
#include <benchmark/benchmark.h>

namespace {

Form1* g_form = nullptr;

QString picturePath(const LetterEntry& entry)
{
    return platform::applicationDirectory() + QLatin1Char('/') + entry.pictureFile();
}

void BM_Lesson(benchmark::State& state)
{
    const LetterEntry& entry = kLetterCatalogue[size_t(state.range(0))];
    state.SetLabel(std::string(1, entry.letter));
    for (auto _ : state) {
        g_form->ShowLetter(entry);
        // The lesson ends when the changed part of the window is painted.
        QCoreApplication::processEvents();
    }
}

void BM_FullDecode(benchmark::State& state)
{
    const LetterEntry& entry = kLetterCatalogue[size_t(state.range(0))];
    state.SetLabel(std::string(1, entry.letter));
    const QString path = picturePath(entry);
    for (auto _ : state) {
        QImageReader reader(path);
        QImage image = reader.read();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void letters(benchmark::internal::Benchmark* benchmark)
{
    for (int index = 0; index < int(kLetterCatalogue.size()); ++index)
        benchmark->Arg(index);
}

BENCHMARK(BM_Lesson)->Apply(letters)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullDecode)->Apply(letters)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useShippedLessonsSilently();
    Form1 form;
    form.Show();
    QCoreApplication::processEvents();
    g_form = &form;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
