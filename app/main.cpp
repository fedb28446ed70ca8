#include <QApplication>
#include <QFile>
#include <QIcon>

#include "layouts/layouts.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/sdl_sound.h"
#include "screens/game.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(skyvane::pictures::SideLeft));

    std::vector<char> defaultWave;
    QFile fallback(QStringLiteral(":/sounds/default.wav"));
    if (fallback.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = fallback.readAll();
        defaultWave.assign(bytes.begin(), bytes.end());
    }
    // Sound files are looked up in the working directory first, then beside the program.
    const std::string installed =
        (QCoreApplication::applicationDirPath() + QStringLiteral("/assets")).toStdString();
    skyvane::SdlSound sound({"", installed}, std::move(defaultWave));
    sound.preload("HERI3.wav");
    sound.preload("BAKU.wav");

    skyvane::QtDesktop desktop([&sound] { sound.play(nullptr, skyvane::kSoundSync); });
    skyvane::Game game(desktop, sound);
    desktop.invoke([&] { game.start(); });
    if (desktop.ended()) return 0;
    return app.exec();
}
