// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The Qt adapter, offscreen: what the three screens look like at probe points taken from the
// layouts, fonts, plain text everywhere, keys, key repeat and the pacing of the timer grid.

#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

#include "fuzz/round_trip.h"
#include "layouts/colours.h"
#include "layouts/layouts.h"
#include "platform/geometry.h"
#include "platform/headless/headless_desktop.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_look.h"
#include "platform/qt/qt_views.h"
#include "platform/qt/sdl_pad.h"
#include "platform/reading.h"
#include "replay/headless_replay.h"
#include "replay/run.h"
#include "screens/game.h"
#include "tests/behind_box.h"
#include "tests/recording_sound.h"

namespace skyvane {
namespace {

constexpr std::int64_t kPeriodNs = 15'625'000;

// Renders go into the build tree, wherever the test runs from.
QString renderPath(const QString& name) {
    QDir().mkpath(SKYVANE_RENDERS);
    return QString(SKYVANE_RENDERS "/%1.png").arg(name);
}

struct QtGame : ::testing::Test {
    QtGame() {
        desktop.setClock([this] { return now; });
        desktop.invoke([&] { game.start(); });
    }
    FormWindow& window(const Form& f) { return *desktop.windowFor(f); }
    QImage render(const Form& f, const char* file) {
        QImage img = window(f).grab().toImage().convertToFormat(QImage::Format_RGB32);
        img.save(renderPath(file));
        return img;
    }
    void join(const std::string& name) {
        game.title.Text1.setText(name);
        desktop.click(game.title.Command1);
    }
    void advanceTo(std::int64_t ns) {
        now = ns;
        desktop.wake();
    }
    void key(QEvent::Type type, Qt::Key k, const Form& f, bool autoRepeat = false) {
        QKeyEvent ev(type, k, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(&window(f), &ev);
    }

    std::int64_t now = 0;
    RecordingSound sound;
    QtDesktop desktop;
    Game game{desktop, sound};
    MissionScreen& m = game.mission;
};

QColor at(const QImage& img, int x, int y) {
    return img.pixelColor(x, y);
}

// Frame1 of the mission screen starts at (320, 136) in the window, Frame2 at (8, 136).
constexpr int kMapX = 320, kViewY = 136;

TEST_F(QtGame, MissionScreenAtItsProbePoints) {
    join("Ace");
    const QImage img = render(m, "mission");
    EXPECT_EQ(img.size(), QSize(615, 400));
    // The probes every desktop that draws the screen is held to.
    std::ifstream probes(SKYVANE_TESTS "/mission_probes.txt");
    std::string line;
    int count = 0;
    while (std::getline(probes, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int x = 0, y = 0, r = 0, g = 0, b = 0;
        std::string what;
        fields >> x >> y >> r >> g >> b;
        std::getline(fields, what);
        EXPECT_EQ(at(img, x, y), QColor(r, g, b)) << what;
        ++count;
    }
    EXPECT_GE(count, 16);

    // The message line holds the two-line briefing: ink in both halves.
    auto inkInRows = [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 10; x < 605; ++x)
                if (at(img, x, y) == QColor(255, 255, 0)) return true;
        return false;
    };
    EXPECT_TRUE(inkInRows(82, 96));
    EXPECT_TRUE(inkInRows(97, 111));
}

TEST_F(QtGame, BaseCircleLiesAboveItsPadAndFramesClipTheirContents) {
    join("Ace");
    m.Image3.setVisible(false);
    QImage img = render(m, "mission-base");
    EXPECT_EQ(at(img, kMapX + 241, kViewY + 172), QColor(255, 255, 255)) << "circle rim, 4 px";
    EXPECT_EQ(at(img, kMapX + 243, kViewY + 172), QColor(255, 255, 255)) << "circle rim, 4 px";
    EXPECT_EQ(at(img, kMapX + 245, kViewY + 172), QColor(128, 128, 128)) << "circle inside";
    EXPECT_EQ(at(img, kMapX + 237, kViewY + 160), QColor(128, 128, 128)) << "pad corner";
    EXPECT_EQ(at(img, kMapX + 235, kViewY + 172), QColor(64, 64, 64)) << "pad border";

    // The helicopter half out of the map is cut off at the frame's right edge.
    m.Image3.setVisible(true);
    m.Image3.setLeft(4200);
    m.Image3.setTop(1500);
    img = render(m, "mission-clipped");
    EXPECT_EQ(at(img, kMapX + 288, kViewY + 116), QColor(255, 255, 255)) << "inside the frame";
    EXPECT_EQ(at(img, kMapX + 292, kViewY + 116), QColor(0, 0, 0)) << "beyond the frame";
}

int yellowColumns(const QImage& img, QRect area) {
    int columns = 0;
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (img.pixelColor(x, y).red() > 200 && img.pixelColor(x, y).blue() < 100) {
                ++columns;
                break;
            }
    return columns;
}

bool colourIn(const QImage& img, QRect area, const QColor& c) {
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (img.pixelColor(x, y) == c) return true;
    return false;
}

TEST_F(QtGame, TitleBlinksOverThePrologueWhichItsFrameClips) {
    for (int i = 0; i < 100; ++i) desktop.runPeriod();  // the prologue is 33 px into the frame
    const QImage img = render(game.title, "title");
    EXPECT_EQ(img.size(), QSize(401, 142));
    const QRect titleLabel(8 + 56, 8 + 16, 257, 41);
    EXPECT_TRUE(colourIn(img, titleLabel, QColor(0, 0, 255))) << "blue phase of the title";
    EXPECT_TRUE(colourIn(img, QRect(16, 45, 360, 35), QColor(255, 255, 0))) << "prologue";
    EXPECT_FALSE(colourIn(img, QRect(10, 82, 380, 5), QColor(255, 255, 0))) << "below the frame";
}

TEST_F(QtGame, ClosingScreenThanksThePilotByName) {
    join("Ace");
    desktop.invoke([&] { desktop.show(game.closing); });
    const QImage img = render(game.closing, "closing");
    EXPECT_EQ(img.size(), QSize(312, 213));
    EXPECT_TRUE(colourIn(img, QRect(24, 16, 257, 41), QColor(0, 0, 255))) << "title";
    EXPECT_GT(yellowColumns(img, QRect(104, 128, 73, 17)), 10) << "the name";
    EXPECT_GT(yellowColumns(img, QRect(40, 64, 257, 57)), 120) << "the tribute";
}

// Each screen, pixel for pixel and word for word, as it was looked at, listened to and approved
// (tests/pictures/): the title
// with its prologue risen, the briefing, the helicopter falling after GO and
// steered off the map's corner, the farewell. Probes
// sample a screen; this sees an element a pixel out of place, a border a pixel short, a colour
// or a face changed. A failure leaves the render and its changed pixels (in red) beside the
// renders; SKYVANE_APPROVE=1 writes the renders as the new pictures, to be looked at and
// committed.
TEST_F(QtGame, EveryScreenIsThePictureApprovedForIt) {
    const bool approve = qEnvironmentVariableIsSet("SKYVANE_APPROVE");
    // And what a screen reader reads of it, in reading order: each element it is told of, by
    // its name in the game and the words it hears, a frame's elements within it.
    // The role a reader is told, by what the element is: the message line alone a status bar.
    auto roleOf = [](const Element& e) {
        switch (e.kind()) {
            case ElementKind::Frame:
                return QAccessible::Grouping;
            case ElementKind::Label:
                return e.design().reading == Reading::Live ? QAccessible::StatusBar
                                                           : QAccessible::StaticText;
            case ElementKind::Image:
            case ElementKind::Shape:
                return QAccessible::Graphic;
            case ElementKind::Button:
                return QAccessible::PushButton;
            default:
                return QAccessible::EditableText;
        }
    };
    auto holdReading = [&](const Form& f, const QString& name) {
        std::string got, words;
        std::function<void(const std::string&, int)> walk = [&](const std::string& in, int depth) {
            for (const Element* e : readingOrder(f, in)) {
                const auto* c = dynamic_cast<const Control*>(e);
                if ((c && !c->visible()) || spokenOf(*e).hidden) continue;
                const std::string said = spokenOf(*e).name;
                got += std::string(2 * depth, ' ') + e->name() + ": " + said + "\n";
                words += std::string(2 * depth, ' ') +
                         QString::fromStdString(said)
                             .replace('\r', ' ')
                             .replace('\n', ' ')
                             .toStdString() +
                         " (" + std::to_string(roleOf(*e)) + ")\n";
                if (e->kind() == ElementKind::Frame) walk(e->name(), depth + 1);
            }
        };
        walk("", 0);
        // The Qt window's accessible tree reads the same words in the same order, and each
        // element knows its place among its siblings.
        std::string tree;
        std::function<void(QAccessibleInterface*, int)> read = [&](QAccessibleInterface* at,
                                                                   int depth) {
            for (int i = 0; i < at->childCount(); ++i) {
                QAccessibleInterface* kid = at->child(i);
                ASSERT_NE(kid, nullptr);
                EXPECT_EQ(at->indexOfChild(kid), i);
                EXPECT_EQ(kid->indexOfChild(at), -1) << "a parent is no child";
                tree += std::string(2 * depth, ' ') + kid->text(QAccessible::Name).toStdString() +
                        " (" + std::to_string(kid->role()) + ")\n";
                read(kid, depth + 1);
            }
        };
        read(QAccessible::queryAccessibleInterface(&window(f)), 0);
        EXPECT_EQ(tree, words) << name.toStdString();
        const QString file = QString(SKYVANE_TESTS "/pictures/%1.reading.txt").arg(name);
        if (approve) {
            std::ofstream(file.toStdString(), std::ios::binary) << got;
            return;
        }
        std::ifstream in(file.toStdString(), std::ios::binary);
        const std::string want{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(got, want) << name.toStdString();
    };
    auto hold = [&](const Form& f, const QString& name) {
        holdReading(f, name);
        const QImage got = render(f, name.toUtf8().constData());
        const QString file = QString(SKYVANE_TESTS "/pictures/%1.png").arg(name);
        if (approve) {
            ASSERT_TRUE(got.save(file));
            return;
        }
        const QImage want = QImage(file).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(want.isNull()) << file.toStdString();
        ASSERT_EQ(got.size(), want.size()) << name.toStdString();
        QImage changed = want;
        int count = 0;
        QRect where;
        for (int y = 0; y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x)
                if (got.pixel(x, y) != want.pixel(x, y)) {
                    ++count;
                    where |= QRect(x, y, 1, 1);
                    changed.setPixel(x, y, qRgb(255, 0, 0));
                }
        if (count) changed.save(renderPath(name + "-changed"));
        EXPECT_EQ(count, 0) << name.toStdString() << ": pixels changed within (" << where.left()
                            << ", " << where.top() << ")-(" << where.right() << ", "
                            << where.bottom() << "); see " << renderPath(name).toStdString();
    };
    for (int i = 0; i < 100; ++i) desktop.runPeriod();
    hold(game.title, "title");
    join("Ace");
    hold(m, "briefing");
    desktop.click(m.Command1);
    for (int i = 0; i < 40; ++i) desktop.runPeriod();
    hold(m, "falling");
    // Steered left and down, beyond the map's left and bottom edges: the lamps and two pointers.
    key(QEvent::KeyPress, Qt::Key_Left, m);
    key(QEvent::KeyPress, Qt::Key_Down, m);
    m.HeliX = -300;
    m.HeliZ = 3000;
    desktop.runPeriod();
    hold(m, "off-the-map");
    desktop.invoke([&] { desktop.show(game.closing); });
    hold(game.closing, "farewell");
}

TEST(QtLook, LayoutFacesResolveToTheIpaFaces) {
    const struct {
        FontDesign design;
        const char* family;
        int pixels;
    } cases[] = {
        {{faces::kPGothic, 14.25, false}, "IPAPGothic", 19},
        {{faces::kGothic, 14.25, false}, "IPAGothic", 19},
        {{faces::kPGothic, 9.75, true}, "IPAPGothic", 13},
        {{faces::kMincho, 26.25, true}, "IPAMincho", 35},
        {{}, "IPAPGothic", 11},
    };
    for (const auto& c : cases) {
        const QFont f = qtlook::font(c.design);
        const QFontInfo info(f);
        EXPECT_EQ(info.family().toStdString(), c.family) << c.design.face;
        EXPECT_EQ(info.pixelSize(), c.pixels) << c.design.face;
        EXPECT_EQ(info.bold(), c.design.bold) << c.design.face;
    }
}

TEST_F(QtGame, WindowsHaveTheirBordersIconsAndCaptions) {
    auto& title = window(game.title);
    EXPECT_EQ(title.windowTitle().toStdString(), "SV（災害救助シュミレーション）");
    EXPECT_EQ(title.minimumSize(), title.maximumSize());
    EXPECT_FALSE(title.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(title.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(title.windowIcon().isNull());
    join("Ace");
    auto& mission = window(m);
    EXPECT_EQ(mission.minimumSize(), QSize(615, 400));
    EXPECT_EQ(mission.maximumSize(), QSize(615, 400));
    EXPECT_TRUE(mission.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(mission.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(title.isVisible());
    EXPECT_TRUE(mission.isVisible());
    desktop.invoke([&] { desktop.show(game.closing); });
    auto& closing = window(game.closing);
    EXPECT_NE(closing.minimumSize(), closing.maximumSize());
    EXPECT_EQ(closing.size(), QSize(312, 213));
    EXPECT_FALSE(closing.windowIcon().isNull());
}

// Whatever the player types as a name is shown as typed: no markup, mnemonics or placeholders,
// and a carriage return breaks the line.
TEST_F(QtGame, NamesAndCaptionsAreShownAsPlainText) {
    const std::string name = "<b>x</b>&x[*]\r";
    join(name);
    EXPECT_EQ(window(m).windowHandle()->title().toStdString(), "ＳＶ  パイロット　<b>x</b>&x[*]\n");

    const QRect line(10, 82, 595, 29);
    auto columnsOf = [&](const std::string& caption) {
        m.Label9.setCaption(caption);
        return yellowColumns(render(m, "label"), line);
    };
    const int plain = columnsOf("x");
    EXPECT_GT(columnsOf("<b>x</b>"), 4 * plain);
    EXPECT_GT(columnsOf("&x"), plain + 2);
    m.Label9.setCaption("x\ry");
    const QImage twoLines = render(m, "label-two-lines");
    EXPECT_GT(yellowColumns(twoLines, QRect(10, 82, 595, 13)), 0);
    EXPECT_GT(yellowColumns(twoLines, QRect(10, 97, 595, 13)), 0);

    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::StandardButtons buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowHandle() ? box->windowHandle()->title() : box->windowTitle();
        icon = box->icon();
        format = box->textFormat();
        buttons = box->standardButtons();
        box->accept();
    });
    desktop.click(m.Command2);
    EXPECT_EQ(text.toStdString(),
              "残念ながら今回のミッションを遂行出来なかったことは、誠に遺憾であります\n"
              "しかしながら、「<b>x</b>&x[*]\n」の勇気には心より敬意を表します");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_TRUE(title.remove(QChar(0x200B)).isEmpty()) << "a blank title, not the program's name";
    EXPECT_TRUE(desktop.ended());
    EXPECT_EQ(sound.calls().size(), 2u);
}

TEST_F(QtGame, TimersTickWhileAMessageBoxWaitsForThePlayer) {
    const auto before = game.title.Label2.foreColour();
    Colour during = before;
    QTimer::singleShot(0, [&] {
        advanceTo(32 * kPeriodNs);  // half a second passes behind the box
        during = game.title.Label2.foreColour();
        QApplication::activeModalWidget()->close();
    });
    desktop.click(game.title.Command2);
    EXPECT_NE(during, before);
    EXPECT_TRUE(desktop.ended());
}

// The win box opens inside a tick of the grid; the grid must go on behind it (the title screen's
// timers run all along). Found by a replay that waited for ever for the box to close.
TEST_F(QtGame, TheGridGoesOnBehindABoxThatATickOpened) {
    join("Ace");
    for (int trip = 0; trip < 5; ++trip) {
        desktop.click(m.Command1);
        testing::judge(desktop, m, true, 600, 1150);
        desktop.click(m.Command3);
        if (trip < 4) testing::judge(desktop, m, false, 3590, 2360);
    }
    // The last delivery comes on the next tick of the grid.
    m.HeliX = 3590;
    m.HeliZ = 2360;
    m.HeliY = 2360;
    m.SpeedY = 10;
    m.Timer1.setEnabled(false);
    m.Timer3.setEnabled(false);
    bool armed = false;
    Colour before = 0, after = 0;
    QTimer::singleShot(0, [&] {
        armed = desktop.pacerArmed();
        before = game.title.Label2.foreColour();
        advanceTo(now + 32 * kPeriodNs);
        after = game.title.Label2.foreColour();
        QApplication::activeModalWidget()->close();
    });
    advanceTo(now + kPeriodNs);
    ASSERT_EQ(m.Rescued, 10);
    EXPECT_TRUE(armed);
    EXPECT_NE(before, after) << "the title stopped blinking behind the box";
    EXPECT_TRUE(game.closing.visible());
}

// Every string the default font shows on the three screens.
const char* const kDefaultFontTexts[] = {
    "㍑  km/h  m  人  出力　　操舵  NAME  ＧＯ  ＢＡＣＫ  閉じる",
    "ミッションに参加する  いなかに帰る  ありがとう  名無し",
    "キー操作　＝　上昇　：　Ｓｈｉｆｔキー　　　　　　　方位　：　←↑↓→キー",
    "高度図（側面からの視点）  位置図（上からの視点）",
};

QImage inkOf(const QFont& font, const QSize& size, int lineHeight) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    int y = QFontMetrics(font).ascent() + 2;
    for (const char* t : kDefaultFontTexts) {
        p.drawText(4, y, QString::fromUtf8(t));
        y += lineHeight;
    }
    return img;
}

// The default font is crisp at 1x: almost every pixel of ink is full ink, not a smudge of
// half-lit ones, and the key help still keeps to its one line. The render compares the
// renderings that were weighed, for a person to look at.
TEST(QtLook, TheDefaultFontIsCrispAndTheKeyHelpKeepsToOneLine) {
    struct Option {
        const char* name;
        int pixels;
        bool antialiased;
        QFont::HintingPreference hinting;
    };
    const Option options[] = {
        {"11 px antialiased, unhinted", 11, true, QFont::PreferNoHinting},
        {"11 px antialiased, full hinting", 11, true, QFont::PreferFullHinting},
        {"11 px without antialiasing", 11, false, QFont::PreferFullHinting},
        {"12 px antialiased (the key help wraps)", 12, true, QFont::PreferDefaultHinting},
    };
    const QSize panel(400, 66);
    QImage sheet(panel.width() * 3, (panel.height() + 14) * 3 * 5, QImage::Format_RGB32);
    sheet.fill(Qt::black);
    QPainter p(&sheet);
    int y = 0;
    auto add = [&](const QString& name, const QImage& img) {
        p.setPen(Qt::gray);
        p.drawText(4, y + 30, name);
        p.drawImage(QRect(0, y + 40, img.width() * 3, img.height() * 3), img);
        y += (panel.height() + 14) * 3;
    };
    for (const auto& o : options) {
        QFont f;
        f.setFamilies(qtlook::familiesFor(""));
        f.setPixelSize(o.pixels);
        f.setHintingPreference(o.hinting);
        f.setStyleStrategy(o.antialiased
                               ? QFont::PreferMatch
                               : QFont::StyleStrategy(QFont::PreferMatch | QFont::NoAntialias));
        add(o.name, inkOf(f, panel, 15));
    }
    const QFont chosen = qtlook::font({});
    const QImage ink = inkOf(chosen, panel, 15);
    add("chosen", ink);
    p.end();
    sheet.save(renderPath("default-font-options"));

    int full = 0, partial = 0;
    for (int yy = 0; yy < ink.height(); ++yy)
        for (int x = 0; x < ink.width(); ++x) {
            const int r = ink.pixelColor(x, yy).red();
            full += r == 255;
            partial += r > 0 && r < 255;
        }
    ASSERT_GT(full, 500);
    EXPECT_LT(partial * 20, full) << partial << " half-lit pixels against " << full;
    const QFontMetrics fm(chosen);
    EXPECT_LE(fm.horizontalAdvance(QString::fromUtf8(kDefaultFontTexts[2])), qtlook::px(5655));
    EXPECT_LE(fm.height(), qtlook::px(255));
}

// The prologue fills its picture, about thirty lines of 13 pixels, with a right margin as wide
// as the left one: the title frame never scrolls through a long black band.
TEST(QtLook, ThePrologueFillsItsPictureWithinItsMargins) {
    const QImage img =
        QImage(QString::fromUtf8(pictures::kPrologue)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(363, 403));
    int left = img.width(), right = -1, top = img.height(), bottom = -1, rows = 0;
    bool inRow = false;
    for (int y = 0; y < img.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            EXPECT_TRUE(c == QColor(0, 0, 0) || c == QColor(255, 255, 0)) << "only two colours";
            if (c == QColor(255, 255, 0)) {
                ink = true;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        rows += ink && !inRow;
        inRow = ink;
    }
    EXPECT_GE(left, 6);
    EXPECT_LE(right, img.width() - 1 - left + 1) << "the right margin is narrower than the left";
    EXPECT_LE(top, 8);
    EXPECT_GE(bottom, img.height() - 30) << "the last rows are black";
    EXPECT_GE(rows, 22) << "lines of text";  // blank lines between six paragraphs count as none
    EXPECT_LE(rows, 31);
}

// A window centred on the screen is centred with its frame; one larger than the screen keeps
// its top-left corner, and so its title bar, on the screen.
TEST(QtLook, WindowsAreCentredFrameAndAllAndKeptOnSmallScreens) {
    const struct {
        QRect screen;
        QSize frame;
        QPoint at;
    } cases[] = {
        {{0, 0, 1024, 768}, {405, 166}, {309, 301}}, {{0, 0, 1024, 768}, {619, 424}, {202, 172}},
        {{0, 0, 320, 240}, {619, 424}, {0, 0}},      {{100, 30, 800, 570}, {405, 166}, {297, 232}},
        {{0, 0, 500, 300}, {619, 166}, {0, 67}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qtlook::framePosition(c.screen, c.frame), c.at)
            << c.screen.width() << "x" << c.screen.height();
}

// ---- High dpi: run with QT_SCALE_FACTOR=2 (test.sh does) ----

// The window at 2x and drawn again at 1x: every pixel of the 1x drawing is a 2x2 block of the
// same colour in the 2x one, except where text is drawn anew at the larger size.
struct Scaled {
    double match;  // share of 1x pixels whose 2x block is the same colour
    QImage at1, at2;
};

Scaled compareScales(QWidget& window) {
    Scaled s;
    s.at2 = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    s.at1 = QImage(window.size(), QImage::Format_RGB32);
    s.at1.setDevicePixelRatio(1);
    window.render(&s.at1);
    int same = 0, all = 0;
    for (int y = 0; y < s.at1.height(); ++y)
        for (int x = 0; x < s.at1.width(); ++x) {
            const QRgb c = s.at1.pixel(x, y);
            ++all;
            same += s.at2.pixel(2 * x, 2 * y) == c && s.at2.pixel(2 * x + 1, 2 * y) == c &&
                    s.at2.pixel(2 * x, 2 * y + 1) == c && s.at2.pixel(2 * x + 1, 2 * y + 1) == c;
        }
    s.match = double(same) / all;
    return s;
}

TEST_F(QtGame, AtScaleTwoEveryWindowIsTwiceTheSizeSharpAndAligned) {
    if (qApp->devicePixelRatio() != 2) GTEST_SKIP() << "run with QT_SCALE_FACTOR=2";
    join("Ace");
    desktop.invoke([&] { desktop.show(game.closing); });
    const struct {
        const char* name;
        Form* form;
        QSize size;
    } screens[] = {{"title", &game.title, {401, 142}},
                   {"mission", &m, {615, 400}},
                   {"closing", &game.closing, {312, 213}}};
    for (const auto& sc : screens) {
        SCOPED_TRACE(sc.name);
        FormWindow& w = window(*sc.form);
        const Scaled s = compareScales(w);
        EXPECT_EQ(s.at2.size(), sc.size * 2);
        s.at2.save(renderPath(QString("%1-at-2x").arg(sc.name)));
        // Pictures, shapes, borders and backgrounds are the same pixels, doubled; only the
        // text, drawn at twice the size rather than enlarged, may differ.
        EXPECT_GT(s.match, 0.9) << s.match;
    }
    // Probe points of the mission screen: the pictures scaled without blurring, the borders
    // on the same lines.
    const Scaled s = compareScales(window(m));
    const struct {
        const char* what;
        int x, y;
    } probes[] = {
        {"panel outline", 8, 40},
        {"altitude box border", 96, 20},
        {"helicopter hub on the map", kMapX + 255, kViewY + 175},
        {"target mark rim", kMapX + 41, kViewY + 92},
        {"power lamp rim", 534, 39},
        {"blue line along the side view's bottom", 100, kViewY + 192},
    };
    for (const auto& p : probes) {
        const QRgb c = s.at1.pixel(p.x, p.y);
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                EXPECT_EQ(QColor(s.at2.pixel(2 * p.x + dx, 2 * p.y + dy)), QColor(c)) << p.what;
    }
    // No blur: over the helicopter and the base marks behind it, the 2x drawing has no colour
    // that the 1x one lacks; smoothing would mix new ones.
    QWidget* heli = window(m).widgetFor(m.Image3);
    const QRect area(heli->mapTo(&window(m), QPoint(0, 0)), heli->size());
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) colours.insert(s.at1.pixel(x, y));
    for (int y = 2 * area.top(); y < 2 * (area.bottom() + 1); ++y)
        for (int x = 2 * area.left(); x < 2 * (area.right() + 1); ++x)
            ASSERT_TRUE(colours.contains(s.at2.pixel(x, y)))
                << "a blended pixel at " << x << "," << y;
}

TEST(QtLook, MessageBoxTitleShowsAPlaceholderLiterally) {
    EXPECT_EQ(qtlook::windowTitle("a[*]b").toStdString(), "a[*][*]b");
    QWidget w;
    w.setWindowTitle(qtlook::windowTitle("a[*]b\rc"));
    w.show();
    EXPECT_EQ(w.windowHandle()->title().toStdString(), "a[*]b\nc");
}

// Every key has a code, so that every key reaches the game's key handlers (a dry tank loses
// its lift on any key); punctuation keeps the code of its key, shifted or not.
TEST(QtKeys, EveryQtKeyBecomesAVirtualKeyCode) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int code;
    } cases[] = {
        {Qt::Key_Shift, {}, vk::Shift},
        {Qt::Key_Left, {}, vk::Left},
        {Qt::Key_Up, {}, vk::Up},
        {Qt::Key_Right, {}, vk::Right},
        {Qt::Key_Down, {}, vk::Down},
        {Qt::Key_Return, {}, vk::Return},
        {Qt::Key_Enter, {}, vk::Return},
        {Qt::Key_Space, {}, vk::Space},
        {Qt::Key_Control, {}, vk::Control},
        {Qt::Key_A, {}, 'A'},
        {Qt::Key_7, {}, '7'},
        {Qt::Key_7, Qt::KeypadModifier, vk::Numpad0 + 7},
        {Qt::Key_F1, {}, vk::F1},
        {Qt::Key_Escape, {}, vk::Escape},
        {Qt::Key_Comma, {}, vk::Comma},
        {Qt::Key_Less, Qt::ShiftModifier, vk::Comma},
        {Qt::Key_Period, {}, vk::Period},
        {Qt::Key_Minus, {}, vk::Minus},
        {Qt::Key_Slash, {}, vk::Slash},
        {Qt::Key_Semicolon, {}, vk::Semicolon},
        {Qt::Key_Menu, {}, vk::Apps},
        {Qt::Key_Muhenkan, {}, vk::NonConvert},
        {Qt::Key_Henkan, {}, vk::Convert},
        {Qt::Key_yen, {}, vk::Backslash},
        {Qt::Key_Exclam, Qt::ShiftModifier, '1'},
        {Qt::Key_LaunchMail, {}, vk::Other},
        {Qt::Key_unknown, {}, vk::Other},
    };
    for (const auto& c : cases) {
        QKeyEvent ev(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(virtualKey(ev), c.code) << c.key;
    }
}

// The windows show where each element stands, whether it shows and where the keyboard's focus
// is, after every period of
// random flights: keys held and let go at random, GO and BACK and the boxes as they come. A
// change the model makes that a window misses (a move along one axis only, say) shows here.
// SKYVANE_SEED=N draws the same flights again.
TEST(QtViews, EveryWidgetStandsWhereItsElementIsAfterEveryPeriodOfRandomFlights) {
    int flown = 0;
    const auto seed = qEnvironmentVariableIsSet("SKYVANE_SEED")
                          ? qEnvironmentVariable("SKYVANE_SEED").toULongLong()
                          : std::random_device{}();
    std::mt19937_64 rnd(seed);
    for (int flight = 0; flight < 4; ++flight) {
        std::int64_t now = 0;
        RecordingSound sound;
        QtDesktop desktop;
        desktop.setClock([&] { return now; });
        Game game{desktop, sound};
        desktop.invoke([&] { game.start(); });
        game.title.Text1.setText("Ace");
        desktop.click(game.title.Command1);
        const Qt::Key keys[] = {Qt::Key_Shift, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
                                Qt::Key_Down};
        std::set<int> held;
        for (int period = 0; period < 1500 && !desktop.ended(); ++period) {
            if (!desktop.modal()) {
                if (rnd() % 40 == 0) {
                    for (auto* b : {&game.mission.Command1, &game.mission.Command3})
                        if (b->visible()) desktop.click(*b);
                }
                const int k = static_cast<int>(rnd() % std::size(keys));
                if (rnd() % 6 == 0) {
                    const bool down = !held.count(k);
                    QKeyEvent ev(down ? QEvent::KeyPress : QEvent::KeyRelease, keys[k],
                                 Qt::NoModifier);
                    QApplication::sendEvent(desktop.windowFor(game.mission), &ev);
                    if (down)
                        held.insert(k);
                    else
                        held.erase(k);
                }
            }
            now += kPeriodNs;
            desktop.runPeriod();
            flown += game.mission.Timer1.enabled();
            for (const Form* f : game.forms()) {
                FormWindow* window = desktop.windowFor(*f);
                if (!window || !f->loaded()) continue;
                // The keyboard's focus is on the element the window gives it to, once it shows.
                if (const auto* focus = f->focus(); focus && f->visible()) {
                    QApplication::processEvents();
                    if (window->focusWidget() != window->widgetFor(*focus))
                        FAIL() << "SKYVANE_SEED=" << seed << ", flight " << flight << ", period "
                               << desktop.period() << ": the focus is not on " << focus->name();
                }
                for (const auto& e : f->elements()) {
                    const auto* c = dynamic_cast<const Control*>(e.get());
                    QWidget* w = window->widgetFor(*e);
                    if (!c || !w) continue;
                    const QRect want =
                        qtlook::rect(c->left(), c->top(), c->design().width, c->design().height);
                    if (w->geometry() != want || w->isHidden() == c->visible()) {
                        FAIL() << "SKYVANE_SEED=" << seed << ", flight " << flight << ", period "
                               << desktop.period() << ": " << f->design().name << "." << e->name()
                               << (w->isHidden() == c->visible() ? " shows wrongly"
                                                                 : " stands elsewhere");
                    }
                }
            }
        }
    }
    // The flights flew: the helicopter was in the air for hundreds of periods.
    EXPECT_GT(flown, 500) << "SKYVANE_SEED=" << seed;
}

TEST_F(QtGame, KeysReachTheFlightAndHeldKeysRepeatThroughTheAdapter) {
    join("Ace");
    key(QEvent::KeyPress, Qt::Key_Left, m);  // GO has the focus: the form sees nothing
    key(QEvent::KeyRelease, Qt::Key_Left, m);
    EXPECT_EQ(m.Label2.caption(), "0");
    qobject_cast<QPushButton*>(window(m).widgetFor(m.Command1))->click();
    ASSERT_TRUE(m.Timer1.enabled());

    key(QEvent::KeyPress, Qt::Key_Left, m);
    EXPECT_EQ(m.KeyX, -1);
    key(QEvent::KeyPress, Qt::Key_Shift, m);
    EXPECT_EQ(m.KeyY, 1);
    // The window system's own repeats of Left, marked as such or not, are dropped:
    // release-press pairs, and presses of a key that is down (X with detectable auto-repeat).
    // Shift, pressed last, keeps the repeat when Left goes up.
    key(QEvent::KeyRelease, Qt::Key_Left, m, true);
    key(QEvent::KeyPress, Qt::Key_Left, m, true);
    key(QEvent::KeyPress, Qt::Key_Left, m);
    key(QEvent::KeyRelease, Qt::Key_Left, m);
    EXPECT_EQ(m.KeyX, 0);

    m.EngineOn = 0;  // the next key-down of any key takes the lift away
    advanceTo(31 * kPeriodNs);
    EXPECT_EQ(m.KeyY, 1);
    advanceTo(32 * kPeriodNs);  // 500 ms: the adapter repeats the held Shift
    EXPECT_EQ(m.KeyY, 0);
    EXPECT_EQ(m.Shape8.fillColour(), colours::kRed);
    key(QEvent::KeyRelease, Qt::Key_Shift, m);
    EXPECT_EQ(m.Shape8.fillColour(), colours::kDarkRed);
}

// Typing into the name box edits it where the cursor stands: the box shows the model again only
// when the desktop refused the edit.
TEST_F(QtGame, ANameIsTypedWhereTheCursorStands) {
    auto* box = qobject_cast<QLineEdit*>(window(game.title).widgetFor(game.title.Text1));
    ASSERT_NE(box, nullptr);
    box->setFocus();
    QTest::keyClicks(box, "ace");
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClicks(box, "Sp");
    EXPECT_EQ(game.title.Text1.text(), "Space");
}

// Return pressed in the name box is the box's own: it is not held in the game, so the Return that
// follows on the join button joins at once. The name box once took the key-up and left the
// key-down held for ever, which swallowed the next Return.
TEST_F(QtGame, ReturnInTheNameBoxIsTheBoxsOwnAndTheNextReturnJoins) {
    QApplication::setActiveWindow(&window(game.title));
    auto* box = window(game.title).widgetFor(game.title.Text1);
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_EQ(game.title.focus(), &game.title.Text1);
    QTest::keyClicks(box, "Ace");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(desktop.keyHeld(vk::Return));
    for (int p = 1; p <= 64; ++p) advanceTo(p * kPeriodNs);
    EXPECT_FALSE(game.mission.loaded());
    QTest::mouseClick(window(game.title).widgetFor(game.title.Command1), Qt::LeftButton, {},
                      QPoint(1, 1));
    ASSERT_TRUE(game.mission.loaded());  // a click joins; Return on the button is the same
    EXPECT_EQ(m.caption(), "ＳＶ  パイロット　Ace");
}

TEST_F(QtGame, ReturnOnTheJoinButtonAfterTheNameBoxJoinsAtOnce) {
    QApplication::setActiveWindow(&window(game.title));
    auto* box = window(game.title).widgetFor(game.title.Text1);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClicks(box, "Ace");
    QTest::keyClick(box, Qt::Key_Return);
    // Tab round to the join button, as a player would.
    for (int i = 0; i < 4 && game.title.focus() != &game.title.Command1; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(game.title.focus(), &game.title.Command1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(game.mission.visible());
}

// A key that goes down on a button and up in the name box, the focus moved by Tab between the
// two, goes up in the game too: the box once kept the key-up, and the game held the key for ever.
TEST_F(QtGame, AKeyLetGoInTheNameBoxGoesUpInTheGame) {
    QApplication::setActiveWindow(&window(game.title));
    window(game.title).widgetFor(game.title.Command1)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(game.title.focus(), &game.title.Command1);
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Shift);
    ASSERT_TRUE(desktop.keyHeld(vk::Shift));
    for (int i = 0; i < 4 && game.title.focus() != &game.title.Text1; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(game.title.focus(), &game.title.Text1);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Shift);
    EXPECT_FALSE(desktop.keyHeld(vk::Shift));
}

// Another window takes the keyboard: the held keys are let go, their key-up handlers run, and
// the lift stays off when the window has the keyboard back.
TEST_F(QtGame, AWindowThatLosesTheKeyboardLetsGoOfItsKeys) {
    join("Ace");
    desktop.click(m.Command1);
    key(QEvent::KeyPress, Qt::Key_Shift, m);
    key(QEvent::KeyPress, Qt::Key_Down, m);
    ASSERT_EQ(m.KeyY, 1);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window(m), &deactivate);
    EXPECT_EQ(m.KeyY, 0);
    EXPECT_EQ(m.KeyZ, 0);
    EXPECT_EQ(m.Shape8.fillColour(), colours::kDarkRed);
    EXPECT_FALSE(m.Image21.visible());
    for (int p = 1; p <= 64; ++p) advanceTo(p * kPeriodNs);  // nothing left to repeat
    EXPECT_EQ(m.KeyY, 0);
}

// A key the game has no name for still reaches its key handlers: a dry tank loses its lift.
TEST_F(QtGame, AnyKeyReachesTheKeyHandlers) {
    join("Ace");
    desktop.click(m.Command1);
    key(QEvent::KeyPress, Qt::Key_Shift, m);
    m.EngineOn = 0;
    key(QEvent::KeyPress, Qt::Key_Muhenkan, m);
    EXPECT_EQ(m.KeyY, 0);
}

TEST_F(QtGame, ThePacerTicksOnAbsoluteDeadlinesAndDropsWhatAStallMissed) {
    auto& t = game.title;
    advanceTo(kPeriodNs - 1);
    EXPECT_EQ(t.ScrollTop, 1000);
    for (int i = 1; i <= 64; ++i) advanceTo(i * kPeriodNs + 300'000);
    EXPECT_EQ(t.ScrollTop, 1000 - 64 * 5);
    advanceTo(64 * kPeriodNs + 900'000);  // no new deadline passed
    EXPECT_EQ(t.ScrollTop, 1000 - 64 * 5);
    advanceTo(kPeriodNs * 64 * 10);  // a ten-second stall: one tick, not 576
    EXPECT_EQ(t.ScrollTop, 1000 - 65 * 5);
    EXPECT_EQ(desktop.period(), 640u);
}

}  // namespace
}  // namespace skyvane

namespace skyvane {
namespace {

// The player's input as the window system delivers it, through the windows, not the widgets.
void playerInput(QtDesktop& desktop, Game& game, const testing::BehindBox& in) {
    Form* form = testing::formNamed(game, in.form);
    FormWindow* window = desktop.windowFor(*form);
    if (!window) return;  // not loaded: nothing to aim at
    QWindow* handle = window->windowHandle();
    switch (in.kind) {
        case testing::BehindBox::Click: {
            QWidget* button = window->widgetFor(*form->find(in.element));
            const QPoint centre = button->mapTo(window, button->rect().center());
            QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, centre);
            break;
        }
        case testing::BehindBox::Key: {
            const auto key = in.key == vk::Return  ? Qt::Key_Return
                             : in.key == vk::Space ? Qt::Key_Space
                             : in.key == vk::Left  ? Qt::Key_Left
                                                   : Qt::Key_Shift;
            QTest::keyClick(handle, key);
            break;
        }
        case testing::BehindBox::Close:
            handle->close();
            break;
        case testing::BehindBox::Focus:
            // As the window system moves the focus for a click.
            window->widgetFor(*form->find(in.element))->setFocus(Qt::MouseFocusReason);
            break;
    }
}

// The same table as on the headless desktop: behind every box, every input is refused.
TEST(QtMessageBoxes, InputBehindEveryBoxIsRefused) {
    using namespace testing;
    for (const auto& box : kBoxes) {
        for (const auto& input : kInputsBehindABox) {
            SCOPED_TRACE(std::string(box.name) + ": " + describe(input));
            RecordingSound sound;
            QtDesktop desktop;
            desktop.setClock([] { return std::int64_t{0}; });
            Game game(desktop, sound);
            PlayerHandlers handlers;
            desktop.setTrace(&handlers);
            desktop.invoke([&] { game.start(); });
            bool opened = false;
            QTimer::singleShot(0, [&] {
                auto* modal = QApplication::activeModalWidget();
                ASSERT_NE(modal, nullptr);
                opened = true;
                const int before = handlers.count;
                Form* form = testing::formNamed(game, input.form);
                const Focusable* focus = form->focus();
                playerInput(desktop, game, input);
                QApplication::processEvents();
                EXPECT_EQ(handlers.count, before);
                EXPECT_EQ(form->focus(), focus);
                EXPECT_FALSE(desktop.ended());
                EXPECT_EQ(QApplication::activeModalWidget(), modal);
                modal->close();
            });
            openBox(desktop, game, box.box);
            EXPECT_TRUE(opened);
        }
    }
}

// The same path does reach the game when no box is open: the refusals above are real.
TEST(QtMessageBoxes, TheSameInputsReachTheGameWithoutABox) {
    RecordingSound sound;
    QtDesktop desktop;
    desktop.setClock([] { return std::int64_t{0}; });
    Game game(desktop, sound);
    desktop.invoke([&] { game.start(); });
    desktop.editText(game.title.Text1, "Ace");
    game.title.Command1.setFocus();
    playerInput(desktop, game, {testing::BehindBox::Key, "Form2", "", vk::Return});
    ASSERT_TRUE(game.mission.visible());
    playerInput(desktop, game, {testing::BehindBox::Click, "Form1", "Command1"});
    EXPECT_TRUE(game.mission.Timer1.enabled());
    playerInput(desktop, game, {testing::BehindBox::Key, "Form1", "", vk::Left});
    EXPECT_EQ(game.mission.Image2.picture(), game.mission.Image12.picture());
    playerInput(desktop, game, {testing::BehindBox::Close, "Form1"});
    EXPECT_TRUE(desktop.ended());
}

// Any name the player can type reaches the caption, the farewell box and the closing screen as
// typed; only the box shortens a name too long for the screen, in its middle.
TEST(QtNames, EveryNameIsShownAsTypedAndEveryBoxFitsTheScreen) {
    const std::string longName(100'000, 'A');
    const struct {
        const char* what;
        std::string typed, caption;
    } cases[] = {
        {"empty", "", "名無し"},
        {"blanks", "   ", "   "},
        {"100,000 characters", longName, longName},
        {"markup", "<b>bold</b>", "<b>bold</b>"},
        {"ampersands", "& &&", "& &&"},
        {"a placeholder", "[*]", "[*]"},
        {"corner brackets", "「鳥」", "「鳥」"},
        {"emoji", "🚁👍", "🚁👍"},
        {"right to left", "שלום עולם", "שלום עולם"},
        {"a tab", "a\tb", "a\tb"},
        {"a lone carriage return", "a\rb", "a\nb"},
        {"control characters", "\x01\x1b[31m", "\x01\x1b[31m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingSound sound;
        QtDesktop desktop;
        desktop.setClock([] { return std::int64_t{0}; });
        Game game(desktop, sound);
        desktop.invoke([&] { game.start(); });
        desktop.editText(game.title.Text1, c.typed);
        desktop.click(game.title.Command1);
        FormWindow* mission = desktop.windowFor(game.mission);
        ASSERT_NE(mission, nullptr);
        const QString title = mission->windowHandle()->title();
        if (c.typed.size() < 1000) {
            EXPECT_EQ(title.toStdString(), "ＳＶ  パイロット　" + c.caption);
        } else {
            // The model keeps the whole caption; the title bar, which could show none of the
            // rest, takes its start, so that the window system is not kept busy by megabytes.
            EXPECT_EQ(game.mission.caption(), "ＳＶ  パイロット　" + c.caption);
            EXPECT_TRUE(title.startsWith(QString::fromStdString("ＳＶ  パイロット　AAAA")));
            EXPECT_TRUE(title.endsWith(QChar(0x2026)));
            EXPECT_LE(title.size(), 4096);
        }

        QString shown;
        QSize boxSize;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown = box->text();
            boxSize = box->size();
            box->accept();
        });
        desktop.click(game.mission.Command2);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE(boxSize.height(), screen.height());
        EXPECT_LE(boxSize.width(), screen.width());
        if (c.typed.size() < 1000) {
            EXPECT_TRUE(shown.contains(QString::fromStdString(c.caption))) << shown.toStdString();
        } else {
            EXPECT_TRUE(shown.contains(QChar(0x2026))) << "a long name loses its middle";
            EXPECT_LT(shown.size(), 5000);
        }
        EXPECT_TRUE(desktop.ended());
    }
}

// The closing screen, too, thanks a pilot of 100,000 characters without a hang.
TEST(QtNames, TheClosingScreenThanksAVeryLongName) {
    RecordingSound sound;
    QtDesktop desktop;
    desktop.setClock([] { return std::int64_t{0}; });
    Game game(desktop, sound);
    desktop.invoke([&] { game.start(); });
    const std::string name(100'000, 'A');
    // Pasted into the name box: it has no length limit.
    auto* box =
        qobject_cast<QLineEdit*>(desktop.windowFor(game.title)->widgetFor(game.title.Text1));
    ASSERT_NE(box, nullptr);
    box->insert(QString::fromStdString(name));
    EXPECT_EQ(game.title.Text1.text().size(), name.size());
    desktop.click(game.title.Command1);
    desktop.invoke([&] { desktop.show(game.closing); });
    EXPECT_EQ(game.closing.Label4.caption(), name);
    const QImage img = desktop.windowFor(game.closing)->grab().toImage();
    EXPECT_EQ(img.size(), QSize(312, 213));
}

// A pad plugged in (SDL's virtual one) plays as the keyboard does: A at the briefing presses
// GO, the right trigger gives lift, and the keyboard's Shift and the trigger hold it together,
// the lift going only when both have let go.
TEST(QtPads, AVirtualPadPressesGoAndLiftsBesideTheKeyboard) {
    void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!sdl) GTEST_SKIP() << "no SDL here";
    const auto attach = reinterpret_cast<int (*)(const SDL_VirtualJoystickDesc*)>(
        dlsym(sdl, "SDL_JoystickAttachVirtualEx"));
    const auto open = reinterpret_cast<SDL_Joystick* (*)(int)>(dlsym(sdl, "SDL_JoystickOpen"));
    const auto button = reinterpret_cast<int (*)(SDL_Joystick*, int, Uint8)>(
        dlsym(sdl, "SDL_JoystickSetVirtualButton"));
    const auto axis = reinterpret_cast<int (*)(SDL_Joystick*, int, Sint16)>(
        dlsym(sdl, "SDL_JoystickSetVirtualAxis"));
    ASSERT_TRUE(attach && open && button && axis);
    RecordingSound sound;
    QtDesktop desktop;
    Game game(desktop, sound);
    desktop.invoke([&] { game.start(); });
    desktop.click(game.title.Command1);
    auto& m = game.mission;
    int told = 0;  // the pad's states the desktop has been told, and the last
    PadState last;
    SdlPad pads(
        [&](const PadState& p) {
            ++told;
            last = p;
            desktop.padChanged(p);
        },
        [&] { desktop.padGone(); });
    pads.start();
    // Waits for the thing itself, with ten times the time it needs.
    auto until = [](const std::function<bool()>& done) {
        QElapsedTimer spent;
        spent.start();
        while (!done() && spent.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    };
    ASSERT_TRUE(until([&] { return pads.watching(); }));
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    SDL_Joystick* stick = open(attach(&pad));
    ASSERT_NE(stick, nullptr);
    ASSERT_TRUE(until([&] { return told > 0; }));  // the pad is seen
    button(stick, SDL_CONTROLLER_BUTTON_A, 1);
    ASSERT_TRUE(until([&] { return m.Timer1.enabled(); }));
    button(stick, SDL_CONTROLLER_BUTTON_A, 0);
    axis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    ASSERT_TRUE(until([&] { return m.KeyY == 1; }));
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(desktop.windowFor(m), &shift);
    axis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
    ASSERT_TRUE(until([&] { return !(last.buttons & PadState::RightTrigger); }));
    EXPECT_EQ(m.KeyY, 1);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(desktop.windowFor(m), &up);
    EXPECT_EQ(m.KeyY, 0);
}

// A replay watched to its end stands there until its window closes, and looks again a period
// later each time: a look at once, at the deadline already past, kept a processor busy.
TEST(QtReplays, AReplayAtItsEndLooksAgainAPeriodLater) {
    auto read = readReplayBytes(
        "skyvane-replay 1\n0 text Form2 Text1 =Ace\n0 click Form2 Command1\n"
        "3 click Form1 Command1\n9 wait\n");
    ASSERT_FALSE(read.error);
    std::int64_t now = 0;
    NullSound silence;
    QtDesktop desktop;
    desktop.setClock([&] { return now; });
    skyvane::Run run(desktop, silence, {.replay = std::move(read.inputs)});
    bool ended = false;
    run.onReplayEnded = [&](const std::string&) { ended = true; };
    run.start();
    while (!ended) {
        desktop.wake();
        now += kPeriodNs;
    }
    for (int look = 0; look < 3; ++look, now += kPeriodNs / 4) {
        desktop.wake();
        EXPECT_GE(desktop.nextWakeMs(), 15) << look;
        EXPECT_EQ(desktop.period(), 9u);
    }
}

// A scripted flight through the Qt adapter, recorded by the real writer, then replayed headless
// from what it wrote: the same handler calls, property changes and sound calls, in the same
// order.
TEST(QtReplays, AFlightRecordedThroughTheAdapterReplaysTheSameHeadless) {
    fuzzing::TraceSum live(true);
    RecordingSound sound;
    TraceLog log = live.log(&sound);
    fuzzing::MemoryRecording recording;
    std::int64_t now = 0;
    QtDesktop desktop;
    log.follow(desktop);
    desktop.setClock([&] { return now; });
    Game game(desktop, log);
    desktop.setTrace(&log);
    desktop.setInputSink(&recording.writer());
    desktop.invoke([&] { game.start(); });
    auto until = [&](int period) {
        while (static_cast<int>(desktop.period()) < period) {
            now = (static_cast<std::int64_t>(desktop.period()) + 1) * kPeriodNs;
            desktop.wake();
        }
    };
    auto window = [&](Form& f) { return desktop.windowFor(f)->windowHandle(); };
    auto centreOf = [&](Form& f, Element& e) {
        QWidget* w = desktop.windowFor(f)->widgetFor(e);
        return w->mapTo(desktop.windowFor(f), w->rect().center());
    };

    until(5);
    QTest::mouseClick(window(game.title), Qt::LeftButton, {},
                      centreOf(game.title, game.title.Text1));
    QTest::keyClicks(desktop.windowFor(game.title)->widgetFor(game.title.Text1), "Ace");
    until(12);
    QTest::mouseClick(window(game.title), Qt::LeftButton, {},
                      centreOf(game.title, game.title.Command1));
    ASSERT_TRUE(game.mission.visible());
    until(20);
    QTest::keyClick(window(game.mission), Qt::Key_Return);  // GO
    QTest::keyPress(window(game.mission), Qt::Key_Shift);
    until(50);
    QTest::keyPress(window(game.mission), Qt::Key_Left);
    until(100);  // Left repeats
    QTest::keyRelease(window(game.mission), Qt::Key_Left);
    until(110);
    QTest::keyRelease(window(game.mission), Qt::Key_Shift);
    until(600);  // down it comes
    ASSERT_TRUE(game.mission.Command2.visible()) << game.mission.Label9.caption();
    QTimer::singleShot(0, [&] {
        until(static_cast<int>(desktop.period()) + 10);
        QApplication::activeModalWidget()->close();
    });
    QTest::keyClick(window(game.mission), Qt::Key_Return);  // close: the farewell
    ASSERT_TRUE(desktop.ended());
    desktop.setInputSink(nullptr);

    const auto again = fuzzing::replayText(recording.text(), true);
    ASSERT_FALSE(again.error) << again.error->what;
    ASSERT_GT(live.lines(), 1000u);
    EXPECT_TRUE(again.trace.sameAs(live)) << again.trace.firstDifference(live);
    EXPECT_EQ(again.rerecorded, recording.text());
}

// A handler that fails with an exception stops where it failed; the game goes on, and the
// desktop says so on stderr rather than passing over it in silence.
TEST_F(QtGame, AFailingHandlerIsReportedAndTheGameGoesOn) {
    game.title.Timer1.onTimer = [] { throw std::runtime_error("broken tick"); };
    ::testing::internal::CaptureStderr();
    for (int i = 1; i <= 32; ++i) advanceTo(i * kPeriodNs);  // the blink tick fails at 32
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("broken tick"), std::string::npos) << said;
    EXPECT_FALSE(desktop.ended());
    EXPECT_EQ(game.title.ScrollTop, 1000 - 32 * 5);
}

// Found by the sanitizer build: a window whose form was unloaded went on touching itself after
// Qt deleted it, and its views touched a form that no longer existed.
TEST(QtRegressions, AnUnloadedWindowIsDeletedWithoutTouchingItselfOrItsForm) {
    RecordingSound sound;
    QtDesktop desktop;
    desktop.setClock([] { return std::int64_t{0}; });
    {
        Game game(desktop, sound);
        desktop.invoke([&] { game.start(); });
        // Going home unloads the title screen, whose window Qt deletes later.
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        desktop.click(game.title.Command2);
        ASSERT_TRUE(desktop.ended());
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    SUCCEED();  // ASan and UBSan are the judges here
}

}  // namespace
}  // namespace skyvane

namespace skyvane {
namespace {

// Every text of every language fits the box it is drawn in and shows whole: laid out by the
// label's own placement (Qt's layout, the view's flags and font), it stays inside its box, and no
// element drawn in front of it (an earlier row of the same container) covers a pixel of its ink.
// A button's caption fits its face. The message line is tried with every message it shows.
TEST(TextsFit, EveryTextFitsItsBoxAndShowsWholeInEveryLanguage) {
    using skyvane::geometry::rect;
    for (const auto& language : Catalog::languages()) {
        const auto& texts = *Catalog::of(language);
        for (const FormDesign* source : {&titleLayout(), &missionLayout(), &closingLayout()}) {
            const auto& elements = texts.design(*source).elements;
            for (std::size_t i = 0; i < elements.size(); ++i) {
                const auto& e = elements[i];
                if (e.top >= source->clientHeight) continue;  // out of sight
                std::vector<std::string> shown{e.caption};
                if (e.name == "Label9" && source == &missionLayout())
                    for (const char* message :
                         {mission_text::kGoOrder, mission_text::kBackOrder, mission_text::kGood,
                          mission_text::kCrashed, mission_text::kSunk, mission_text::kEmpty})
                        shown.push_back(texts.tr(message));
                const auto r = rect(e.left, e.top, e.width, e.height);
                const QSize size(r.width, r.height);
                for (std::string text : shown) {
                    // Blank lines at the end show nothing.
                    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
                        text.pop_back();
                    if (text.empty()) continue;
                    const auto said = [&] {
                        return language + ": " + e.name + " \"" + text + "\"";
                    };
                    if (e.kind == ElementKind::Button) {
                        const QRect face = QRect(QPoint(), size).adjusted(3, 3, -3, -3);
                        const QRect needed =
                            QFontMetrics(qtlook::font({}))
                                .boundingRect(face, Qt::AlignCenter | Qt::TextShowMnemonic,
                                              qtlook::buttonText(text));
                        EXPECT_TRUE(face.contains(needed)) << said() << " is cut by the face";
                        continue;
                    }
                    if (e.kind != ElementKind::Label) continue;
                    const auto placed = labelText(e, size);
                    const QString drawn = qtlook::displayText(text);
                    const QRect needed =
                        QFontMetrics(placed.font).boundingRect(placed.box, placed.flags, drawn);
                    EXPECT_TRUE(placed.box.contains(needed))
                        << said() << " needs " << needed.width() << "x" << needed.height() << " of "
                        << placed.box.width() << "x" << placed.box.height();
                    QImage ink(size, QImage::Format_ARGB32_Premultiplied);
                    ink.fill(Qt::transparent);
                    {
                        QPainter p(&ink);
                        p.setFont(placed.font);
                        p.setPen(Qt::black);
                        p.drawText(placed.box, placed.flags, drawn);
                    }
                    for (std::size_t j = 0; j < i; ++j) {
                        const auto& front = elements[j];
                        if (front.container != e.container || front.top >= source->clientHeight)
                            continue;
                        const auto f = rect(front.left, front.top, front.width, front.height);
                        const QRect over = QRect(f.x - r.x, f.y - r.y, f.width, f.height)
                                               .intersected(QRect(QPoint(), size));
                        int covered = 0;
                        for (int y = over.top(); y <= over.bottom(); ++y)
                            for (int x = over.left(); x <= over.right(); ++x)
                                covered += qAlpha(ink.pixel(x, y)) > 0;
                        EXPECT_EQ(covered, 0) << said() << " is covered by " << front.name;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace skyvane

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
