#include "tools/DemImport.h"
#include "tools/ToolTestSupport.h"

#include <gtest/gtest.h>

using namespace tooltest;

namespace {

struct DemRun {
    Env e;
    TempDir dir;
    std::vector<std::string> listing;
    int listings = 0;
    bool confirm = true;
    DemImportResult result;
    Picture out;

    DemImportResult run(const std::string& content, const std::string& outName = "out.tga") {
        TempDir::write(dir.path("in.dem"), content);
        return runFile(dir.path("in.dem"), outName);
    }
    DemImportResult runFile(const std::string& path, const std::string& outName = "out.tga") {
        result = DemImport(path, dir.path(outName), e.env,
                           [&](const DemHeader&, const std::vector<std::string>& l) {
                               listing = l;
                               ++listings;
                               return confirm;
                           });
        out = readTga(dir.path(outName));
        return result;
    }
    std::vector<std::string> messages() const { return e.platform.texts(); }
};

SynthProfile profile(int column, std::vector<int> elevations) {
    return SynthProfile{column, std::move(elevations)};
}

} // namespace

TEST(DemReader, RealsWithDOrEExponentsAndIntegerFields) {
    double v = 0;
    EXPECT_TRUE(ParseDemReal("0.1D+04", v));
    EXPECT_DOUBLE_EQ(1000.0, v);
    EXPECT_TRUE(ParseDemReal("  -2.861985000000006D+05", v));
    EXPECT_DOUBLE_EQ(-286198.5000000006, v);
    EXPECT_TRUE(ParseDemReal("1.5e2", v));
    EXPECT_DOUBLE_EQ(150.0, v);
    EXPECT_TRUE(ParseDemReal("0.", v));
    EXPECT_DOUBLE_EQ(0.0, v);
    EXPECT_FALSE(ParseDemReal("", v));
    EXPECT_FALSE(ParseDemReal("1.0X", v));
    EXPECT_FALSE(ParseDemReal("nan", v));

    int i = 0;
    EXPECT_TRUE(ParseDemInt("-32767", i));
    EXPECT_EQ(-32767, i);
    EXPECT_TRUE(ParseDemInt("   12 ", i));
    EXPECT_EQ(12, i);
    EXPECT_FALSE(ParseDemInt("1 2", i));
    EXPECT_FALSE(ParseDemInt("-", i));
    EXPECT_FALSE(ParseDemInt("99999999999", i));
}

TEST(DemReader, HeaderFieldsInBothLayouts) {
    SynthHeader h;
    h.columns = 3;
    h.minElevation = -12.7;
    h.maxElevation = 2500.25;
    for (DemLayout layout : {DemLayout::Records, DemLayout::RecordLines, DemLayout::TrimmedCrLfLines}) {
        DemReader reader(makeDem(h, {profile(1, {5})}, layout));
        EXPECT_EQ(layout == DemLayout::Records, reader.recordBased());
        DemHeader header;
        ASSERT_TRUE(reader.readHeader(header));
        EXPECT_EQ(143u, header.name.size());
        EXPECT_EQ(0u, header.name.find("SYNTHETIC TEST QUAD"));
        EXPECT_EQ(1, header.levelCode);
        EXPECT_EQ(3, header.groundUnits);
        EXPECT_EQ(2, header.elevationUnits);
        EXPECT_EQ(4, header.sides);
        EXPECT_DOUBLE_EQ(-286200.0, header.corners[0][0]);
        EXPECT_DOUBLE_EQ(144030.0, header.corners[2][1]);
        EXPECT_DOUBLE_EQ(-12.7, header.minElevation);
        EXPECT_DOUBLE_EQ(2500.25, header.maxElevation);
        EXPECT_EQ(0, header.accuracy);
        EXPECT_DOUBLE_EQ(3.0, header.resolution[0]);
        EXPECT_DOUBLE_EQ(1.0, header.resolution[2]);
        EXPECT_EQ(1, header.rows);
        EXPECT_EQ(3, header.columns);
        // The elements after 15 are not taken for the first profile.
        DemProfile p;
        ASSERT_TRUE(reader.readProfileHeader(p));
        EXPECT_EQ(1, p.column);
        EXPECT_EQ(1, p.count);
        int value = 0;
        ASSERT_TRUE(reader.readElevation(value));
        EXPECT_EQ(5, value);
    }
}

