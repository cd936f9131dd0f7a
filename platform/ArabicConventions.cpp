#include "platform/ArabicConventions.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QTranslator>

namespace platform {
namespace {

constexpr QChar kLeftToRightIsolate(0x2066);
constexpr QChar kFirstStrongIsolate(0x2068);
constexpr QChar kPopDirectionalIsolate(0x2069);

bool isStrongRightToLeft(QChar c)
{
    return c.direction() == QChar::DirR || c.direction() == QChar::DirAL;
}

bool isStrongLeftToRight(QChar c)
{
    return c.direction() == QChar::DirL;
}

// A run may start with a path's first character but not with the punctuation that joins it to
// the sentence, and it ends before the sentence's own punctuation.
bool mayStartRun(QChar c)
{
    return isStrongLeftToRight(c) || c.isDigit() || QStringLiteral("/\\~._-").contains(c);
}

bool mayEndRun(QChar c)
{
    return isStrongLeftToRight(c) || c.isDigit() || QStringLiteral("/\\_-").contains(c);
}

QString isolateRuns(const QString& text)
{
    QString result;
    qsizetype i = 0;
    while (i < text.size()) {
        // A run: no strong right-to-left character and no line break, at least one Latin letter.
        qsizetype end = i;
        while (end < text.size() && !isStrongRightToLeft(text[end]) && text[end] != QLatin1Char('\n'))
            ++end;
        qsizetype first = i;
        while (first < end && !mayStartRun(text[first]))
            ++first;
        qsizetype last = end;
        while (last > first && !mayEndRun(text[last - 1]))
            --last;
        const QStringView run = QStringView(text).mid(first, last - first);
        if (std::any_of(run.begin(), run.end(), isStrongLeftToRight)) {
            result += QStringView(text).mid(i, first - i);
            result += kLeftToRightIsolate + run.toString() + kPopDirectionalIsolate;
            result += QStringView(text).mid(last, end - last);
        } else {
            result += QStringView(text).mid(i, end - i);
        }
        // The right-to-left stretch (or line break) up to the next run.
        i = end;
        while (i < text.size() && (isStrongRightToLeft(text[i]) || text[i] == QLatin1Char('\n')))
            result += text[i++];
    }
    return result;
}

} // namespace

bool installArabicConventions()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    // qtbase alone holds the standard buttons and dialogs; the catalogue of all modules costs more
    // to load at start.
    auto* translator = new QTranslator(qApp);
    if (!translator->load(QLocale(QLocale::Arabic), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

QString isolateLeftToRight(const QString& text)
{
    QString result;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QChar(0x00AB), i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QChar(0x00BB), open + 1);
        if (close < 0) {
            result += isolateRuns(text.mid(i));
            break;
        }
        result += isolateRuns(text.mid(i, open + 1 - i));
        result += kFirstStrongIsolate + text.mid(open + 1, close - open - 1) + kPopDirectionalIsolate;
        result += QChar(0x00BB);
        i = close + 1;
    }
    return result;
}

int widthForTitle(const QString& title)
{
    // Window managers draw titles in a bold face of about the desktop's size, beside an icon and
    // two or three buttons; this leaves room for all of them.
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() + 1);
    constexpr int kTitleBarExtras = 140;
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarExtras;
}

void prepareArabicMessageBox(QMessageBox& box)
{
    box.setLayoutDirection(Qt::RightToLeft);
    box.setTextFormat(Qt::PlainText);
    // A message box sizes itself to its texts and buttons only, and wraps lines past about 500
    // pixels: a path broken over two lines is hard to read back. A spacer across its grid makes it
    // as wide as its title and its detail's longest line need, up to the screen's width.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    int width = widthForTitle(box.windowTitle());
    const QFontMetrics metrics(box.font());
    constexpr int kIconAndMargins = 100;
    for (const QString& line : box.informativeText().split(QLatin1Char('\n')))
        width = qMax(width, metrics.horizontalAdvance(line) + kIconAndMargins);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        width = qMin(width, screen->availableGeometry().width() * 9 / 10);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace platform
