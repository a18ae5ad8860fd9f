#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <cstring>
#include <string>
#include <vector>

#include "PlaylistFixture.h"
#include "playlist/TitleOrder.h"

namespace quaverly {
namespace {

std::vector<int> OrderOf(const std::vector<std::string> &titles)
{
    std::vector<const std::string *> pointers;
    for (const std::string &title : titles)
        pointers.push_back(&title);
    return TitleOrder(pointers);
}

// Sets LC_COLLATE for one test and puts the old one back.
class CollateLocale {
public:
    explicit CollateLocale(const char *name) : old_(std::setlocale(LC_COLLATE, nullptr))
    {
        ok_ = std::setlocale(LC_COLLATE, name) != nullptr;
    }
    ~CollateLocale() { std::setlocale(LC_COLLATE, old_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::string old_;
    bool ok_ = false;
};

// Titles that share long beginnings, equal titles, bytes above 127 and the
// empty title: the ones a comparison of the first bytes alone gets wrong.
const std::vector<std::string> kTitles = {
    "Symphony No. 9 in D minor", "Symphony No. 10", "symphony no. 9 in d minor", "Symphony No. 9 in D minor",
    "", "夜曲 2", "夜曲 10", "Étude", "Etude", "Symphony", "Symphony No. 9", "a", "A", "Symphony No. 9 in D minor",
};

TEST(TitleOrder, AsciiOrderFoldsCaseAndKeepsEqualTitlesInListOrder)
{
    CollateLocale locale("C");
    ASSERT_TRUE(locale.ok());
    const std::vector<int> order = OrderOf(kTitles);
    std::vector<std::string> sorted;
    for (int i : order)
        sorted.push_back(kTitles[size_t(i)]);
    EXPECT_EQ((std::vector<std::string>{"", "a", "A", "Etude", "Symphony", "Symphony No. 10", "Symphony No. 9",
                                        "symphony no. 9 in d minor", "Symphony No. 9 in D minor",
                                        "Symphony No. 9 in D minor", "Symphony No. 9 in D minor", "Étude", "夜曲 10",
                                        "夜曲 2"}),
              sorted);
    // The three equal titles (0, 3 and 13) keep the order they had.
    std::vector<int> equal;
    for (int i : order)
        if (kTitles[size_t(i)] == "Symphony No. 9 in D minor")
            equal.push_back(i);
    EXPECT_EQ((std::vector<int>{0, 3, 13}), equal);
}

TEST(TitleOrder, LocalesWithoutCollationRulesGetTheAsciiOrder)
{
    const std::vector<std::string> titles = {"Zeta", "http://x", "banana", "Gamma", "Apple", "apple"};
    for (const char *name : {"C.UTF-8", "C.utf8", "POSIX", "C"}) {
        CollateLocale locale(name);
        if (!locale.ok())
            continue;
        std::vector<std::string> sorted;
        for (int i : OrderOf(titles))
            sorted.push_back(titles[size_t(i)]);
        EXPECT_EQ((std::vector<std::string>{"apple", "Apple", "banana", "Gamma", "http://x", "Zeta"}), sorted)
            << name;
    }
}

// Points LOCPATH at a folder for one test and puts the old value back.
class LocalePath {
public:
    explicit LocalePath(const std::string &folder)
    {
        if (const char *old = std::getenv("LOCPATH"))
            old_ = old;
        ::setenv("LOCPATH", folder.c_str(), 1);
    }
    ~LocalePath()
    {
        if (old_)
            ::setenv("LOCPATH", old_->c_str(), 1);
        else
            ::unsetenv("LOCPATH");
    }

private:
    std::optional<std::string> old_;
};

TEST(TitleOrder, CollatingLocaleOrdersAsStrcollDoes)
{
    // A locale with collation rules: an installed one, else en_US.UTF-8
    // compiled from the system's locale sources into a temporary folder.
    std::string collating;
    for (const char *name : {"zh_CN.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", "en_GB.UTF-8"})
        if (collating.empty() && CollateLocale(name).ok())
            collating = name;
    test::PlaylistTempFolder folder;
    std::optional<LocalePath> path;
    if (collating.empty()) {
        const std::string command = "localedef -i en_US -f UTF-8 '" + folder / "en_US.UTF-8" + "' >/dev/null 2>&1";
        (void)std::system(command.c_str());
        path.emplace(folder.path());
        if (CollateLocale("en_US.UTF-8").ok())
            collating = "en_US.UTF-8";
    }
    if (collating.empty())
        GTEST_SKIP() << "no locale with collation rules, and none could be made";
    CollateLocale locale(collating.c_str());
    ASSERT_TRUE(locale.ok());
    ASSERT_LT(std::strcoll("a", "B"), 0) << collating << " collates by rules";
    const std::vector<int> order = OrderOf(kTitles);
    ASSERT_EQ(kTitles.size(), order.size());
    for (size_t k = 1; k < order.size(); ++k) {
        const std::string &a = kTitles[size_t(order[k - 1])], &b = kTitles[size_t(order[k])];
        const int c = std::strcoll(a.c_str(), b.c_str());
        EXPECT_LE(c, 0) << a << " before " << b;
        if (a == b) {
            EXPECT_LT(order[k - 1], order[k]) << "equal titles keep their order";
        }
    }
    EXPECT_EQ("", kTitles[size_t(order.front())]);
}

}  // namespace
}  // namespace quaverly
