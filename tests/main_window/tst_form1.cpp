#include "main_window/Form1.h"
#include "platform/ImageView.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/Skin.h"
#include "support/Fixtures.h"
#include "support/RecordingAudioOutput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlTree_data();
    void controlTree();
    void controlSet();
    void window();
    void loadSkinsBeforeFirstShowAndReadsNothing();
    void tabWalk();
    void rightToLeftKeepsEveryPixel();
    void emptyFrameShowsTheHint();

private:
    std::unique_ptr<support::ScopedErrorRecorder> m_errors;
};

namespace {

// The control a child belongs to as laid out: a picture box's children live in its client area.
QString layoutParent(const QWidget* control)
{
    const QWidget* parent = control->parentWidget();
    if (auto* box = qobject_cast<const platform::PictureBox*>(parent ? parent->parentWidget() : nullptr);
        box && box->client() == parent)
        return box->objectName();
    return parent ? parent->objectName() : QString();
}

QString caption(const QWidget* control)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(control))
        return frame->title();
    return {};
}

// Watches for the window's first Show event and notes whether the skin was on by then.
class FirstShowWatcher : public QObject {
public:
    bool seen = false;
    bool skinnedWhenShown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !seen) {
            auto* window = static_cast<QWidget*>(watched);
            seen = true;
            skinnedWhenShown = window->property(platform::Skin::kSkinnedProperty).toBool()
                && !window->styleSheet().isEmpty();
        }
        return false;
    }
};

} // namespace

void TestForm1::init()
{
    m_errors = std::make_unique<support::ScopedErrorRecorder>();
}

void TestForm1::cleanup()
{
    m_errors.reset();
}

void TestForm1::controlTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<int>("pointer");

    // Pixels are the layout's twips divided by 15. The letter buttons are the catalogue's own
    // table (tst_showletter).
    QTest::newRow("Pic1") << "Pic1" << "Form1" << QRect(8, 8, 537, 337) << "" << "" << 0;
    QTest::newRow("Img1") << "Img1" << "Pic1" << QRect(0, 0, 537, 337) << "" << "" << 0;
    QTest::newRow("Frame1") << "Frame1" << "Form1" << QRect(8, 344, 537, 113) << "" << "" << 0;
    QTest::newRow("Command10") << "Command10" << "Frame1" << QRect(208, 80, 57, 25) << "نبذة"
                               << "حول البرنامج والمبرمج" << 14;
    QTest::newRow("Command13") << "Command13" << "Frame1" << QRect(272, 80, 57, 25) << "الحوزة"
                               << "طلب العلم فريضة" << 14;
    QTest::newRow("Command12") << "Command12" << "Frame1" << QRect(336, 80, 57, 25) << "المكتبة"
                               << "الكتاب خير جليس" << 14;
    QTest::newRow("Command11") << "Command11" << "Frame1" << QRect(400, 80, 57, 25) << "الموقع"
                               << "لا تبخل علينا بزيارتك" << 14;
    QTest::newRow("Command14") << "Command14" << "Frame1" << QRect(464, 80, 65, 25) << "خروج"
                               << "زنكلوني يقول: رافقتك السلامة" << 12;
}

void TestForm1::controlTree()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(int, pointer);
    Form1 form;
    form.Show();
    auto* control = form.findChild<QWidget*>(name);
    QVERIFY(control);

    // The window has no resize handling: enlarging it moves and resizes nothing.
    for (const QSize windowSize : {QSize(550, 462), QSize(900, 700)}) {
        form.resize(windowSize);
        QCoreApplication::processEvents();
        QCOMPARE(layoutParent(control), parent);
        QCOMPARE(control->geometry(), geometry);
    }
    QCOMPARE(::caption(control), caption);
    QCOMPARE(control->toolTip(), toolTip);
    QCOMPARE(int(platform::mousePointer(control)), pointer);
    // Only the letters carry a font of their own; everything else shows the window's.
    QCOMPARE(control->font(), form.font());
}

void TestForm1::controlSet()
{
    Form1 form;
    QStringList expected{"Pic1", "Img1", "Frame1"};
    for (int i = 1; i <= 31; ++i)
        expected << QStringLiteral("Command%1").arg(i);
    QStringList named;
    for (const QWidget* control : form.findChildren<QWidget*>())
        if (!control->objectName().isEmpty() && control->objectName() != QLatin1String("client")
            && !control->objectName().startsWith(QLatin1String("qt_")))
            named << control->objectName();
    expected.sort();
    named.sort();
    QCOMPARE(named, expected);

    const auto buttons = form.findChild<QGroupBox*>("Frame1")->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(buttons.size(), 31);
    auto* skin = form.findChild<platform::Skin*>("Skin1");
    QVERIFY(skin);
    QCOMPARE(skin->parent(), form.findChild<QGroupBox*>("Frame1"));
}

