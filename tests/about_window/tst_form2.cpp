#include "Sites.h"
#include "about_window/Form2.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/Skin.h"
#include "platform/SkinLabel.h"
#include "platform/Twips.h"
#include "support/RecordingShellExecute.h"

#include <QAccessible>
#include <QApplication>
#include <QGlyphRun>
#include <QGroupBox>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTextLayout>

using platform::twipsRect;

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void window();
    void controlTree_data();
    void controlTree();
    void creditLinesAreReadable();
    void loadAppliesTheSkin();
    void portraitOpensTheAuthorsSite();
    void portraitOpensOnItsKeys_data();
    void portraitOpensOnItsKeys();
    void escapeCloses();
    void screenReaderReadsTheCredits();
    void rightToLeftKeepsEveryPixel();

private:
    template <typename T>
    T* control(const char* name) const
    {
        return m_form->findChild<T*>(QString::fromLatin1(name));
    }

    // The window's controls in the order of its focus chain, which follows their tab indexes.
    QStringList focusOrder() const;

    QPointer<Form2> m_form;
};

QStringList TestForm2::focusOrder() const
{
    const QWidget* frame = control<QWidget>("Frame2");
    QStringList names;
    for (QWidget* next = m_form->nextInFocusChain(); next != m_form; next = next->nextInFocusChain())
        if (next->parentWidget() == m_form || next->parentWidget() == frame)
            names << next->objectName();
    return names;
}

void TestForm2::init()
{
    m_form = new Form2;
}

void TestForm2::cleanup()
{
    delete m_form;
}

void TestForm2::window()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("حول البرنامج"));
    QVERIFY(!m_form->windowIcon().isNull());
    QCOMPARE(m_form->size(), twipsRect(0, 0, 3930, 2520).size());
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_form->isWindow());
    QVERIFY(!m_form->parentWidget());
    QCOMPARE(m_form->windowModality(), Qt::NonModal);

    auto* portrait = control<platform::PictureBox>("Pictuer1");
    QCOMPARE(portrait->picture().size(), QSize(100, 150));
    QCOMPARE(portrait->toolTip(), QStringLiteral("حياك الله وبياك"));
    QCOMPARE(platform::mousePointer(portrait), platform::MousePointer::ArrowQuestion);
    QVERIFY(control<platform::Skin>("Skin1"));

    m_form->Show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY((m_form->geometry().center() - screen.center()).manhattanLength() <= 2);
    // The frame keeps its dark green fore colour under the skin.
    QCOMPARE(control<QGroupBox>("Frame2")->palette().color(QPalette::WindowText), QColor(0x00, 0x40, 0x00));
    QVERIFY(control<QGroupBox>("Frame2")->title().isEmpty());
}

void TestForm2::controlTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<int>("tabIndex");
    QTest::addColumn<bool>("title");
    QTest::addColumn<QString>("text"); // a pattern for the whole text

    const auto exactly = [](const char* text) {
        return QRegularExpression::anchoredPattern(QRegularExpression::escape(QString::fromUtf8(text)));
    };
    const QString arabicWords = QStringLiteral("[\\x{0621}-\\x{064A}]+( [\\x{0621}-\\x{064A}]+)*");
    const auto row = [](const char* name, const char* kind, const char* parent, QRect place, int tabIndex,
                        bool title, const QString& text) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << QString::fromLatin1(parent)
                            << place << tabIndex << title << text;
    };
    row("Pictuer1", "platform::PictureBox", "Form2", twipsRect(120, 120, 1575, 2295), 0, false, QString());
    row("Frame2", "QGroupBox", "Form2", twipsRect(1800, 0, 2055, 2415), 1, false, QString());
    row("SkinLabel1", "platform::SkinLabel", "Frame2", twipsRect(120, 240, 1815, 255), 9, true, exactly("طربلون"));
    row("SkinLabel2", "platform::SkinLabel", "Frame2", twipsRect(600, 600, 975, 255), 8, false, exactly("برمجة وإعداد"));
    row("SkinLabel3", "platform::SkinLabel", "Frame2", twipsRect(360, 840, 1575, 255), 7, false,
        QRegularExpression::anchoredPattern(arabicWords));
    row("SkinLabel4", "platform::SkinLabel", "Frame2", twipsRect(480, 1080, 1215, 255), 6, false,
        QRegularExpression::anchoredPattern(arabicWords + QStringLiteral(" - ") + arabicWords));
    row("SkinLabel5", "platform::SkinLabel", "Frame2", twipsRect(240, 1320, 1695, 255), 5, false,
        exactly("انتاج: 1/صفر/1429هج"));
    row("SkinLabel6", "platform::SkinLabel", "Frame2", twipsRect(120, 1560, 1815, 255), 4, false,
        exactly("الموافق:8/فبراير/2008م"));
    row("SkinLabel7", "platform::SkinLabel", "Frame2", twipsRect(120, 1920, 1815, 255), 3, false,
        exactly("راسلنا على العنوان التالي"));
    row("SkinLabel8", "platform::SkinLabel", "Frame2", twipsRect(120, 2160, 1815, 255), 2, false,
        QStringLiteral("^[a-z0-9._-]+@[a-z0-9-]+(\\.[a-z0-9-]+)+$"));
}

