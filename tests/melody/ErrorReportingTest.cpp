#include "melody/ErrorReporting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "melody/MobileData.h"
#include "melody/MobileTrackData.h"
#include "melody/MusicEvent.h"
#include "support/RecordedReports.h"

namespace zamrit {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordedReports;

struct ReportCase {
    std::function<void(ErrorCode)> reporter;
    ErrorCode code;
    const char* line;
};

TEST(ErrorReportingTest, EachReporterFormatsTagCodeAndTextOrItsFallback) {
    const ReportCase cases[] = {
        {ReportGeneralError, 0x01000007, "GENE01000007 Cant open file!"},
        {ReportGeneralError, 0x01000003, "GENE01000003 General Error"},
        {ReportGeneralError, 0x01000012, "GENE01000012 General Error"},
        {ReportGeneralError, 0x0100000E, "GENE0100000E Time sign is invalid!"},
        {MobileData::ReportError, 0x05000005,
         "MBDT05000005 The number of chanel exceeds the number that can be played!"},
        {MobileData::ReportError, 0x20000002, "MBDT20000002 Error occured in MobileData!"},
        {MusicEvent::ReportError, 0x06000002, "MUEV06000002 Error occured in event data!"},
        {MusicEvent::ReportError, 0x00000001, "MUEV00000001 Error occured in MusicEvent!"},
        {MobileTrackData::ReportError, 0x0C000008, "MBTK0C000008 Can not add data!"},
        // The once-only code given to the ordinary reporter shows the fallback text.
        {MobileTrackData::ReportError, 0x0C000004,
         "MBTK0C000004 Error occured in MobileTrackData!"},
    };
    for (const ReportCase& c : cases) {
        RecordedReports reports;
        c.reporter(c.code);
        EXPECT_THAT(reports.Lines(), ElementsAre(c.line));
    }
}

TEST(ErrorReportingTest, OnceOnlyWarningIsShownOnceUntilClearedByCodeZeroOrAConstruction) {
    MobileTrackData::ReportOnce(0);  // clears what an earlier test may have shown
    RecordedReports reports;
    const std::string warning = "MBTK0C000004 構成上、再生されないボイスがあります。";

    MobileTrackData::ReportOnce(0x0C000004);
    MobileTrackData::ReportOnce(0x0C000004);
    EXPECT_THAT(reports.Lines(), ElementsAre(warning));

    MobileTrackData::ReportOnce(0);
    MobileTrackData::ReportOnce(0x0C000004);
    EXPECT_EQ(reports.Lines().size(), 2u);

    MobileTrackData track(0x60000);
    MobileTrackData::ReportOnce(0x0C000004);
    MobileTrackData::ReportOnce(0x0C000004);
    EXPECT_THAT(reports.Lines(), ElementsAre(warning, warning, warning));
}

TEST(ErrorReportingTest, CallBackPlayerErrorIsShownOncePerProcess) {
    ResetCallBackPlayerErrorForTesting();
    RecordedReports reports;
    for (int i = 0; i < 3; ++i) ReportCallBackPlayerError();
    EXPECT_THAT(reports.Lines(), ElementsAre("CallBackPlayer Error!"));
}

TEST(ErrorReportingTest, ScopedSinkRestoresThePreviousSink) {
    RecordedReports outer;
    {
        RecordedReports inner;
        ShowErrorMessage("inner");
        EXPECT_THAT(inner.Lines(), ElementsAre("inner"));
    }
    ShowErrorMessage("outer");
    EXPECT_THAT(outer.Lines(), ElementsAre("outer"));
}

TEST(ErrorReportingTest, CodeIsPrintedAsEightUpperCaseHexDigits) {
    EXPECT_EQ(FormatReportLine("MFHD", 0xAB, "x"), "MFHD000000AB x");
    EXPECT_EQ(FormatReportLine("MDSS", 0xFFFFFFFF, ""), "MDSSFFFFFFFF ");
}

}  // namespace
}  // namespace zamrit
