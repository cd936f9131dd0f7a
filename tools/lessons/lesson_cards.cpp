// Paints the 26 letter cards (A.jpg ... Z.jpg) and the portrait (portrait.png, and portrait@2x.png).
//
//   lesson_cards WORDS.tsv LETTERS_DIR PORTRAIT.png
//
// WORDS.tsv holds one line per letter: letter, spoken letter, English word, Arabic word, emoji.
// Qt paints here rather than ImageMagick because only Qt draws Noto Color Emoji in colour and
// shapes the Arabic words. Every input is fixed (fonts by exact family, sizes, colours, JPEG
// quality), so two runs write the same bytes.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QStringList>
#include <QTextStream>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

constexpr int CardWidth = 1074;
constexpr int CardHeight = 674;
constexpr int PortraitWidth = 100;
constexpr int PortraitHeight = 150;
// Keeps each card near 50 KB while the letter and word edges stay clean.
constexpr int JpegQuality = 80;
// Noto Color Emoji carries bitmaps at this one size only; any other size is a scaled copy.
constexpr int EmojiBitmapPixels = 109;

const QString LatinFamily = QStringLiteral("Liberation Sans");
const QString ArabicFamily = QStringLiteral("Noto Naskh Arabic");
const QString EmojiFamily = QStringLiteral("Noto Color Emoji");

struct Lesson {
    QString letter;
    QString english;
    QString arabic;
    QString emoji;
};

// Each letter's paper and ink hues (degrees). Neighbours differ so that paging through the cards
// feels lively; pale yellow papers take a contrasting ink, because dark yellow turns muddy.
struct Hues {
    int paper;
    int ink;
};
constexpr Hues LetterHues[26] = {
    {0, 0},     {28, 24},   {50, 225},  {140, 140}, {195, 200}, {220, 220}, {275, 275},
    {330, 330}, {15, 12},   {95, 120},  {170, 172}, {350, 345}, {240, 240}, {30, 20},
    {22, 22},   {80, 110},  {300, 300}, {205, 205}, {52, 10},   {125, 125}, {260, 260},
    {8, 8},     {155, 155}, {210, 212}, {44, 280},  {185, 190}};

[[noreturn]] void fail(const QString &message) { throw std::runtime_error(message.toStdString()); }

std::vector<Lesson> readLessons(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QStringLiteral("cannot read %1").arg(path));
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    std::vector<Lesson> lessons;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 5)
            fail(QStringLiteral("%1: expected 5 tab-separated fields in \"%2\"").arg(path, line));
        lessons.push_back({fields[0], fields[2], fields[3], fields[4]});
    }
    if (lessons.size() != 26)
        fail(QStringLiteral("%1: expected 26 letters, found %2").arg(path).arg(lessons.size()));
    for (int i = 0; i < 26; ++i) {
        if (lessons[i].letter != QChar(u'A' + i))
            fail(QStringLiteral("%1: line %2 is for \"%3\", expected %4")
                     .arg(path)
                     .arg(i + 1)
                     .arg(lessons[i].letter)
                     .arg(QChar(u'A' + i)));
    }
    return lessons;
}

// A missing family would silently fall back to another font and change every card.
QFont exactFont(const QString &family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontInfo info(font);
    if (info.family() != family)
        fail(QStringLiteral("font \"%1\" is not installed (got \"%2\")").arg(family, info.family()));
    return font;
}

