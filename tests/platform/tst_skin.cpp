#include "platform/Handles.h"
#include "platform/Skin.h"
#include "platform/UnhandledErrors.h"
#include "support/Fixtures.h"

#include <QPainter>
#include <QPushButton>
#include "platform/PictureBox.h"
#include <QStyle>
#include <QtTest>
#include <memory>
#include <new>

using platform::Skin;
using platform::Variant;
using platform::VariantArgs;

class TestSkin : public QObject {
    Q_OBJECT

private slots:
    void applySkinSkinsTheWindowBehindTheHandle();
    void badCallRaises_data();
    void badCallRaises();
    void raiseInHandlerIsReportedAndProgramGoesOn_data();
    void raiseInHandlerIsReportedAndProgramGoesOn();
    void keyBordersHaveNoDarkTicks_data();
    void keyBordersHaveNoDarkTicks();
    void frameHint();
};

namespace {

bool isSkinned(const QWidget& window)
{
    return window.property(Skin::kSkinnedProperty).toBool() || !window.styleSheet().isEmpty();
}

enum class Argument { WindowI4, WindowI2, WindowString, WindowBool, Empty, NeverGivenI4, ZeroI4, ClosedWindowI4 };

} // namespace

Q_DECLARE_METATYPE(Argument)

void TestSkin::applySkinSkinsTheWindowBehindTheHandle()
{
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("A"), &window);
    QWidget other;
    platform::windowHandle(&other);
    Skin skin;
    QVERIFY(!skin.styleSheet().isEmpty());

    const Variant result = skin.Invoke(Skin::kApplySkin, {Variant::fromI4(platform::windowHandle(&window))});

    QCOMPARE(result.type(), platform::VT_EMPTY);
    QCOMPARE(window.property(Skin::kSkinnedProperty).toBool(), true);
    QCOMPARE(window.styleSheet(), skin.styleSheet());
    button->ensurePolished();
    QVERIFY2(button->style()->inherits("QStyleSheetStyle"), "the window's controls are not drawn with the skin");
    QVERIFY(!isSkinned(other));
}

void TestSkin::badCallRaises_data()
{
    QTest::addColumn<int>("member");
    QTest::addColumn<QList<Argument>>("arguments");

    const int apply = Skin::kApplySkin;
    QTest::newRow("unknown identifier") << apply + 1 << QList<Argument>{Argument::WindowI4};
    QTest::newRow("identifier zero") << 0 << QList<Argument>{Argument::WindowI4};
    QTest::newRow("handle as VT_I2") << apply << QList<Argument>{Argument::WindowI2};
    QTest::newRow("handle as VT_BSTR") << apply << QList<Argument>{Argument::WindowString};
    QTest::newRow("handle as VT_BOOL") << apply << QList<Argument>{Argument::WindowBool};
    QTest::newRow("handle as VT_EMPTY") << apply << QList<Argument>{Argument::Empty};
    QTest::newRow("no argument") << apply << QList<Argument>{};
    QTest::newRow("two arguments") << apply << QList<Argument>{Argument::WindowI4, Argument::WindowI4};
    QTest::newRow("handle never given out") << apply << QList<Argument>{Argument::NeverGivenI4};
    QTest::newRow("handle zero") << apply << QList<Argument>{Argument::ZeroI4};
    QTest::newRow("handle of a closed window") << apply << QList<Argument>{Argument::ClosedWindowI4};
}

void TestSkin::badCallRaises()
{
    QFETCH(int, member);
    QFETCH(QList<Argument>, arguments);
    QWidget window;
    const platform::HWND handle = platform::windowHandle(&window);
    platform::HWND closedHandle = 0;
    {
        QWidget closed;
        closedHandle = platform::windowHandle(&closed);
    }
    VariantArgs args;
    for (const Argument argument : arguments) {
        switch (argument) {
        case Argument::WindowI4: args.push_back(Variant::fromI4(handle)); break;
        case Argument::WindowI2: args.push_back(Variant::fromI2(int16_t(handle))); break;
        case Argument::WindowString: args.push_back(Variant::fromString(QString::number(handle))); break;
        case Argument::WindowBool: args.push_back(Variant::fromBool(true)); break;
        case Argument::Empty: args.push_back(Variant()); break;
        case Argument::NeverGivenI4: args.push_back(Variant::fromI4(0x7FFF0000)); break;
        case Argument::ZeroI4: args.push_back(Variant::fromI4(0)); break;
        case Argument::ClosedWindowI4: args.push_back(Variant::fromI4(closedHandle)); break;
        }
    }
    Skin skin;

    try {
        skin.Invoke(platform::DispId(member), args);
        QFAIL("the call returned instead of raising");
    } catch (const platform::PlatformError& error) {
        QVERIFY(!error.failed().isEmpty());
        QVERIFY(!error.reason().isEmpty());
    }
    QVERIFY(!isSkinned(window));
}

