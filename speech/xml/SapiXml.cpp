#include "speech/xml/SapiXml.h"

#include "speech/xml/SapiXmlParser.h"

QList<SapiSegment> ParseSapiXml(const QString& markup)
{
    return SapiXmlParser(markup).Parse();
}