// Draws the emoji at its native bitmap size and crops it to its visible pixels. A glyph the font
// lacks shows up as nothing or as a hollow box, so both are refused.
QImage emojiBitmap(const QString &emoji) {
    QFont font = exactFont(EmojiFamily, EmojiBitmapPixels, false);
    font.setStyleStrategy(QFont::NoFontMerging);
    const QFontMetricsF metrics(font);
    for (const char32_t codePoint : emoji.toUcs4()) {
        if (codePoint != 0x200D && codePoint != 0xFE0F && !metrics.inFontUcs4(codePoint))
            fail(QStringLiteral("%1 has no glyph for U+%2")
                     .arg(EmojiFamily)
                     .arg(uint(codePoint), 4, 16, QChar(u'0')));
    }

    QImage canvas(4 * EmojiBitmapPixels, 3 * EmojiBitmapPixels, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.drawText(canvas.rect(), Qt::AlignCenter, emoji);
    }

    int left = canvas.width(), top = canvas.height(), right = -1, bottom = -1;
    int opaque = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            if (qAlpha(row[x]) < 16)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            ++opaque;
        }
    }
    if (right < 0 || opaque * 4 < (right - left + 1) * (bottom - top + 1))
        fail(QStringLiteral("\"%1\" does not draw as an emoji picture").arg(emoji));
    return canvas.copy(left, top, right - left + 1, bottom - top + 1);
}

void drawEmoji(QPainter &painter, const QString &emoji, const QRectF &box) {
    const QImage bitmap = emojiBitmap(emoji);
    const QSizeF size = QSizeF(bitmap.size()).scaled(box.size(), Qt::KeepAspectRatio);
    const QRectF target(box.center().x() - size.width() / 2, box.center().y() - size.height() / 2,
                        size.width(), size.height());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, bitmap);
    painter.restore();
}

// Shrinks the font until the text fits the width, so long words never spill over the card.
QFont fittedFont(const QString &family, int pixelSize, const QString &text, qreal width) {
    QFont font = exactFont(family, pixelSize, true);
    while (QFontMetricsF(font).horizontalAdvance(text) > width && font.pixelSize() > 24)
        font.setPixelSize(font.pixelSize() - 2);
    return font;
}

QColor paperColour(int hue) { return QColor::fromHslF(hue / 360.0f, 0.85f, 0.87f); }

// WCAG 2 relative luminance and contrast ratio.
double luminance(QRgb colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) + 0.0722 * linear(qBlue(colour));
}

double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The big letter stands on the letter tile: white at this alpha over the card's wash, which runs
// from paper.lighter(WashLighter) to paper.
constexpr int TileAlpha = 120;
constexpr int WashLighter = 108;

QColor panelColour(const QColor &paper) {
    const QColor light = paper.lighter(WashLighter);
    const auto over = [](int channel) { return channel + (255 - channel) * TileAlpha / 255; };
    return QColor(over(light.red()), over(light.green()), over(light.blue()));
}

// WCAG's least contrast for large text; the ink aims a little above it, so that the rounding of
// the painted panel cannot bring a letter below.
constexpr double LetterContrast = 3.0;
constexpr double InkContrastAim = 3.05;

// Greens look lighter than reds at the same lightness, so they are darkened to read as well; an
// ink that still stands too light on its panel (greens, cyans) is darkened until it reads.
QColor inkColour(int hue, const QColor &panel) {
    const bool green = hue >= 70 && hue <= 180;
    float lightness = green ? 0.37f : 0.46f;
    QColor ink = QColor::fromHslF(hue / 360.0f, 0.8f, lightness);
    while (contrast(ink.rgb(), panel.rgb()) < InkContrastAim && lightness > 0.2f) {
        lightness -= 0.01f;
        ink = QColor::fromHslF(hue / 360.0f, 0.8f, lightness);
    }
    return ink;
}

const QColor Ink(38, 42, 64);

// The big letter's shape and, around it, the white halo that sets it off from the tile. Every
// letter gets the same cap height, except that wide ones (M, W) shrink to stay in their tile.
struct LetterShape {
    QPainterPath path;
    QPainterPath halo;
};
constexpr QPointF ShadowOffset(6, 8);

LetterShape letterShape(const QString &letter, const QRectF &box) {
    const QFont font = exactFont(LatinFamily, 500, true);
    QPainterPath path;
    path.addText(0, 0, font, letter);
    constexpr qreal Outline = 22;
    const qreal room = box.width() - 2 * Outline - 16;
    const qreal width = path.boundingRect().width();
    if (width > room)
        path = QTransform::fromScale(room / width, room / width).map(path);
    path.translate(box.center() - path.boundingRect().center());

    QPainterPathStroker stroker;
    stroker.setWidth(Outline);
    stroker.setJoinStyle(Qt::RoundJoin);
    return {path, stroker.createStroke(path).united(path)};
}

