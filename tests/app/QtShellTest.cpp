#include "app/QtShell.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace quaverly;

namespace {

TEST(QtShellTest, FilterPairsBecomeNameFiltersThatIgnoreCase)
{
    const QStringList filters =
        QtFileFilters("MIDI音乐(MID;RMI)|*.mid;*.rmi|音频文件(MP3)|*.mp3|所有文件|*.*|dangling");
    ASSERT_EQ(3, filters.size());
    EXPECT_EQ(QStringLiteral("MIDI音乐(MID;RMI) (*.[mM][iI][dD] *.[rR][mM][iI])"), filters[0]);
    EXPECT_EQ(QStringLiteral("音频文件(MP3) (*.[mM][pP]3)"), filters[1]);
    EXPECT_EQ(QStringLiteral("所有文件 (*.*)"), filters[2]);
    EXPECT_TRUE(QtFileFilters("").isEmpty());
    EXPECT_TRUE(QtFileFilters("only a name").isEmpty());
}

TEST(QtShellTest, CaseBlindPatternsMatchEveryCasingAndNothingElse)
{
    const QString pattern = QtFileFilters("x|*.mp3").first().section(QLatin1Char('('), -1).chopped(1);
    const QRegularExpression re = QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive);
    for (const char *name : {"a.mp3", "B.MP3", "c.Mp3"})
        EXPECT_TRUE(re.match(QString::fromUtf8(name)).hasMatch()) << name;
    for (const char *name : {"a.mp4", "a.mp3.wav", "mp3"})
        EXPECT_FALSE(re.match(QString::fromUtf8(name)).hasMatch()) << name;
}

}  // namespace
