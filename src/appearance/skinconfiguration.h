#pragma once
// A set of skin settings for the frame skinner: a name, six colours, two fonts, two pictures
// and six numbers. It also remembers the order in which its settings were given.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <array>
#include <vector>

namespace quenbry {

// The settings in the order a full skin gives them.
enum class SkinSetting {
    Name,
    ActiveCaptionTextColour,
    ActiveCaptionColour,
    InactiveCaptionTextColour,
    MenuHighlightTextColour,
    MenuHighlightColour,
    InactiveCaptionColour,
    CaptionFont,
    MenuFont,
    CaptionPicture, // 640x48, sliced at the four CaptionSlice positions
    ButtonPicture,  // 70x10, seven 10x10 caption-button glyphs side by side
    CaptionHeight,
    CaptionButtonSize,
    CaptionSlice1,
    CaptionSlice2,
    CaptionSlice3,
    CaptionSlice4,
};
inline constexpr int SkinSettingCount = 17;

class SkinConfiguration {
public:
    enum class Kind { Name, Colour, Font, Picture, Number };
    static Kind kindOf(SkinSetting setting);

    // A new configuration holds the defaults of a plain grey frame and has been given nothing.
    SkinConfiguration();

    // Each setter ignores a setting of another kind and returns false for it.
    bool setName(const QString &name);
    bool setColour(SkinSetting setting, const QColor &colour);
    bool setFont(SkinSetting setting, const QFont &font);
    bool setPicture(SkinSetting setting, const QImage &picture);
    bool setNumber(SkinSetting setting, qint32 number);

    QString name() const { return name_; }
    QColor colour(SkinSetting setting) const;
    QFont font(SkinSetting setting) const;
    QImage picture(SkinSetting setting) const;
    qint32 number(SkinSetting setting) const;

    // Every setting given so far, in the order given (a setting given twice appears twice).
    const std::vector<SkinSetting> &givenOrder() const { return given_; }

    bool operator==(const SkinConfiguration &other) const;

private:
    static int slot(SkinSetting setting, SkinSetting first) { return int(setting) - int(first); }

    QString name_;
    std::array<QColor, 6> colours_;
    std::array<QFont, 2> fonts_;
    std::array<QImage, 2> pictures_;
    std::array<qint32, 6> numbers_{};
    std::vector<SkinSetting> given_;
};

} // namespace quenbry
