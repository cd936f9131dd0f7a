#pragma once

// The skin engine's invisible skin object. A window holds one; it carries the skin (a style sheet
// with its bitmaps, compiled into the program) and is called by late binding: a dispatch
// identifier and a list of variant arguments, checked at the call.
// It knows nothing of the windows it skins beyond the handle it is given.

#include "platform/Handles.h"
#include "platform/Variant.h"

#include <QObject>
#include <QString>

namespace platform {

class Skin : public QObject {
    Q_OBJECT
public:
    // ApplySkin(hWnd As Long): draws that window and all its controls with the skin.
    static constexpr DispId kApplySkin = DispId(0x60020006);

    explicit Skin(QObject* parent = nullptr);

    // Raises PlatformError for an unknown identifier, a wrong argument count or type, or a handle
    // that names no window. The result of ApplySkin is empty.
    Variant Invoke(DispId member, const VariantArgs& args);

    const QString& styleSheet() const { return m_styleSheet; }

    // The property a skinned window carries; tests and the skin's own rules read it.
    static constexpr const char* kSkinnedProperty = "skinned";

private:
    void applySkin(HWND window);

    QString m_styleSheet;
};

} // namespace platform
