#include "platform/Handles.h"
#include "platform/ShellNotifyIcon.h"
#include "platform/WindowMessage.h"
#include "support/FakeNotificationArea.h"
#include "support/WindowMessageLog.h"

#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTest>
#include <cstring>
#include <optional>

using namespace platform::shell32;
using platform::HICON;
using platform::HWND;

namespace {

QIcon filledIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QByteArray recordBytes(HWND window, uint32_t id, uint32_t flags, HICON icon, const QByteArray& tip,
                       uint32_t callbackMessage = 0x0200)
{
    NOTIFYICONDATAA record{};
    record.cbSize = sizeof record;
    record.hWnd = window;
    record.uID = id;
    record.uFlags = flags;
    record.uCallbackMessage = callbackMessage;
    record.hIcon = icon;
    std::memcpy(record.szTip.data(), tip.constData(), size_t(std::min<qsizetype>(tip.size(), 64)));
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

QByteArray withSize(QByteArray record, uint32_t size)
{
    std::memcpy(record.data(), &size, sizeof size);
    return record;
}

int32_t notify(uint32_t message, const QByteArray& record)
{
    return Shell_NotifyIconA(message, record.isEmpty() ? nullptr : record.constData());
}

constexpr uint32_t kAllFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

} // namespace

class TestShellNotifyIcon : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addShowsIconWithTipUpToNul_data();
    void addShowsIconWithTipUpToNul();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void modifyChangesOnlyWhatFlagsName();
    void iconsAreKeptPerWindowAndId();
    void iconGoesWithItsWindow();
    void mouseActivityReachesWindowAsCallbackMessage();
    void desktopWithoutNotificationAreaRefusesAdd();
    void replacementReceivesTheCalls();

private:
    QWidget m_window;
    HWND m_hWnd = 0;
    HICON m_red = 0;
    HICON m_blue = 0;
    std::optional<support::ScopedFakeNotificationArea> m_area;
};

void TestShellNotifyIcon::initTestCase()
{
    m_hWnd = platform::windowHandle(&m_window);
    m_red = platform::iconHandle(filledIcon(Qt::red));
    m_blue = platform::iconHandle(filledIcon(Qt::blue));
    QVERIFY(m_red != m_blue);
}

void TestShellNotifyIcon::init()
{
    m_area.emplace();
}

void TestShellNotifyIcon::cleanup()
{
    m_area.reset();
}

void TestShellNotifyIcon::addShowsIconWithTipUpToNul_data()
{
    QTest::addColumn<QByteArray>("tipField");
    QTest::addColumn<QString>("shownTip");

    QByteArray padded = QByteArray::fromHex("c8d1e4c7e3cc20d3e1dde4cfc7d1ed00");
    padded.append(64 - padded.size(), ' ');
    QTest::newRow("Arabic tip, NUL, spaces") << padded << QStringLiteral("برنامج سلفنداري");
    QTest::newRow("text behind the NUL") << QByteArray("shown\0hidden", 12) << QStringLiteral("shown");
    QTest::newRow("empty") << QByteArray(1, '\0') << QString();
    QTest::newRow("no NUL in the field") << QByteArray(64, 'x') << QString(63, QLatin1Char('x'));
}

void TestShellNotifyIcon::addShowsIconWithTipUpToNul()
{
    QFETCH(QByteArray, tipField);
    QFETCH(QString, shownTip);

    // Bytes behind the 88-byte record must never be read into the tip.
    const QByteArray record = recordBytes(m_hWnd, 1, kAllFlags, m_red, tipField) + QByteArray(16, 'y');

    QCOMPARE(notify(NIM_ADD, record), 1);
    const auto shown = m_area->tray().shown();
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(shown[0]->window.data(), &m_window);
    QCOMPARE(shown[0]->icon.cacheKey(), platform::iconFromHandle(m_red)->cacheKey());
    QCOMPARE(shown[0]->tip, shownTip);
}

