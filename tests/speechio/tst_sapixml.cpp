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
        QStringList set;
        const auto add = [&set](bool present, const QString& text) {
            if (present)
                set << text;
        };
        add(s.languageId, u"lang=%1"_qs.arg(s.languageId, 0, 16));
        add(s.rateAbsolute.has_value(), u"rate=%1"_qs.arg(s.rateAbsolute.value_or(0)));
        add(s.rateRelative, u"speed=%1"_qs.arg(s.rateRelative));
        add(s.volume.has_value(), u"vol=%1"_qs.arg(s.volume.value_or(0)));
        add(s.pitchAbsolute.has_value(), u"pitch=%1"_qs.arg(s.pitchAbsolute.value_or(0)));
        add(s.pitchRelative, u"middle=%1"_qs.arg(s.pitchRelative));
        add(s.emphasis, u"emph"_qs);
        add(s.spell, u"spell"_qs);
        out << (s.kind == SapiSegment::Kind::Silence ? u"<%1 ms>"_qs.arg(s.silenceMs)
                                                     : u'[' + s.text + u']') +
                   (set.isEmpty() ? QString() : u'{' + set.join(u',') + u'}');
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
    void parse_data();
    void parse();
    void entities_data();
    void entities();
    void largeMarkup_data();
    void largeMarkup();
};

