#include "platform/qt/qt_look.h"

#include <cmath>

namespace skyvane::qtlook {

int px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

QRect rect(int left, int top, int width, int height) {
    const int x = px(left);
    const int y = px(top);
    return {x, y, px(left + width) - x, px(top + height) - y};
}

QStringList familiesFor(const std::string& face) {
    if (face == "ＭＳ ゴシック") return {"IPAGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP"};
    if (face == "ＭＳ 明朝") return {"IPAMincho", "Noto Serif CJK JP"};
    // "ＭＳ Ｐゴシック" and the default interface font.
    return {"IPAPGothic", "Noto Sans CJK JP"};
}

QFont font(const FontSpec& design) {
    QFont f;
    f.setFamilies(familiesFor(design.face));
    // The default interface font: 8.25 pt keeps the key help on its one line.
    const double points = design.face.empty() ? 8.25 : design.points;
    f.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    f.setBold(design.bold);
    f.setStyleStrategy(QFont::PreferMatch);
    return f;
}

QString displayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    return s;
}

QString windowTitle(const std::string& text) {
    QString s = displayText(text);
    s.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    // Qt shows the program's name for an empty title; an invisible character keeps it blank.
    if (s.isEmpty()) s = QChar(0x200B);
    return s;
}

QString buttonText(const std::string& text) {
    QString s = displayText(text);
    s.replace(QChar('&'), QStringLiteral("&&"));
    return s;
}

}  // namespace skyvane::qtlook
