#include "platform/Skin.h"

#include "platform/PlatformError.h"

#include <QFile>
#include <QWidget>

namespace platform {
namespace {

QString loadSkinData()
{
    // Every skin object holds the same skin; the style sheet is read once per process.
    static const QString data = [] {
        QFile file(QStringLiteral(":/skin/skin.qss"));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(file.readAll());
    }();
    return data;
}

QString hex(DispId id)
{
    return QStringLiteral("0x") + QString::number(quint32(id), 16).toUpper();
}

} // namespace

Skin::Skin(QObject* parent)
    : QObject(parent)
    , m_styleSheet(loadSkinData())
{
    setObjectName(QStringLiteral("Skin"));
}

Variant Skin::Invoke(DispId member, const VariantArgs& args)
{
    const QString call = QStringLiteral("استدعاء محرك الواجهات (المعرّف %1)").arg(hex(member));
    if (member != kApplySkin)
        throw PlatformError(call, QStringLiteral("المعرّف غير معروف"));
    if (args.size() != 1)
        throw PlatformError(call, QStringLiteral("عدد الوسائط %1، والمطلوب وسيط واحد").arg(args.size()));
    if (args.front().type() != VT_I4)
        throw PlatformError(call, QStringLiteral("نوع الوسيط %1، والمطلوب VT_I4").arg(int(args.front().type())));
    applySkin(args.front().toInt());
    return {};
}

void Skin::applySkin(HWND handle)
{
    QWidget* window = windowFromHandle(handle);
    if (!window)
        throw PlatformError(QStringLiteral("تطبيق الواجهة على النافذة %1").arg(handle),
                            QStringLiteral("لا توجد نافذة بهذا المقبض"));
    if (m_styleSheet.isEmpty())
        throw PlatformError(QStringLiteral("تطبيق الواجهة"), QStringLiteral("بيانات الواجهة مفقودة من البرنامج"));
    window->setProperty(kSkinnedProperty, true);
    // The style sheet reaches every control below the window, the ones made later included.
    window->setStyleSheet(m_styleSheet);
}

} // namespace platform
