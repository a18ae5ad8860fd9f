#include "AsfBuilder.h"
#include "MediaFixtures.h"
#include "mediainfo/TextConversion.h"
#include "mediainfo/WmaInfo.h"

#include <gtest/gtest.h>

using namespace quaverly::mediainfo;
using namespace quaverly::mediainfo::test;
using namespace std::string_literals;

namespace {

TWmaInfo Read(const TempFolder& dir, const ByteVector& bytes, bool expected = true)
{
    TWmaInfo wma;
    EXPECT_EQ(expected, wma.ReadInfo(dir.Write("built.wma", bytes)));
    return wma;
}

std::string Text(const std::u16string& text) { return Utf16ToUtf8(text); }

} // namespace

TEST(WmaInfo, EncodedFileGivesFormatAndTags)
{
    if (!HasTool("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is needed";
    TempFolder dir;
    const std::string file = dir.File("tone.wma");
    ASSERT_TRUE(RunQuietly("ffmpeg -nostdin -y -f lavfi -i sine=frequency=440:sample_rate=22050:duration=3 -ac 1"
                           " -c:a wmav2 -b:a 64k -metadata title='Grüße' -metadata artist=Someone"
                           " -metadata WM/AlbumTitle=Album -metadata WM/Track=7 -metadata WM/Year=2001"
                           " -metadata WM/Genre=Jazz -metadata WM/Description=Note '" + file + "'"));
    TWmaInfo wma;
    ASSERT_TRUE(wma.ReadInfo(file));
    ASSERT_TRUE(wma.IsValid());
    EXPECT_EQ(1, wma.Channels());
    EXPECT_EQ(22050, wma.SampleRate());
    EXPECT_EQ(64, wma.BitRate());
    EXPECT_EQ(static_cast<std::int32_t>(std::filesystem::file_size(file)), wma.FileSize());
    EXPECT_NEAR(3.0, wma.Duration(), 0.8); // estimated from the maximum bit rate
    EXPECT_EQ("Grüße", Text(wma.Title()));
    EXPECT_EQ("Someone", Text(wma.Artist()));
    EXPECT_EQ("Album", Text(wma.Album()));
    EXPECT_EQ(7, wma.Track());
    EXPECT_EQ("2001", Text(wma.Year()));
    EXPECT_EQ("Jazz", Text(wma.Genre()));
    EXPECT_EQ("Note", Text(wma.Comment()));
}

TEST(WmaInfo, DurationAndBitRateFollowTheHeaderRates)
{
    TempFolder dir;
    TWmaInfo wma = Read(dir, Asf(Playable(), 1600000));
    ASSERT_TRUE(wma.IsValid());
    EXPECT_EQ(1600000, wma.FileSize());
    EXPECT_DOUBLE_EQ(100.0, wma.Duration());
    EXPECT_EQ(128, wma.BitRate());
    EXPECT_EQ(2, wma.Channels());
    EXPECT_EQ(44100, wma.SampleRate());
    wma = Read(dir, Asf({FileProperties(128000), StreamProperties(2, 44100, 39999)}));
    EXPECT_TRUE(wma.IsValid());
    EXPECT_EQ(319, wma.BitRate());
}

TEST(WmaInfo, ValuesOutsideTheRangesAreNotValidAndSetNothing)
{
    TempFolder dir;
    struct Case {
        std::uint32_t MaxBitRate;
        int Channels;
        std::uint32_t Rate, ByteRate;
        bool Valid;
    };
    for (const Case& c : {Case{128000, 2, 8000, 16000, true}, Case{128000, 2, 96000, 16000, true},
                          Case{319999, 6, 44100, 1, true}, Case{128000, 2, 7999, 16000, false},
                          Case{128000, 2, 96001, 16000, false}, Case{128000, 7, 44100, 16000, false},
                          Case{128000, 0, 44100, 16000, false}, Case{128000, 2, 44100, 40000, false},
                          Case{128000, 2, 44100, 0, false}, Case{320000, 2, 44100, 16000, false},
                          Case{0, 2, 44100, 16000, false}}) {
        TWmaInfo wma = Read(dir, Asf({FileProperties(c.MaxBitRate), StreamProperties(c.Channels, c.Rate, c.ByteRate),
                                      ContentDescription(u"T", u"A")}));
        EXPECT_EQ(c.Valid, wma.IsValid()) << c.MaxBitRate << " " << c.Channels << " " << c.Rate << " " << c.ByteRate;
        if (!c.Valid) {
            EXPECT_EQ(0, wma.SampleRate());
            EXPECT_EQ(0, wma.FileSize());
            EXPECT_EQ(u"", wma.Title());
        }
    }
}

TEST(WmaInfo, LaterObjectsAndDescriptorsOverwriteEarlierOnes)
{
    TempFolder dir;
    TWmaInfo wma = Read(dir, Asf(Playable({ContentDescription(u"A", u"Art"), ExtendedContent({{u"WM/TITLE", u"B"}})})));
    EXPECT_EQ(u"B", wma.Title());
    EXPECT_EQ(u"Art", wma.Artist());
    wma = Read(dir, Asf(Playable({ExtendedContent({{u"WM/TITLE", u"B"}}), ContentDescription(u"A", u"")})));
    EXPECT_EQ(u"A", wma.Title());
    // The last stream properties object gives the format.
    wma = Read(dir, Asf({StreamProperties(1, 8000, 1000), FileProperties(128000), StreamProperties(2, 48000, 20000)}));
    EXPECT_EQ(2, wma.Channels());
    EXPECT_EQ(48000, wma.SampleRate());
    EXPECT_EQ(160, wma.BitRate());
}

TEST(WmaInfo, DescriptorsMatchByTrimmedUpperCaseNameAndTextType)
{
    TempFolder dir;
    TWmaInfo wma = Read(dir, Asf(Playable({ExtendedContent({
                                     {u"wm/title", u"  Lower  "},
                                     {u"WM/Track", u"", 3, {9, 0, 0, 0}},
                                     {u" WM/AlbumTitle\0"s, u"Album\0"s},
                                     {u"WM/Track", u"12"},
                                     {u"WM/GENRE", u"Rock"},
                                     {u"WM/Year", u"1999"},
                                     {u"Description", u"not the comment slot"},
                                     {u"WM/Description", u"Comment"},
                                     {u"WM/AUTHOR", u"Auth"},
                                 })})));
    EXPECT_EQ(u"Lower", wma.Title());
    EXPECT_EQ(u"Album", wma.Album());
    EXPECT_EQ(12, wma.Track());
    EXPECT_EQ(u"Rock", wma.Genre());
    EXPECT_EQ(u"1999", wma.Year());
    EXPECT_EQ(u"Comment", wma.Comment());
    EXPECT_EQ(u"Auth", wma.Artist());

    // A number-typed track fills nothing; a text track such as 3/12 gives 0.
    wma = Read(dir, Asf(Playable({ExtendedContent({{u"WM/TRACK", u"", 3, {9, 0, 0, 0}}, {u"WM/YEAR", u"2000"}})})));
    EXPECT_EQ(0, wma.Track());
    EXPECT_EQ(u"2000", wma.Year());
    wma = Read(dir, Asf(Playable({ExtendedContent({{u"WM/TRACK", u"3/12"}})})));
    EXPECT_EQ(0, wma.Track());
}

TEST(WmaInfo, LongTextsKeep250UnitsAndTheNextFieldIsReadInPlace)
{
    TempFolder dir;
    const std::u16string longTitle(300, u'x');
    TWmaInfo wma = Read(dir, Asf(Playable({ContentDescription(longTitle, u"Author", u"Desc", u"(c)")})));
    EXPECT_EQ(std::u16string(250, u'x'), wma.Title());
    EXPECT_EQ(u"Author", wma.Artist());
    EXPECT_EQ(u"Desc", wma.Comment());
    wma = Read(dir, Asf(Playable({ExtendedContent({{u"WM/ALBUMTITLE", longTitle}, {u"WM/GENRE", u"Pop"}})})));
    EXPECT_EQ(std::u16string(250, u'x'), wma.Album());
    EXPECT_EQ(u"Pop", wma.Genre());
    // An odd byte length: its last byte is skipped.
    ByteVector odd = ContentDescription(u"ab", u"cd");
    PutLe(odd, 24, 5, 2);
    odd.insert(odd.begin() + 24 + 10 + 4, 0x7A);
    PutLe(odd, 16, static_cast<std::uint32_t>(odd.size()), 4);
    wma = Read(dir, Asf(Playable({odd})));
    EXPECT_EQ(u"ab", wma.Title());
    EXPECT_EQ(u"cd", wma.Artist());
}

TEST(WmaInfo, UnknownObjectsAreSkippedBySize)
{
    TempFolder dir;
    ByteVector other = Object(OtherObject, ByteVector(5000, 0xEE));
    TWmaInfo wma = Read(dir, Asf({other, FileProperties(128000), other, StreamProperties(2, 44100, 16000),
                                  ContentDescription(u"Title", u"")}));
    EXPECT_TRUE(wma.IsValid());
    EXPECT_EQ(u"Title", wma.Title());
}

TEST(WmaInfo, NonAsfFilesAreReadButNotValidAndShortHeadersFail)
{
    TempFolder dir;
    TWmaInfo wma = Read(dir, ByteVector(100, 0x11), true);
    EXPECT_FALSE(wma.IsValid());
    Read(dir, ByteVector(10, 0), false);
    EXPECT_FALSE(wma.ReadInfo(dir.File("missing.wma")));
    EXPECT_FALSE(wma.ReadInfo(dir.Root()));

    // A header cut inside its objects: false, and nothing is kept.
    ByteVector whole = Asf(Playable({ContentDescription(u"T", u"A")}));
    ASSERT_TRUE(Read(dir, whole).IsValid());
    for (std::size_t cut : {whole.size() - 1, std::size_t{100}, std::size_t{29}}) {
        ByteVector part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        wma = Read(dir, part, false);
        EXPECT_FALSE(wma.IsValid()) << cut;
        EXPECT_EQ(u"", wma.Title());
    }
    // More objects announced than there are: the walk reads past the end.
    ByteVector extra = whole;
    PutLe(extra, 24, 4, 4);
    Read(dir, extra, false);
}

TEST(WmaInfo, DamagedCountsAndSizesEndTheWalk)
{
    TempFolder dir;
    // Billions of objects of size 0: the same object over and over.
    ByteVector zeroSized = Object(StreamProps, ByteVector(70, 0));
    PutLe(zeroSized, 16, 0, 4);
    PutLe(zeroSized, 24 + 56, 2, 2);
    PutLe(zeroSized, 24 + 58, 44100, 4);
    PutLe(zeroSized, 24 + 62, 16000, 4);
    ByteVector file = Asf({FileProperties(128000), zeroSized});
    PutLe(file, 24, 4000000000u, 4);
    TWmaInfo wma = Read(dir, file, true);
    EXPECT_TRUE(wma.IsValid());
    EXPECT_EQ(44100, wma.SampleRate());

    // An object that claims to run past the end of the file.
    ByteVector huge = ContentDescription(u"T", u"A");
    PutLe(huge, 16, 0xFFFFFF00u, 4);
    file = Asf({FileProperties(128000), StreamProperties(2, 44100, 16000), huge});
    wma = Read(dir, file, true);
    EXPECT_EQ(u"T", wma.Title());
    PutLe(file, 24, 4, 4);
    Read(dir, file, false);

    // A descriptor count of 65 535 with two descriptors present.
    ByteVector ext = ExtendedContent({{u"WM/TITLE", u"X"}, {u"WM/GENRE", u"Y"}});
    PutLe(ext, 24, 65535, 2);
    Read(dir, Asf(Playable({ext})), false);
}

TEST(WmaInfo, TrackNumberIsAWholeDecimalNumber)
{
    EXPECT_EQ(5, WmaTrackNumber(u"5"));
    EXPECT_EQ(-5, WmaTrackNumber(u"-5"));
    EXPECT_EQ(0, WmaTrackNumber(u"3/12"));
    EXPECT_EQ(0, WmaTrackNumber(u""));
    EXPECT_EQ(0, WmaTrackNumber(u"99999999999"));
    EXPECT_EQ(u"a b", WmaTrimmed(u"\0 \ta b\x20\x01"s));
}
