#include "platform/ImageView.h"
#include "support/Fixtures.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

class TestImageView : public QObject {
    Q_OBJECT

private slots:
    void onlyACoveringPictureHidesWhatLiesBeneath_data();
    void onlyACoveringPictureHidesWhatLiesBeneath();
};

// Repainting the view repaints the widgets beneath it only where they can show through: around a
// picture smaller than the view, or through a transparent one. A picture that covers the view is
// repainted alone.
void TestImageView::onlyACoveringPictureHidesWhatLiesBeneath_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("stretch");
    QTest::addColumn<QSize>("viewSize");
    QTest::addColumn<bool>("beneathRepainted");

    const QByteArray jpeg = support::encodeJpeg(support::quadrantImage({120, 80}));
    QImage translucent(120, 80, QImage::Format_ARGB32);
    translucent.fill(QColor(200, 40, 40, 90));
    const QByteArray png = support::encodePng(translucent);

    QTest::newRow("opaque, stretched over the view") << jpeg << true << QSize(60, 50) << false;
    QTest::newRow("opaque, unstretched, larger than the view") << jpeg << false << QSize(60, 50) << false;
    QTest::newRow("opaque, unstretched, smaller than the view") << jpeg << false << QSize(200, 150) << true;
    QTest::newRow("translucent, stretched over the view") << png << true << QSize(60, 50) << true;
}

void TestImageView::onlyACoveringPictureHidesWhatLiesBeneath()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, stretch);
    QFETCH(QSize, viewSize);
    QFETCH(bool, beneathRepainted);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("picture"));
    QVERIFY(support::writeFile(path, file));

    QWidget window;
    window.resize(300, 200);
    auto* view = new platform::ImageView(&window);
    view->setStretch(stretch);
    view->setPicture(platform::LoadPicture(path));
    // An unstretched view takes its picture's size; a view sized otherwise afterwards keeps its size.
    view->resize(viewSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    PaintCounter windowPaints(&window);
    PaintCounter viewPaints(view);
    view->update();
    QVERIFY(QTest::qWaitFor([&] { return viewPaints.count > 0; }));
    QCoreApplication::processEvents();

    QCOMPARE(windowPaints.count > 0, beneathRepainted);
    QCOMPARE(view->testAttribute(Qt::WA_OpaquePaintEvent), !beneathRepainted);
}

QTEST_MAIN(TestImageView)
#include "tst_imageview.moc"