TEST(DemReader, OldLineFileWithHeaderEndingAtElement15) {
    // A short header line (the name, then the numbers as plain tokens) and one line per profile.
    std::string dem = "OLD QUAD\n"
                      "1 1 1 17 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 2 2 4 "
                      "0.0 0.0 0.0 10.0 10.0 10.0 10.0 0.0 -5.0 900.0 0.0 1"
                      "        30.0        30.0         1.0 1 2\n";
    dem += i6(1) + i6(1) + i6(3) + i6(1) + dReal(0) + dReal(0) + dReal(0) + dReal(0) + dReal(0) + i6(7) +
           i6(-5) + i6(900) + "\n";
    dem += i6(1) + i6(2) + i6(2) + i6(1) + dReal(0) + dReal(0) + dReal(0) + dReal(0) + dReal(0) + i6(1) +
           i6(2) + "\n";
    DemRun r;
    ASSERT_EQ(ToolStatus::Done, r.run(dem).status);
    EXPECT_EQ("Quadrangle name field:\tOLD QUAD", r.listing.at(0));
    EXPECT_EQ(2, r.result.profilesRead);
    ASSERT_EQ(8, r.out.width); // 2 columns: offset 6
    EXPECT_EQ(7u, r.out.elevation(0, 6));
    EXPECT_EQ(0xFFFFFBu, r.out.elevation(0, 7)); // -5 without recalibration; 900 falls above the image
    EXPECT_EQ(1u, r.out.elevation(1, 6));
    EXPECT_EQ(2u, r.out.elevation(1, 7));
}

TEST(DemImport, SquareImageWithRowOffsetInEveryLayout) {
    SynthHeader h;
    h.columns = 8;
    std::vector<SynthProfile> profiles;
    for (int c = 1; c <= 8; ++c) profiles.push_back(profile(c, {100 * c, 100 * c + 1, 100 * c + 2}));
    for (DemLayout layout : {DemLayout::Records, DemLayout::RecordLines, DemLayout::TrimmedCrLfLines}) {
        DemRun r;
        ASSERT_EQ(ToolStatus::Done, r.run(makeDem(h, profiles, layout)).status);
        ASSERT_EQ(16, r.out.width); // 8 columns: 16 x 16, offset 8
        ASSERT_EQ(16, r.out.height);
        for (int c = 1; c <= 8; ++c)
            for (int j = 0; j < 3; ++j) EXPECT_EQ(uint32_t(100 * c + j), r.out.elevation(c - 1, 8 + j));
        EXPECT_EQ(0u, r.out.elevation(0, 7));
        EXPECT_EQ(0u, r.out.elevation(8, 8));
        EXPECT_EQ(8, r.result.profilesRead);
        EXPECT_EQ("Total of non-zero elevations: 24", r.messages().back());
    }
}

TEST(DemImport, ManyColumnsLongProfilesAndTouchingValues) {
    EXPECT_EQ(1208, DemImageSide(1201));
    EXPECT_EQ(16, DemImageSide(8));

    SynthHeader h;
    h.columns = 1201;
    std::vector<SynthProfile> profiles;
    for (int c = 1; c <= 1201; ++c) profiles.push_back(profile(c, {c}));
    // Profile 2 runs over three records (146 + 170 + a few); values of -32767 touch their neighbours.
    std::vector<int> longProfile;
    for (int j = 0; j < 330; ++j) longProfile.push_back(j % 50 == 0 ? -32767 : 1000 + j);
    profiles[1].elevations = longProfile;
    DemRun r;
    r.e.platform.answers.assign(400, MsgAnswer::Ok);
    ASSERT_EQ(ToolStatus::Done, r.run(makeDem(h, profiles, DemLayout::Records)).status);
    ASSERT_EQ(1208, r.out.width);
    EXPECT_EQ(1u, r.out.elevation(0, 7));
    EXPECT_EQ(1201u, r.out.elevation(1200, 7));
    for (int j = 0; j < 330; ++j)
        EXPECT_EQ(uint32_t(longProfile[size_t(j)]) & 0xFFFFFF, r.out.elevation(1, 7 + j)) << "j=" << j;
    EXPECT_EQ(1201, r.result.profilesRead);
    ASSERT_EQ(1202u, r.e.progress.reports.size()); // one progress step per profile, then the whole
    EXPECT_EQ(9, r.e.progress.reports[120]);
    EXPECT_EQ(99, r.e.progress.reports[1200]);
    EXPECT_EQ(100, r.e.progress.reports.back());
}

