// SPDX-License-Identifier: MIT

#include "pwtools.h"

#include <cmath>
#include <iterator>

namespace {

struct NamedColor
{
    const char *name;
    int red;
    int green;
    int blue;
};

// The grey steps are deliberately uneven; the values are the palette.
constexpr NamedColor palette[] = {
    {"gray0", 10, 10, 10},       {"gray0.5", 15, 15, 15},     {"gray1", 20, 20, 20},
    {"gray1.5", 30, 30, 30},     {"gray2", 40, 40, 40},       {"gray2.5", 60, 60, 60},
    {"gray3", 80, 80, 80},       {"gray3.5", 98, 98, 98},     {"gray4", 115, 115, 115},
    {"gray4.5", 133, 133, 133},  {"gray5", 150, 150, 150},    {"gray5.5", 165, 165, 165},
    {"gray6", 180, 180, 180},    {"gray6.5", 195, 195, 195},  {"gray7", 210, 210, 210},
    {"gray7.5", 223, 223, 223},  {"gray8", 235, 235, 235},    {"gray8.5", 243, 243, 243},
    {"gray9", 250, 250, 250},    {"gray9.5", 255, 255, 255},  {"marker", 212, 146, 17},
};

// Rounds half away from zero, unlike the banker's rounding of some helpers.
int roundHalfAway(double value)
{
    return static_cast<int>(std::round(value));
}

} // namespace

QColor PwTools::getColor(const QString &name) const
{
    for (const NamedColor &entry : palette) {
        if (name == QLatin1String(entry.name))
            return QColor(entry.red, entry.green, entry.blue, 255);
    }
    return QColor(255, 255, 255, 255);
}

QColor PwTools::getColorDark(QColor color) const
{
    const int value = roundHalfAway(color.value() * 0.5);
    return QColor::fromHsv(color.hue(), color.saturation(), value, 255);
}

QColor PwTools::getColorLight(QColor color) const
{
    const int saturation = roundHalfAway(color.saturation() * 0.6);
    const int value = roundHalfAway(255 - (255 - color.value()) * 0.65);
    return QColor::fromHsv(color.hue(), saturation, value, 255);
}
