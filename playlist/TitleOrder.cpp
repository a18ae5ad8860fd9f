#include "playlist/TitleOrder.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <numeric>

namespace quaverly {

namespace {

bool LocaleCollates()
{
    const char *name = std::setlocale(LC_COLLATE, nullptr);
    return name && std::strcmp(name, "C") != 0 && std::strcmp(name, "POSIX") != 0;
}

// Folded bytes, a separator below every byte of a title, then one mark per
// byte telling lower (or no) case from upper case.
std::string AsciiKey(const std::string &title)
{
    std::string key;
    key.reserve(title.size() * 2 + 1);
    for (char c : title)
        key += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    key += '\0';
    for (char c : title)
        key += (c >= 'A' && c <= 'Z') ? '\2' : '\1';
    return key;
}

std::string CollationKey(const std::string &title)
{
    // strxfrm cannot see past a NUL, and titles never hold one.
    std::string key(title.size() * 4 + 16, '\0');
    size_t n = std::strxfrm(key.data(), title.c_str(), key.size());
    if (n >= key.size()) {
        key.assign(n + 1, '\0');
        n = std::strxfrm(key.data(), title.c_str(), key.size());
    }
    key.resize(n);
    // Texts the locale ranks equal still differ: keep their bytes as the last word.
    key += '\0';
    key += title;
    return key;
}

}  // namespace

std::vector<int> TitleOrder(const std::vector<const std::string *> &titles)
{
    const bool collate = LocaleCollates();
    std::vector<std::string> keys;
    keys.reserve(titles.size());
    for (const std::string *title : titles)
        keys.push_back(collate ? CollationKey(*title) : AsciiKey(*title));
    std::vector<int> order(titles.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    return order;
}

}  // namespace quaverly