void drawLetter(QPainter &painter, const LetterShape &shape, const QColor &colour) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 45));
    painter.drawPath(shape.halo.translated(ShadowOffset));
    painter.setBrush(Qt::white);
    painter.drawPath(shape.halo);
    painter.setBrush(colour);
    painter.drawPath(shape.path);
    painter.restore();
}

// The contrast of the letter's ink against the lightest pixel of the tile it stands on, as painted:
// the tile without its rounded edge, the halo and the shadow.
double letterContrast(const QImage &card, const QRectF &tile, qreal radius, const LetterShape &shape,
                      const QColor &ink) {
    QImage mask(card.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(tile.adjusted(2, 2, -2, -2), radius, radius);
        painter.setBrush(Qt::black);
        painter.setPen(QPen(Qt::black, 4));
        painter.drawPath(shape.halo);
        painter.drawPath(shape.halo.translated(ShadowOffset));
    }
    double lightest = -1;
    QRgb panel = 0;
    for (int y = 0; y < card.height(); ++y) {
        const auto *inside = mask.constScanLine(y);
        const auto *row = reinterpret_cast<const QRgb *>(card.constScanLine(y));
        for (int x = 0; x < card.width(); ++x) {
            if (inside[x] == 255 && luminance(row[x]) > lightest) {
                lightest = luminance(row[x]);
                panel = row[x];
            }
        }
    }
    if (lightest < 0)
        fail(QStringLiteral("the letter tile shows no panel"));
    return contrast(ink.rgb(), panel);
}

// The English word with its first letter in the card's colour, to tie it to the big letter.
void drawEnglishWord(QPainter &painter, const QString &word, const QRectF &box, const QColor &colour) {
    const QFont font = fittedFont(LatinFamily, 86, word, box.width());
    const QFontMetricsF metrics(font);
    const QString head = word.left(1);
    const QString tail = word.mid(1);
    const qreal total = metrics.horizontalAdvance(word);
    const qreal x = box.center().x() - total / 2;
    const qreal baseline = box.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPointF(x, baseline), head);
    painter.setPen(Ink);
    painter.drawText(QPointF(x + metrics.horizontalAdvance(head), baseline), tail);
    painter.restore();
}

void drawArabicWord(QPainter &painter, const QString &word, const QRectF &box) {
    painter.save();
    painter.setFont(fittedFont(ArabicFamily, 80, word, box.width()));
    painter.setPen(Ink);
    QTextOption option(Qt::AlignCenter);
    option.setTextDirection(Qt::RightToLeft);
    painter.drawText(box, word, option);
    painter.restore();
}

