// The line summary: the real consoles' captures, the shapes their copies take, and text
// that no router prints.
#include "model/LineSummary.h"
#include "model/TextFile.h"

#include "../CaptureFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vexlorin {
namespace {

using test::ConsoleFixture;
using test::WithoutWebSuffixes;

TStringList Capture(const std::string& AName) {
    return ReadTextFileLines(ConsoleFixture(AName));
}

std::optional<int64_t> Int(const TLineSummary& S, TStatDirection D, TDirectionItem I) {
    return S.Get(D, I).AsInteger();
}
std::optional<double> Num(const TLineSummary& S, TStatDirection D, TDirectionItem I) {
    return S.Get(D, I).AsNumber();
}
std::optional<std::string> Text(const TLineSummary& S, TLineItem I) {
    return S[I].AsText();
}

TEST(LineSummaryCaptures, CollapsedStatusOfAVigor130) {
    const TStringList lines = WithoutWebSuffixes(Capture("vdsl-status-collapsed.txt"));
    const TLineSummary s = SummarizeStatus(lines);
    EXPECT_EQ(Text(s, liState), "SHOWTIME");
    EXPECT_EQ(Text(s, liMode), "17A");
    EXPECT_EQ(Text(s, liFirmware), "05-07-06-0D-01-07");
    EXPECT_EQ(Text(s, liVendor), "BDCM");
    EXPECT_EQ(Text(s, liAnnex), "A"); // the title's "hw: annex A"
    EXPECT_EQ(Text(s, liVectoring), "with Vectoring support");
    EXPECT_EQ(s[liResets].AsInteger(), 0);
    EXPECT_EQ(s[liRetrains].AsInteger(), 2);
    EXPECT_FALSE(s[liChipset].Has());

    EXPECT_EQ(Int(s, sdDown, diActualRate), 32397000);
    EXPECT_EQ(Int(s, sdUp, diActualRate), 17000000);
    EXPECT_EQ(Int(s, sdDown, diAttainableRate), 41041052);
    EXPECT_EQ(Int(s, sdUp, diAttainableRate), 21214000);
    EXPECT_EQ(s.Get(sdDown, diPathMode).AsText(), "Fast");
    EXPECT_EQ(s.Get(sdUp, diPathMode).AsText(), "Fast");
    EXPECT_EQ(Int(s, sdDown, diInterleaveDepth), 1);
    EXPECT_EQ(Int(s, sdUp, diInterleaveDepth), 1);
    EXPECT_EQ(Num(s, sdDown, diAttenuation), 11.0);
    EXPECT_EQ(Num(s, sdUp, diAttenuation), 13.0);
    EXPECT_EQ(Num(s, sdDown, diSNRMargin), 12.0);
    EXPECT_EQ(Num(s, sdUp, diSNRMargin), 8.0);
    EXPECT_EQ(Num(s, sdDown, diActualPSD), 0.6); // "0. 6 dB"
    EXPECT_EQ(Num(s, sdUp, diActualPSD), 12.5);
    EXPECT_EQ(Int(s, sdDown, diCRC), 0);
    EXPECT_EQ(Int(s, sdUp, diCRC), 63281);
    EXPECT_EQ(Int(s, sdDown, diES), 0);
    EXPECT_EQ(Int(s, sdUp, diES), 7557);
    // Not in this answer: absent, not zero.
    for (const TDirectionItem item : {diSignalAttenuation, diINP, diInterleaveDelay, diFEC, diSES,
                                      diUAS, diLOSS, diFECS, diHEC})
        for (const TStatDirection direction : {sdUp, sdDown})
            EXPECT_FALSE(s.Get(direction, item).Has()) << DirectionFields()[item].Key;
    EXPECT_TRUE(s.Bands.empty());

    // The web page's suffixes do not disturb the parser either.
    EXPECT_EQ(SummarizeStatus(Capture("vdsl-status-collapsed.txt")), s);
}

TEST(LineSummaryCaptures, StatusMoreCounterRows) {
    const TLineSummary s = SummarizeStatus(Capture("vdsl-status-more.txt"));
    struct TRow {
        TDirectionItem Item;
        double Near, Far;
    };
    const TRow rows[] = {
        {diFECS, 0, 2575}, {diES, 35, 3},
        {diSES, 3, 1},     {diLOSS, 0, 0},
        {diUAS, 27, 1861}, {diHEC, 0, 0},
        {diCRC, 126, 31},  {diFEC, 0, 0},
        {diINP, 230, 160}, {diInterleaveDelay, 0, 0.62}, // "(1/100 ms)"
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(DirectionFields()[row.Item].Key);
        EXPECT_EQ(Num(s, sdDown, row.Item), row.Near);
        EXPECT_EQ(Num(s, sdUp, row.Item), row.Far);
    }
    EXPECT_TRUE(s.Get(sdDown, diCRC).IsInteger());
    EXPECT_EQ(Text(s, liAnnex), "A");
    EXPECT_FALSE(s[liMode].Has());
    EXPECT_FALSE(s.Get(sdDown, diActualRate).Has());
}

TEST(LineSummaryCaptures, AnswersOfOtherCommandsHoldNoLineValues) {
    for (const char* name :
         {"show-status-with-pager.txt", "wan-status-with-pager.txt", "vdsl-showbins-excerpt.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(SummarizeStatus(Capture(name)).Empty());
    }
}

struct TShapeCase {
    const char* What;
    TStringList Lines;
    std::function<void(const TLineSummary&)> Check;
};

TEST(LineSummaryShapes, CopiesAndFirmwareVariants) {
    const std::vector<TShapeCase> cases = {
        {"padded, two items a line",
         {"   DS Actual Rate          :  59590000 bps   US Actual Rate       :  17000000 bps"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Int(s, sdDown, diActualRate), 59590000);
             EXPECT_EQ(Int(s, sdUp, diActualRate), 17000000);
         }},
        {"double blanks inside labels, letter case",
         {"   NE ES Count :  4     FE  ES Count : 9", "xdsl reset times : 3 XDSL LINK  TIMES : 7"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Int(s, sdDown, diES), 4);
             EXPECT_EQ(Int(s, sdUp, diES), 9);
             EXPECT_EQ(s[liResets].AsInteger(), 3);
             EXPECT_EQ(s[liRetrains].AsInteger(), 7);
         }},
        {"echo, pager and prompt around the answer, CR inside a line",
         {"DrayTek> vdsl status",
          "--- MORE ---   ['q': Quit, 'Enter': New Lines, 'Space Bar': "
          "Next Page] ---",
          "Running Mode : 35B State : SHOWTIME\rDS Path Mode : Interleave", "DrayTek> "},
         [](const TLineSummary& s) {
             EXPECT_EQ(Text(s, liMode), "35B");
             EXPECT_EQ(Text(s, liState), "SHOWTIME");
             EXPECT_EQ(s.Get(sdDown, diPathMode).AsText(), "Interleave");
         }},
        {"a training line: dashes are absent, the label after them still counts",
         {"   Running Mode            :      -----     State                : TRAINING"},
         [](const TLineSummary& s) {
             EXPECT_FALSE(s[liMode].Has());
             EXPECT_EQ(Text(s, liState), "TRAINING");
         }},
        {"an empty value does not take the next label",
         {"Running Mode :  State : READY"},
         [](const TLineSummary& s) {
             EXPECT_FALSE(s[liMode].Has());
             EXPECT_EQ(Text(s, liState), "READY");
         }},
        {"ADSL modulation, rates in kbps",
         {"DSL Modulation : ADSL2+(G.992.5)", "DS Actual Rate : 16384 kbps US Actual Rate : 1Mbps"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Text(s, liMode), "ADSL2+(G.992.5)");
             EXPECT_EQ(Int(s, sdDown, diActualRate), 16384000);
             EXPECT_EQ(Int(s, sdUp, diActualRate), 1000000);
         }},
        {"negative broken decimals, units attached",
         {"DS actual PSD : -4. 3 dB US actual PSD : -12.5dB"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Num(s, sdDown, diActualPSD), -4.3);
             EXPECT_EQ(Num(s, sdUp, diActualPSD), -12.5);
         }},
        {"the first value of an item counts",
         {"NE CRC Count : 5 FE CRC Count : ----", " CRC : 7 8", " CRC : 9 10"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Int(s, sdDown, diCRC), 5);
             EXPECT_EQ(Int(s, sdUp, diCRC), 8);
         }},
        {"counter rows only at the start of a line",
         {"Foo : 1 ES : 2 3"},
         [](const TLineSummary& s) { EXPECT_FALSE(s.Get(sdDown, diES).Has()); }},
        {"web page line numbers before the label",
         {"  12. Far SNR Margin : 8 dB"},
         [](const TLineSummary& s) { EXPECT_EQ(Num(s, sdUp, diSNRMargin), 8.0); }},
        {"vendor in angle brackets; annex and vectoring items beat the notes",
         {"  ---- ATU-R Info (hw: annex B, f/w: annex A/B/C) ----",
          "VDSL Firmware Version : 08-0B [with Vectoring support]", " Annex Mode    : J",
          " Vectoring     : G.993.5 friendly", "DSLAM CHIPSET VENDOR : <  IKNS  >"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Text(s, liAnnex), "J");
             EXPECT_EQ(Text(s, liVectoring), "G.993.5 friendly");
             EXPECT_EQ(Text(s, liFirmware), "08-0B");
             EXPECT_EQ(Text(s, liVendor), "IKNS");
         }},
        {"inventory sections of a retrieval",
         {" [ CO ]", " ITU T.35 Vendor ID     : B5 00 42 44 43 4D 00 00 (BDCM)", " [ CPE ]",
          " ITU T.35 Vendor ID     : B5 00 49 46 54 4E 00 00 (IFTN)"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Text(s, liVendor), "BDCM");
             EXPECT_EQ(Text(s, liChipset), "IFTN");
         }},
        {"delay rows in other units",
         {" InterleaveDelay : 150 2 (1/10 ms)", " ActualDelay : 1 2 (ms)"},
         [](const TLineSummary& s) {
             EXPECT_EQ(Num(s, sdDown, diInterleaveDelay), 15.0);
             EXPECT_EQ(Num(s, sdUp, diInterleaveDelay), 0.2);
         }},
    };
    for (const TShapeCase& c : cases) {
        SCOPED_TRACE(c.What);
        c.Check(SummarizeStatus(c.Lines));
    }
}