void TestForm1::window()
{
    Form1 form;
    form.Show();

    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("برنامج: تعليم طربلون"));
    QCOMPARE(form.size(), QSize(550, 462));
    QVERIFY(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags().testFlag(Qt::WindowTitleHint));
    QVERIFY(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY2(form.maximumSize().width() > 550 && form.maximumSize().height() > 462, "the frame cannot be resized");
    QVERIFY(!form.windowIcon().isNull());
    // A title bar or a tray gets a square picture drawn at its own size, not the portrait squeezed.
    const QList<QSize> iconSizes = form.windowIcon().availableSizes();
    for (const int size : {16, 22, 24, 32, 48, 64})
        QVERIFY2(iconSizes.contains(QSize(size, size)), qPrintable(QStringLiteral("no %1 px icon").arg(size)));
    QCOMPARE(form.windowIcon().pixmap(QSize(22, 22)).size(), QSize(22, 22));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2((form.frameGeometry().center() - screen.center()).manhattanLength() <= 2, "the window is not centred");
}

void TestForm1::loadSkinsBeforeFirstShowAndReadsNothing()
{
    QTemporaryDir lessons;
    support::ScopedApplicationDirectory directory(lessons.path());
    support::ScopedRecordingOutput sound;
    Form1 form;
    FirstShowWatcher watcher;
    form.installEventFilter(&watcher);
    QVERIFY(!form.property(platform::Skin::kSkinnedProperty).toBool());

    form.Show();

    QVERIFY(watcher.seen);
    QVERIFY2(watcher.skinnedWhenShown, "the window was shown before its skin was applied");
    QVERIFY(form.isVisible());
    QVERIFY(form.findChild<platform::ImageView*>("Img1")->picture().isNull());
    QVERIFY(sound.log().plays().empty());
    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
}

void TestForm1::tabWalk()
{
    const QStringList stops{
        "Command1",  "Command2",  "Command3",  "Command4",  "Command5",  "Command6",  "Command7",
        "Command8",  "Pic1",      "Command10", "Command11", "Command12", "Command13", "Command14",
        "Command15", "Command16", "Command17", "Command9",  "Command18", "Command19", "Command20",
        "Command21", "Command22", "Command23", "Command24", "Command25", "Command26", "Command27",
        "Command28", "Command29", "Command30", "Command31",
    };
    Form1 form;
    form.Show();
    QApplication::setActiveWindow(&form);

    for (qsizetype step = 0; step <= stops.size(); ++step) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus, qPrintable(QStringLiteral("no focus at step %1").arg(step)));
        QCOMPARE(focus->objectName(), stops[step % stops.size()]);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), stops.back());
}

// Right to left is for what Qt lays out; the window's own places and pixels stay as they were.
void TestForm1::rightToLeftKeepsEveryPixel()
{
    Form1 form;
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QCoreApplication::processEvents();
    const QImage leftToRight = form.grab().toImage();
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QCoreApplication::processEvents();
    const QImage rightToLeft = form.grab().toImage();
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QVERIFY(leftToRight == rightToLeft);
}

// The skin writes its hint over the empty frame's paper; a lesson's picture covers it.
void TestForm1::emptyFrameShowsTheHint()
{
    QTemporaryDir lessons;
    support::ScopedApplicationDirectory directory(lessons.path());
    support::ScopedRecordingOutput sound;
    QVERIFY(support::writeJpeg(lessons.filePath("A.jpg"), support::filledImage(QSize(32, 32), Qt::white)));
    Form1 form;
    form.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* pic1 = form.findChild<platform::PictureBox*>("Pic1");
    QVERIFY(!pic1->hint().isEmpty());
    QVERIFY(pic1->hint().isRightToLeft());

    // The hint's colour shows in the middle of the frame and nowhere in a white picture.
    const QColor hintColour = pic1->palette().color(QPalette::WindowText);
    const auto hintPixels = [&] {
        const QImage shot = pic1->client()->grab().toImage();
        int count = 0;
        for (int y = shot.height() / 3; y < shot.height() * 2 / 3; ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += support::closeColour(shot.pixelColor(x, y), hintColour, 24) ? 1 : 0;
        return count;
    };
    QVERIFY2(hintPixels() > 200, qPrintable(QString::number(hintPixels())));
    form.findChild<QAbstractButton*>("Command8")->click();
    QCOMPARE(hintPixels(), 0);
    QVERIFY2(m_errors->errors().empty(), qPrintable(m_errors->describe()));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
