#include "adapters/qt/units.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace vorlix::adapters::qt {

Units Units::of_primary_screen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {96.0, 96.0};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

int Units::x_px(float twips) const {
    return int(std::lround(twips * dpi_x_ / 1440.0));
}
int Units::y_px(float twips) const {
    return int(std::lround(twips * dpi_y_ / 1440.0));
}

}  // namespace vorlix::adapters::qt
