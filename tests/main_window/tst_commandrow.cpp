#include "Sites.h"
#include "about_window/Form2.h"
#include "main_window/Form1.h"
#include "platform/Runtime.h"
#include "platform/Skin.h"
#include "support/RecordingShellExecute.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>

// Counts the closing and hiding notices a window receives.
class NoticeCounter : public QObject {
public:
    int notices = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close || event->type() == QEvent::Hide)
            ++notices;
        return false;
    }
};

class TestCommandRow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void sitesAreThreeRoots();
    void siteButtonsOpenTheirSites_data();
    void siteButtonsOpenTheirSites();
    void aboutShowsOneModelessWindow();
    void aboutAfterClosingLoadsAfresh();
    void exitSaysFarewellThenEnds();

private:
    void press(const char* button);
    static QList<Form2*> aboutWindows();

    std::unique_ptr<Form1> m_form;
    QStringList m_log;
    platform::MessageBoxFunction m_previousMessageBox;
    platform::EndFunction m_previousEnd;
};

void TestCommandRow::init()
{
    m_log.clear();
    m_previousMessageBox = platform::replaceMessageBox(
        [this](const QString& prompt, platform::MsgBoxStyle buttons, const QString& title) {
            m_log << QStringLiteral("MsgBox %1 «%2» «%3»").arg(int(buttons)).arg(prompt, title);
        });
    m_previousEnd = platform::replaceEnd([this] { m_log << QStringLiteral("End"); });
    m_form = std::make_unique<Form1>();
}

void TestCommandRow::cleanup()
{
    m_form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(aboutWindows().isEmpty());
    platform::replaceMessageBox(std::move(m_previousMessageBox));
    platform::replaceEnd(std::move(m_previousEnd));
}

void TestCommandRow::press(const char* button)
{
    auto* control = m_form->findChild<QPushButton*>(QString::fromLatin1(button));
    QVERIFY(control);
    control->click();
}

QList<Form2*> TestCommandRow::aboutWindows()
{
    QList<Form2*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<Form2*>(widget); about && about->isVisible())
            windows << about;
    return windows;
}

void TestCommandRow::sitesAreThreeRoots()
{
    const QStringList sites{QString::fromUtf8(AuthorSite), QString::fromUtf8(LibrarySite),
                            QString::fromUtf8(SeminarySite)};
    QCOMPARE(QSet<QString>(sites.begin(), sites.end()).size(), 3);
    for (const QString& site : sites) {
        const QUrl url(site, QUrl::StrictMode);
        QVERIFY2(url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty(), qPrintable(site));
        QVERIFY2(url.path() == QLatin1String("/") && site.endsWith(QLatin1Char('/')), qPrintable(site));
        QVERIFY2(!url.hasQuery() && !url.hasFragment(), qPrintable(site));
    }
}

void TestCommandRow::siteButtonsOpenTheirSites_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("site");

    QTest::newRow("author") << QByteArray("Command11") << QByteArray(AuthorSite);
    QTest::newRow("library") << QByteArray("Command12") << QByteArray(LibrarySite);
    QTest::newRow("seminary") << QByteArray("Command13") << QByteArray(SeminarySite);
}

void TestCommandRow::siteButtonsOpenTheirSites()
{
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, site);

    support::RecordingShellExecute shell;
    press(button.constData());

    QCOMPARE(shell.calls().size(), size_t(1));
    const support::ShellExecuteCall& call = shell.calls().front();
    QCOMPARE(call.hwnd, m_form->hWnd());
    QCOMPARE(call.verb.value_or("(null)"), QByteArray("open"));
    QCOMPARE(call.file.value_or("(null)"), site);
    QVERIFY(!call.parameters && !call.directory);
    QCOMPARE(call.showCommand, 1);
    QVERIFY(m_log.isEmpty());
    QVERIFY(aboutWindows().isEmpty());
}

void TestCommandRow::aboutShowsOneModelessWindow()
{
    press("Command10");
    press("Command10");

    const QList<Form2*> windows = aboutWindows();
    QCOMPARE(windows.size(), 1);
    Form2* about = windows.front();
    QVERIFY(about->isLoaded());
    QVERIFY(about->property(platform::Skin::kSkinnedProperty).toBool());
    QVERIFY(!about->parentWidget());
    QCOMPARE(about->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_form->isEnabled());
}

// A closed About window is gone: the next press builds, loads and skins a new one, even before
// the closed one's deletion has come round.
void TestCommandRow::aboutAfterClosingLoadsAfresh()
{
    press("Command10");
    QPointer<Form2> first = aboutWindows().value(0);
    QVERIFY(first);
    QVERIFY(first->close());

    press("Command10");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    const QList<Form2*> windows = aboutWindows();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows.front()->isLoaded());
    QVERIFY(windows.front()->property(platform::Skin::kSkinnedProperty).toBool());
}

// The farewell comes first; then the program ends without any window being closed or hidden.
void TestCommandRow::exitSaysFarewellThenEnds()
{
    press("Command10");
    QPointer<Form2> about = aboutWindows().value(0);
    QVERIFY(about);
    NoticeCounter mainNotices;
    NoticeCounter aboutNotices;
    m_form->installEventFilter(&mainNotices);
    about->installEventFilter(&aboutNotices);

    press("Command14");

    QCOMPARE(m_log, QStringList({QStringLiteral("MsgBox 0 «زنكلوني يتمنى لكم الفائدة ويسألكم الدعاء» "
                                                "«مكتبة زنكلوني للمعلومات الدينية»"),
                                 QStringLiteral("End")}));
    QCOMPARE(mainNotices.notices, 0);
    QCOMPARE(aboutNotices.notices, 0);
    QVERIFY(about && about->isVisible());
    m_form->removeEventFilter(&mainNotices);
    about->removeEventFilter(&aboutNotices);
}

QTEST_MAIN(TestCommandRow)
#include "tst_commandrow.moc"
