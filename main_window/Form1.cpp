#include "main_window/Form1.h"

#include "LessonWords.h"
#include "Sites.h"
#include "assets/ApplicationIcon.h"
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
#include <QKeyEvent>
#include <QShortcut>
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
    const char* opens;      // what a screen reader adds to the tool tip: where the button leads
    MousePointer pointer;
    void (Form1::*click)();
};

namespace {
constexpr int kCommandRowTop = 1200;
constexpr int kCommandRowHeight = 375;
constexpr int kPic1TabIndex = 9;

// The lesson's words as the card shows them, English first: "Apple — تفاحة".
QString lessonWords(const LetterEntry& entry)
{
    const LessonWords& words = kLessonWords[size_t(entry.letter - 'A')];
    return QString::fromUtf8(words.english) + QStringLiteral(" — ") + QString::fromUtf8(words.arabic);
}

bool isArrow(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}
} // namespace

const std::array<Form1::CommandButton, 5>& Form1::commandRow()
{
    static const std::array<CommandButton, 5> row{{
        {"Command10", 3120, 855, 10, "نبذة", "حول البرنامج والمبرمج", nullptr, MousePointer::ArrowQuestion,
         &Form1::Command10_Click},
        {"Command13", 4080, 855, 13, "الحوزة", "طلب العلم فريضة", "يفتح موقع الحوزة في المتصفح",
         MousePointer::ArrowQuestion, &Form1::Command13_Click},
        {"Command12", 5040, 855, 12, "المكتبة", "الكتاب خير جليس", "يفتح موقع المكتبة في المتصفح",
         MousePointer::ArrowQuestion, &Form1::Command12_Click},
        {"Command11", 6000, 855, 11, "الموقع", "لا تبخل علينا بزيارتك", "يفتح موقع المبرمج في المتصفح",
         MousePointer::ArrowQuestion, &Form1::Command11_Click},
        {"Command14", 6960, 975, 14, "خروج", "زنكلوني يقول: رافقتك السلامة", nullptr, MousePointer::NoDrop,
         &Form1::Command14_Click},
    }};
    return row;
}

Form1::Form1(QWidget* parent)
    : Form({.minimizeBox = true, .maximizeBox = false}, parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("برنامج: تعليم طربلون"));
    setWindowIcon(applicationIcon());
    setFont(QFont(QStringLiteral("Noto Sans Arabic"), 9));
    setClientSizeTwips(8250, 6930);
    createControls();
    setTabOrder();
    createLetterShortcuts();
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
    Pic1->setAccessibleName(QStringLiteral("صورة الدرس"));
    Pic1->setAccessibleDescription(QStringLiteral("لا صورة بعد: اضغط حرفًا لترى صورته وتسمع صوته"));

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
        button->setAccessibleDescription(lessonWords(entry));
        button->installEventFilter(this);
        platform::connectHandler(button, &QPushButton::clicked, this, [this, &entry] {
            ShowLetter(entry);
            describeLesson(entry);
        });
    }

    Skin1 = new platform::Skin(Frame1);
    Skin1->setObjectName(QStringLiteral("Skin1"));

    for (const CommandButton& command : commandRow()) {
        auto* button = new QPushButton(QString::fromUtf8(command.caption), Frame1);
        button->setObjectName(QString::fromLatin1(command.name));
        button->setGeometry(twipsRect(command.left, kCommandRowTop, command.width, kCommandRowHeight));
        button->setToolTip(QString::fromUtf8(command.toolTip));
        // Without a description of its own a screen reader reads the tool tip; a site button adds
        // that it leaves the program for the browser.
        if (command.opens)
            button->setAccessibleDescription(button->toolTip() + QStringLiteral(". ") + QString::fromUtf8(command.opens));
        button->installEventFilter(this);
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

void Form1::createLetterShortcuts()
{
    // A letter typed anywhere in the window presses its key, focus and all, as a click does. Qt
    // matches the shortcut against every layout the keyboard has, so with an Arabic layout active
    // the key that carries the Latin letter still presses it.
    for (const LetterEntry& entry : kLetterCatalogue) {
        auto* button = findChild<QPushButton*>(QString::fromLatin1(entry.button));
        const int key = Qt::Key_A + (entry.letter - 'A');
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys({QKeySequence(key), QKeySequence(Qt::SHIFT | key)});
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] {
            button->setFocus(Qt::ShortcutFocusReason);
            button->click();
        });
    }
}

void Form1::describeLesson(const LetterEntry& entry)
{
    // Setting the description sends the change to screen readers.
    Pic1->setAccessibleDescription(QStringLiteral("الحرف %1: %2").arg(QChar(entry.letter), lessonWords(entry)));
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // The arrow keys move over the keypad as it looks, not along the tab order that buttons
    // follow by themselves; at the keypad's edge the focus stays.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isArrow(key->key()) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (QWidget* next = keypadNeighbour(static_cast<QWidget*>(watched), key->key()))
                next->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

QWidget* Form1::keypadNeighbour(const QWidget* from, int key) const
{
    const QPoint origin = from->geometry().center();
    const bool sideways = key == Qt::Key_Left || key == Qt::Key_Right;
    const int sign = (key == Qt::Key_Right || key == Qt::Key_Down) ? 1 : -1;
    // The nearest row in the key's direction (or the same row sideways), then the key in it
    // nearest in the key's direction (sideways) or nearest to the same column (up and down).
    QWidget* best = nullptr;
    QPoint bestDistance;
    for (QWidget* candidate : Frame1->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        const QPoint d = candidate->geometry().center() - origin;
        const int along = sideways ? d.x() * sign : d.y() * sign;
        const int across = sideways ? qAbs(d.y()) : qAbs(d.x());
        if (candidate == from || along <= 0 || (sideways && across != 0))
            continue;
        const QPoint distance = sideways ? QPoint(along, 0) : QPoint(along, across);
        if (!best || distance.x() < bestDistance.x()
            || (distance.x() == bestDistance.x() && distance.y() < bestDistance.y())) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
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
