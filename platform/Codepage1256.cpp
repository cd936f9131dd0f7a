#include "platform/Codepage1256.h"

#include "platform/PlatformError.h"

#include <QHash>
#include <array>

namespace platform {
namespace {

// The upper half of the code page; bytes 0x00 to 0x7F are ASCII.
constexpr std::array<char16_t, 128> kUpperHalf{
    0x20AC, 0x067E, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0679, 0x2039, 0x0152, 0x0686, 0x0698, 0x0688,
    0x06AF, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x06A9, 0x2122, 0x0691, 0x203A, 0x0153, 0x200C, 0x200D, 0x06BA,
    0x00A0, 0x060C, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x06BE, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x061B, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x061F,
    0x06C1, 0x0621, 0x0622, 0x0623, 0x0624, 0x0625, 0x0626, 0x0627,
    0x0628, 0x0629, 0x062A, 0x062B, 0x062C, 0x062D, 0x062E, 0x062F,
    0x0630, 0x0631, 0x0632, 0x0633, 0x0634, 0x0635, 0x0636, 0x00D7,
    0x0637, 0x0638, 0x0639, 0x063A, 0x0640, 0x0641, 0x0642, 0x0643,
    0x00E0, 0x0644, 0x00E2, 0x0645, 0x0646, 0x0647, 0x0648, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x0649, 0x064A, 0x00EE, 0x00EF,
    0x064B, 0x064C, 0x064D, 0x064E, 0x00F4, 0x064F, 0x0650, 0x00F7,
    0x0651, 0x00F9, 0x0652, 0x00FB, 0x00FC, 0x200E, 0x200F, 0x06D2,
};

const QHash<char16_t, char>& reverseTable()
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> reverse;
        for (int i = 0; i < 128; ++i)
            reverse.insert(kUpperHalf[size_t(i)], char(0x80 + i));
        return reverse;
    }();
    return table;
}

} // namespace

QByteArray toAnsi(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            bytes.append(char(unit));
            continue;
        }
        const auto it = reverseTable().constFind(unit);
        if (it == reverseTable().constEnd())
            throw PlatformError(QStringLiteral("تحويل النص «%1» إلى صفحة الرموز 1256").arg(text),
                                QStringLiteral("الحرف U+%1 في الموضع %2 لا مقابل له فيها")
                                    .arg(QString::number(unit, 16).toUpper().rightJustified(4, QLatin1Char('0')))
                                    .arg(i + 1));
        bytes.append(it.value());
    }
    return bytes;
}

QString fromAnsi(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.append(value < 0x80 ? QChar(value) : QChar(kUpperHalf[value - 0x80]));
    }
    return text;
}

QString fromAnsi(const char* text)
{
    return text ? fromAnsi(QByteArray(text)) : QString();
}

} // namespace platform