TEST(DemImport, BaseRecalibrationAndNegativeValues) {
    SynthHeader h;
    h.minElevation = -12.7;
    h.columns = 8;
    std::string dem = makeDem(h,
                              {profile(1, {-12, 100, -5}), profile(2, {}), profile(3, {}), profile(4, {}),
                               profile(5, {}), profile(6, {}), profile(7, {}), profile(8, {})},
                              DemLayout::Records);

    DemRun yes;
    yes.e.platform.answers = {MsgAnswer::Yes};
    ASSERT_EQ(ToolStatus::Done, yes.run(dem).status);
    EXPECT_EQ("There are regions below sea level.\nDo you want to recalibrate the terrain basis to the "
              "lowest point?",
              yes.e.platform.shown.at(0).text);
    EXPECT_EQ(MsgIcon::Information, yes.e.platform.shown.at(0).icon);
    EXPECT_EQ(MsgButtons::YesNo, yes.e.platform.shown.at(0).buttons);
    EXPECT_EQ(-12, yes.result.base);
    EXPECT_EQ(0u, yes.out.elevation(0, 8));
    EXPECT_EQ(112u, yes.out.elevation(0, 9));
    EXPECT_EQ(7u, yes.out.elevation(0, 10));

    DemRun no; // the default answer is No
    ASSERT_EQ(ToolStatus::Done, no.run(dem).status);
    EXPECT_EQ(0, no.result.base);
    EXPECT_EQ(0xFFFFF4u, no.out.elevation(0, 8));
    EXPECT_EQ(100u, no.out.elevation(0, 9));
    EXPECT_EQ(0xFFFFFBu, no.out.elevation(0, 10));

    h.minElevation = 0; // no question at all
    h.columns = 1;
    DemRun positive;
    ASSERT_EQ(ToolStatus::Done, positive.run(makeDem(h, {profile(1, {-5})}, DemLayout::Records)).status);
    EXPECT_EQ(0xFFFFFBu, positive.out.elevation(0, 7));
    EXPECT_EQ(1u, positive.messages().size());
}

TEST(DemImport, SuspiciousJumpsAndNonZeroCount) {
    SynthHeader h;
    h.columns = 2;
    DemRun r;
    ASSERT_EQ(
        ToolStatus::Done,
        r.run(makeDem(h, {profile(1, {100, 612, 0, 0}), profile(2, {100, 611})}, DemLayout::Records)).status);
    // 100 -> 612 (512) and 612 -> 0 are reported, 100 -> 611 (511) is not.
    ASSERT_EQ(3u, r.e.platform.shown.size());
    EXPECT_EQ("Suspicious elevation value 612 in (0/7).", r.e.platform.shown[0].text);
    EXPECT_EQ(MsgIcon::Question, r.e.platform.shown[0].icon);
    EXPECT_EQ(MsgButtons::Ok, r.e.platform.shown[0].buttons);
    EXPECT_EQ("Suspicious elevation value 0 in (0/8).", r.e.platform.shown[1].text);
    EXPECT_EQ("Total of non-zero elevations: 4", r.e.platform.shown[2].text);
    EXPECT_EQ(MsgIcon::Information, r.e.platform.shown[2].icon);
    EXPECT_EQ(4, r.result.nonZero);
}

