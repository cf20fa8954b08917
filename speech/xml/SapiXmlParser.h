#pragma once

#include "speech/xml/SapiMarkupScanner.h"
#include "speech/xml/SapiXml.h"

#include <QHash>
#include <vector>

// Turns the scanner's tokens into segments. Each element that encloses text saves the
// settings it found and restores them when it closes; an end tag closes the innermost open
// element of its name together with everything opened inside it. Open elements are
// indexed by name, so mismatched end tags cost no search, however deep the nesting.
class SapiXmlParser
{
public:
    explicit SapiXmlParser(const QString& markup);
    QList<SapiSegment> Parse();

    // Silences longer than this are cut to it.
    static constexpr int MaxSilenceMs = 60000;

private:
    struct Settings
    {
        int languageId = 0;
        std::optional<int> rateAbsolute;
        int rateRelative = 0;
        std::optional<int> volume;
        std::optional<int> pitchAbsolute;
        int pitchRelative = 0;
        bool emphasis = false;
        bool spell = false;
        bool operator==(const Settings&) const = default;
    };
    struct OpenedElement
    {
        QString group;
        Settings before;
    };

    void OpenElement(const SapiTag& tag);
    void CloseElement(const QString& name);
    void Apply(const SapiTag& tag);
    static void ApplyScale(const QString& absoluteText, const QString& relativeText,
                           std::optional<int>& absolute, int& relative);
    void AddText(const QString& text, const QList<int>& positions);
    void AddSilence(const SapiTag& tag);
    SapiSegment Segment(SapiSegment::Kind kind) const;

    SapiMarkupScanner m_scanner;
    Settings m_settings;
    std::vector<OpenedElement> m_open;
    QHash<QString, std::vector<qsizetype>> m_openByGroup;
    QList<SapiSegment> m_segments;
    Settings m_lastTextSettings; // of m_segments.last() when that is Text
};
