#include "chm/HtmlEntities.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace bmi::help {

namespace {

// Twelve bytes each, and no pointers for the loader to fix up.
struct Entity {
    char name[9];
    char16_t code;
    constexpr std::string_view key() const { return name; }
};

// The named entities of HTML 4, &apos;, and the four upper-case names the view knows as
// well. Sorted by name, byte by byte, for a binary search.
constexpr std::array kEntities = std::to_array<Entity>({
    {"AElig", 0xC6},     {"AMP", 0x26},      {"Aacute", 0xC1},    {"Acirc", 0xC2},
    {"Agrave", 0xC0},    {"Alpha", 0x391},   {"Aring", 0xC5},     {"Atilde", 0xC3},
    {"Auml", 0xC4},      {"Beta", 0x392},    {"Ccedil", 0xC7},    {"Chi", 0x3A7},
    {"Dagger", 0x2021},  {"Delta", 0x394},   {"ETH", 0xD0},       {"Eacute", 0xC9},
    {"Ecirc", 0xCA},     {"Egrave", 0xC8},   {"Epsilon", 0x395},  {"Eta", 0x397},
    {"Euml", 0xCB},      {"GT", 0x3E},       {"Gamma", 0x393},    {"Iacute", 0xCD},
    {"Icirc", 0xCE},     {"Igrave", 0xCC},   {"Iota", 0x399},     {"Iuml", 0xCF},
    {"Kappa", 0x39A},    {"LT", 0x3C},       {"Lambda", 0x39B},   {"Mu", 0x39C},
    {"Ntilde", 0xD1},    {"Nu", 0x39D},      {"OElig", 0x152},    {"Oacute", 0xD3},
    {"Ocirc", 0xD4},     {"Ograve", 0xD2},   {"Omega", 0x3A9},    {"Omicron", 0x39F},
    {"Oslash", 0xD8},    {"Otilde", 0xD5},   {"Ouml", 0xD6},      {"Phi", 0x3A6},
    {"Pi", 0x3A0},       {"Prime", 0x2033},  {"Psi", 0x3A8},      {"QUOT", 0x22},
    {"Rho", 0x3A1},      {"Scaron", 0x160},  {"Sigma", 0x3A3},    {"THORN", 0xDE},
    {"Tau", 0x3A4},      {"Theta", 0x398},   {"Uacute", 0xDA},    {"Ucirc", 0xDB},
    {"Ugrave", 0xD9},    {"Upsilon", 0x3A5}, {"Uuml", 0xDC},      {"Xi", 0x39E},
    {"Yacute", 0xDD},    {"Yuml", 0x178},    {"Zeta", 0x396},     {"aacute", 0xE1},
    {"acirc", 0xE2},     {"acute", 0xB4},    {"aelig", 0xE6},     {"agrave", 0xE0},
    {"alefsym", 0x2135}, {"alpha", 0x3B1},   {"amp", 0x26},       {"and", 0x2227},
    {"ang", 0x2220},     {"apos", 0x27},     {"aring", 0xE5},     {"asymp", 0x2248},
    {"atilde", 0xE3},    {"auml", 0xE4},     {"bdquo", 0x201E},   {"beta", 0x3B2},
    {"brvbar", 0xA6},    {"bull", 0x2022},   {"cap", 0x2229},     {"ccedil", 0xE7},
    {"cedil", 0xB8},     {"cent", 0xA2},     {"chi", 0x3C7},      {"circ", 0x2C6},
    {"clubs", 0x2663},   {"cong", 0x2245},   {"copy", 0xA9},      {"crarr", 0x21B5},
    {"cup", 0x222A},     {"curren", 0xA4},   {"dArr", 0x21D3},    {"dagger", 0x2020},
    {"darr", 0x2193},    {"deg", 0xB0},      {"delta", 0x3B4},    {"diams", 0x2666},
    {"divide", 0xF7},    {"eacute", 0xE9},   {"ecirc", 0xEA},     {"egrave", 0xE8},
    {"empty", 0x2205},   {"emsp", 0x2003},   {"ensp", 0x2002},    {"epsilon", 0x3B5},
    {"equiv", 0x2261},   {"eta", 0x3B7},     {"eth", 0xF0},       {"euml", 0xEB},
    {"euro", 0x20AC},    {"exist", 0x2203},  {"fnof", 0x192},     {"forall", 0x2200},
    {"frac12", 0xBD},    {"frac14", 0xBC},   {"frac34", 0xBE},    {"frasl", 0x2044},
    {"gamma", 0x3B3},    {"ge", 0x2265},     {"gt", 0x3E},        {"hArr", 0x21D4},
    {"harr", 0x2194},    {"hearts", 0x2665}, {"hellip", 0x2026},  {"iacute", 0xED},
    {"icirc", 0xEE},     {"iexcl", 0xA1},    {"igrave", 0xEC},    {"image", 0x2111},
    {"infin", 0x221E},   {"int", 0x222B},    {"iota", 0x3B9},     {"iquest", 0xBF},
    {"isin", 0x2208},    {"iuml", 0xEF},     {"kappa", 0x3BA},    {"lArr", 0x21D0},
    {"lambda", 0x3BB},   {"lang", 0x2329},   {"laquo", 0xAB},     {"larr", 0x2190},
    {"lceil", 0x2308},   {"ldquo", 0x201C},  {"le", 0x2264},      {"lfloor", 0x230A},
    {"lowast", 0x2217},  {"loz", 0x25CA},    {"lrm", 0x200E},     {"lsaquo", 0x2039},
    {"lsquo", 0x2018},   {"lt", 0x3C},       {"macr", 0xAF},      {"mdash", 0x2014},
    {"micro", 0xB5},     {"middot", 0xB7},   {"minus", 0x2212},   {"mu", 0x3BC},
    {"nabla", 0x2207},   {"nbsp", 0xA0},     {"ndash", 0x2013},   {"ne", 0x2260},
    {"ni", 0x220B},      {"not", 0xAC},      {"notin", 0x2209},   {"nsub", 0x2284},
    {"ntilde", 0xF1},    {"nu", 0x3BD},      {"oacute", 0xF3},    {"ocirc", 0xF4},
    {"oelig", 0x153},    {"ograve", 0xF2},   {"oline", 0x203E},   {"omega", 0x3C9},
    {"omicron", 0x3BF},  {"oplus", 0x2295},  {"or", 0x2228},      {"ordf", 0xAA},
    {"ordm", 0xBA},      {"oslash", 0xF8},   {"otilde", 0xF5},    {"otimes", 0x2297},
    {"ouml", 0xF6},      {"para", 0xB6},     {"part", 0x2202},    {"permil", 0x2030},
    {"perp", 0x22A5},    {"phi", 0x3C6},     {"pi", 0x3C0},       {"piv", 0x3D6},
    {"plusmn", 0xB1},    {"pound", 0xA3},    {"prime", 0x2032},   {"prod", 0x220F},
    {"prop", 0x221D},    {"psi", 0x3C8},     {"quot", 0x22},      {"rArr", 0x21D2},
    {"radic", 0x221A},   {"rang", 0x232A},   {"raquo", 0xBB},     {"rarr", 0x2192},
    {"rceil", 0x2309},   {"rdquo", 0x201D},  {"real", 0x211C},    {"reg", 0xAE},
    {"rfloor", 0x230B},  {"rho", 0x3C1},     {"rlm", 0x200F},     {"rsaquo", 0x203A},
    {"rsquo", 0x2019},   {"sbquo", 0x201A},  {"scaron", 0x161},   {"sdot", 0x22C5},
    {"sect", 0xA7},      {"shy", 0xAD},      {"sigma", 0x3C3},    {"sigmaf", 0x3C2},
    {"sim", 0x223C},     {"spades", 0x2660}, {"sub", 0x2282},     {"sube", 0x2286},
    {"sum", 0x2211},     {"sup", 0x2283},    {"sup1", 0xB9},      {"sup2", 0xB2},
    {"sup3", 0xB3},      {"supe", 0x2287},   {"szlig", 0xDF},     {"tau", 0x3C4},
    {"there4", 0x2234},  {"theta", 0x3B8},   {"thetasym", 0x3D1}, {"thinsp", 0x2009},
    {"thorn", 0xFE},     {"tilde", 0x2DC},   {"times", 0xD7},     {"trade", 0x2122},
    {"uArr", 0x21D1},    {"uacute", 0xFA},   {"uarr", 0x2191},    {"ucirc", 0xFB},
    {"ugrave", 0xF9},    {"uml", 0xA8},      {"upsih", 0x3D2},    {"upsilon", 0x3C5},
    {"uuml", 0xFC},      {"weierp", 0x2118}, {"xi", 0x3BE},       {"yacute", 0xFD},
    {"yen", 0xA5},       {"yuml", 0xFF},     {"zeta", 0x3B6},     {"zwj", 0x200D},
    {"zwnj", 0x200C},
});
static_assert(kEntities.size() == 257 && sizeof(Entity) == 12);
static_assert(std::is_sorted(kEntities.begin(), kEntities.end(),
                             [](const Entity& a, const Entity& b) { return a.key() < b.key(); }));

// Between '&' and ';': the longest name has eight letters, and the view reads no longer
// reference, so a longer run of digits stays as written here too.
constexpr std::size_t kMaxReferenceBody = 8;

// &#128; to &#159; as the Windows code page has them; the five it leaves out stay.
constexpr std::array<char16_t, 32> kWindows1252{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

bool isAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int digitValue(char c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

// The character a numeric reference's body ("#233", "#xE9") stands for; -1 when the
// body is not a number at all, so that it stays as written.
std::int64_t numeric(std::string_view body) {
    std::size_t i = 1;
    unsigned base = 10;
    if (body.size() > 1 && (body[1] == 'x' || body[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= body.size())
        return -1;
    std::uint32_t value = 0;
    for (; i < body.size(); ++i) {
        const int digit = digitValue(body[i], base);
        if (digit < 0)
            return -1;
        // Past the last character it stays past it, however many digits follow.
        value = std::min<std::uint32_t>(value * base + static_cast<std::uint32_t>(digit), 0x110000);
    }
    if (value >= 0x80 && value < 0xA0)
        return kWindows1252[value - 0x80];
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return kReplacement;
    return value;
}

std::int64_t named(std::string_view name) {
    const auto found = std::lower_bound(
        kEntities.begin(), kEntities.end(), name,
        [](const Entity& entity, std::string_view key) { return entity.key() < key; });
    if (found == kEntities.end() || found->key() != name)
        return -1;
    return found->code;
}

} // namespace

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void appendDecodedEntities(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            return;
        }
        out.append(text.substr(i, amp - i));
        // The body: letters and digits, or '#' and digits, up to the ';'.
        std::size_t end = amp + 1;
        if (end < text.size() && text[end] == '#')
            ++end;
        const std::size_t limit = std::min(text.size(), amp + 1 + kMaxReferenceBody);
        while (end < limit && isAsciiAlnum(text[end]))
            ++end;
        const std::string_view body = text.substr(amp + 1, end - amp - 1);
        std::int64_t code = -1;
        if (end < text.size() && text[end] == ';' && !body.empty())
            code = body[0] == '#' ? numeric(body) : named(body);
        if (code < 0) {
            out += '&';
            i = amp + 1;
            continue;
        }
        appendUtf8(out, static_cast<char32_t>(code));
        i = end + 1;
    }
}

std::string decodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendDecodedEntities(out, text);
    return out;
}

} // namespace bmi::help
