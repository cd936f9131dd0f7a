#include "main_window/Form1.h"
#include "main_window/LetterCatalogue.h"
#include "platform/ImageView.h"
#include "platform/MousePointer.h"
#include "support/Fixtures.h"
#include "support/RecordingAudioOutput.h"
#include "support/SoundFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using support::AudioCall;

class TestShowLetter : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void catalogue_data();
    void catalogue();
    void pictureFillsTheFrame_data();
    void pictureFillsTheFrame();
    void sameLetterTwiceReadsBothFilesAgain();
    void badPictureChangesNothing_data();
    void badPictureChangesNothing();
    void missingSoundShowsThePictureInSilence();
    void directoryOutsideTheCodePageStillPlays();
    void fileNamesKeepTheirCase();
    void pictureIsOnScreenBeforeTheSoundStarts();

private:
    QString lessonPath(const QString& name) const { return m_dir->filePath(name); }
    void press(const char* button);
    platform::ImageView* img1() const { return m_form->findChild<platform::ImageView*>("Img1"); }
    QColor shownColourAt(QPoint point) const { return img1()->shownImage().pixelColor(point); }
    std::vector<AudioCall> plays() const { return m_sound->log().plays(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<support::ScopedApplicationDirectory> m_directory;
    std::unique_ptr<support::ScopedRecordingOutput> m_sound;
    std::unique_ptr<support::ScopedErrorRecorder> m_errors;
    std::unique_ptr<Form1> m_form;
};

namespace {

// Img1 after a lesson: the outer size of Pic1 (8055 × 5055 twips) at the top-left of the frame.
const QRect kLessonGeometry(0, 0, 537, 337);

QColor letterColour(int index)
{
    return QColor::fromHsv(index * 360 / 26, 200, 230);
}

} // namespace

void TestShowLetter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_directory = std::make_unique<support::ScopedApplicationDirectory>(m_dir->path());
    m_sound = std::make_unique<support::ScopedRecordingOutput>();
    m_errors = std::make_unique<support::ScopedErrorRecorder>();
    m_form = std::make_unique<Form1>();
    m_form->Show();
    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
    m_sound->log().calls.clear();
}

void TestShowLetter::cleanup()
{
    m_form.reset();
    m_errors.reset();
    m_sound.reset();
    m_directory.reset();
    m_dir.reset();
}

void TestShowLetter::press(const char* button)
{
    auto* control = m_form->findChild<QPushButton*>(QString::fromLatin1(button));
    QVERIFY(control);
    control->click();
}

void TestShowLetter::catalogue_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("tabIndex");

    const struct {
        const char* letter;
        const char* button;
        int row, column, tabIndex;
    } rows[] = {
        {"A", "Command8", 0, 0, 8},    {"B", "Command7", 0, 1, 7},    {"C", "Command6", 0, 2, 6},
        {"D", "Command5", 0, 3, 5},    {"E", "Command4", 0, 4, 4},    {"F", "Command3", 0, 5, 3},
        {"G", "Command2", 0, 6, 2},    {"H", "Command1", 0, 7, 1},    {"I", "Command17", 0, 8, 17},
        {"J", "Command16", 0, 9, 16},  {"K", "Command15", 0, 10, 15}, {"L", "Command9", 1, 0, 18},
        {"M", "Command18", 1, 1, 19},  {"N", "Command19", 1, 2, 20},  {"O", "Command20", 1, 3, 21},
        {"P", "Command21", 1, 4, 22},  {"Q", "Command22", 1, 5, 23},  {"R", "Command23", 1, 6, 24},
        {"S", "Command24", 1, 7, 25},  {"T", "Command25", 1, 8, 26},  {"U", "Command26", 1, 9, 27},
        {"V", "Command27", 1, 10, 28}, {"W", "Command28", 2, 0, 29},  {"X", "Command29", 2, 1, 30},
        {"Y", "Command30", 2, 2, 31},  {"Z", "Command31", 2, 3, 32},
    };
    for (const auto& row : rows)
        QTest::newRow(row.letter) << row.letter << row.button << row.row << row.column << row.tabIndex;
}