QImage paintCard(const Lesson &lesson, Hues hues) {
    const QColor paper = paperColour(hues.paper);
    const QColor strong = inkColour(hues.ink, panelColour(paper));

    QImage image(CardWidth, CardHeight, QImage::Format_RGB32);
    image.fill(paper.darker(108));
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    const QRectF card = QRectF(image.rect()).adjusted(14, 14, -14, -14);
    QLinearGradient wash(card.topLeft(), card.bottomRight());
    wash.setColorAt(0, paper.lighter(WashLighter));
    wash.setColorAt(1, paper);
    painter.setPen(QPen(strong, 10));
    painter.setBrush(wash);
    painter.drawRoundedRect(card, 56, 56);

    const QRectF letterTile(48, 48, 400, CardHeight - 96);
    constexpr qreal TileRadius = 40;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, TileAlpha));
    painter.drawRoundedRect(letterTile, TileRadius, TileRadius);
    const LetterShape letter = letterShape(lesson.letter, letterTile);
    drawLetter(painter, letter, strong);

    const double letterReads = letterContrast(image, letterTile, TileRadius, letter, strong);
    std::printf("%s  letter contrast %.2f:1\n", qPrintable(lesson.letter), letterReads);
    if (letterReads < LetterContrast)
        fail(QStringLiteral("%1.jpg: the big letter stands at %2:1 against its panel, below %3:1")
                 .arg(lesson.letter)
                 .arg(letterReads, 0, 'f', 2)
                 .arg(LetterContrast, 0, 'f', 1));

    const qreal columnLeft = 470, columnRight = CardWidth - 44;
    const qreal centreX = (columnLeft + columnRight) / 2;
    const QPointF plateCentre(centreX, 222);
    QRadialGradient plate(plateCentre, 172);
    plate.setColorAt(0, QColor(255, 255, 255, 235));
    plate.setColorAt(0.8, QColor(255, 255, 255, 200));
    plate.setColorAt(1, QColor(255, 255, 255, 150));
    painter.setBrush(plate);
    painter.setPen(QPen(QColor(strong.red(), strong.green(), strong.blue(), 90), 6));
    painter.drawEllipse(plateCentre, 172, 172);
    drawEmoji(painter, lesson.emoji, QRectF(plateCentre.x() - 125, plateCentre.y() - 125, 250, 250));

    const qreal textWidth = columnRight - columnLeft - 20;
    drawEnglishWord(painter, lesson.english, QRectF(centreX - textWidth / 2, 402, textWidth, 100), strong);
    drawArabicWord(painter, lesson.arabic, QRectF(centreX - textWidth / 2, 500, textWidth, 128));
    return image;
}

// A friendly drawn teacher, not a photograph: the teacher emoji on a warm gradient. Scale 2 paints
// the same drawing with twice the pixels, for screens of twice the density.
QImage paintPortrait(int scale = 1) {
    QImage image(PortraitWidth * scale, PortraitHeight * scale, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    const QRectF frame(0, 0, PortraitWidth, PortraitHeight);

    QLinearGradient warm(0, 0, 0, PortraitHeight);
    warm.setColorAt(0, QColor(0xFF, 0xE9, 0xB8));
    warm.setColorAt(1, QColor(0xF4, 0xA2, 0x61));
    painter.fillRect(frame, warm);

    QRadialGradient glow(QPointF(50, 70), 48);
    glow.setColorAt(0, QColor(255, 255, 255, 190));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(50, 70), 48, 48);

    drawEmoji(painter, QStringLiteral("🧑‍🏫"), QRectF(8, 28, 84, 84));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 210), 3));
    painter.drawRoundedRect(frame.adjusted(3.5, 3.5, -3.5, -3.5), 14, 14);
    painter.setPen(QPen(QColor(0xC8, 0x6A, 0x2E), 1.5));
    painter.drawRoundedRect(frame.adjusted(1, 1, -1, -1), 16, 16);
    painter.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

void save(const QImage &image, const QString &path, const QByteArray &format) {
    QImageWriter writer(path, format);
    if (format == "jpeg") {
        writer.setQuality(JpegQuality);
        writer.setOptimizedWrite(false);
        writer.setProgressiveScanWrite(false);
    }
    if (!writer.write(image))
        fail(QStringLiteral("cannot write %1: %2").arg(path, writer.errorString()));
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 5) {
        std::fprintf(stderr, "usage: lesson_cards WORDS.tsv LETTERS_DIR PORTRAIT.png [PORTRAIT@2x.png]\n");
        return 2;
    }
    try {
        const std::vector<Lesson> lessons = readLessons(args[1]);
        const QDir letters(args[2]);
        if (!letters.exists())
            fail(QStringLiteral("no directory %1").arg(args[2]));
        for (int i = 0; i < 26; ++i)
            save(paintCard(lessons[i], LetterHues[i]), letters.filePath(lessons[i].letter + ".jpg"), "jpeg");
        save(paintPortrait(), args[3], "png");
        if (args.size() == 5)
            save(paintPortrait(2), args[4], "png");
    } catch (const std::exception &error) {
        std::fprintf(stderr, "lesson_cards: %s\n", error.what());
        return 1;
    }
    return 0;
}
