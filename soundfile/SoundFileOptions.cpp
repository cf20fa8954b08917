#include "soundfile/SoundFileOptions.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

#include <array>
#include <utility>

namespace {

// The MP3 choices under their JSON names.
std::array<std::pair<const char*, int Mp3Choices::*>, 7> Mp3ChoiceFields()
{
    return {{{"sampleRateItem", &Mp3Choices::sampleRateItem},
             {"channelsItem", &Mp3Choices::channelsItem},
             {"modeItem", &Mp3Choices::modeItem},
             {"bitrateItem", &Mp3Choices::bitrateItem},
             {"bitrateMaxItem", &Mp3Choices::bitrateMaxItem},
             {"vbrQuality", &Mp3Choices::vbrQuality},
             {"qualityItem", &Mp3Choices::qualityItem}}};
}

} // namespace

int SoundFileOptions::StreamFormatType() const
{
    return mp3 ? FillEncoderConfig(mp3Choices).streamFormatType : wavFormat;
}

EncoderConfig SoundFileOptions::EncoderConfig() const
{
    return mp3 ? FillEncoderConfig(mp3Choices).config : ::EncoderConfig();
}

int SoundFileOptions::PartCharLimit() const
{
    return ParsePartCharLimit(partCharLimit);
}

QJsonObject SoundFileOptions::ToJson() const
{
    QJsonObject json{
        {"wavFormat", wavFormat}, {"divide", divide}, {"partCharLimit", partCharLimit}, {"mp3", mp3}};
    for (const auto& [name, field] : Mp3ChoiceFields())
        json.insert(QLatin1String(name), mp3Choices.*field);
    return json;
}

SoundFileOptions SoundFileOptions::FromJson(const QJsonObject& json)
{
    SoundFileOptions options;
    options.wavFormat = json["wavFormat"].toInt(options.wavFormat);
    options.divide = json["divide"].toBool(options.divide);
    options.partCharLimit = json["partCharLimit"].toString(options.partCharLimit);
    options.mp3 = json["mp3"].toBool(options.mp3);
    for (const auto& [name, field] : Mp3ChoiceFields())
        options.mp3Choices.*field = json[QLatin1String(name)].toInt(options.mp3Choices.*field);
    return options;
}

int ParsePartCharLimit(const QString& text)
{
    bool ok = false;
    const int limit = text.trimmed().toInt(&ok);
    if (!ok)
        throw VemoError(Say("\"%1\" is not an integer: the characters of text per part must be an integer.",
                            "«%1» не целое число: число символов текста в одной части файла "
                            "должно быть целым (characters per part must be an integer).")
                            .arg(text));
    return limit;
}
