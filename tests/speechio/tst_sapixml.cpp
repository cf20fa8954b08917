#include "speech/xml/SapiXml.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTest>

// Segments written compactly: [text]{settings} for text, <N ms> for a pause; settings show
// only what differs from the voice's own.
static QString describe(const QList<SapiSegment>& segments)
{
    QStringList out;
    for (const SapiSegment& s : segments) {
        QStringList settings;
        if (s.languageId)
            settings << QStringLiteral("lang=%1").arg(s.languageId, 0, 16);
        if (s.rateAbsolute)
            settings << QStringLiteral("rate=%1").arg(*s.rateAbsolute);
        if (s.rateRelative)
            settings << QStringLiteral("speed=%1").arg(s.rateRelative);
        if (s.volume)
            settings << QStringLiteral("vol=%1").arg(*s.volume);
        if (s.pitchAbsolute)
            settings << QStringLiteral("pitch=%1").arg(*s.pitchAbsolute);
        if (s.pitchRelative)
            settings << QStringLiteral("middle=%1").arg(s.pitchRelative);
        if (s.emphasis)
            settings << QStringLiteral("emph");
        if (s.spell)
            settings << QStringLiteral("spell");
        const QString suffix = settings.isEmpty() ? QString() : u'{' + settings.join(u',') + u'}';
        if (s.kind == SapiSegment::Kind::Silence)
            out << QStringLiteral("<%1 ms>").arg(s.silenceMs) + suffix;
        else
            out << u'[' + s.text + u']' + suffix;
    }
    return out.join(u' ');
}

// Every segment keeps one position per character, each pointing at that character in the
// markup (or at the '&' of the reference it came from), in increasing order.
static void verifyPositions(const QString& markup, const QList<SapiSegment>& segments)
{
    int previous = -1;
    for (const SapiSegment& s : segments) {
        if (s.kind == SapiSegment::Kind::Silence)
            continue;
        QVERIFY(!s.text.isEmpty());
        QCOMPARE(s.sourcePositions.size(), s.text.size());
        for (qsizetype i = 0; i < s.text.size(); ++i) {
            const int at = s.sourcePositions[i];
            QVERIFY(at >= previous && at < markup.size());
            QVERIFY(markup[at] == s.text[i] || markup[at] == u'&');
            previous = at;
        }
    }
}

class TestSapiXml : public QObject
{
    Q_OBJECT

private slots:
    void elements_data();
    void elements();
    void entities_data();
    void entities();
    void malformed_data();
    void malformed();
    void deepNesting_data();
    void deepNesting();
    void largeMarkup_data();
    void largeMarkup();
};