TEST(LineSummaryBands, SectionsAndLimits) {
    const TLineSummary s = SummarizeStatus({
        "  ---------------------- ATU-R Info (hw: annex A, f/w: annex A/B/C) -----------",
        "  US:",
        "   US0: Limits=[   6-   31]  LATN=  2.8 dB  SATN=  3.2 dB  SNRM=  6.2 dB",
        "   Limits=[ 696- 1182] LATN : 8. 4 SATN : ---- Limits=[1635- 2782]",
        "  DS:",
        "   Limits=[  33-  859]  LATN=  5.6 dB  SATN=  6.0 dB  SNRM= 12.1 dB",
        "   DS2: Limits=[ 9- 8]  LATN=  x  SNRM=-1.5",
        "   DS1: Limits=[  33-  859]  LATN= 99.9 dB", // already known: the first one stays
        " (LATN = Loop Attenuation, SATN = Signal Attenuation)",
    });
    ASSERT_EQ(s.Bands.size(), 5u);
    const auto value = [&](std::size_t ABand, TBandItem AItem) {
        return s.Bands[ABand].Values[AItem].AsNumber();
    };
    EXPECT_EQ(s.Bands[0].Name, "US0");
    EXPECT_EQ(s.Bands[0].Direction, sdUp);
    EXPECT_EQ(value(0, biFirstTone), 6);
    EXPECT_EQ(value(0, biLastTone), 31);
    EXPECT_EQ(value(0, biLATN), 2.8);
    EXPECT_EQ(value(0, biSATN), 3.2);
    EXPECT_EQ(value(0, biSNRM), 6.2);
    // Two bands on one line, numbered on after the named one.
    EXPECT_EQ(s.Bands[1].Name, "US1");
    EXPECT_EQ(value(1, biFirstTone), 696);
    EXPECT_EQ(value(1, biLATN), 8.4);
    EXPECT_FALSE(value(1, biSATN));
    EXPECT_EQ(s.Bands[2].Name, "US2");
    EXPECT_EQ(value(2, biLastTone), 2782);
    EXPECT_FALSE(value(2, biLATN));
    // Downstream bands count from DS1.
    EXPECT_EQ(s.Bands[3].Name, "DS1");
    EXPECT_EQ(s.Bands[3].Direction, sdDown);
    EXPECT_EQ(value(3, biSNRM), 12.1);
    // Limits the wrong way round are no limits; the rest of the band is still read.
    EXPECT_EQ(s.Bands[4].Name, "DS2");
    EXPECT_FALSE(value(4, biFirstTone));
    EXPECT_FALSE(value(4, biLastTone));
    EXPECT_FALSE(value(4, biLATN));
    EXPECT_EQ(value(4, biSNRM), -1.5);

    // Bands before any section title and without a name have no direction: left out.
    EXPECT_TRUE(SummarizeStatus({"Limits=[ 33- 859] LATN=5.0"}).Bands.empty());
    // A text cannot make the list grow without bound.
    TStringList many{"DS:"};
    for (int i = 0; i < 200; ++i)
        many.push_back("Limits=[ 1- 2]");
    EXPECT_EQ(SummarizeStatus(many).Bands.size(), MaxSummaryBands);
}

