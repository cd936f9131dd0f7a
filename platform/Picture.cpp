#include "platform/Picture.h"

#include "platform/PlatformError.h"
#include "platform/ScaledJpeg.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QString loadingFailed(const QString& path)
{
    return QStringLiteral("تحميل الصورة «%1»").arg(path);
}

// The reason a file cannot be reached or opened, in the user's language; the system's English text
// follows as detail for whoever reads it to a technician.
QString systemReason(int error)
{
    const QString english = QString::fromLocal8Bit(std::strerror(error));
    QString reason;
    switch (error) {
    case ENOENT: reason = QStringLiteral("الملف غير موجود"); break;
    case EACCES:
    case EPERM: reason = QStringLiteral("لا إذن بقراءة الملف أو بدخول مجلده"); break;
    case ELOOP: reason = QStringLiteral("الرابط الرمزي يدور في حلقة ولا يصل إلى ملف"); break;
    case ENOTDIR: reason = QStringLiteral("جزء من المسار ليس مجلدًا"); break;
    case ENAMETOOLONG: reason = QStringLiteral("المسار أطول مما يقبله النظام"); break;
    case EISDIR: reason = QStringLiteral("المسار مجلد لا ملف"); break;
    default: reason = QStringLiteral("تعذّر فتح الملف"); break;
    }
    return QStringLiteral("%1 (%2)").arg(reason, english);
}

// True when a file of a format with a closing marker lacks it: the file was cut short.
bool lacksItsEnd(const QByteArray& bytes, const QByteArray& format)
{
    if (format == "jpeg" || format == "jpg")
        return !bytes.endsWith(QByteArrayView("\xFF\xD9", 2));
    if (format == "png")
        return !bytes.endsWith(QByteArrayView("IEND\xAE\x42\x60\x82", 8));
    if (format == "gif")
        return !bytes.endsWith(';');
    return false;
}

// The decoder's complaint about the pixel data, sorted into a file cut short and one damaged.
QString dataReason(const QString& detail, const QByteArray& bytes, const QByteArray& format)
{
    const bool cut = lacksItsEnd(bytes, format) || detail.contains(QLatin1String("premature end"), Qt::CaseInsensitive);
    const QString reason = cut ? QStringLiteral("الملف مقطوع قبل نهاية بيانات الصورة")
                               : QStringLiteral("بيانات الصورة تالفة");
    return detail.isEmpty() ? reason : QStringLiteral("%1 (%2)").arg(reason, detail);
}

// The picture's data turned out larger or smaller than its header said; nothing sized by the header
// may be trusted with it.
QString mismatchReason(QSize decoded, QSize declared)
{
    return QStringLiteral("أبعاد الصورة في بياناتها %1×%2 تخالف أبعادها في ترويستها %3×%4")
        .arg(decoded.width())
        .arg(decoded.height())
        .arg(declared.width())
        .arg(declared.height());
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
    // stat() rather than QFileInfo: its errno tells a missing file from a symlink loop or a
    // directory on the way that may not be entered.
    const QByteArray nativePath = QFile::encodeName(path);
    struct stat status {};
    if (::stat(nativePath.constData(), &status) != 0)
        throw PlatformError(failed, systemReason(errno));
    if (S_ISDIR(status.st_mode))
        throw PlatformError(failed, QStringLiteral("المسار مجلد لا ملف"));
    if (!S_ISREG(status.st_mode))
        throw PlatformError(failed, QStringLiteral("المسار ليس ملفًا عاديًا (جهاز أو أنبوب أو مقبس)"));
    if (status.st_size > Picture::kMaxFileBytes)
        throw PlatformError(failed, QStringLiteral("الملف أكبر من أن يكون صورة درس (%1 بايت)").arg(status.st_size));

    const int handle = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        throw PlatformError(failed, systemReason(errno));
    QFile file;
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        throw PlatformError(failed, QStringLiteral("تعذّر فتح الملف (%1)").arg(file.errorString()));
    }
    Picture picture;
    picture.m_path = path;
    picture.m_bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PlatformError(failed, QStringLiteral("تعذّرت قراءة الملف من القرص (%1)").arg(file.errorString()));
    if (picture.m_bytes.isEmpty())
        throw PlatformError(failed, QStringLiteral("الملف فارغ"));

    QBuffer buffer(&picture.m_bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    picture.m_format = reader.format();
    if (picture.m_format.isEmpty())
        throw PlatformError(failed, QStringLiteral("الملف ليس صورة بصيغة معروفة"));
    // A picture stored sideways with an orientation tag is shown upright, at its upright size.
    reader.setAutoTransform(true);
    picture.m_quarterTurned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    picture.m_size = reader.size();
    if (!picture.m_size.isValid())
        throw PlatformError(failed, QStringLiteral("ترويسة الصورة ناقصة أو تالفة: الملف مقطوع أو فاسد قبل أن تُعرف أبعادها"));
    if (picture.m_size.isEmpty())
        throw PlatformError(failed, QStringLiteral("أبعاد الصورة %1×%2 لا تصلح لصورة")
                                        .arg(picture.m_size.width())
                                        .arg(picture.m_size.height()));
    if (picture.m_quarterTurned)
        picture.m_size.transpose();
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
            throw PlatformError(loadingFailed(m_path), dataReason(jpeg.problem, m_bytes, m_format));
    }
    QByteArray bytes = m_bytes; // shared, not copied
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, m_format);
    reader.setAutoTransform(true);
    if (size.isValid() && size != m_size)
        reader.setScaledSize(m_quarterTurned ? size.transposed() : size);

    DecoderWarnings warnings;
    QImage image = reader.read();
    if (image.isNull())
        throw PlatformError(loadingFailed(m_path), dataReason(reader.errorString(), m_bytes, m_format));
    if (!warnings.first().isEmpty())
        throw PlatformError(loadingFailed(m_path), dataReason(warnings.first(), m_bytes, m_format));
    // A GIF's first frame may name one size and its screen, which the decoder yields, another.
    if (image.size() != (size.isValid() ? size : m_size))
        throw PlatformError(loadingFailed(m_path), mismatchReason(image.size(), m_size));
    return image;
}

} // namespace platform