void TestShowLetter::catalogue()
{
    QFETCH(QString, letter);
    QFETCH(QString, button);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, tabIndex);

    const auto entries = std::count_if(kLetterCatalogue.begin(), kLetterCatalogue.end(),
                                       [&](const LetterEntry& e) { return QChar(e.letter) == letter[0]; });
    QCOMPARE(entries, 1);
    const LetterEntry& entry = *std::find_if(kLetterCatalogue.begin(), kLetterCatalogue.end(),
                                             [&](const LetterEntry& e) { return QChar(e.letter) == letter[0]; });
    QCOMPARE(QString::fromLatin1(entry.button), button);
    QCOMPARE(entry.row, row);
    QCOMPARE(entry.column, column);
    QCOMPARE(entry.tabIndex, tabIndex);
    QCOMPARE(entry.pictureFile(), letter + ".jpg");
    QCOMPARE(entry.soundFile(), letter.toLower() + ".wav");

    // The button as the window made it, skin on: left 120 + 720 × column, top 240 + 480 × row,
    // 615 × 375 twips, in pixels.
    auto* control = m_form->findChild<QPushButton*>(button);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), m_form->findChild<QGroupBox*>("Frame1"));
    QCOMPARE(control->text(), letter);
    QCOMPARE(control->geometry(), QRect(8 + 48 * column, 16 + 32 * row, 41, 25));
    const QFont font = control->font();
    QCOMPARE(font.family(), QStringLiteral("Times New Roman"));
    QCOMPARE(font.pointSize(), 12);
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    QCOMPARE(control->toolTip(), QString());
    QCOMPARE(platform::mousePointer(control), platform::MousePointer::Default);

    // Every letter's files lie side by side; the button must reach its own.
    for (int i = 0; i < 26; ++i) {
        const QChar other(u'A' + i);
        QVERIFY(support::writeJpeg(lessonPath(QString(other) + ".jpg"), support::filledImage({16, 16}, letterColour(i))));
        QVERIFY(support::writeWav16(lessonPath(QString(other.toLower()) + ".wav"), support::distinctSamples(20, 1, i)));
    }
    control->click();

    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
    QCOMPARE(img1()->picture().path(), lessonPath(letter + ".jpg"));
    const auto played = plays();
    QCOMPARE(played.size(), size_t(1));
    QCOMPARE(played[0].clip->samples, support::distinctSamples(20, 1, letter[0].unicode() - u'A'));
    QCOMPARE(played[0].loop, false);
}

void TestShowLetter::pictureFillsTheFrame_data()
{
    QTest::addColumn<QSize>("pictureSize");

    QTest::newRow("smaller") << QSize(40, 30);
    QTest::newRow("the frame's size") << QSize(537, 337);
    QTest::newRow("twice the frame") << QSize(1074, 674);
    QTest::newRow("larger, another shape") << QSize(2000, 1500);
    QTest::newRow("wide strip") << QSize(1600, 120);
    QTest::newRow("tall strip") << QSize(96, 700);
}

void TestShowLetter::pictureFillsTheFrame()
{
    QFETCH(QSize, pictureSize);
    QVERIFY(support::writeJpeg(lessonPath("H.jpg"), support::quadrantImage(pictureSize)));
    QVERIFY(support::writeWav16(lessonPath("h.wav"), support::distinctSamples(20, 1, 0)));

    // The second lesson starts from a view moved and shrunk, and must put it back.
    for (int lesson = 0; lesson < 2; ++lesson) {
        if (lesson == 1)
            img1()->setGeometry(0, 40, 30, 20);
        press("Command1");

        QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
        QCOMPARE(img1()->geometry(), kLessonGeometry);
        QVERIFY(img1()->stretch());
        const QImage shown = img1()->shownImage();
        QCOMPARE(shown.size(), kLessonGeometry.size() * img1()->devicePixelRatioF());
        // The quadrants' middles land at the quarters of the frame: the whole picture is stretched
        // over it, nothing cropped, no proportion kept.
        const QPoint quarters[] = {{134, 84}, {402, 84}, {134, 252}, {402, 252}};
        for (int q = 0; q < 4; ++q) {
            const QColor colour = shownColourAt(quarters[q] * img1()->devicePixelRatioF());
            QVERIFY2(support::closeColour(colour, support::quadrantColours()[size_t(q)]),
                     qPrintable(QStringLiteral("quadrant %1 shows %2").arg(q).arg(colour.name())));
        }
    }
    QCOMPARE(plays().size(), size_t(2));
}