void TestSapiXml::elements_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("expected");
    // What the palette buttons write, with their start values, around some text.
    QTest::newRow("Lang ... </lang>")
        << u"<voice required=\"Language=409\">hello</lang> мир"_qs << u"[hello]{lang=409} [ мир]"_qs;
    QTest::newRow("Volume") << u"<volume level=\"70\">a</volume>b"_qs << u"[a]{vol=70} [b]"_qs;
    QTest::newRow("AbsSpeed") << u"<rate absspeed=\"5\">a</rate>b"_qs << u"[a]{rate=5} [b]"_qs;
    QTest::newRow("Speed") << u"<rate speed=\"5\">a</rate>b"_qs << u"[a]{speed=5} [b]"_qs;
    QTest::newRow("A..=\"\"/>") << u"x<rate absspeed=\"5\"/>a"_qs << u"[x] [a]{rate=5}"_qs;
    QTest::newRow("S..=\"\"/>") << u"x<rate speed=\"5\"/>a"_qs << u"[x] [a]{speed=5}"_qs;
    QTest::newRow("AbsMiddle") << u"<pitch absmiddle=\"5\">a</pitch>b"_qs << u"[a]{pitch=5} [b]"_qs;
    QTest::newRow("Middle") << u"<pitch middle=\"5\">a</pitch>b"_qs << u"[a]{middle=5} [b]"_qs;
    QTest::newRow("AM..=\"\"/>") << u"<pitch absmiddle=\"5\"/>a"_qs << u"[a]{pitch=5}"_qs;
    QTest::newRow("MA..=\"\"/>") << u"<pitch middle=\"5\"/>a"_qs << u"[a]{middle=5}"_qs;
    QTest::newRow("emph") << u"<emph>a</emph>b"_qs << u"[a]{emph} [b]"_qs;
    QTest::newRow("Silence") << u"a<silence msec=\"500\"/>b"_qs << u"[a] <500 ms> [b]"_qs;
    QTest::newRow("Pron, empty sym") << u"<pron sym=\"\">a</pron>b"_qs << u"[ab]"_qs;
    QTest::newRow("Bookmark") << u"a<bookmark mark=\"\"/>b"_qs << u"[ab]"_qs;
    QTest::newRow("PartOfSp") << u"<partofsp part=\"Unknown\">a</partofsp>b"_qs << u"[ab]"_qs;
    QTest::newRow("Context") << u"<context id=\"date_mdy\">a</context>b"_qs << u"[ab]"_qs;
    QTest::newRow("Spell") << u"<spell>a</spell>b"_qs << u"[a]{spell} [b]"_qs;
    QTest::newRow("Russian voice") << u"<voice required=\"Language=419\">да</voice>"_qs
                                   << u"[да]{lang=419}"_qs;

    // Nesting, empty forms and end tags.
    QTest::newRow("relative rates add")
        << u"<rate speed=\"3\"><rate speed=\"4\">a</rate>b</rate>c"_qs << u"[a]{speed=7} [b]{speed=3} [c]"_qs;
    QTest::newRow("relative sum clamped")
        << u"<rate speed=\"8\"><rate speed=\"8\">a"_qs << u"[a]{speed=10}"_qs;
    QTest::newRow("relative inside absolute")
        << u"<rate absspeed=\"2\"><rate speed=\"-3\">a</rate>b</rate>"_qs
        << u"[a]{rate=2,speed=-3} [b]{rate=2}"_qs;
    QTest::newRow("absolute drops relative")
        << u"<rate speed=\"3\"><rate absspeed=\"2\">a</rate>b</rate>"_qs << u"[a]{rate=2} [b]{speed=3}"_qs;
    QTest::newRow("out of range values")
        << u"<rate absspeed=\"-40\"><volume level=\"150\">a"_qs << u"[a]{rate=-10,vol=100}"_qs;
    QTest::newRow("unreadable value changes nothing")
        << u"<volume level=\"30\"><volume level=\"loud\">a"_qs << u"[a]{vol=30}"_qs;
    QTest::newRow("empty form ends with its enclosing element")
        << u"<volume level=\"50\">a<rate absspeed=\"5\"/>b</volume>c"_qs
        << u"[a]{vol=50} [b]{rate=5,vol=50} [c]"_qs;
    QTest::newRow("</lang> closes the voice and what it holds")
        << u"<voice required=\"Language=419\">a<emph>b</lang>c"_qs
        << u"[a]{lang=419} [b]{lang=419,emph} [c]"_qs;
    QTest::newRow("lang element") << u"<lang langid=\"419\">a</lang>b"_qs << u"[a]{lang=419} [b]"_qs;
    QTest::newRow("inner voice wins, outer returns")
        << u"<voice required=\"Language=419\">a<voice required=\"Language=409\">b</voice>c</voice>"_qs
        << u"[a]{lang=419} [b]{lang=409} [c]{lang=419}"_qs;
    QTest::newRow("attribute list, 0x")
        << u"<voice required=\"Gender=Female;Language=0x409\">a"_qs << u"[a]{lang=409}"_qs;
    QTest::newRow("language not hex") << u"<voice required=\"Language=zz\">a"_qs << u"[a]"_qs;
    QTest::newRow("unmatched end tag ignored") << u"<emph>a</rate>b</emph>c"_qs << u"[ab]{emph} [c]"_qs;
    QTest::newRow("outer end tag closes inner")
        << u"<emph>a<spell>b</emph>c</spell>d"_qs << u"[a]{emph} [b]{emph,spell} [cd]"_qs;
    QTest::newRow("letter case of names")
        << u"<EMPH>a</Emph><Rate AbsSpeed='3'>b"_qs << u"[a]{emph} [b]{rate=3}"_qs;
    QTest::newRow("silence enclosing text") << u"<silence msec=\"200\">a</silence>"_qs << u"<200 ms> [a]"_qs;
    QTest::newRow("silence zero or unreadable") << u"a<silence msec=\"0\"/><silence/>b"_qs << u"[ab]"_qs;
    QTest::newRow("silence too long") << u"<silence msec=\"99999999999\"/>"_qs << u"<60000 ms>"_qs;
    QTest::newRow("silence keeps the settings")
        << u"<emph><silence msec=\"10\"/></emph>"_qs << u"<10 ms>{emph}"_qs;
    QTest::newRow("unknown element, its text spoken")
        << u"<foo bar=\"1\">a</foo>b<sapi>c</sapi>"_qs << u"[abc]"_qs;
    QTest::newRow("comment") << u"a<!-- <emph> -->b"_qs << u"[ab]"_qs;
    QTest::newRow("processing instruction") << u"<?xml version=\"1.0\"?>a"_qs << u"[a]"_qs;
    QTest::newRow("declaration") << u"<!DOCTYPE x>a"_qs << u"[a]"_qs;
    QTest::newRow("CDATA is text") << u"<![CDATA[<emph>]]>"_qs << u"[<emph>]"_qs;
    QTest::newRow("'>' in a quoted value") << u"<pron sym=\"a>b\">c</pron>"_qs << u"[c]"_qs;
}

