#include "MediaFixtures.h"
#include "OggBuilder.h"
#include "mediainfo/FileReader.h"
#include "mediainfo/OggInfo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace quaverly::mediainfo;
using namespace quaverly::mediainfo::test;

namespace {

ByteVector ReadAll(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TOggInfo ReadBuilt(const TempFolder& dir, const OggLayout& layout, bool expected = true)
{
    TOggInfo ogg;
    EXPECT_EQ(expected, ogg.ReadInfo(dir.Write("built.ogg", BuildOgg(layout))));
    return ogg;
}

} // namespace

TEST(OggInfo, EncodedFileGivesItsFormatCommentsAndSampleCount)
{
    if (!HasTool("oggenc") || !HasTool("sox"))
        GTEST_SKIP() << "oggenc and sox are needed";
    TempFolder dir;
    const std::string wav = dir.File("tone.wav");
    const std::string ogg = dir.File("tone.ogg");
    ASSERT_TRUE(RunQuietly("sox -n -r 32000 -c 1 -b 16 '" + wav + "' synth 3.5 sine 440"));
    ASSERT_TRUE(RunQuietly("oggenc -Q -b 96 -t 'Süß' -a Artist -l Album -N 3/12 -d 2024 -G Jazz -c 'comment=Hello'"
                           " -o '" + ogg + "' '" + wav + "'"));
    TOggInfo info;
    ASSERT_TRUE(info.ReadInfo(ogg));
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ(1, info.Channels());
    EXPECT_EQ(32000, info.SampleRate());
    EXPECT_EQ(96, info.BitRateNominal());
    EXPECT_EQ(112000, info.Samples());
    EXPECT_DOUBLE_EQ(3.5, info.Duration());
    EXPECT_EQ(0, info.ID3v2Size());
    EXPECT_EQ("Süß", info.Title());
    EXPECT_EQ("Artist", info.Artist());
    EXPECT_EQ("Album", info.Album());
    EXPECT_EQ(3, info.Track());
    EXPECT_EQ("2024", info.Date());
    EXPECT_EQ("Jazz", info.Genre());
    EXPECT_EQ("Hello", info.Comment());
    EXPECT_NE(std::string::npos, info.Vendor().find("Xiph.Org"));

    // The same file behind a 1 000-byte ID3v2 tag: the pages are read after
    // the tag, and the tag is left out of the average bit rate.
    ByteVector tagged = BuildOgg({.Id3v2Size = 1000});
    tagged.resize(1000);
    const ByteVector audio = ReadAll(ogg);
    Append(tagged, audio);
    TOggInfo behindTag;
    ASSERT_TRUE(behindTag.ReadInfo(dir.Write("tagged.ogg", tagged)));
    EXPECT_EQ(1000, behindTag.ID3v2Size());
    EXPECT_EQ(static_cast<std::int32_t>(audio.size() + 1000), behindTag.FileSize());
    EXPECT_EQ(info.Samples(), behindTag.Samples());
    EXPECT_EQ(info.BitRate(), behindTag.BitRate());
    EXPECT_EQ("Süß", behindTag.Title());
}

TEST(OggInfo, DurationAndBitRateComeFromLastGranuleOrNominalRate)
{
    TempFolder dir;
    TOggInfo ogg = ReadBuilt(dir, {.LastGranule = 441000, .TotalSize = 200000});
    EXPECT_EQ(200000, ogg.FileSize());
    EXPECT_EQ(441000, ogg.Samples());
    EXPECT_DOUBLE_EQ(10.0, ogg.Duration());
    EXPECT_EQ(160, ogg.BitRate());
    EXPECT_TRUE(ogg.IsValid());

    // No page in the last 12 060 bytes: the duration comes from the nominal rate.
    ogg = ReadBuilt(dir, {.Nominal = 128000, .WithLastPage = false, .TotalSize = 1600000});
    EXPECT_EQ(0, ogg.Samples());
    EXPECT_EQ(128, ogg.BitRateNominal());
    EXPECT_DOUBLE_EQ(100.0, ogg.Duration());
    EXPECT_EQ(128, ogg.BitRate());

    // A granule of -1 (no packet finished on the page) counts as no samples.
    ogg = ReadBuilt(dir, {.Nominal = 128000, .LastGranule = ~0ull, .TotalSize = 1600000});
    EXPECT_EQ(-1, ogg.Samples());
    EXPECT_DOUBLE_EQ(100.0, ogg.Duration());

    // The search reaches back 12 060 bytes from the end, and no farther.
    const ByteVector base = BuildOgg({.LastGranule = 441000, .TotalSize = 300000});
    const std::size_t lastPage = base.size() - 200 - 28;
    for (const std::size_t size : {lastPage + 12060, lastPage + 12061}) {
        ByteVector bytes = base;
        bytes.resize(size, 0);
        ASSERT_TRUE(ogg.ReadInfo(dir.Write("far.ogg", bytes)));
        EXPECT_EQ(size == lastPage + 12060 ? 441000 : 0, ogg.Samples()) << size - lastPage;
    }
}

TEST(OggInfo, NominalRateRoundsHalfToEvenAndRatesKeepTheirFieldWidths)
{
    TempFolder dir;
    EXPECT_EQ(128, ReadBuilt(dir, {.Nominal = 128500}).BitRateNominal());
    EXPECT_EQ(130, ReadBuilt(dir, {.Nominal = 129500}).BitRateNominal());
    EXPECT_EQ(0, ReadBuilt(dir, {.Nominal = 0xFFFFFFFF}).BitRateNominal()); // -1: unset
    EXPECT_EQ(96000 - 65536, ReadBuilt(dir, {.Rate = 96000}).SampleRate());
}

TEST(OggInfo, ValidityNeedsChannelsRateAndATenthOfASecond)
{
    TempFolder dir;
    EXPECT_TRUE(ReadBuilt(dir, {.Channels = 6}).IsValid());
    EXPECT_FALSE(ReadBuilt(dir, {.Channels = 7}).IsValid());
    EXPECT_FALSE(ReadBuilt(dir, {.Channels = 0}).IsValid());
    EXPECT_FALSE(ReadBuilt(dir, {.Rate = 0}).IsValid());
    TOggInfo shortFile = ReadBuilt(dir, {.LastGranule = 2000});
    EXPECT_NEAR(0.045, shortFile.Duration(), 0.001);
    EXPECT_FALSE(shortFile.IsValid());
}

TEST(OggInfo, CommentsFillFieldsByNameWithFallbacks)
{
    TempFolder dir;
    TOggInfo ogg = ReadBuilt(dir, {.Comments = {"artist=X", "title=  First ", "TITLE=Second", "PERFORMER=P",
                                                "DESCRIPTION=D", "TrackNumber=300", "odd=ignored", "date=1999"}});
    EXPECT_EQ("X", ogg.Artist());
    EXPECT_EQ("Second", ogg.Title());
    EXPECT_EQ("D", ogg.Comment());
    EXPECT_EQ(44, ogg.Track());
    EXPECT_EQ("1999", ogg.Date());
    EXPECT_EQ("test vendor", ogg.Vendor());

    ogg = ReadBuilt(dir, {.Comments = {"PERFORMER=Perf", "COMMENT=C", "DESCRIPTION=D", "TRACKNUMBER=3/12"}});
    EXPECT_EQ("Perf", ogg.Artist());
    EXPECT_EQ("C", ogg.Comment());
    EXPECT_EQ(3, ogg.Track());

    // A text without "=" is the vendor text only while that is still empty.
    ogg = ReadBuilt(dir, {.VendorText = "", .Comments = {"Plain words", "Later words"}});
    EXPECT_EQ("Plain words", ogg.Vendor());
    ogg = ReadBuilt(dir, {.VendorText = "Real", .Comments = {"Plain words"}});
    EXPECT_EQ("Real", ogg.Vendor());
}

TEST(OggInfo, LongCommentIsCutAndTheNextOneStillFound)
{
    TempFolder dir;
    const std::string longTitle = "TITLE=" + std::string(400, 'a');
    TOggInfo ogg = ReadBuilt(dir, {.Comments = {longTitle, "ARTIST=After"}});
    EXPECT_EQ(std::string(244, 'a'), ogg.Title());
    EXPECT_EQ("After", ogg.Artist());
}

TEST(OggInfo, MissingCommentHeaderStillReadsTheStream)
{
    TempFolder dir;
    TOggInfo ogg = ReadBuilt(dir, {.WithComments = false});
    EXPECT_TRUE(ogg.IsValid());
    EXPECT_EQ("", ogg.Title());
    EXPECT_EQ("", ogg.Vendor());
    EXPECT_EQ(441000, ogg.Samples());
}

TEST(OggInfo, DamagedCountsAndLengthsEndAtTheEndOfTheFile)
{
    TempFolder dir;
    // Four billion reads as a negative count: the vendor text only.
    TOggInfo ogg = ReadBuilt(dir, {.Comments = {"TITLE=T"}, .CommentCount = 4000000000u});
    EXPECT_EQ("", ogg.Title());
    EXPECT_EQ("test vendor", ogg.Vendor());
    // Two billion comments: the ones that are there, then the end of the file.
    ogg = ReadBuilt(dir, {.Comments = {"TITLE=T", "ARTIST=A"}, .CommentCount = 2000000000u});
    EXPECT_EQ("T", ogg.Title());
    EXPECT_EQ("A", ogg.Artist());
    EXPECT_EQ(441000, ogg.Samples());

    // A comment length far beyond the file.
    ByteVector bytes = BuildOgg({.Comments = {"TITLE=T"}});
    const std::size_t vendorLength = 27 + 1 + 30 + 27 + 3 + 7;
    PutLe(bytes, vendorLength, 0xFFFFFFF0u, 4);
    ASSERT_TRUE(ogg.ReadInfo(dir.Write("long.ogg", bytes)));
    EXPECT_EQ("", ogg.Title());
    EXPECT_EQ(441000, ogg.Samples());
}

TEST(OggInfo, FilesWithoutVorbisPagesAreRejectedWithClearedState)
{
    TempFolder dir;
    TOggInfo ogg = ReadBuilt(dir, {.Comments = {"TITLE=T"}});
    ASSERT_EQ("T", ogg.Title());
    ByteVector bytes = BuildOgg({});
    bytes[0] = 'X';
    EXPECT_FALSE(ogg.ReadInfo(dir.Write("notogg.ogg", bytes)));
    EXPECT_EQ("", ogg.Title());
    EXPECT_EQ(0, ogg.FileSize());
    bytes = BuildOgg({});
    bytes[28 + 1] = 'V'; // "vVrbis"
    EXPECT_FALSE(ogg.ReadInfo(dir.Write("notvorbis.ogg", bytes)));
    EXPECT_FALSE(ogg.ReadInfo(dir.Write("empty.ogg", {})));
    EXPECT_FALSE(ogg.ReadInfo(dir.Write("stub.ogg", {'O', 'g', 'g', 'S'})));
    EXPECT_THROW((void)ogg.ReadInfo(dir.File("missing.ogg")), TOpenError);
    EXPECT_EQ(0, ogg.FileSize());
    EXPECT_THROW((void)ogg.ReadInfo(dir.Root()), TOpenError);
}

TEST(OggInfo, Utf8DecodingStopsAtTheFirstBrokenSequence)
{
    EXPECT_EQ(u"a\u00fc\u4e2d", OggDecodeUtf8("a\xC3\xBC\xE4\xB8\xAD"));
    EXPECT_EQ(u"ab", OggDecodeUtf8("ab\xC3x\xC3\xBC"));
    EXPECT_EQ(u"ab", OggDecodeUtf8("ab\xE4\xB8"));  // cut three-byte form
    EXPECT_EQ(u"ab", OggDecodeUtf8("ab\xC3"));      // lead byte at the end
    // A four-byte lead is decoded as a three-byte form, kept in 16 bits.
    EXPECT_EQ(std::u16string(1, static_cast<char16_t>(((0xF0 & 0x1F) << 12 | 0x1F << 6 | 0x18) & 0xFFFF)),
              OggDecodeUtf8("\xF0\x9F\x98"));
    TempFolder dir;
    TOggInfo ogg = ReadBuilt(dir, {.Comments = {"TITLE=ok\xC3\xA9\xE4("}});
    EXPECT_EQ("ok\xC3\xA9", ogg.Title());
}

TEST(OggInfo, TrackNumberTakesTheWholeNumberBeforeTheSlash)
{
    EXPECT_EQ(3, OggTrackNumber("3/12"));
    EXPECT_EQ(44, OggTrackNumber("300"));
    EXPECT_EQ(0, OggTrackNumber("3a"));
    EXPECT_EQ(0, OggTrackNumber(""));
    EXPECT_EQ(0, OggTrackNumber("/5"));
    EXPECT_EQ(255, OggTrackNumber("-1"));
    EXPECT_EQ(0, OggTrackNumber("99999999999"));
}