// The import itself decides nothing and says nothing: the answer comes from its caller, the warnings,
// the count and the file written come back in the result.
TEST(DemImport, ResultsAsDataWithoutMessages) {
    SynthHeader h;
    h.columns = 2;
    h.minElevation = -12.7;
    DemRun r;
    TempDir::write(r.dir.path("in.dem"),
                   makeDem(h, {profile(1, {-12, 600}), profile(2, {5, 5})}, DemLayout::Records));
    struct Events : DemImportEvents {
        int questions = 0;
        std::vector<int> seen;
        bool recalibrate(const DemHeader&) override { return ++questions > 0; }
        void suspicious(const DemSuspiciousValue& v) override { seen.push_back(int(v.value)); }
    } events;
    DemImportResult result = ImportDem(r.dir.path("in.dem"), r.dir.path("out.tga"), r.e.env, events);
    EXPECT_EQ(ToolStatus::Done, result.status);
    EXPECT_TRUE(r.messages().empty());
    EXPECT_EQ(1, events.questions);
    EXPECT_EQ(-12, result.base);
    EXPECT_EQ(std::vector<int>{600}, events.seen);
    ASSERT_EQ(1u, result.suspicious.size());
    EXPECT_EQ(0, result.suspicious[0].column);
    EXPECT_EQ(7, result.suspicious[0].row);
    EXPECT_EQ(4, result.nonZero);
    EXPECT_EQ(r.dir.path("out.tga"), result.written);
    EXPECT_EQ("Suspicious elevation value 600 in (0/7).", DemSuspiciousText(result.suspicious[0]));
    EXPECT_EQ("", DemProblemText(result, "in.dem"));

    DemImportResult missing = ImportDem(r.dir.path("none.dem"), r.dir.path("no.tga"), r.e.env, events);
    EXPECT_EQ(DemRefusal::CannotOpen, missing.refusal);
    EXPECT_EQ("Cannot open file 'x.dem'.", DemProblemText(missing, "x.dem"));
    EXPECT_TRUE(missing.written.empty());
    EXPECT_TRUE(r.messages().empty());
}

TEST(DemImport, ListingLines) {
    DemHeader h;
    h.name = "QUAD";
    h.rows = 1;
    h.columns = 1201;
    h.sides = 4;
    h.corners[0][0] = -286200.0;
    h.corners[0][1] = 144000.0;
    h.corners[1][0] = -1800.0; // between -1 and 0 degrees: the sign stays
    h.corners[1][1] = 3723.9;
    h.minElevation = -12.7;
    h.maxElevation = 1076;
    h.resolution[0] = 3;
    h.resolution[1] = 3;
    h.resolution[2] = 1;
    h.angle = 0;
    h.accuracy = 1;
    h.projection[14] = 12.345;
    std::vector<std::string> lines = DemListingLines(h);
    ASSERT_EQ(34u, lines.size());
    EXPECT_EQ("Quadrangle name field:\tQUAD", lines[0]);
    EXPECT_EQ("Number of rows in profile:\t1", lines[1]);
    EXPECT_EQ("Number of columns in profile:\t1201", lines[2]);
    EXPECT_EQ("Number of sides in boundary polygon:\t4", lines[3]);
    EXPECT_EQ("Corner #0:\t -79\xC2\xB0"
              "30'00'',   40\xC2\xB0"
              "00'00''",
              lines[4]);
    EXPECT_EQ("Corner #1:\t  -0\xC2\xB0"
              "30'00'',    1\xC2\xB0"
              "02'03''",
              lines[5]);
    EXPECT_EQ("Corner #3:\t   0\xC2\xB0"
              "00'00'',    0\xC2\xB0"
              "00'00''",
              lines[7]);
    EXPECT_EQ("Minimum elevation:\t-12.70", lines[8]);
    EXPECT_EQ("Maximum elevation:\t1076.00", lines[9]);
    EXPECT_EQ("DEM spatial resolution (x, y, z):\t3.00, 3.00, 1.00", lines[10]);
    EXPECT_EQ("Angle from ground to DEM reference (counterclockwise):\t0.00", lines[17]);
    EXPECT_EQ("Accuracy code:\t1", lines[18]);
    EXPECT_EQ("Map projection parameter[0]:\t  0.00", lines[19]);
    EXPECT_EQ("Map projection parameter[14]:\t 12.35", lines[33]);
    EXPECT_EQ("DEM Data from File /x/y.dem", DemListingTitle("/x/y.dem"));

    h.sides = 7; // only four corners are kept
    EXPECT_EQ(34u, DemListingLines(h).size());
}

