// Twips (1440 to the inch) against the screen's pixels at its logical dots
// per inch, and the packed 0x00BBGGRR colours.
#pragma once

#include <QColor>
#include <QRect>
#include <cstdint>

namespace vorlix::adapters::qt {

class Units {
public:
    // Reads the primary screen's logical DPI (96 when there is no screen).
    static Units of_primary_screen();
    Units(double dpi_x, double dpi_y) : dpi_x_(dpi_x), dpi_y_(dpi_y) {}

    int x_px(float twips) const;
    int y_px(float twips) const;
    float x_twips(int px) const { return static_cast<float>(px * 1440.0 / dpi_x_); }
    float y_twips(int px) const { return static_cast<float>(px * 1440.0 / dpi_y_); }
    QRect rect(int left, int top, int width, int height) const {
        return {x_px(float(left)), y_px(float(top)), x_px(float(width)), y_px(float(height))};
    }

private:
    double dpi_x_;
    double dpi_y_;
};

inline QColor packed_colour(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

}  // namespace vorlix::adapters::qt