void TestShellNotifyIcon::refusalsChangeNothing_data()
{
    QTest::addColumn<bool>("addFirst");
    QTest::addColumn<bool>("available");
    QTest::addColumn<uint>("message");
    QTest::addColumn<QByteArray>("record");

    const QByteArray valid = recordBytes(m_hWnd, 1, kAllFlags, m_red, "second");
    HWND gone = 0;
    {
        QWidget window;
        gone = platform::windowHandle(&window);
    }

    QTest::newRow("null record") << false << true << NIM_ADD << QByteArray();
    QTest::newRow("cbSize 0") << false << true << NIM_ADD << withSize(valid, 0);
    QTest::newRow("cbSize 87") << false << true << NIM_ADD << withSize(valid, 87);
    QTest::newRow("cbSize 89") << false << true << NIM_ADD << withSize(valid, 89);
    QTest::newRow("cbSize of a later, larger record") << false << true << NIM_ADD << withSize(valid, 504);
    QTest::newRow("window handle 0") << false << true << NIM_ADD << recordBytes(0, 1, kAllFlags, m_red, "x");
    QTest::newRow("window handle never given out")
        << false << true << NIM_ADD << recordBytes(0x7FFF0000, 1, kAllFlags, m_red, "x");
    QTest::newRow("window that is gone") << false << true << NIM_ADD << recordBytes(gone, 1, kAllFlags, m_red, "x");
    QTest::newRow("icon handle never given out")
        << false << true << NIM_ADD << recordBytes(m_hWnd, 1, kAllFlags, 0x7FFF0000, "x");
    QTest::newRow("unknown message") << false << true << 3u << valid;
    QTest::newRow("modify before add") << false << true << NIM_MODIFY << valid;
    QTest::newRow("delete before add") << false << true << NIM_DELETE << valid;
    QTest::newRow("duplicate add") << true << true << NIM_ADD << valid;
    QTest::newRow("modify with an unknown icon") << true << true << NIM_MODIFY
                                                 << recordBytes(m_hWnd, 1, NIF_ICON | NIF_TIP, 0x7FFF0000, "second");
    QTest::newRow("modify of another id") << true << true << NIM_MODIFY << recordBytes(m_hWnd, 2, kAllFlags, m_red, "x");
    QTest::newRow("no notification area") << false << false << NIM_ADD << valid;
}

void TestShellNotifyIcon::refusalsChangeNothing()
{
    QFETCH(bool, addFirst);
    QFETCH(bool, available);
    QFETCH(uint, message);
    QFETCH(QByteArray, record);

    if (addFirst)
        QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 1, kAllFlags, m_blue, "first")), 1);
    m_area->tray().available = available;

    QCOMPARE(notify(message, record), 0);
    const auto& icons = m_area->tray().icons;
    QCOMPARE(icons.size(), size_t(addFirst ? 1 : 0));
    if (addFirst) {
        QVERIFY(icons[0]->shown);
        QCOMPARE(icons[0]->tip, QStringLiteral("first"));
        QCOMPARE(icons[0]->icon.cacheKey(), platform::iconFromHandle(m_blue)->cacheKey());
    }
}

void TestShellNotifyIcon::modifyChangesOnlyWhatFlagsName()
{
    QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 1, kAllFlags, m_red, "one")), 1);

    // A field the flags leave out is not read: its unknown icon handle does no harm.
    QCOMPARE(notify(NIM_MODIFY, recordBytes(m_hWnd, 1, NIF_TIP, 0x7FFF0000, "two")), 1);
    auto shown = m_area->tray().shown();
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(shown[0]->tip, QStringLiteral("two"));
    QCOMPARE(shown[0]->icon.cacheKey(), platform::iconFromHandle(m_red)->cacheKey());

    QCOMPARE(notify(NIM_MODIFY, recordBytes(m_hWnd, 1, NIF_ICON, m_blue, "three")), 1);
    shown = m_area->tray().shown();
    QCOMPARE(m_area->tray().icons.size(), size_t(1));
    QCOMPARE(shown[0]->tip, QStringLiteral("two"));
    QCOMPARE(shown[0]->icon.cacheKey(), platform::iconFromHandle(m_blue)->cacheKey());
}

void TestShellNotifyIcon::iconsAreKeptPerWindowAndId()
{
    QWidget other;
    const HWND otherHandle = platform::windowHandle(&other);

    QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 1, kAllFlags, m_red, "w1")), 1);
    QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 2, kAllFlags, m_red, "w2")), 1);
    QCOMPARE(notify(NIM_ADD, recordBytes(otherHandle, 1, kAllFlags, m_red, "o1")), 1);
    QCOMPARE(m_area->tray().shown().size(), size_t(3));

    QCOMPARE(notify(NIM_DELETE, recordBytes(m_hWnd, 2, 0, 0, "")), 1);
    QCOMPARE(notify(NIM_DELETE, recordBytes(m_hWnd, 2, 0, 0, "")), 0);
    const auto& icons = m_area->tray().icons;
    QVERIFY(icons[0]->shown);
    QVERIFY(!icons[1]->shown);
    QVERIFY(icons[2]->shown);

    // A removed id is free for a new icon.
    QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 2, kAllFlags, m_blue, "again")), 1);
    QCOMPARE(m_area->tray().shown().size(), size_t(3));
    QCOMPARE(m_area->tray().icons.back()->tip, QStringLiteral("again"));
}

