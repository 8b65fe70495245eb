#include "e2e/support/HeardCase.h"

#include "e2e/support/Ladder.h"
#include "e2e/support/Listening.h"
#include "e2e/support/Tones.h"

#include <cmath>

TopLevel HeardCase::openShow(const std::vector<std::string>& files) {
    const TopLevel window = launch();
    map = std::make_unique<WindowMap>(window.frame);
    dropFiles(files, map->cellCentre(0));
    return window;
}

std::string HeardCase::ladderFile(const std::string& name, const Ladder& ladder) {
    const std::string file = path(name);
    EXPECT_TRUE(ladder.write(file)) << name;
    return file;
}

std::size_t HeardCase::fire(std::uint32_t key, double seconds, std::vector<float>& heard) {
    return fire([&] { x->key(key); }, seconds, heard);
}

std::size_t HeardCase::fire(const std::function<void()>& trigger, double seconds,
                            std::vector<float>& heard) {
    const std::size_t pressed = recordedFrames();
    trigger();
    heard = recordFor(seconds);
    const std::size_t first = Listening::firstSound(heard, pressed);
    return first == Listening::npos ? Listening::npos : first / Tones::kPeriod * Tones::kPeriod;
}

std::optional<TopLevel> HeardCase::editSheet(const TopLevel& window, char entry) {
    x->focus(window);
    x->key('e', Alt);
    x->settle(200ms);
    x->key(static_cast<unsigned char>(entry));
    return waitForOtherWindow();
}

void HeardCase::retype(QPoint field, const std::string& text) {
    x->click(field);
    x->key('a', Control);
    x->type(text);
    x->key(Keys::Tab);
    x->settle();
}

std::optional<QPoint> HeardCase::masterVolume(const TopLevel& window, double fraction) {
    // The slider's middle row, right of the transport buttons.
    const int y = window.frame.bottom() - 31;
    const int from = window.frame.left() + 400;
    const QImage row = x->grab(QRect(from, y, window.frame.right() - from, 1));
    for (int i = 0; i < row.width(); ++i) {
        const QRgb pixel = row.pixel(i, 0);
        if (qBlue(pixel) > 0x40 && qBlue(pixel) > qRed(pixel) + 30) {
            return QPoint(from + i + 7 + static_cast<int>(std::lround(fraction * 105)), y);
        }
    }
    return std::nullopt;
}