// Each line holds an item this parser knows in a form no router prints. None may give a
// value, and the valid item after it on the same text still counts.
TEST(LineSummaryHostile, NoValueFromWhatIsNoValue) {
    const std::string longDigits(10000, '7');
    const std::string longJunk(10000, 'x');
    const std::string colons(10000, ':');
    struct TCase {
        const char* What;
        std::string Line;
    };
    const TCase cases[] = {
        {"label without value", "DS Actual Rate :"},
        {"value without label", ": 32397000 bps : 5 dB"},
        {"number beyond 64 bits", "DS Actual Rate : 99999999999999999999 bps"},
        {"rate that overflows with its unit", "DS Actual Rate : 9223372036854775807 Mbps"},
        {"10,000 digits", "DS Actual Rate : " + longDigits},
        {"10,000 characters before the label", longJunk + "DS Actual Rate : 5 bps"},
        {"10,000 colons", colons},
        {"NUL inside the number", std::string("DS Actual Rate : 12") + '\0' + "3 bps"},
        {"NUL inside the label", std::string("DS Actual") + '\0' + "Rate : 123 bps"},
        {"letters after the digits", "DS Actual Rate : 123abc"},
        {"hexadecimal", "DS Actual Rate : 0x7F"},
        {"negative rate", "DS Actual Rate : -5 bps"},
        {"sign only", "DS Actual Rate : - bps"},
        {"unknown unit", "DS Actual Rate : 5 parsecs/s"},
        {"a prompt alone", "DrayTek> "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TLineSummary s = SummarizeStatus({c.Line, "US Actual Rate : 1000 bps"});
        EXPECT_FALSE(s.Get(sdDown, diActualRate).Has());
        EXPECT_EQ(Int(s, sdUp, diActualRate), 1000);
    }

    const struct {
        const char* What;
        std::string Line;
        TDirectionItem Item;
    } others[] = {
        {"two points", "Cur SNR Margin : 1.2.3 dB", diSNRMargin},
        {"exponent", "Cur SNR Margin : 1e308 dB", diSNRMargin},
        {"letters after a decibel value", "Cur SNR Margin : 12 dBm", diSNRMargin},
        {"a number of 40 digits", "Cur SNR Margin : " + std::string(40, '9'), diSNRMargin},
        {"negative counter", " CRC : -5 -6", diCRC},
        {"counter with a fraction", "NE CRC Count : 1.5", diCRC},
        {"delay in an unknown unit", " InterleaveDelay : 1 2 (furlongs)", diInterleaveDelay},
        {"delay divided by zero", " InterleaveDelay : 1 2 (1/0 ms)", diInterleaveDelay},
    };
    for (const auto& c : others) {
        SCOPED_TRACE(c.What);
        EXPECT_FALSE(SummarizeStatus({c.Line}).Get(sdDown, c.Item).Has());
    }

    // A long line is read like any other.
    EXPECT_EQ(Int(SummarizeStatus({longJunk + " DS Actual Rate : 5 bps"}), sdDown, diActualRate),
              5);

    // Texts: printable and bounded, or absent.
    EXPECT_FALSE(SummarizeStatus({"State : SHOW\x01TIME"})[liState].Has());
    EXPECT_FALSE(SummarizeStatus({"State : " + longJunk})[liState].Has());
    EXPECT_EQ(Text(SummarizeStatus({"State : SHOW\xFFTIME"}), liState), "SHOW\xEF\xBF\xBDTIME");
    EXPECT_TRUE(SummarizeStatus({}).Empty());
    EXPECT_TRUE(SummarizeStatus({"", "DrayTek> ", "\x1b[2J"}).Empty());
}

TEST(LineSummarySet, BitLoadingOfTheBinsTables) {
    TDrayData set("Loaded from file");
    set.SetVDSLProfile(vp17a);
    // The pasted excerpt holds the downstream answer only, tones 0 to 73.
    set.LoadBinsFromFile(ConsoleFixture("vdsl-showbins-excerpt.txt"));
    TLineSummary s = SummarizeSet(set);
    EXPECT_EQ(s.Bits[sdDown][btLoadedTones].AsInteger(), 42);
    EXPECT_EQ(s.Bits[sdDown][btTotalBits].AsInteger(), 517);
    EXPECT_EQ(s.Bits[sdDown][btRate].AsInteger(), 517 * 4000);
    for (const TSummaryValue& value : s.Bits[sdUp])
        EXPECT_FALSE(value.Has()) << "no upstream table, no upstream bits";
    EXPECT_FALSE(s[liMode].Has());

    set.SetVDSLProfile(vp30a);
    EXPECT_EQ(SummarizeSet(set).Bits[sdDown][btRate].AsInteger(), 517 * 8000);
    set.SetVDSLProfile(vpNA);
    s = SummarizeSet(set);
    EXPECT_EQ(s.Bits[sdDown][btTotalBits].AsInteger(), 517);
    EXPECT_FALSE(s.Bits[sdDown][btRate].Has());

    // The set's text is summarised with it.
    set.SetStats(WithoutWebSuffixes(Capture("vdsl-status-collapsed.txt")));
    s = SummarizeSet(set);
    EXPECT_EQ(Int(s, sdDown, diActualRate), 32397000);
    EXPECT_EQ(s.Bits[sdDown][btRate].AsInteger(), 517 * 4000);
}

TEST(LineSummaryFormat, ValuesWithTheirUnits) {
    const auto& d = DirectionFields();
    EXPECT_EQ(FormatSummaryValue(d[diActualRate], TSummaryValue::Integer(32397000)),
              "32.397 Mbit/s");
    EXPECT_EQ(FormatSummaryValue(d[diSNRMargin], TSummaryValue::Decimal(12.0)), "12 dB");
    EXPECT_EQ(FormatSummaryValue(d[diActualPSD], TSummaryValue::Decimal(-4.3)), "-4.3 dB");
    EXPECT_EQ(FormatSummaryValue(d[diInterleaveDelay], TSummaryValue::Decimal(0.62)), "0.62 ms");
    EXPECT_EQ(FormatSummaryValue(d[diES], TSummaryValue::Integer(7557)), "7557 s");
    EXPECT_EQ(FormatSummaryValue(d[diCRC], TSummaryValue::Integer(63281)), "63281");
    EXPECT_EQ(FormatSummaryValue(d[diPathMode], TSummaryValue::Text("Fast")), "Fast");
    EXPECT_EQ(FormatSummaryValue(d[diCRC], TSummaryValue()), "");
}

} // namespace
} // namespace vexlorin