void TestShellNotifyIcon::iconGoesWithItsWindow()
{
    auto* window = new QWidget;
    const HWND handle = platform::windowHandle(window);
    QCOMPARE(notify(NIM_ADD, recordBytes(handle, 1, kAllFlags, m_red, "tip")), 1);
    QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 1, kAllFlags, m_red, "stays")), 1);

    delete window;

    const auto shown = m_area->tray().shown();
    QCOMPARE(shown.size(), size_t(1));
    QCOMPARE(shown[0]->tip, QStringLiteral("stays"));
    QCOMPARE(notify(NIM_MODIFY, recordBytes(handle, 1, NIF_TIP, 0, "late")), 0);
}

void TestShellNotifyIcon::mouseActivityReachesWindowAsCallbackMessage()
{
    support::WindowMessageLog log(&m_window);
    QWidget silent;
    support::WindowMessageLog silentLog(&silent);

    QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 7, kAllFlags, m_red, "", 0x0200)), 1);
    QCOMPARE(notify(NIM_ADD, recordBytes(platform::windowHandle(&silent), 1, NIF_ICON | NIF_TIP, m_red, "")), 1);
    const auto icons = m_area->tray().icons;

    icons[0]->activity(platform::WM_LBUTTONDOWN);
    icons[0]->activity(platform::WM_LBUTTONDBLCLK);
    icons[1]->activity(platform::WM_LBUTTONDOWN);
    QCOMPARE(notify(NIM_MODIFY, recordBytes(m_hWnd, 7, NIF_MESSAGE, 0, "", 0x8001)), 1);
    icons[0]->activity(platform::WM_RBUTTONUP);
    QCoreApplication::sendPostedEvents();

    QCOMPARE(log.entries().size(), size_t(3));
    const std::array<std::array<int64_t, 3>, 3> expected{{
        {0x0200, 7, platform::WM_LBUTTONDOWN},
        {0x0200, 7, platform::WM_LBUTTONDBLCLK},
        {0x8001, 7, platform::WM_RBUTTONUP},
    }};
    for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(int64_t(log.entries()[i].message), expected[i][0]);
        QCOMPARE(int64_t(log.entries()[i].wParam), expected[i][1]);
        QCOMPARE(int64_t(log.entries()[i].lParam), expected[i][2]);
    }
    QVERIFY(silentLog.entries().empty());
}

void TestShellNotifyIcon::desktopWithoutNotificationAreaRefusesAdd()
{
    m_area.reset();
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this desktop has a notification area");

    QCOMPARE(notify(NIM_ADD, recordBytes(m_hWnd, 1, kAllFlags, m_red, "tip")), 0);
    QCOMPARE(notify(NIM_MODIFY, recordBytes(m_hWnd, 1, kAllFlags, m_red, "tip")), 0);
    QVERIFY(m_window.findChildren<QSystemTrayIcon*>().isEmpty());
}

void TestShellNotifyIcon::replacementReceivesTheCalls()
{
    std::vector<std::pair<uint32_t, const void*>> calls;
    const QByteArray record = recordBytes(m_hWnd, 1, kAllFlags, m_red, "tip");
    replaceShellNotifyIcon([&calls](uint32_t message, const void* data) {
        calls.emplace_back(message, data);
        return int32_t(42);
    });

    QCOMPARE(Shell_NotifyIconA(NIM_DELETE, record.constData()), 42);
    QVERIFY(m_area->tray().icons.empty());

    QVERIFY(replaceShellNotifyIcon(nullptr));
    QCOMPARE(notify(NIM_ADD, record), 1);
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].first, NIM_DELETE);
    QCOMPARE(calls[0].second, static_cast<const void*>(record.constData()));
    QCOMPARE(m_area->tray().shown().size(), size_t(1));
}

QTEST_MAIN(TestShellNotifyIcon)
#include "tst_shellnotifyicon.moc"
