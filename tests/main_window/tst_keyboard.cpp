#include "main_window/Form1.h"
#include "main_window/LetterCatalogue.h"
#include "platform/ImageView.h"
#include "platform/PictureBox.h"
#include "support/Fixtures.h"
#include "support/RecordingAudioOutput.h"
#include "support/SoundFiles.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// The main window at the keyboard and through a screen reader's eyes.
class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void typedLetterRunsItsLesson_data();
    void typedLetterRunsItsLesson();
    void keysPressTheFocusedButton_data();
    void keysPressTheFocusedButton();
    void arrowsMoveOverTheKeypad_data();
    void arrowsMoveOverTheKeypad();
    void accessibleTexts_data();
    void accessibleTexts();
    void frameDescribesItsLesson();

private:
    QPushButton* button(const QString& name) const { return m_form->findChild<QPushButton*>(name); }
    QString shownPicture() const;

    QTemporaryDir m_lessons;
    std::unique_ptr<support::ScopedApplicationDirectory> m_directory;
    std::unique_ptr<support::ScopedRecordingOutput> m_sound;
    std::unique_ptr<support::ScopedErrorRecorder> m_errors;
    std::unique_ptr<Form1> m_form;
};

namespace {

const LetterEntry& entryFor(QChar letter)
{
    return kLetterCatalogue[size_t(letter.unicode() - 'A')];
}

// The words each letter's files are made from, read from the same table the build compiles in.
QHash<QChar, QString> lessonWords()
{
    QHash<QChar, QString> words;
    QFile file(QFINDTESTDATA("../../tools/lessons/words.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return words;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
        if (fields.size() >= 4 && !fields[0].startsWith(QLatin1Char('#')))
            words.insert(fields[0].at(0), fields[2] + QStringLiteral(" — ") + fields[3]);
    }
    return words;
}

} // namespace

void TestKeyboard::initTestCase()
{
    QVERIFY(m_lessons.isValid());
    for (int i = 0; i < 26; ++i) {
        const LetterEntry& entry = kLetterCatalogue[size_t(i)];
        QVERIFY(support::writeJpeg(m_lessons.filePath(entry.pictureFile()), support::filledImage(QSize(16, 16), Qt::white)));
        QVERIFY(support::writeWav16(m_lessons.filePath(entry.soundFile()), support::distinctSamples(64, 1, i)));
    }
}

void TestKeyboard::init()
{
    m_directory = std::make_unique<support::ScopedApplicationDirectory>(m_lessons.path());
    m_sound = std::make_unique<support::ScopedRecordingOutput>();
    m_errors = std::make_unique<support::ScopedErrorRecorder>();
    m_form = std::make_unique<Form1>();
    m_form->Show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_sound->log().calls.clear();
}

void TestKeyboard::cleanup()
{
    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
    m_form.reset();
    m_errors.reset();
    m_sound.reset();
    m_directory.reset();
}

QString TestKeyboard::shownPicture() const
{
    return QFileInfo(m_form->findChild<platform::ImageView*>("Img1")->picture().path()).fileName();
}

void TestKeyboard::typedLetterRunsItsLesson_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<bool>("shift");
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        QTest::addRow("%c", letter) << QChar(letter) << false;
        QTest::addRow("Shift+%c", letter) << QChar(letter) << true;
    }
}

void TestKeyboard::typedLetterRunsItsLesson()
{
    QFETCH(QChar, letter);
    QFETCH(bool, shift);
    const LetterEntry& entry = entryFor(letter);
    // Typed while another key has the focus, the letter presses its own key as a click does.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(Qt::Key_A + (letter.unicode() - 'A')),
                    shift ? Qt::ShiftModifier : Qt::NoModifier);

    QCOMPARE(shownPicture(), entry.pictureFile());
    QCOMPARE(m_sound->log().plays().size(), size_t(1));
    QCOMPARE(QApplication::focusWidget(), button(QString::fromLatin1(entry.button)));
}

void TestKeyboard::keysPressTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("Space") << int(Qt::Key_Space) << Qt::KeyboardModifiers();
}

void TestKeyboard::keysPressTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QPushButton* b = button(QStringLiteral("Command7"));
    b->setFocus();
    QTest::keyClick(b, Qt::Key(key), modifiers);
    QCOMPARE(shownPicture(), QStringLiteral("B.jpg"));
    QCOMPARE(m_sound->log().plays().size(), size_t(1));
    QCOMPARE(QApplication::focusWidget(), b);
}

