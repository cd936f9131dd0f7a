#include "platform/SkinLabel.h"

#include <QStyle>

namespace platform {

SkinLabel::SkinLabel(QWidget* parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void SkinLabel::setTitle(bool title)
{
    m_title = title;
    // Style sheet rules on [title="true"] are resolved when the widget is polished.
    style()->unpolish(this);
    style()->polish(this);
}

} // namespace platform
