#include "platform/ArabicConventions.h"
#include "platform/Runtime.h"
#include "platform/UnhandledErrors.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// Qt's texts in Arabic, left-to-right runs kept whole, and the two message boxes the platform shows.
class TestArabicConventions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void isolates_data();
    void isolates();
    void errorBox();
    void farewellBoxShowsItsWholeTitle();

private:
    // Runs SHOW, which opens a modal box, and hands the box to INSPECT before closing it by its button.
    void inspectModalBox(const std::function<void()>& show, const std::function<void(QMessageBox&)>& inspect);
};

namespace {
const QString LRI(QChar(0x2066));
const QString FSI(QChar(0x2068));
const QString PDI(QChar(0x2069));

// Qt's own Arabic for the OK button, as its translations give it.
QString qtArabicOk()
{
    const QString ok = QCoreApplication::translate("QPlatformTheme", "OK");
    return ok.isRightToLeft() ? ok : QStringLiteral("(Qt's OK is not translated: %1)").arg(ok);
}
} // namespace

void TestArabicConventions::initTestCase()
{
    QVERIFY2(platform::installArabicConventions(), "Qt's Arabic translations are not installed (qt6-translations-l10n)");
    QCOMPARE(QApplication::layoutDirection(), Qt::RightToLeft);
}

void TestArabicConventions::isolates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("path in quotes") << "تحميل الصورة «/tmp/x/D.jpg»" << "تحميل الصورة «" + FSI + "/tmp/x/D.jpg" + PDI + "»";
    QTest::newRow("Arabic folder in quotes")
        << "تحميل الصورة «/home/دروس/D.jpg»" << "تحميل الصورة «" + FSI + "/home/دروس/D.jpg" + PDI + "»";
    QTest::newRow("Latin words after a colon")
        << "تعذّرت قراءة الملف: Permission denied" << "تعذّرت قراءة الملف: " + LRI + "Permission denied" + PDI;
    QTest::newRow("identifier in brackets")
        << "استدعاء محرك الواجهات (المعرّف 0x60020006)" << "استدعاء محرك الواجهات (المعرّف " + LRI + "0x60020006" + PDI + ")";
    QTest::newRow("sentence full stop stays outside")
        << "والمطلوب VT_I4.\nالسبب" << "والمطلوب " + LRI + "VT_I4" + PDI + ".\nالسبب";
    QTest::newRow("dates and digits untouched") << "انتاج: 1/صفر/1429هج" << "انتاج: 1/صفر/1429هج";
    QTest::newRow("plain Arabic untouched") << "زنكلوني يتمنى لكم الفائدة" << "زنكلوني يتمنى لكم الفائدة";
    QTest::newRow("unclosed quote") << "الملف «/tmp/x" << "الملف «" + LRI + "/tmp/x" + PDI;
}

void TestArabicConventions::isolates()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(platform::isolateLeftToRight(text), shown);
}

void TestArabicConventions::inspectModalBox(const std::function<void()>& show,
                                            const std::function<void(QMessageBox&)>& inspect)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = true;
        inspect(*box);
        box->button(QMessageBox::Ok)->click();
    });
    show();
    QVERIFY2(seen, "no modal message box showed");
}

void TestArabicConventions::errorBox()
{
    const QString path = QStringLiteral("/home/parent/Desktop/tarbalun-lessons/pictures/D.jpg");
    const platform::PlatformError error(QStringLiteral("تحميل الصورة «%1»").arg(path), QStringLiteral("الملف غير موجود"));
    QString text, detail, okText, title;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    bool detailLinesWhole = false;
    inspectModalBox([&] { platform::reportUnhandledError(error); },
                    [&](QMessageBox& box) {
                        text = box.text();
                        detail = box.informativeText();
                        okText = box.button(QMessageBox::Ok)->text();
                        title = box.windowTitle();
                        direction = box.layoutDirection();
                        // Each line of the detail fits its label: a path is not broken over two lines.
                        for (QLabel* label : box.findChildren<QLabel*>())
                            if (label->text() == detail) {
                                int longest = 0;
                                for (const QString& line : detail.split(QLatin1Char('\n')))
                                    longest = qMax(longest, label->fontMetrics().horizontalAdvance(line));
                                detailLinesWhole = label->contentsRect().width() >= longest;
                            }
                    });
    // A plain sentence first, then what failed, on which file, and why, with the path kept whole.
    QVERIFY(!text.contains(QLatin1Char('/')));
    QVERIFY(text.endsWith(QLatin1Char('.')));
    QCOMPARE(detail, "التفاصيل: تعذّر تحميل الصورة «" + FSI + path + PDI + "».\nالسبب: الملف غير موجود");
    QVERIFY(detailLinesWhole);
    QCOMPARE(okText, qtArabicOk());
    QCOMPARE(direction, Qt::RightToLeft);
}

void TestArabicConventions::farewellBoxShowsItsWholeTitle()
{
    const QString title = QStringLiteral("مكتبة زنكلوني للمعلومات الدينية");
    int width = 0;
    QString okText;
    inspectModalBox([&] { platform::MsgBox(QStringLiteral("زنكلوني يتمنى لكم الفائدة ويسألكم الدعاء"), platform::vbOKOnly, title); },
                    [&](QMessageBox& box) {
                        width = box.width();
                        okText = box.button(QMessageBox::Ok)->text();
                    });
    QVERIFY2(width >= platform::widthForTitle(title), qPrintable(QString::number(width)));
    QVERIFY(platform::widthForTitle(title) > QFontMetrics(QApplication::font()).horizontalAdvance(title));
    QCOMPARE(okText, qtArabicOk());
}

QTEST_MAIN(TestArabicConventions)
#include "tst_arabicconventions.moc"
