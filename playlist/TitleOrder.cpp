#include "playlist/TitleOrder.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <string_view>

namespace quaverly {

namespace {

// A locale with collation rules puts "a" before "B". C, POSIX, C.UTF-8 and
// every other locale without rules compare code points, which would put
// every capital before every small letter: those get the ASCII order below.
bool LocaleCollates() { return std::strcoll("a", "B") < 0 && std::strcoll("B", "c") < 0; }

// Folded bytes, a separator below every byte of a title, then one mark per
// byte telling lower (or no) case from upper case.
void AppendAsciiKey(std::string &keys, const std::string &title)
{
    for (char c : title)
        keys += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    keys += '\0';
    for (char c : title)
        keys += (c >= 'A' && c <= 'Z') ? '\2' : '\1';
}

void AppendCollationKey(std::string &keys, const std::string &title)
{
    // strxfrm cannot see past a NUL, and titles never hold one.
    const size_t at = keys.size();
    // A collating locale's key runs to several weights per character (eight
    // bytes per Latin letter in zh_CN.UTF-8): room for that in one call.
    size_t room = title.size() * 8 + 16;
    keys.resize(at + room);
    size_t n = std::strxfrm(keys.data() + at, title.c_str(), room);
    if (n >= room) {
        room = n + 1;
        keys.resize(at + room);
        n = std::strxfrm(keys.data() + at, title.c_str(), room);
    }
    keys.resize(at + n);
    // Texts the locale ranks equal still differ: keep their bytes as the last word.
    keys += '\0';
    keys += title;
}

// The first eight bytes of a key as a number that orders as the bytes do.
uint64_t PrefixOf(std::string_view key)
{
    uint64_t prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < key.size() ? uint8_t(key[i]) : 0);
    return prefix;
}

}  // namespace

std::vector<int> TitleOrder(const std::vector<const std::string *> &titles)
{
    const bool collate = LocaleCollates();
    const size_t n = titles.size();
    // Every key in one buffer: one allocation for the whole list, and the
    // comparisons read memory in the order the keys were made.
    size_t total = 0;
    for (const std::string *title : titles)
        total += title->size();
    std::string keys;
    // Reserved whole, so the buffer never moves while it fills; pages past
    // the keys' real length are never touched.
    keys.reserve(collate ? total * 9 + n * 24 : total * 2 + n);
    std::vector<size_t> start(n + 1);
    for (size_t i = 0; i < n; ++i) {
        start[i] = keys.size();
        if (collate)
            AppendCollationKey(keys, *titles[i]);
        else
            AppendAsciiKey(keys, *titles[i]);
    }
    start[n] = keys.size();
    const auto keyOf = [&](int i) {
        return std::string_view(keys).substr(start[size_t(i)], start[size_t(i) + 1] - start[size_t(i)]);
    };

    // Most pairs differ in their first eight bytes, which the entries carry
    // with them; only ties look at the whole keys.
    struct TEntry {
        uint64_t Prefix;
        int Index;
    };
    std::vector<TEntry> entries(n);
    for (size_t i = 0; i < n; ++i)
        entries[i] = {PrefixOf(keyOf(int(i))), int(i)};
    std::stable_sort(entries.begin(), entries.end(), [&keyOf](const TEntry &a, const TEntry &b) {
        if (a.Prefix != b.Prefix)
            return a.Prefix < b.Prefix;
        return keyOf(a.Index) < keyOf(b.Index);
    });
    std::vector<int> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = entries[i].Index;
    return order;
}

}  // namespace quaverly