void TestSapiXml::elements()
{
    QFETCH(QString, markup);
    QFETCH(QString, expected);
    const QList<SapiSegment> segments = ParseSapiXml(markup);
    QCOMPARE(describe(segments), expected);
    verifyPositions(markup, segments);
}

void TestSapiXml::entities_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("named") << u"a&lt;b&gt;&amp;&quot;&apos;"_qs << u"a<b>&\"'"_qs
                           << QList<int>{0, 1, 5, 6, 10, 15, 21};
    QTest::newRow("numeric") << u"&#1087;&#x43F;&#X41;"_qs << u"ппA"_qs << QList<int>{0, 7, 14};
    QTest::newRow("beyond 16 bits") << u"x&#x1F600;"_qs << u"x\U0001F600"_qs << QList<int>{0, 1, 1};
    QTest::newRow("after a tag") << u"<bookmark mark=\"x\"/>ab&amp;"_qs << u"ab&"_qs
                                 << QList<int>{20, 21, 22};
    QTest::newRow("unknown name") << u"&foo;"_qs << u"&foo;"_qs << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("no semicolon") << u"&amp x"_qs << u"&amp x"_qs << QList<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("invalid code points")
        << u"&#0;&#xD800;"_qs << u"&#0;&#xD800;"_qs << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    QTest::newRow("too large") << u"&#1114112;"_qs << u"&#1114112;"_qs
                               << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("not digits") << u"&#12a;&#x;"_qs << u"&#12a;&#x;"_qs
                                << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("entity in attribute")
        << u"<pron sym=\"&quot;&lt;\">a</pron>"_qs << u"a"_qs << QList<int>{23};
    QTest::newRow("line break kept") << u"a\r\nb"_qs << u"a\r\nb"_qs << QList<int>{0, 1, 2, 3};
}

void TestSapiXml::entities()
{
    QFETCH(QString, markup);
    QFETCH(QString, text);
    QFETCH(QList<int>, positions);
    const QList<SapiSegment> segments = ParseSapiXml(markup);
    QCOMPARE(segments.size(), 1);
    QCOMPARE(segments[0].text, text);
    QCOMPARE(segments[0].sourcePositions, positions);
}

