#include "platform/ShellExecute.h"

#include <QTest>
#include <vector>

using namespace platform::shell32;

// The shell's own behaviour, with a recorder in place of the desktop's browser.
class TestShellExecute : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensWebAddresses_data();
    void opensWebAddresses();
    void refusesEverythingElse_data();
    void refusesEverythingElse();
    void reportsFailureWithoutBrowser();

private:
    static int32_t call(const QByteArray& verb, const QByteArray& file);

    std::vector<QUrl> m_opened;
    bool m_browserFound = true;
    UrlOpener m_previous;
};

void TestShellExecute::init()
{
    m_opened.clear();
    m_browserFound = true;
    m_previous = replaceUrlOpener([this](const QUrl& url) {
        m_opened.push_back(url);
        return m_browserFound;
    });
}

void TestShellExecute::cleanup()
{
    replaceUrlOpener(std::move(m_previous));
}

// A null QByteArray stands for a null pointer.
int32_t TestShellExecute::call(const QByteArray& verb, const QByteArray& file)
{
    return ShellExecuteA(0x10010, verb.isNull() ? nullptr : verb.constData(),
                         file.isNull() ? nullptr : file.constData(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TestShellExecute::opensWebAddresses_data()
{
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QByteArray>("address");

    QTest::newRow("https root") << QByteArray("open") << QByteArray("https://www.hawza.example/");
    QTest::newRow("http, path, query, fragment")
        << QByteArray("open") << QByteArray("http://library.zankaloni.example/books?id=7&lang=ar#top");
    QTest::newRow("percent-encoded Arabic") << QByteArray("open") << QByteArray("https://x.example/%D8%B7");
    QTest::newRow("verb in capitals") << QByteArray("OPEN") << QByteArray("https://x.example/");
    QTest::newRow("null verb is the default, open") << QByteArray() << QByteArray("https://x.example/");
    QTest::newRow("empty verb is the default, open") << QByteArray("") << QByteArray("https://x.example/");
    // Marks a shell would act on are ordinary URL characters here and reach the browser as such.
    QTest::newRow("shell marks inside the URL") << QByteArray("open") << QByteArray("https://x.example/a;b$(c)&d*e");
}

void TestShellExecute::opensWebAddresses()
{
    QFETCH(QByteArray, verb);
    QFETCH(QByteArray, address);

    QVERIFY(call(verb, address) > 32);
    QCOMPARE(m_opened.size(), size_t(1));
    QCOMPARE(m_opened.front().toEncoded(), address);
}

void TestShellExecute::refusesEverythingElse_data()
{
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QByteArray>("address");

    const QByteArray site("https://www.hawza.example/");
    QTest::newRow("print") << QByteArray("print") << site;
    QTest::newRow("runas") << QByteArray("runas") << site;
    QTest::newRow("open with a trailing space") << QByteArray("open ") << site;
    QTest::newRow("file scheme") << QByteArray("open") << QByteArray("file:///etc/passwd");
    QTest::newRow("ftp scheme") << QByteArray("open") << QByteArray("ftp://x.example/");
    QTest::newRow("mailto") << QByteArray("open") << QByteArray("mailto:az@zankaloni.example");
    QTest::newRow("javascript") << QByteArray("open") << QByteArray("javascript:alert(1)");
    QTest::newRow("program path") << QByteArray("open") << QByteArray("/usr/bin/xterm");
    QTest::newRow("program name") << QByteArray("open") << QByteArray("xterm");
    QTest::newRow("option") << QByteArray("open") << QByteArray("--help");
    QTest::newRow("windows path") << QByteArray("open") << QByteArray("C:\\Windows\\notepad.exe");
    QTest::newRow("space") << QByteArray("open") << QByteArray("https://x.example/a b");
    QTest::newRow("leading space") << QByteArray("open") << QByteArray(" https://x.example/");
    QTest::newRow("double quote") << QByteArray("open") << QByteArray("https://x.example/\" --new-window file:///");
    QTest::newRow("single quote") << QByteArray("open") << QByteArray("https://x.example/'$(id)'");
    QTest::newRow("backquote") << QByteArray("open") << QByteArray("https://x.example/`id`");
    QTest::newRow("newline") << QByteArray("open") << QByteArray("https://x.example/\nxterm");
    QTest::newRow("tab") << QByteArray("open") << QByteArray("https://x.example/\txterm");
    QTest::newRow("non-ASCII byte") << QByteArray("open") << QByteArray("https://x.example/\xD8");
    QTest::newRow("broken percent-encoding") << QByteArray("open") << QByteArray("https://x.example/%zz");
    QTest::newRow("no host") << QByteArray("open") << QByteArray("https:///path");
    QTest::newRow("scheme alone") << QByteArray("open") << QByteArray("https:");
    QTest::newRow("empty address") << QByteArray("open") << QByteArray("");
    QTest::newRow("null address") << QByteArray("open") << QByteArray();
}

void TestShellExecute::refusesEverythingElse()
{
    QFETCH(QByteArray, verb);
    QFETCH(QByteArray, address);

    QVERIFY(call(verb, address) <= 32);
    QVERIFY(m_opened.empty());
}

void TestShellExecute::reportsFailureWithoutBrowser()
{
    m_browserFound = false;
    QVERIFY(call("open", "https://www.hawza.example/") <= 32);
    QCOMPARE(m_opened.size(), size_t(1));
}

QTEST_MAIN(TestShellExecute)
#include "tst_shellexecute.moc"