TEST(DemImport, CancelledListingOrStopWritesNothing) {
    SynthHeader h;
    h.columns = 3;
    std::string dem = makeDem(h, {profile(1, {1}), profile(2, {2}), profile(3, {3})}, DemLayout::Records);

    DemRun cancelled;
    cancelled.confirm = false;
    EXPECT_EQ(ToolStatus::Cancelled, cancelled.run(dem).status);
    EXPECT_FALSE(exists(cancelled.dir.path("out.tga")));
    EXPECT_TRUE(cancelled.messages().empty());

    DemRun stopped;
    stopped.e.progress.stopAfterPumps = 2;
    EXPECT_EQ(ToolStatus::Cancelled, stopped.run(dem).status);
    EXPECT_FALSE(exists(stopped.dir.path("out.tga")));
    EXPECT_EQ((std::vector<int>{0, 33, 66}), stopped.e.progress.reports);
    ASSERT_EQ(1u, stopped.messages().size());
    EXPECT_EQ("Total of non-zero elevations: 2", stopped.messages()[0]);
}

TEST(DemImport, UnreadableOrDamagedFiles) {
    DemRun missing;
    EXPECT_EQ(ToolStatus::Failed, missing.runFile(missing.dir.path("none.dem")).status);
    EXPECT_EQ(0, missing.listings);
    ASSERT_EQ(1u, missing.messages().size());
    EXPECT_EQ("Cannot open file '" + missing.dir.path("none.dem") + "'.", missing.messages()[0]);

    SynthHeader h;
    h.columns = 3;
    std::string dem =
        makeDem(h, {profile(1, {1, 2}), profile(2, {3, 4}), profile(3, {5, 6})}, DemLayout::Records);

    DemRun truncatedHeader;
    EXPECT_EQ(ToolStatus::Failed, truncatedHeader.run(dem.substr(0, 700)).status);
    EXPECT_EQ(0, truncatedHeader.listings);
    EXPECT_FALSE(exists(truncatedHeader.dir.path("out.tga")));
    ASSERT_EQ(1u, truncatedHeader.messages().size());

    // Ends in the middle of the third profile: the first two and a half are written.
    DemRun early;
    EXPECT_EQ(ToolStatus::Incomplete, early.run(dem.substr(0, 3 * 1024 + 150)).status);
    EXPECT_EQ(2, early.result.profilesRead);
    ASSERT_EQ(8, early.out.width);
    EXPECT_EQ(4u, early.out.elevation(1, 6));
    EXPECT_EQ(5u, early.out.elevation(2, 5));
    ASSERT_EQ(2u, early.messages().size());
    EXPECT_NE(std::string::npos, early.messages()[0].find("Only 2 of 3 profiles were read"));
    EXPECT_EQ(MsgIcon::Warning, early.e.platform.shown[0].icon);
    EXPECT_EQ("Total of non-zero elevations: 5", early.messages()[1]);

    // A value that is not a number stops the reading in the same way.
    std::string garbled = dem;
    garbled.replace(2 * 1024 + 144, 6, "  1x3 ");
    DemRun bad;
    EXPECT_EQ(ToolStatus::Incomplete, bad.run(garbled).status);
    EXPECT_EQ(1, bad.result.profilesRead);
    EXPECT_EQ(2u, bad.out.elevation(0, 6));
    EXPECT_EQ(0u, bad.out.elevation(1, 5));
}

TEST(DemImport, AbsurdColumnCountsAreRefused) {
    for (int columns : {-3, 20000, 99999}) {
        SynthHeader h;
        h.columns = columns;
        DemRun r;
        EXPECT_EQ(ToolStatus::Failed, r.run(makeDem(h, {profile(1, {1})}, DemLayout::Records)).status)
            << columns;
        EXPECT_EQ(0, r.listings);
        EXPECT_FALSE(exists(r.dir.path("out.tga")));
        ASSERT_EQ(1u, r.messages().size());
        EXPECT_NE(std::string::npos, r.messages()[0].find(std::to_string(columns) + " columns"));
    }
}

