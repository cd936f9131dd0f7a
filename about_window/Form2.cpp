#include "about_window/Form2.h"

#include "Sites.h"
#include "assets/ApplicationIcon.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/Skin.h"
#include "platform/SkinLabel.h"
#include "platform/Twips.h"
#include "platform/UnhandledErrors.h"
#include "system_services/OpenSite.h"

#include <QColor>
#include <QFont>
#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPixmap>
#include <array>

using platform::twipsRect;

namespace {

struct CreditLine {
    const char* name;
    int left;
    int top;
    int width;
    int tabIndex;
    bool title;
    const char* text;
};

constexpr int kCreditLineHeight = 255;

// Top to bottom. Lines 3, 4 and 8 are the author's own: name, town and country, e-mail address.
constexpr std::array<CreditLine, 8> kCredits{{
    {"SkinLabel1", 120, 240, 1815, 9, true, "طربلون"},
    {"SkinLabel2", 600, 600, 975, 8, false, "برمجة وإعداد"},
    {"SkinLabel3", 360, 840, 1575, 7, false, "عبدالله الزنكلوني"},
    {"SkinLabel4", 480, 1080, 1215, 6, false, "سترة - البحرين"},
    {"SkinLabel5", 240, 1320, 1695, 5, false, "انتاج: 1/صفر/1429هج"},
    {"SkinLabel6", 120, 1560, 1815, 4, false, "الموافق:8/فبراير/2008م"},
    {"SkinLabel7", 120, 1920, 1815, 3, false, "راسلنا على العنوان التالي"},
    {"SkinLabel8", 120, 2160, 1815, 2, false, "az@zankaloni.example"},
}};

// The tab indexes run from the bottom line up; the lines are created in that order so that Qt's
// focus chain, which follows creation, follows the tab indexes.
constexpr bool tabIndexesRunUpward()
{
    for (size_t i = 1; i < kCredits.size(); ++i)
        if (kCredits[i].tabIndex != kCredits[i - 1].tabIndex - 1)
            return false;
    return true;
}
static_assert(tabIndexesRunUpward());

// &H00004000&: the bytes are blue, green, red.
constexpr QRgb kFrame2ForeColor = qRgb(0x00, 0x40, 0x00);

QFont creditFont()
{
    // The lines ask for "MS Sans Serif" in the Arabic character set. Where that face stands in
    // for a font without Arabic glyphs, the Arabic face next in the list serves the Arabic text.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Noto Sans Arabic")});
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

Form2::Form2(QWidget* parent)
    : Form({.minimizeBox = false, .maximizeBox = false}, parent)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("حول البرنامج"));
    setWindowIcon(applicationIcon());
    setClientSizeTwips(3930, 2520);
    createControls();
}

void Form2::createControls()
{
    Pictuer1 = new platform::PictureBox(this);
    Pictuer1->setObjectName(QStringLiteral("Pictuer1"));
    Pictuer1->setGeometry(twipsRect(120, 120, 1575, 2295));
    // Through QIcon, which picks portrait@2x.png on a screen that has twice the pixels.
    Pictuer1->setPicture(QIcon(QStringLiteral(":/portrait.png")).pixmap(QSize(100, 150), qApp->devicePixelRatio()));
    Pictuer1->setToolTip(QStringLiteral("حياك الله وبياك"));
    Pictuer1->setAccessibleName(QStringLiteral("صورة المبرمج"));
    Pictuer1->setAccessibleDescription(Pictuer1->toolTip() + QStringLiteral(". يفتح موقع المبرمج في المتصفح"));
    platform::setMousePointer(Pictuer1, platform::MousePointer::ArrowQuestion);
    platform::connectHandler(Pictuer1, &platform::PictureBox::clicked, this, [this] { Pictuer1_Click(); });

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twipsRect(1800, 0, 2055, 2415));
    // The fore colour is the frame's own setting and draws its outline too; as the frame's own
    // style it wins over what the skin gives frames in general.
    Frame2->setStyleSheet(QStringLiteral("QGroupBox#Frame2 { color: %1; border: 1px solid %1; }")
                              .arg(QColor(kFrame2ForeColor).name()));

    const QFont font = creditFont();
    for (auto line = kCredits.rbegin(); line != kCredits.rend(); ++line) {
        auto* label = new platform::SkinLabel(Frame2);
        label->setObjectName(QString::fromLatin1(line->name));
        label->setGeometry(twipsRect(line->left, line->top, line->width, kCreditLineHeight));
        label->setFont(font);
        label->setTitle(line->title);
        label->setText(QString::fromUtf8(line->text));
    }
    // A screen reader walks the lines in the order of the frame's children: raising each line in
    // turn puts them top to bottom there, while the focus chain keeps its order. The window's
    // description reads them all as the window opens.
    QStringList credits;
    for (const CreditLine& line : kCredits) {
        auto* label = Frame2->findChild<QWidget*>(QString::fromLatin1(line.name));
        label->raise();
        credits << QString::fromUtf8(line.text);
    }
    setAccessibleDescription(credits.join(QLatin1Char('\n')));

    Skin1 = new platform::Skin(this);
    Skin1->setObjectName(QStringLiteral("Skin1"));
}

void Form2::Form_Load()
{
    Skin1->Invoke(platform::Skin::kApplySkin, {platform::Variant::fromI4(hWnd())});
}

void Form2::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    Form::keyPressEvent(event);
}

void Form2::Pictuer1_Click()
{
    OpenSite(AuthorSite, hWnd());
}