void TestShowLetter::sameLetterTwiceReadsBothFilesAgain()
{
    const QPoint middle(268, 168);
    QVERIFY(support::writeJpeg(lessonPath("H.jpg"), support::filledImage({120, 80}, Qt::red)));
    QVERIFY(support::writeWav16(lessonPath("h.wav"), support::distinctSamples(40, 1, 1)));
    press("Command1");
    QVERIFY(support::writeJpeg(lessonPath("H.jpg"), support::filledImage({120, 80}, Qt::blue)));
    QVERIFY(support::writeWav16(lessonPath("h.wav"), support::distinctSamples(30, 1, 2)));
    const QColor firstColour = shownColourAt(middle);
    m_sound->log().calls.clear();

    press("Command1");

    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
    QVERIFY2(support::closeColour(firstColour, Qt::red), qPrintable(firstColour.name()));
    QVERIFY2(support::closeColour(shownColourAt(middle), Qt::blue), qPrintable(shownColourAt(middle).name()));
    const std::vector<AudioCall>& calls = m_sound->log().calls;
    QCOMPARE(calls.size(), size_t(2));
    QCOMPARE(calls[0].kind, AudioCall::Stop);
    QCOMPARE(calls[1].kind, AudioCall::Play);
    QCOMPARE(calls[1].clip->samples, support::distinctSamples(30, 1, 2));
}

namespace {

// A good JPEG whose entropy-coded data after the scan header are replaced by noise.
QByteArray scrambledJpeg()
{
    QByteArray bytes = support::encodeJpeg(support::quadrantImage({400, 300}));
    const qsizetype scan = bytes.indexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype data = scan + 2 + ((uchar(bytes[scan + 2]) << 8) | uchar(bytes[scan + 3]));
    const QByteArray noise = support::randomBytes(int(bytes.size() - 2 - data), 23);
    return bytes.left(data) + noise + bytes.right(2);
}

} // namespace

void TestShowLetter::badPictureChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("create");
    // On the first lesson the view is still as laid out, with stretching off.
    QTest::addColumn<bool>("firstLesson");

    const QByteArray jpeg = support::encodeJpeg(support::quadrantImage({400, 300}));
    const QByteArray png = support::encodePng(support::quadrantImage({400, 300}));
    QTest::newRow("missing") << QByteArray() << false << false;
    QTest::newRow("missing, first lesson") << QByteArray() << false << true;
    QTest::newRow("empty") << QByteArray() << true << false;
    QTest::newRow("random bytes") << support::randomBytes(6000, 11) << true << false;
    QTest::newRow("text, not a picture") << QByteArray("H is for house.\n") << true << false;
    QTest::newRow("JPEG cut in half") << jpeg.left(jpeg.size() / 2) << true << false;
    QTest::newRow("JPEG cut in half, first lesson") << jpeg.left(jpeg.size() / 2) << true << true;
    QTest::newRow("JPEG with scrambled data") << scrambledJpeg() << true << false;
    QTest::newRow("PNG cut in half") << png.left(png.size() / 2) << true << false;
    QTest::newRow("JPEG declaring 60000 x 60000") << support::jpegDeclaring({60000, 60000}) << true << false;
    QTest::newRow("PNG declaring 60000 x 60000") << support::pngDeclaring({60000, 60000}) << true << false;
    QTest::newRow("PNG declaring 2^31-1 x 2^31-1") << support::pngDeclaring({0x7FFFFFFF, 0x7FFFFFFF}) << true
                                                  << false;
}

void TestShowLetter::badPictureChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, create);
    QFETCH(bool, firstLesson);
    QVERIFY(support::writeWav16(lessonPath("h.wav"), support::distinctSamples(40, 1, 3)));
    QSize pictureBefore;
    if (!firstLesson) {
        QVERIFY(support::writeJpeg(lessonPath("H.jpg"), support::quadrantImage({200, 100})));
        press("Command1");
        QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
        QVERIFY(QFile::remove(lessonPath("H.jpg")));
        pictureBefore = QSize(200, 100);
        // A view left somewhere no lesson puts it shows whether the failed lesson touched it.
        img1()->setGeometry(0, 12, 100, 50);
    }
    const QRect geometryBefore = img1()->geometry();
    const bool stretchBefore = img1()->stretch();
    const QImage shownBefore = img1()->shownImage();
    if (create)
        QVERIFY(support::writeFile(lessonPath("H.jpg"), content));
    m_sound->log().calls.clear();

    press("Command1");

    QCOMPARE(m_errors->errors().size(), size_t(1));
    const platform::PlatformError& error = m_errors->errors().front();
    QVERIFY2(error.failed().contains(lessonPath("H.jpg")), qPrintable(error.failed()));
    QVERIFY(!error.reason().isEmpty());
    QCOMPARE(img1()->picture().size(), pictureBefore);
    QCOMPARE(img1()->geometry(), geometryBefore);
    QCOMPARE(img1()->stretch(), stretchBefore);
    QCOMPARE(img1()->shownImage(), shownBefore);
    QVERIFY2(m_sound->log().calls.empty(), "the sound player was called");
}