void TestKeyboard::arrowsMoveOverTheKeypad_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("to");
    // Letters by their buttons: A Command8, B Command7, G Command2, H Command1, K Command15,
    // L Command9, V Command27, W Command28, Z Command31.
    QTest::newRow("A right: B") << "Command8" << int(Qt::Key_Right) << "Command7";
    QTest::newRow("A down: L") << "Command8" << int(Qt::Key_Down) << "Command9";
    QTest::newRow("H right: I, not G") << "Command1" << int(Qt::Key_Right) << "Command17";
    QTest::newRow("H left: G") << "Command1" << int(Qt::Key_Left) << "Command2";
    QTest::newRow("L up: A") << "Command9" << int(Qt::Key_Up) << "Command8";
    QTest::newRow("K down: V") << "Command15" << int(Qt::Key_Down) << "Command27";
    QTest::newRow("V down: Exit beneath it") << "Command27" << int(Qt::Key_Down) << "Command14";
    QTest::newRow("Z right: About") << "Command31" << int(Qt::Key_Right) << "Command10";
    QTest::newRow("About left: Z") << "Command10" << int(Qt::Key_Left) << "Command31";
    QTest::newRow("About up: P above it") << "Command10" << int(Qt::Key_Up) << "Command21";
    // At the edges the focus stays.
    QTest::newRow("A left stays") << "Command8" << int(Qt::Key_Left) << "Command8";
    QTest::newRow("A up stays") << "Command8" << int(Qt::Key_Up) << "Command8";
    QTest::newRow("K right stays") << "Command15" << int(Qt::Key_Right) << "Command15";
    QTest::newRow("W down stays") << "Command28" << int(Qt::Key_Down) << "Command28";
    QTest::newRow("Exit right stays") << "Command14" << int(Qt::Key_Right) << "Command14";
}

void TestKeyboard::arrowsMoveOverTheKeypad()
{
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, to);
    button(from)->setFocus();
    QTest::keyClick(button(from), Qt::Key(key));
    QCOMPARE(QApplication::focusWidget()->objectName(), to);
    // Moving presses nothing.
    QVERIFY(m_sound->log().plays().empty());
}

void TestKeyboard::accessibleTexts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    const QHash<QChar, QString> words = lessonWords();
    QCOMPARE(words.size(), 26);
    for (const LetterEntry& entry : kLetterCatalogue)
        QTest::newRow(entry.button) << QString::fromLatin1(entry.button) << QString(QChar(entry.letter))
                                    << words.value(QChar(entry.letter));
    QTest::newRow("Pic1") << "Pic1" << "صورة الدرس" << "لا صورة بعد: اضغط حرفًا لترى صورته وتسمع صوته";
    QTest::newRow("About") << "Command10" << "نبذة" << "حول البرنامج والمبرمج";
    QTest::newRow("author's site") << "Command11" << "الموقع"
                                   << "لا تبخل علينا بزيارتك. يفتح موقع المبرمج في المتصفح";
    QTest::newRow("library's site") << "Command12" << "المكتبة" << "الكتاب خير جليس. يفتح موقع المكتبة في المتصفح";
    QTest::newRow("seminary's site") << "Command13" << "الحوزة" << "طلب العلم فريضة. يفتح موقع الحوزة في المتصفح";
    QTest::newRow("Exit") << "Command14" << "خروج" << "زنكلوني يقول: رافقتك السلامة";
}

void TestKeyboard::accessibleTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    auto* widget = m_form->findChild<QWidget*>(control);
    QVERIFY(widget);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Description), description);
}

void TestKeyboard::frameDescribesItsLesson()
{
    const QHash<QChar, QString> words = lessonWords();
    auto* pic1 = m_form->findChild<platform::PictureBox*>("Pic1");
    // Qt sends the change to a screen reader as the description is set; the end-to-end case hears
    // it through AT-SPI.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q);
    QCOMPARE(QAccessible::queryAccessibleInterface(pic1)->text(QAccessible::Description),
             QStringLiteral("الحرف Q: ") + words.value(QLatin1Char('Q')));

    // A picture that fails to load leaves the frame's description as it was.
    QFile::rename(m_lessons.filePath("Z.jpg"), m_lessons.filePath("Z.moved"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z);
    QFile::rename(m_lessons.filePath("Z.moved"), m_lessons.filePath("Z.jpg"));
    QCOMPARE(m_errors->errors().size(), size_t(1));
    m_errors->clear();
    QCOMPARE(pic1->accessibleDescription(), QStringLiteral("الحرف Q: ") + words.value(QLatin1Char('Q')));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