TEST(DemImport, ProfilesPlacedByTheirColumnAndClippedToTheImage) {
    SynthHeader h;
    h.columns = 2;
    std::vector<int> tall(12);
    for (int j = 0; j < 12; ++j) tall[size_t(j)] = 500 + j;
    DemRun r;
    // Profiles in the file in reverse order, one with a column outside the image, one longer than the rows
    // above the offset (6 rows of 8).
    ASSERT_EQ(ToolStatus::Done,
              r.run(makeDem(h, {profile(2, tall), profile(1, {9}), profile(40, {3})}, DemLayout::RecordLines))
                  .status);
    ASSERT_EQ(8, r.out.width);
    EXPECT_EQ(9u, r.out.elevation(0, 6));
    for (int j = 0; j < 2; ++j) EXPECT_EQ(uint32_t(500 + j), r.out.elevation(1, 6 + j));
    EXPECT_EQ(2, r.result.profilesRead); // only the declared two are read
}

TEST(DemImport, YuvOutputName) {
    SynthHeader h;
    DemRun r;
    ASSERT_EQ(ToolStatus::Done, r.run(makeDem(h, {profile(1, {1})}, DemLayout::Records), "out.YUV").status);
    EXPECT_EQ(8u * 8 + 2 * 4 * 4, TempDir::read(r.dir.path("out.YUV")).size());
}

// DEM files written by independent software (GDAL), checked against GDAL's own reading of the grid.
TEST(DemImport, RealFilesAgreeWithGdal) {
    for (const char* name : {"geo8_nad27", "geo20x5", "utm8_tall", "usgsdem_with_spaces_after_byte_864"}) {
        SCOPED_TRACE(name);
        const std::string base = std::string(ORVANTIS_TEST_DATA) + "/dem/" + name;
        AsciiGrid grid = readAsciiGrid(base + ".aaigrid.asc");
        ASSERT_GT(grid.columns, 0);
        DemRun r;
        ASSERT_EQ(ToolStatus::Done, r.runFile(base + ".dem").status);
        const int side = DemImageSide(grid.columns);
        const int offset = side - grid.columns;
        ASSERT_EQ(side, r.out.width);
        ASSERT_EQ(side, r.out.height);
        EXPECT_EQ(grid.columns, r.result.profilesRead);
        int checked = 0;
        for (int c = 0; c < grid.columns; ++c) {
            int j = 0;
            for (auto row = grid.rows.rbegin(); row != grid.rows.rend(); ++row) {
                const int v = (*row)[size_t(c)];
                if (v == grid.nodata) continue;
                if (offset + j < side) {
                    EXPECT_EQ(uint32_t(v - r.result.base) & 0xFFFFFF, r.out.elevation(c, offset + j))
                        << "column " << c << " elevation " << j;
                    ++checked;
                }
                ++j;
            }
        }
        EXPECT_GT(checked, 0);
    }
}

// The same files without the filler that pads records to 1024 bytes, after a header of 893 or 918 bytes
// (or a whole record): GDAL reads these too, and the import must give the same picture.
TEST(DemImport, UnpaddedProfilesReadAsTheirRecordBasedOriginals) {
    for (const char* name : {"geo8_nad27", "geo20x5", "utm8_tall", "usgsdem_with_spaces_after_byte_864"}) {
        const std::string original = TempDir::read(std::string(ORVANTIS_TEST_DATA) + "/dem/" + name + ".dem");
        std::string profiles;
        for (size_t at = 1024; at < original.size(); at += 1024) {
            std::string record = original.substr(at, 1024);
            record.erase(record.find_last_not_of(' ') + 1);
            profiles += record;
        }
        DemRun expected;
        ASSERT_EQ(ToolStatus::Done, expected.run(original).status);
        for (size_t header : {893u, 918u, 1024u}) {
            SCOPED_TRACE(std::string(name) + " after a header of " + std::to_string(header));
            DemRun r;
            ASSERT_EQ(ToolStatus::Done, r.run(original.substr(0, header) + profiles).status)
                << r.messages().back();
            EXPECT_EQ(r.result.profilesRead, expected.result.profilesRead);
            EXPECT_EQ(TempDir::read(r.dir.path("out.tga")), TempDir::read(expected.dir.path("out.tga")));
        }
    }
}
