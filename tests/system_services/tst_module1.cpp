#include "main_window/Form1.h"
#include "platform/Codepage1256.h"
#include "platform/PlatformError.h"
#include "platform/Runtime.h"
#include "platform/UnhandledErrors.h"
#include "platform/WindowMessage.h"
#include "support/FakeNotificationArea.h"
#include "support/NotifyIconRecorder.h"
#include "support/RecordingAudioOutput.h"
#include "support/WindowMessageLog.h"
#include "system_services/Module1.h"
#include "system_services/SystemFunctions.h"

#include <QPushButton>
#include <QTest>
#include <cstring>

namespace {

uint32_t fieldAt(const QByteArray& record, int offset)
{
    uint32_t value = 0;
    std::memcpy(&value, record.constData() + offset, sizeof value);
    return value;
}

// The tip in Windows-1256, written out by hand: "برنامج سلفنداري", its NUL, then spaces to 64.
QByteArray expectedTipField()
{
    QByteArray field = QByteArray::fromHex("c8d1e4c7e3cc20d3e1dde4cfc7d1ed00");
    field.append(64 - field.size(), ' ');
    return field;
}

constexpr int32_t kWindow = 0x00012344;
constexpr int32_t kIcon = 0x00023454;

} // namespace

class TestModule1 : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void recordFieldAtItsOffset_data();
    void recordFieldAtItsOffset();
    void tipIsTextNulAndSpaces();
    void unmappableTipRaises();
    void startMakesExactlyAddThenModify();
    void clicksOnTheIconChangeNothing();
};

void TestModule1::cleanup()
{
    platform::replaceErrorReporter(nullptr);
    platform::replaceMessageBox(nullptr);
    platform::replaceEnd(nullptr);
}

void TestModule1::recordFieldAtItsOffset_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<uint>("value");

    QTest::newRow("cbSize") << 0 << 88u;
    QTest::newRow("hWnd") << 4 << uint(kWindow);
    QTest::newRow("uID") << 8 << 1u;
    QTest::newRow("uFlags: message, icon, tip") << 12 << 7u;
    QTest::newRow("uCallbackMessage: WM_MOUSEMOVE") << 16 << 512u;
    QTest::newRow("hIcon") << 20 << uint(kIcon);
}

void TestModule1::recordFieldAtItsOffset()
{
    QFETCH(int, offset);
    QFETCH(uint, value);

    support::ScopedNotifyIconRecorder recorder;
    Module1::RegisterTrayIcon(kWindow, kIcon);

    QCOMPARE(recorder.calls().size(), size_t(2));
    for (const support::NotifyIconCall& call : recorder.calls()) {
        QCOMPARE(call.record.size(), 88);
        QCOMPARE(fieldAt(call.record, offset), value);
    }
}

void TestModule1::tipIsTextNulAndSpaces()
{
    support::ScopedNotifyIconRecorder recorder;
    Module1::RegisterTrayIcon(kWindow, kIcon);

    for (const support::NotifyIconCall& call : recorder.calls()) {
        const QByteArray field = call.record.mid(24, 64);
        QCOMPARE(field, expectedTipField());
        QCOMPARE(platform::fromAnsi(field.constData()), QStringLiteral("برنامج سلفنداري"));
    }

    // The copies coming back leave the program's record as RegisterTrayIcon filled it.
    const NOTIFYICONDATA& record = Module1::TrayIcon;
    QCOMPARE(record.cbSize, 88u);
    QCOMPARE(record.hWnd, kWindow);
    QCOMPARE(record.hIcon, kIcon);
    QString tip = QStringLiteral("برنامج سلفنداري") + QChar(u'\0');
    tip.append(QString(64 - tip.size(), QLatin1Char(' ')));
    QCOMPARE(QStringView(record.szTip.data(), record.szTip.size()).toString(), tip);
}

void TestModule1::unmappableTipRaises()
{
    NOTIFYICONDATA record;
    record.szTip.fill(u' ');
    record.szTip[0] = u'中';
    QVERIFY_THROWS_EXCEPTION(platform::PlatformError, Module1::toAnsi(record));
}

void TestModule1::startMakesExactlyAddThenModify()
{
    support::ScopedNotifyIconRecorder recorder;
    platform::replaceMessageBox([](const QString&, platform::MsgBoxStyle, const QString&) {});
    platform::replaceEnd([] {});
    {
        Form1 form;
        form.Show();
        form.Show();

        const auto& calls = recorder.calls();
        QCOMPARE(calls.size(), size_t(2));
        QCOMPARE(calls[0].message, NIM_ADD);
        QCOMPARE(calls[1].message, NIM_MODIFY);
        QCOMPARE(calls[1].record, calls[0].record);
        QCOMPARE(int32_t(fieldAt(calls[0].record, 4)), form.hWnd());
        const auto icon = platform::iconFromHandle(int32_t(fieldAt(calls[0].record, 20)));
        QVERIFY(icon);
        QCOMPARE(icon->cacheKey(), form.windowIcon().cacheKey());

        auto* exit = form.findChild<QPushButton*>(QStringLiteral("Command14"));
        QVERIFY(exit);
        exit->click();
        form.close();
    }
    QCOMPARE(recorder.calls().size(), size_t(2));
}

void TestModule1::clicksOnTheIconChangeNothing()
{
    support::ScopedFakeNotificationArea area;
    support::ScopedRecordingOutput sound;
    int reports = 0;
    int boxes = 0;
    int ends = 0;
    platform::replaceErrorReporter([&reports](const platform::PlatformError&) { ++reports; });
    platform::replaceMessageBox([&boxes](const QString&, platform::MsgBoxStyle, const QString&) { ++boxes; });
    platform::replaceEnd([&ends] { ++ends; });

    Form1 form;
    form.Show();
    const auto shown = area.tray().shown();
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(shown[0]->window.data(), &form);
    QCOMPARE(shown[0]->tip, QStringLiteral("برنامج سلفنداري"));
    QCOMPARE(shown[0]->icon.cacheKey(), form.windowIcon().cacheKey());

    support::WindowMessageLog messages(&form);
    QCoreApplication::processEvents();
    const QImage before = form.grab().toImage();
    for (const uint32_t message : {platform::WM_MOUSEMOVE, platform::WM_LBUTTONDOWN, platform::WM_LBUTTONUP,
                                   platform::WM_LBUTTONDBLCLK, platform::WM_LBUTTONUP, platform::WM_RBUTTONDOWN,
                                   platform::WM_RBUTTONUP})
        shown[0]->activity(message);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();

    // The window receives every message and has no use for any of them.
    QCOMPARE(messages.entries().size(), size_t(7));
    for (const auto& entry : messages.entries())
        QCOMPARE(entry.message, WM_MOUSEMOVE);
    QCOMPARE(form.grab().toImage(), before);
    QVERIFY(form.isVisible());
    QCOMPARE(reports, 0);
    QCOMPARE(boxes, 0);
    QCOMPARE(ends, 0);
    QVERIFY(sound.log().plays().empty());
    QCOMPARE(area.tray().icons.size(), size_t(1));
}

QTEST_MAIN(TestModule1)
#include "tst_module1.moc"