void TestForm2::controlTree()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QRect, place);
    QFETCH(int, tabIndex);
    QFETCH(bool, title);
    QFETCH(QString, text);

    auto* widget = m_form->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), place);

    QCOMPARE(focusOrder().indexOf(name), tabIndex);

    if (auto* label = qobject_cast<platform::SkinLabel*>(widget)) {
        QCOMPARE(label->isTitle(), title);
        QVERIFY2(QRegularExpression(text).match(label->text()).hasMatch(), qPrintable(label->text()));
        QCOMPARE(label->font().families().value(0), QStringLiteral("MS Sans Serif"));
        QCOMPARE(label->font().pointSizeF(), 8.25);
        QCOMPARE(label->font().weight(), QFont::Normal);
    }
}

// Under the skin, every line fits its label, and its Arabic letters are drawn by a face the label
// asks for rather than by whatever face the system falls back on.
void TestForm2::creditLinesAreReadable()
{
    m_form->Show();
    const QList<platform::SkinLabel*> labels = m_form->findChildren<platform::SkinLabel*>();
    QCOMPARE(labels.size(), 8);
    for (const platform::SkinLabel* label : labels) {
        const QString text = label->text();
        QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width(),
                 qPrintable(label->objectName()));

        QString letters;
        for (const QChar c : text)
            if (c.script() == QChar::Script_Arabic)
                letters += c;
        if (letters.isEmpty())
            continue;
        QTextLayout layout(letters, label->font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        for (const QGlyphRun& run : layout.glyphRuns())
            QVERIFY2(label->font().families().contains(run.rawFont().familyName()),
                     qPrintable(label->objectName() + QStringLiteral(": ") + run.rawFont().familyName()));
    }
}

void TestForm2::loadAppliesTheSkin()
{
    QVERIFY(!m_form->property(platform::Skin::kSkinnedProperty).toBool());
    m_form->Show();
    QVERIFY(m_form->isLoaded());
    QVERIFY(m_form->property(platform::Skin::kSkinnedProperty).toBool());
    QCOMPARE(m_form->styleSheet(), control<platform::Skin>("Skin1")->styleSheet());
}

void TestForm2::portraitOpensTheAuthorsSite()
{
    support::RecordingShellExecute shell;
    m_form->Show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    auto* portrait = control<platform::PictureBox>("Pictuer1");
    QTest::mouseClick(portrait->client(), Qt::LeftButton, {}, portrait->client()->rect().center());

    QCOMPARE(shell.calls().size(), size_t(1));
    const support::ShellExecuteCall& call = shell.calls().front();
    QCOMPARE(call.hwnd, m_form->hWnd());
    QCOMPARE(call.verb.value_or("(null)"), QByteArray("open"));
    QCOMPARE(call.file.value_or("(null)"), QByteArray(AuthorSite));
    QVERIFY(!call.parameters && !call.directory);
    QCOMPARE(call.showCommand, 1);
    QVERIFY(m_form->isVisible());
}

void TestForm2::portraitOpensOnItsKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("opened");
    QTest::newRow("Space") << int(Qt::Key_Space) << 1;
    QTest::newRow("Return") << int(Qt::Key_Return) << 1;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 1;
    QTest::newRow("Tab moves on") << int(Qt::Key_Tab) << 0;
}

void TestForm2::portraitOpensOnItsKeys()
{
    QFETCH(int, key);
    QFETCH(int, opened);
    support::RecordingShellExecute shell;
    m_form->Show();
    QApplication::setActiveWindow(m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    auto* portrait = control<platform::PictureBox>("Pictuer1");
    QCOMPARE(QApplication::focusWidget(), portrait);

    QTest::keyClick(portrait, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(shell.calls().size(), size_t(opened));
    if (opened)
        QCOMPARE(shell.calls().front().file.value_or("(null)"), QByteArray(AuthorSite));
    QVERIFY(m_form->isVisible());
}

void TestForm2::escapeCloses()
{
    m_form->Show();
    QApplication::setActiveWindow(m_form);
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!m_form->isVisible());
    // Closing deletes it, as the title bar's close does.
    QTRY_VERIFY(!m_form);
}

void TestForm2::screenReaderReadsTheCredits()
{
    m_form->Show();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(m_form);
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(control<QGroupBox>("Frame2"));
    QStringList lines;
    for (int i = 0; i < frame->childCount(); ++i)
        lines << frame->child(i)->text(QAccessible::Name);
    QStringList topToBottom;
    for (int i = 1; i <= 8; ++i)
        topToBottom << m_form->findChild<platform::SkinLabel*>(QStringLiteral("SkinLabel%1").arg(i))->text();
    // The lines in reading order, in the frame's children and in the window's description.
    QCOMPARE(lines, topToBottom);
    QCOMPARE(window->text(QAccessible::Description), topToBottom.join(QLatin1Char('\n')));

    QAccessibleInterface* portrait = QAccessible::queryAccessibleInterface(control<QWidget>("Pictuer1"));
    QCOMPARE(portrait->text(QAccessible::Name), QStringLiteral("صورة المبرمج"));
    QCOMPARE(portrait->text(QAccessible::Description),
             QStringLiteral("حياك الله وبياك. يفتح موقع المبرمج في المتصفح"));
}

// Right to left is for what Qt lays out; the window's own places and pixels stay as they were.
void TestForm2::rightToLeftKeepsEveryPixel()
{
    m_form->Show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QCoreApplication::processEvents();
    const QImage leftToRight = m_form->grab().toImage();
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QCoreApplication::processEvents();
    const QImage rightToLeft = m_form->grab().toImage();
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QVERIFY(leftToRight == rightToLeft);
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