void TestSapiXml::parse_data()
{
    constexpr int depth = 100000;
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("expected");
    // What the palette buttons write, with their start values, around some text.
    QTest::newRow("Lang ... </lang>")
        << u"<voice required=\"Language=409\">hi</lang> мир"_qs << u"[hi]{lang=409} [ мир]"_qs;
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
    QTest::newRow("Pron, Bookmark") << u"<pron sym=\"\">a</pron>b<bookmark mark=\"\"/>c"_qs << u"[abc]"_qs;
    QTest::newRow("PartOfSp, Context")
        << u"<partofsp part=\"Unknown\">a</partofsp><context id=\"date_mdy\">b</context>"_qs << u"[ab]"_qs;
    QTest::newRow("Spell") << u"<spell>a</spell>b"_qs << u"[a]{spell} [b]"_qs;
    // Nesting, empty forms, end tags, values.
    QTest::newRow("relative rates add") << u"<rate speed=\"3\"><rate speed=\"9\">a</rate>b</rate>c"_qs
                                        << u"[a]{speed=10} [b]{speed=3} [c]"_qs;
    QTest::newRow("absolute drops relative")
        << u"<rate speed=\"3\"><rate absspeed=\"2\">a<rate speed=\"-1\">b</rate></rate>c</rate>"_qs
        << u"[a]{rate=2} [b]{rate=2,speed=-1} [c]{speed=3}"_qs;
    QTest::newRow("out of range, unreadable")
        << u"<rate absspeed=\"-40\"><volume level=\"150\">a<volume level=\"x\">b"_qs
        << u"[ab]{rate=-10,vol=100}"_qs;
    QTest::newRow("empty form ends with its enclosing element")
        << u"<volume level=\"50\">a<rate absspeed=\"5\"/>b</volume>c"_qs
        << u"[a]{vol=50} [b]{rate=5,vol=50} [c]"_qs;
    QTest::newRow("</lang> closes the voice and what it holds")
        << u"<voice required=\"Language=419\">a<emph>b</lang>c"_qs
        << u"[a]{lang=419} [b]{lang=419,emph} [c]"_qs;
    QTest::newRow("inner voice wins")
        << u"<voice required=\"Language=419\">a<voice required=\"Gender=Female;Language=0x409\">b</voice>c"_qs
        << u"[a]{lang=419} [b]{lang=409} [c]{lang=419}"_qs;
    QTest::newRow("unmatched end tag ignored") << u"<emph>a</rate>b</emph>c"_qs << u"[ab]{emph} [c]"_qs;
    QTest::newRow("outer end tag closes inner")
        << u"<emph>a<spell>b</emph>c</spell>d"_qs << u"[a]{emph} [b]{emph,spell} [cd]"_qs;
    QTest::newRow("letter case") << u"<EMPH>a</Emph><Rate AbsSpeed='3'>b"_qs << u"[a]{emph} [b]{rate=3}"_qs;
    QTest::newRow("silences") << u"<silence msec=\"200\">a</silence><silence msec=\"0\"/><silence/>b"
                                 u"<silence msec=\"99999999999\"/>"_qs
                              << u"<200 ms> [ab] <60000 ms>"_qs;
    QTest::newRow("passed over") << u"<foo a=\"1\">a</foo><!-- <emph> --><?xml v=\"1\"?><!DOCTYPE x>b"_qs
                                 << u"[ab]"_qs;
    QTest::newRow("CDATA is text") << u"<![CDATA[<emph>]]>"_qs << u"[<emph>]"_qs;
    QTest::newRow("'>' in a quoted value") << u"<pron sym=\"a>b\">c</pron>"_qs << u"[c]"_qs;
    // Malformed markup: the text that can be recovered.
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("stray <") << u"a < b, 1<2>3, <>, </>"_qs << u"[a < b, 1<2>3, <>, </>]"_qs;
    QTest::newRow("< at the end") << u"a<"_qs << u"[a<]"_qs;
    QTest::newRow("</ at the end") << u"</"_qs << u"[</]"_qs;
    QTest::newRow("unclosed tag at the end") << u"a <emph"_qs << u"[a <emph]"_qs;
    QTest::newRow("tag cut by the next tag")
        << u"<rate absspeed=\"5\" <emph>x"_qs << u"[<rate absspeed=\"5\" ] [x]{emph}"_qs;
    QTest::newRow("unterminated quote") << u"<rate absspeed=\"5>text"_qs << u"[text]{rate=5}"_qs;
    QTest::newRow("unterminated quote, no >") << u"<rate absspeed=\"5"_qs << u"[<rate absspeed=\"5]"_qs;
    QTest::newRow("bare value, no value") << u"<volume level=20/>a<volume level>b"_qs << u"[ab]{vol=20}"_qs;
    QTest::newRow("only tags") << u"<emph></emph><rate speed=\"1\"/>"_qs << QString();
    QTest::newRow("unclosed comment, CDATA, instruction")
        << u"a<![CDATA[b"_qs + u"<!-- c"_qs << u"[ab<!-- c]"_qs;
    QTest::newRow("unclosed comment") << u"a<!-- b"_qs << u"[a]"_qs;
    QTest::newRow("NUL and controls")
        << QString::fromUtf16(u"a\0<\x01>b", 6) << QString::fromUtf16(u"[a\0<\x01>b]", 8);
    QTest::newRow("Cyrillic element name") << u"<тег>а</тег>"_qs << u"[а]"_qs;
    // Deep nesting.
    QTest::newRow("never closed") << u"<emph>"_qs.repeated(depth) + u"x"_qs << u"[x]{emph}"_qs;
    QTest::newRow("closed in order") << u"<rate speed=\"1\">"_qs.repeated(depth) + u"a"_qs +
                                            u"</rate>"_qs.repeated(depth) + u"b"_qs
                                     << u"[a]{speed=10} [b]"_qs;
    QTest::newRow("wrong end tags") << u"<voice>"_qs.repeated(depth) + u"a"_qs +
                                           u"</emph>"_qs.repeated(depth) + u"</lang>b"_qs
                                    << u"[ab]"_qs;
    QTest::newRow("one end tag closes all inside")
        << u"<spell>"_qs + u"<emph>"_qs.repeated(depth) + u"a</spell>b"_qs << u"[a]{emph,spell} [b]"_qs;
}

void TestSapiXml::parse()
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
    QTest::newRow("after tags") << u"<bookmark mark=\"&quot;\"/>a&amp;"_qs << u"a&"_qs << QList<int>{25, 26};
    QTest::newRow("not references") << u"&foo;&amp &#0;&#xD800;&#1114112;&#x;&"_qs
                                    << u"&foo;&amp &#0;&#xD800;&#1114112;&#x;&"_qs << QList<int>();
}

void TestSapiXml::entities()
{
    QFETCH(QString, markup);
    QFETCH(QString, text);
    QFETCH(QList<int>, positions);
    const QList<SapiSegment> segments = ParseSapiXml(markup);
    QCOMPARE(segments.size(), 1);
    QCOMPARE(segments[0].text, text);
    if (positions.isEmpty()) // text as written: each character from its own place
        for (int i = 0; i < markup.size(); ++i)
            positions << i;
    QCOMPARE(segments[0].sourcePositions, positions);
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
    QTest::newRow("CDATA starts") << filled(u"<![CDATA["_qs);
}

// No timing limit, but quadratic work would take minutes here, not milliseconds.
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