namespace {
enum class Raise { SkinError, RuntimeError, OutOfMemory, Unknown };
}
Q_DECLARE_METATYPE(Raise)

void TestSkin::raiseInHandlerIsReportedAndProgramGoesOn_data()
{
    QTest::addColumn<Raise>("raise");
    QTest::addColumn<QString>("failedContains");

    QTest::newRow("skin call with an unknown identifier") << Raise::SkinError << QStringLiteral("0x60020007");
    QTest::newRow("a standard exception") << Raise::RuntimeError << QString();
    QTest::newRow("out of memory") << Raise::OutOfMemory << QString();
    QTest::newRow("not an exception class") << Raise::Unknown << QString();
}

void TestSkin::raiseInHandlerIsReportedAndProgramGoesOn()
{
    QFETCH(Raise, raise);
    QFETCH(QString, failedContains);
    support::ScopedErrorRecorder recorder;
    QWidget window;
    Skin skin;
    QPushButton button;
    int reachedAfterRaise = 0;
    int laterHandlerRuns = 0;
    platform::connectHandler(&button, &QPushButton::clicked, &button, [&] {
        switch (raise) {
        case Raise::SkinError:
            skin.Invoke(Skin::kApplySkin + 1, {Variant::fromI4(platform::windowHandle(&window))});
            break;
        case Raise::RuntimeError: throw std::runtime_error("broken");
        case Raise::OutOfMemory: throw std::bad_alloc();
        case Raise::Unknown: throw 42;
        }
        ++reachedAfterRaise;
    });
    platform::connectHandler(&button, &QPushButton::clicked, &button, [&] { ++laterHandlerRuns; });

    button.click();
    button.click();

    QCOMPARE(recorder.errors().size(), size_t(2));
    QVERIFY(!recorder.errors().front().failed().isEmpty());
    QVERIFY(!recorder.errors().front().reason().isEmpty());
    QVERIFY2(recorder.errors().front().failed().contains(failedContains),
             qPrintable(recorder.errors().front().failed()));
    QCOMPARE(reachedAfterRaise, 0);
    QCOMPARE(laterHandlerRuns, 2);
    QVERIFY(!isSkinned(window));
}

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"

void TestSkin::keyBordersHaveNoDarkTicks_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("1.25x") << 1.25;
    QTest::newRow("1.5x") << 1.5;
    QTest::newRow("2x") << 2.0;
    QTest::newRow("3x") << 3.0;
}

// A rounded border is drawn as sides and corners that meet; where they overlap, the border must not
// turn darker than along its sides.
void TestSkin::keyBordersHaveNoDarkTicks()
{
    QFETCH(qreal, scale);
    QWidget window;
    auto* key = new QPushButton(QStringLiteral("A"), &window);
    key->setObjectName(QStringLiteral("Command8"));
    key->setGeometry(0, 0, 41, 25);
    Skin().Invoke(Skin::kApplySkin, {Variant::fromI4(platform::windowHandle(&window))});
    key->ensurePolished();

    QImage image(QSize(qCeil(41 * scale), qCeil(25 * scale)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(QColor(0xff, 0xf8, 0xea));
    {
        QPainter painter(&image);
        key->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    // The corners' radius is 5; the sides run straight between them.
    const int corner = qCeil(5 * scale);
    const int topRow = int(scale / 2);
    const int leftColumn = int(scale / 2);
    const int sideTone = qGray(image.pixel(image.width() / 2, topRow));
    for (int x = corner - 2; x <= image.width() - corner + 1; ++x)
        QVERIFY2(qGray(image.pixel(x, topRow)) >= sideTone - 10,
                 qPrintable(QStringLiteral("top edge at x %1: %2 against %3").arg(x).arg(qGray(image.pixel(x, topRow))).arg(sideTone)));
    const int leftTone = qGray(image.pixel(leftColumn, image.height() / 3));
    for (int y = corner - 2; y <= image.height() / 2; ++y)
        QVERIFY2(qGray(image.pixel(leftColumn, y)) >= leftTone - 10,
                 qPrintable(QStringLiteral("left edge at y %1: %2 against %3").arg(y).arg(qGray(image.pixel(leftColumn, y))).arg(leftTone)));
}

// The skin gives the lesson frame its hint, in Arabic.
void TestSkin::frameHint()
{
    QWidget window;
    auto* frame = new platform::PictureBox(&window);
    frame->setObjectName(QStringLiteral("Pic1"));
    auto* other = new platform::PictureBox(&window);
    Skin().Invoke(Skin::kApplySkin, {Variant::fromI4(platform::windowHandle(&window))});
    frame->ensurePolished();
    other->ensurePolished();
    QVERIFY(frame->hint().isRightToLeft());
    QVERIFY(other->hint().isEmpty());
}