void TestShowLetter::missingSoundShowsThePictureInSilence()
{
    QVERIFY(support::writeJpeg(lessonPath("H.jpg"), support::quadrantImage({300, 200})));

    press("Command1");

    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
    QCOMPARE(img1()->picture().path(), lessonPath("H.jpg"));
    QCOMPARE(img1()->geometry(), kLessonGeometry);
    QVERIFY(plays().empty());
}

void TestShowLetter::directoryOutsideTheCodePageStillPlays()
{
    // Cyrillic, an emoji and a runic letter: none has a place in Windows-1256.
    const QString directory = m_dir->filePath(QStringLiteral("Дом \U0001F600 ᚠ"));
    QVERIFY(QDir().mkpath(directory));
    QVERIFY(support::writeJpeg(directory + "/H.jpg", support::quadrantImage({300, 200})));
    QVERIFY(support::writeWav16(directory + "/h.wav", support::distinctSamples(40, 1, 4)));
    platform::replaceApplicationDirectory(directory);

    press("Command1");

    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
    QCOMPARE(img1()->picture().path(), directory + "/H.jpg");
    const auto played = plays();
    QCOMPARE(played.size(), size_t(1));
    QCOMPARE(played[0].clip->samples, support::distinctSamples(40, 1, 4));
}

void TestShowLetter::fileNamesKeepTheirCase()
{
    // Only files of the wrong case: no picture to show, so nothing plays either.
    QVERIFY(support::writeJpeg(lessonPath("h.jpg"), support::filledImage({64, 48}, Qt::blue)));
    QVERIFY(support::writeWav16(lessonPath("H.wav"), support::distinctSamples(40, 1, 5)));
    press("Command1");
    QCOMPARE(m_errors->errors().size(), size_t(1));
    QVERIFY(plays().empty());

    m_errors->clear();
    QVERIFY(support::writeJpeg(lessonPath("H.jpg"), support::filledImage({64, 48}, Qt::red)));
    QVERIFY(support::writeWav16(lessonPath("h.wav"), support::distinctSamples(40, 1, 6)));
    press("Command1");

    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
    QVERIFY(support::closeColour(shownColourAt({268, 168}), Qt::red));
    const auto played = plays();
    QCOMPARE(played.size(), size_t(1));
    QCOMPARE(played[0].clip->samples, support::distinctSamples(40, 1, 6));
}


namespace {

// Notes, at each paint of a widget, what a probe says about the moment.
class PaintProbe : public QObject {
public:
    PaintProbe(QWidget* widget, std::function<QString()> probe)
        : m_probe(std::move(probe))
    {
        widget->installEventFilter(this);
    }
    QStringList seen;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            seen << m_probe();
        return false;
    }

private:
    std::function<QString()> m_probe;
};

} // namespace

// A child sees the picture before hearing its sound: the frame is painted with the new picture
// before the sound is asked for, not when the event loop next comes round.
void TestShowLetter::pictureIsOnScreenBeforeTheSoundStarts()
{
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    for (const QString& letter : {QStringLiteral("H"), QStringLiteral("G")}) {
        QVERIFY(support::writeJpeg(lessonPath(letter + ".jpg"), support::filledImage({120, 80}, Qt::red)));
        QVERIFY(support::writeWav16(lessonPath(letter.toLower() + ".wav"), support::distinctSamples(20, 1, 0)));
    }
    for (const auto& [button, letter] : {std::pair("Command1", "H"), std::pair("Command2", "G")}) {
        m_sound->log().calls.clear();
        PaintProbe probe(img1(), [this] {
            return QFileInfo(img1()->picture().path()).fileName() + QStringLiteral(" after %1 sounds").arg(plays().size());
        });

        press(button);

        QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
        QVERIFY2(!probe.seen.isEmpty(), "the frame was not painted within the lesson");
        QCOMPARE(probe.seen.front(), QStringLiteral("%1.jpg after 0 sounds").arg(QLatin1String(letter)));
        QCOMPARE(plays().size(), size_t(1));
    }
}

QTEST_MAIN(TestShowLetter)
#include "tst_showletter.moc"
