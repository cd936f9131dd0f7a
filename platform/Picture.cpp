#include "platform/Picture.h"

#include "platform/PlatformError.h"
#include "platform/ScaledJpeg.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>

namespace platform {
namespace {

QString loadingFailed(const QString& path)
{
    return QStringLiteral("تحميل الصورة «%1»").arg(path);
}

// The JPEG decoder reports corrupt or truncated data only as warnings and still hands back an
// image; these warnings are collected while a picture decodes and turn into an error.
class DecoderWarnings {
public:
    DecoderWarnings() { s_current = this; s_previous = qInstallMessageHandler(&DecoderWarnings::handle); }
    ~DecoderWarnings() { qInstallMessageHandler(s_previous); s_current = nullptr; }
    DecoderWarnings(const DecoderWarnings&) = delete;
    DecoderWarnings& operator=(const DecoderWarnings&) = delete;

    const QString& first() const { return m_first; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        const bool fromImageIo = context.category && qstrncmp(context.category, "qt.gui.imageio", 14) == 0;
        if (s_current && type == QtWarningMsg && fromImageIo) {
            if (s_current->m_first.isEmpty())
                s_current->m_first = message;
            return;
        }
        if (s_previous)
            s_previous(type, context, message);
    }

    QString m_first;
    static inline DecoderWarnings* s_current = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

Picture LoadPicture(const QString& path)
{
    const QString failed = loadingFailed(path);
    const QFileInfo info(path);
    if (!info.exists())
        throw PlatformError(failed, QStringLiteral("الملف غير موجود"));
    if (!info.isFile())
        throw PlatformError(failed, QStringLiteral("المسار ليس ملفًا"));
    if (info.size() > Picture::kMaxFileBytes)
        throw PlatformError(failed, QStringLiteral("الملف أكبر من أن يكون صورة درس (%1 بايت)").arg(info.size()));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(failed, QStringLiteral("تعذّرت قراءة الملف: %1").arg(file.errorString()));
    Picture picture;
    picture.m_path = path;
    picture.m_bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PlatformError(failed, QStringLiteral("تعذّرت قراءة الملف: %1").arg(file.errorString()));
    if (picture.m_bytes.isEmpty())
        throw PlatformError(failed, QStringLiteral("الملف فارغ"));

    QBuffer buffer(&picture.m_bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    picture.m_format = reader.format();
    if (picture.m_format.isEmpty())
        throw PlatformError(failed, QStringLiteral("الملف ليس صورة معروفة"));
    picture.m_size = reader.size();
    if (!picture.m_size.isValid() || picture.m_size.isEmpty())
        throw PlatformError(failed, QStringLiteral("أبعاد الصورة غير صالحة"));
    if (qint64(picture.m_size.width()) * picture.m_size.height() > Picture::kMaxPixels)
        throw PlatformError(failed, QStringLiteral("أبعاد الصورة %1×%2 أكبر مما تحتمله الذاكرة")
                                        .arg(picture.m_size.width())
                                        .arg(picture.m_size.height()));
    return picture;
}

QImage Picture::decode(QSize size) const
{
    if (isNull())
        return {};
    // A JPEG decodes straight at the size it is shown at, through libjpeg's own scaling.
    if (m_format == "jpeg") {
        const ScaledJpeg jpeg = decodeScaledJpeg(m_bytes, size.isValid() && !size.isEmpty() ? size : m_size);
        if (jpeg.outcome == ScaledJpeg::Outcome::Decoded)
            return jpeg.image;
        if (jpeg.outcome == ScaledJpeg::Outcome::Corrupt)
            throw PlatformError(loadingFailed(m_path), QStringLiteral("بيانات الصورة تالفة أو ناقصة: %1").arg(jpeg.problem));
    }
    QByteArray bytes = m_bytes; // shared, not copied
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, m_format);
    if (size.isValid() && size != m_size)
        reader.setScaledSize(size);

    DecoderWarnings warnings;
    QImage image = reader.read();
    if (image.isNull())
        throw PlatformError(loadingFailed(m_path), QStringLiteral("بيانات الصورة تالفة: %1").arg(reader.errorString()));
    if (!warnings.first().isEmpty())
        throw PlatformError(loadingFailed(m_path), QStringLiteral("بيانات الصورة تالفة أو ناقصة: %1").arg(warnings.first()));
    return image;
}

} // namespace platform
