#include "skinconfiguration.h"

namespace quenbry {

SkinConfiguration::Kind SkinConfiguration::kindOf(SkinSetting setting) {
    if (setting == SkinSetting::Name)
        return Kind::Name;
    if (setting <= SkinSetting::InactiveCaptionColour)
        return Kind::Colour;
    if (setting <= SkinSetting::MenuFont)
        return Kind::Font;
    if (setting <= SkinSetting::ButtonPicture)
        return Kind::Picture;
    return Kind::Number;
}

SkinConfiguration::SkinConfiguration()
    : colours_{QColor(Qt::white), QColor(96, 96, 96), QColor(Qt::black),
               QColor(Qt::white), QColor(96, 96, 96), QColor(192, 192, 192)} {}

bool SkinConfiguration::setName(const QString &name) {
    name_ = name;
    given_.push_back(SkinSetting::Name);
    return true;
}

bool SkinConfiguration::setColour(SkinSetting setting, const QColor &colour) {
    if (kindOf(setting) != Kind::Colour)
        return false;
    colours_[slot(setting, SkinSetting::ActiveCaptionTextColour)] = colour;
    given_.push_back(setting);
    return true;
}

bool SkinConfiguration::setFont(SkinSetting setting, const QFont &font) {
    if (kindOf(setting) != Kind::Font)
        return false;
    fonts_[slot(setting, SkinSetting::CaptionFont)] = font;
    given_.push_back(setting);
    return true;
}

bool SkinConfiguration::setPicture(SkinSetting setting, const QImage &picture) {
    if (kindOf(setting) != Kind::Picture)
        return false;
    pictures_[slot(setting, SkinSetting::CaptionPicture)] = picture;
    given_.push_back(setting);
    return true;
}

bool SkinConfiguration::setNumber(SkinSetting setting, qint32 number) {
    if (kindOf(setting) != Kind::Number)
        return false;
    numbers_[slot(setting, SkinSetting::CaptionHeight)] = number;
    given_.push_back(setting);
    return true;
}

QColor SkinConfiguration::colour(SkinSetting setting) const {
    return kindOf(setting) == Kind::Colour
               ? colours_[slot(setting, SkinSetting::ActiveCaptionTextColour)]
               : QColor();
}

QFont SkinConfiguration::font(SkinSetting setting) const {
    return kindOf(setting) == Kind::Font ? fonts_[slot(setting, SkinSetting::CaptionFont)]
                                         : QFont();
}

QImage SkinConfiguration::picture(SkinSetting setting) const {
    return kindOf(setting) == Kind::Picture ? pictures_[slot(setting, SkinSetting::CaptionPicture)]
                                            : QImage();
}

qint32 SkinConfiguration::number(SkinSetting setting) const {
    return kindOf(setting) == Kind::Number ? numbers_[slot(setting, SkinSetting::CaptionHeight)]
                                           : 0;
}

bool SkinConfiguration::operator==(const SkinConfiguration &other) const {
    return name_ == other.name_ && colours_ == other.colours_ && fonts_ == other.fonts_ &&
           pictures_ == other.pictures_ && numbers_ == other.numbers_ && given_ == other.given_;
}

} // namespace quenbry