void TestSapiXml::malformed_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("stray <") << u"a < b"_qs << u"[a < b]"_qs;
    QTest::newRow("< at the end") << u"a<"_qs << u"[a<]"_qs;
    QTest::newRow("only <") << u"<"_qs << u"[<]"_qs;
    QTest::newRow("</ at the end") << u"</"_qs << u"[</]"_qs;
    QTest::newRow("</>") << u"</>"_qs << u"[</>]"_qs;
    QTest::newRow("<>") << u"<>"_qs << u"[<>]"_qs;
    QTest::newRow("digit after <") << u"1<2>3"_qs << u"[1<2>3]"_qs;
    QTest::newRow("unclosed tag at the end") << u"a <emph"_qs << u"[a <emph]"_qs;
    QTest::newRow("tag cut by the next tag")
        << u"<rate absspeed=\"5\" <emph>x"_qs << u"[<rate absspeed=\"5\" ] [x]{emph}"_qs;
    QTest::newRow("unterminated quote") << u"<rate absspeed=\"5>text"_qs << u"[text]{rate=5}"_qs;
    QTest::newRow("unterminated quote, no >") << u"<rate absspeed=\"5"_qs << u"[<rate absspeed=\"5]"_qs;
    QTest::newRow("bare value") << u"<volume level=20/>a"_qs << u"[a]{vol=20}"_qs;
    QTest::newRow("attribute without value") << u"<volume level>a"_qs << u"[a]"_qs;
    QTest::newRow("unclosed elements") << u"<emph><spell>a"_qs << u"[a]{emph,spell}"_qs;
    QTest::newRow("only tags") << u"<emph></emph><rate speed=\"1\"/>"_qs << QString();
    QTest::newRow("unclosed comment") << u"a<!-- b"_qs << u"[a]"_qs;
    QTest::newRow("unclosed CDATA") << u"a<![CDATA[b"_qs << u"[ab]"_qs;
    QTest::newRow("unclosed instruction") << u"a<?xml b"_qs << u"[a]"_qs;
    QTest::newRow("ampersands") << u"&&&;&"_qs << u"[&&&;&]"_qs;
    QTest::newRow("NUL and controls")
        << QString::fromUtf16(u"a\0<\x01>b", 6) << QString::fromUtf16(u"[a\0<\x01>b]", 8);
    QTest::newRow("Cyrillic element name") << u"<тег>а</тег>"_qs << u"[а]"_qs;
}

void TestSapiXml::malformed()
{
    QFETCH(QString, markup);
    QFETCH(QString, expected);
    const QList<SapiSegment> segments = ParseSapiXml(markup);
    QCOMPARE(describe(segments), expected);
    verifyPositions(markup, segments);
}

void TestSapiXml::deepNesting_data()
{
    constexpr int depth = 100000;
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("expected");
    QTest::newRow("never closed") << u"<emph>"_qs.repeated(depth) + u"x"_qs << u"[x]{emph}"_qs;
    QTest::newRow("closed in order") << u"<rate speed=\"1\">"_qs.repeated(depth) + u"a"_qs +
                                            u"</rate>"_qs.repeated(depth) + u"b"_qs
                                     << u"[a]{speed=10} [b]"_qs;
    QTest::newRow("wrong end tags") << u"<voice>"_qs.repeated(depth) + u"a"_qs +
                                           u"</emph>"_qs.repeated(depth) + u"</lang>b"_qs
                                    << u"[ab]"_qs;
    QTest::newRow("alternating names")
        << u"<emph><spell>"_qs.repeated(depth / 2) + u"a"_qs + u"</emph>"_qs.repeated(depth / 2) + u"b"_qs
        << u"[a]{emph,spell} [b]"_qs;
}

void TestSapiXml::deepNesting()
{
    QFETCH(QString, markup);
    QFETCH(QString, expected);
    QCOMPARE(describe(ParseSapiXml(markup)), expected);
}

void TestSapiXml::largeMarkup_data()
{
    constexpr qsizetype size = 1000000;
    QTest::addColumn<QString>("markup");
    auto filled = [](const QString& piece) { return piece.repeated(size / piece.size() + 1).left(size); };
    QTest::newRow("marked-up text") << filled(
        u"<rate speed=\"1\">word &amp; слово</rate><silence msec=\"1\"/>"_qs);
    QTest::newRow("stray <") << filled(u"<"_qs);
    QTest::newRow("tags never closed") << filled(u"<a x=\"1\" "_qs);
    QTest::newRow("open quotes") << filled(u"<a x=\""_qs);
    QTest::newRow("ampersands") << filled(u"&#x"_qs);
    QTest::newRow("end tags") << u"<emph>"_qs + filled(u"</rate>"_qs);
    QTest::newRow("comment starts") << filled(u"x<!--"_qs);
    QTest::newRow("CDATA starts") << filled(u"<![CDATA["_qs);
}

void TestSapiXml::largeMarkup()
{
    QFETCH(QString, markup);
    QElapsedTimer timer;
    timer.start();
    const QList<SapiSegment> segments = ParseSapiXml(markup);
    qInfo("%lld segments in %lld ms", qlonglong(segments.size()), qlonglong(timer.elapsed()));
    verifyPositions(markup, segments);
}

QTEST_APPLESS_MAIN(TestSapiXml)
#include "tst_sapixml.moc"
