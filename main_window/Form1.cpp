#include "main_window/Form1.h"

#include "Sites.h"
#include "about_window/Form2.h"
#include "platform/ImageView.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/Runtime.h"
#include "platform/Skin.h"
#include "platform/Twips.h"
#include "platform/UnhandledErrors.h"
#include "system_services/Module1.h"
#include "system_services/OpenSite.h"
#include "system_services/SystemFunctions.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <algorithm>
#include <array>
#include <vector>

using platform::MousePointer;
using platform::twipsRect;

struct Form1::CommandButton {
    const char* name;
    int left;
    int width;
    int tabIndex;
    const char* caption;
    const char* toolTip;
    MousePointer pointer;
    void (Form1::*click)();
};

namespace {
constexpr int kCommandRowTop = 1200;
constexpr int kCommandRowHeight = 375;
constexpr int kPic1TabIndex = 9;
} // namespace

const std::array<Form1::CommandButton, 5>& Form1::commandRow()
{
    static const std::array<CommandButton, 5> row{{
        {"Command10", 3120, 855, 10, "نبذة", "حول البرنامج والمبرمج", MousePointer::ArrowQuestion, &Form1::Command10_Click},
        {"Command13", 4080, 855, 13, "الحوزة", "طلب العلم فريضة", MousePointer::ArrowQuestion, &Form1::Command13_Click},
        {"Command12", 5040, 855, 12, "المكتبة", "الكتاب خير جليس", MousePointer::ArrowQuestion, &Form1::Command12_Click},
        {"Command11", 6000, 855, 11, "الموقع", "لا تبخل علينا بزيارتك", MousePointer::ArrowQuestion, &Form1::Command11_Click},
        {"Command14", 6960, 975, 14, "خروج", "زنكلوني يقول: رافقتك السلامة", MousePointer::NoDrop, &Form1::Command14_Click},
    }};
    return row;
}

Form1::Form1(QWidget* parent)
    : Form({.minimizeBox = true, .maximizeBox = false}, parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("برنامج: تعليم طربلون"));
    setWindowIcon(QIcon(QStringLiteral(":/portrait.png")));
    setFont(QFont(QStringLiteral("Noto Sans Arabic"), 9));
    setClientSizeTwips(8250, 6930);
    createControls();
    setTabOrder();
}

Form1::~Form1()
{
    delete m_about;
}

void Form1::createControls()
{
    Pic1 = new platform::PictureBox(this);
    Pic1->setObjectName(QStringLiteral("Pic1"));
    Pic1->setGeometry(twipsRect(120, 120, 8055, 5055));

    Img1 = new platform::ImageView(Pic1->client());
    Img1->setObjectName(QStringLiteral("Img1"));
    Img1->setGeometry(twipsRect(0, 0, 8055, 5055));

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 5160, 8055, 1695));

    QFont letterFont(QStringLiteral("Times New Roman"), 12, QFont::Bold);
    for (const LetterEntry& entry : kLetterCatalogue) {
        auto* button = new QPushButton(QString(QChar(entry.letter)), Frame1);
        button->setObjectName(QString::fromLatin1(entry.button));
        button->setGeometry(twipsRect(letterButtonLeft(entry), letterButtonTop(entry), kLetterButtonWidth,
                                      kLetterButtonHeight));
        button->setFont(letterFont);
        platform::connectHandler(button, &QPushButton::clicked, this, [this, &entry] { ShowLetter(entry); });
    }

    Skin1 = new platform::Skin(Frame1);
    Skin1->setObjectName(QStringLiteral("Skin1"));

    for (const CommandButton& command : commandRow()) {
        auto* button = new QPushButton(QString::fromUtf8(command.caption), Frame1);
        button->setObjectName(QString::fromLatin1(command.name));
        button->setGeometry(twipsRect(command.left, kCommandRowTop, command.width, kCommandRowHeight));
        button->setToolTip(QString::fromUtf8(command.toolTip));
        platform::setMousePointer(button, command.pointer);
        platform::connectHandler(button, &QPushButton::clicked, this, [this, click = command.click] { (this->*click)(); });
    }
}

void Form1::setTabOrder()
{
    std::vector<std::pair<int, QWidget*>> stops{{kPic1TabIndex, Pic1}};
    for (const LetterEntry& entry : kLetterCatalogue)
        stops.emplace_back(entry.tabIndex, findChild<QWidget*>(QString::fromLatin1(entry.button)));
    for (const CommandButton& command : commandRow())
        stops.emplace_back(command.tabIndex, findChild<QWidget*>(QString::fromLatin1(command.name)));
    std::sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
    // The focus starts on the lowest tab index that can take it; the frame (0) cannot.
    stops.front().second->setFocus();
}

void Form1::Form_Load()
{
    Skin1->Invoke(platform::Skin::kApplySkin, {platform::Variant::fromI4(hWnd())});
    Module1::RegisterTrayIcon(hWnd(), platform::iconHandle(windowIcon()));
}

void Form1::ShowLetter(const LetterEntry& entry)
{
    const QString directory = platform::applicationDirectory();
    const QString picturePath = directory + QDir::separator() + entry.pictureFile();
    Img1->setPicture(platform::LoadPicture(picturePath));
    Img1->setStretch(true);
    Img1->resize(Pic1->width(), Img1->height());
    Img1->resize(Img1->width(), Pic1->height());
    Img1->move(Img1->x(), 0);
    // The child sees the picture before it hears the sound: the frame is painted and handed to the
    // screen now, not when the event loop comes round after the sound has been started.
    Img1->repaint();

    // The path goes to the player in the file system's own encoding, so that a directory name in
    // any script reaches the file unchanged.
    const QString soundPath = directory + QDir::separator() + entry.soundFile();
    sndPlaySoundA(QFile::encodeName(soundPath).constData(), SND_LOOP | SND_NODEFAULT);
}

void Form1::Command10_Click()
{
    // A closed About window is hidden until its deletion comes round; it never shows again.
    if (!m_about || m_about->isHidden())
        m_about = new Form2;
    m_about->Show();
}

void Form1::Command11_Click()
{
    OpenSite(AuthorSite, hWnd());
}

void Form1::Command12_Click()
{
    OpenSite(LibrarySite, hWnd());
}

void Form1::Command13_Click()
{
    OpenSite(SeminarySite, hWnd());
}

void Form1::Command14_Click()
{
    platform::MsgBox(QStringLiteral("زنكلوني يتمنى لكم الفائدة ويسألكم الدعاء"), platform::vbOKOnly,
                     QStringLiteral("مكتبة زنكلوني للمعلومات الدينية"));
    platform::End();
}
