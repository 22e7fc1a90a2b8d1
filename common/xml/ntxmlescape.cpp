#include <cstring>
#include <vector>

#include "common/xml/ntxmlparse.h"
#include "common/xml/ntxmltoken.h"

using namespace ntxml;

namespace {

struct Entity {
    const char* pszName;
    int nCode;
};

// The HTML 4 character entities plus apos.
const Entity kEntities[] = {
    {"quot", 34},     {"amp", 38},      {"apos", 39},      {"lt", 60},        {"gt", 62},
    {"nbsp", 160},    {"iexcl", 161},   {"cent", 162},     {"pound", 163},    {"curren", 164},
    {"yen", 165},     {"brvbar", 166},  {"sect", 167},     {"uml", 168},      {"copy", 169},
    {"ordf", 170},    {"laquo", 171},   {"not", 172},      {"shy", 173},      {"reg", 174},
    {"macr", 175},    {"deg", 176},     {"plusmn", 177},   {"sup2", 178},     {"sup3", 179},
    {"acute", 180},   {"micro", 181},   {"para", 182},     {"middot", 183},   {"cedil", 184},
    {"sup1", 185},    {"ordm", 186},    {"raquo", 187},    {"frac14", 188},   {"frac12", 189},
    {"frac34", 190},  {"iquest", 191},  {"Agrave", 192},   {"Aacute", 193},   {"Acirc", 194},
    {"Atilde", 195},  {"Auml", 196},    {"Aring", 197},    {"AElig", 198},    {"Ccedil", 199},
    {"Egrave", 200},  {"Eacute", 201},  {"Ecirc", 202},    {"Euml", 203},     {"Igrave", 204},
    {"Iacute", 205},  {"Icirc", 206},   {"Iuml", 207},     {"ETH", 208},      {"Ntilde", 209},
    {"Ograve", 210},  {"Oacute", 211},  {"Ocirc", 212},    {"Otilde", 213},   {"Ouml", 214},
    {"times", 215},   {"Oslash", 216},  {"Ugrave", 217},   {"Uacute", 218},   {"Ucirc", 219},
    {"Uuml", 220},    {"Yacute", 221},  {"THORN", 222},    {"szlig", 223},    {"agrave", 224},
    {"aacute", 225},  {"acirc", 226},   {"atilde", 227},   {"auml", 228},     {"aring", 229},
    {"aelig", 230},   {"ccedil", 231},  {"egrave", 232},   {"eacute", 233},   {"ecirc", 234},
    {"euml", 235},    {"igrave", 236},  {"iacute", 237},   {"icirc", 238},    {"iuml", 239},
    {"eth", 240},     {"ntilde", 241},  {"ograve", 242},   {"oacute", 243},   {"ocirc", 244},
    {"otilde", 245},  {"ouml", 246},    {"divide", 247},   {"oslash", 248},   {"ugrave", 249},
    {"uacute", 250},  {"ucirc", 251},   {"uuml", 252},     {"yacute", 253},   {"thorn", 254},
    {"yuml", 255},    {"OElig", 338},   {"oelig", 339},    {"Scaron", 352},   {"scaron", 353},
    {"Yuml", 376},    {"fnof", 402},    {"circ", 710},     {"tilde", 732},    {"Alpha", 913},
    {"Beta", 914},    {"Gamma", 915},   {"Delta", 916},    {"Epsilon", 917},  {"Zeta", 918},
    {"Eta", 919},     {"Theta", 920},   {"Iota", 921},     {"Kappa", 922},    {"Lambda", 923},
    {"Mu", 924},      {"Nu", 925},      {"Xi", 926},       {"Omicron", 927},  {"Pi", 928},
    {"Rho", 929},     {"Sigma", 931},   {"Tau", 932},      {"Upsilon", 933},  {"Phi", 934},
    {"Chi", 935},     {"Psi", 936},     {"Omega", 937},    {"alpha", 945},    {"beta", 946},
    {"gamma", 947},   {"delta", 948},   {"epsilon", 949},  {"zeta", 950},     {"eta", 951},
    {"theta", 952},   {"iota", 953},    {"kappa", 954},    {"lambda", 955},   {"mu", 956},
    {"nu", 957},      {"xi", 958},      {"omicron", 959},  {"pi", 960},       {"rho", 961},
    {"sigmaf", 962},  {"sigma", 963},   {"tau", 964},      {"upsilon", 965},  {"phi", 966},
    {"chi", 967},     {"psi", 968},     {"omega", 969},    {"thetasym", 977}, {"upsih", 978},
    {"piv", 982},     {"ensp", 8194},   {"emsp", 8195},    {"thinsp", 8201},  {"zwnj", 8204},
    {"zwj", 8205},    {"lrm", 8206},    {"rlm", 8207},     {"ndash", 8211},   {"mdash", 8212},
    {"lsquo", 8216},  {"rsquo", 8217},  {"sbquo", 8218},   {"ldquo", 8220},   {"rdquo", 8221},
    {"bdquo", 8222},  {"dagger", 8224}, {"Dagger", 8225},  {"bull", 8226},    {"hellip", 8230},
    {"permil", 8240}, {"prime", 8242},  {"Prime", 8243},   {"lsaquo", 8249},  {"rsaquo", 8250},
    {"oline", 8254},  {"frasl", 8260},  {"euro", 8364},    {"image", 8465},   {"weierp", 8472},
    {"real", 8476},   {"trade", 8482},  {"alefsym", 8501}, {"larr", 8592},    {"uarr", 8593},
    {"rarr", 8594},   {"darr", 8595},   {"harr", 8596},    {"crarr", 8629},   {"lArr", 8656},
    {"uArr", 8657},   {"rArr", 8658},   {"dArr", 8659},    {"hArr", 8660},    {"forall", 8704},
    {"part", 8706},   {"exist", 8707},  {"empty", 8709},   {"nabla", 8711},   {"isin", 8712},
    {"notin", 8713},  {"ni", 8715},     {"prod", 8719},    {"sum", 8721},     {"minus", 8722},
    {"lowast", 8727}, {"radic", 8730},  {"prop", 8733},    {"infin", 8734},   {"ang", 8736},
    {"and", 8743},    {"or", 8744},     {"cap", 8745},     {"cup", 8746},     {"int", 8747},
    {"there4", 8756}, {"sim", 8764},    {"cong", 8773},    {"asymp", 8776},   {"ne", 8800},
    {"equiv", 8801},  {"le", 8804},     {"ge", 8805},      {"sub", 8834},     {"sup", 8835},
    {"nsub", 8836},   {"sube", 8838},   {"supe", 8839},    {"oplus", 8853},   {"otimes", 8855},
    {"perp", 8869},   {"sdot", 8901},   {"lceil", 8968},   {"rceil", 8969},   {"lfloor", 8970},
    {"rfloor", 8971}, {"lang", 9001},   {"rang", 9002},    {"loz", 9674},     {"spades", 9824},
    {"clubs", 9827},  {"hearts", 9829}, {"diams", 9830},
};
static_assert(sizeof(kEntities) / sizeof(kEntities[0]) == 253, "HTML 4 entities plus apos");

const int kEntityBuckets = 130;
const int kMaxRefLen = 9;

int LowerSum(const MCD_CHAR* p, int n) {
    int nSum = 0;
    for (int k = 0; k < n; ++k) nSum += AsciiLower(p[k]);
    return nSum;
}

class EntityTable {
public:
    EntityTable() : m_buckets(kEntityBuckets) {
        for (const Entity& entity : kEntities) {
            int nSum = 0;
            for (const char* p = entity.pszName; *p; ++p) nSum += AsciiLower(MCD_CHAR(*p));
            m_buckets[nSum % kEntityBuckets].push_back(&entity);
        }
    }
    // Code point of a name (case folded; an exact-case entry wins over its other-case twin),
    // 0 when unknown.
    int Lookup(const MCD_CHAR* pName, int nLen) const {
        int nFolded = 0;
        for (const Entity* pEntity : m_buckets[LowerSum(pName, nLen) % kEntityBuckets]) {
            const char* psz = pEntity->pszName;
            if (static_cast<int>(std::strlen(psz)) != nLen) continue;
            bool bExact = true, bFolded = true;
            for (int k = 0; k < nLen && bFolded; ++k) {
                MCD_CHAR a = static_cast<MCD_CHAR>(psz[k]);
                if (a != pName[k]) bExact = false;
                if (AsciiLower(a) != AsciiLower(pName[k])) bFolded = false;
            }
            if (bExact) return pEntity->nCode;
            if (bFolded && !nFolded) nFolded = pEntity->nCode;
        }
        return nFolded;
    }

private:
    std::vector<std::vector<const Entity*>> m_buckets;
};

const EntityTable& Entities() {
    static const EntityTable table;
    return table;
}

bool IsAsciiLetter(MCD_CHAR c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(MCD_CHAR c) { return c >= '0' && c <= '9'; }

// Length of a well-formed reference starting at the '&' (0 if there is none).
int WellFormedRefLen(const MCD_CHAR* p) {
    MCD_CHAR c = p[1];
    if (!(c == '#' || c == ':' || c == '_' || IsAsciiLetter(c) || c > 0x7F)) return 0;
    int i = 2;
    for (;; ++i) {
        c = p[i];
        if (c == ';') return i + 1;
        if (!(c == '-' || c == '.' || c == ':' || c == '_' || IsDigit(c) || IsAsciiLetter(c) ||
              c > 0x7F)) {
            return 0;
        }
    }
}

// Code point of the reference between '&' and ';' (0 when not recognised).
int DecodeRef(const MCD_CHAR* pName, int nLen) {
    if (nLen >= 2 && pName[0] == '#') {
        bool bHex = (pName[1] == 'x' || pName[1] == 'X');
        int k = bHex ? 2 : 1;
        if (k >= nLen) return 0;
        long nValue = 0;
        for (; k < nLen; ++k) {
            MCD_CHAR c = pName[k];
            int nDigit;
            if (IsDigit(c)) {
                nDigit = c - '0';
            } else if (bHex && c >= 'a' && c <= 'f') {
                nDigit = c - 'a' + 10;
            } else if (bHex && c >= 'A' && c <= 'F') {
                nDigit = c - 'A' + 10;
            } else {
                return 0;
            }
            nValue = nValue * (bHex ? 16 : 10) + nDigit;
        }
        // Surrogate halves and values past Unicode's range cannot be characters.
        if (nValue > 0x10FFFF || (nValue >= 0xD800 && nValue <= 0xDFFF)) return 0;
        return static_cast<int>(nValue);
    }
    for (int k = 0; k < nLen; ++k) {
        if (pName[k] >= 0x80) return 0;
    }
    return Entities().Lookup(pName, nLen);
}

}  // namespace

MCD_STR CNTXMLParse::EscapeText(MCD_CSTR szText, int nFlags) {
    MCD_STR strOut;
    const MCD_CHAR* p = szText.pcsz;
    if (!p) return strOut;
    size_t nLen = std::char_traits<MCD_CHAR>::length(p);
    strOut.reserve(nLen + nLen / 10 + 7);
    bool bQuotes = (nFlags & EDIT_ESCAPE_QUOTES) != 0;
    for (size_t i = 0; i < nLen; ++i) {
        MCD_CHAR c = p[i];
        switch (c) {
            case '<':
                strOut += MCD_T("&lt;");
                break;
            case '>':
                strOut += MCD_T("&gt;");
                break;
            case '&': {
                int nRef = (nFlags & EDIT_REFS) ? WellFormedRefLen(p + i) : 0;
                if (nRef) {
                    strOut.append(p + i, nRef);
                    i += nRef - 1;
                } else {
                    strOut += MCD_T("&amp;");
                }
                break;
            }
            case '"':
                strOut += bQuotes ? MCD_T("&quot;") : MCD_T("\"");
                break;
            case '\'':
                strOut += bQuotes ? MCD_T("&apos;") : MCD_T("'");
                break;
            default:
                strOut += c;
        }
    }
    return strOut;
}

MCD_STR CNTXMLParse::UnescapeText(MCD_CSTR szText, int nTextLength, int nFlags) {
    MCD_STR strOut;
    const MCD_CHAR* p = szText.pcsz;
    if (!p) return strOut;
    int nLen =
        nTextLength < 0 ? static_cast<int>(std::char_traits<MCD_CHAR>::length(p)) : nTextLength;
    strOut.reserve(nLen);
    bool bCollapse = (nFlags & DOC_COLLAPSE_SPACE) != 0;
    bool bTrim = bCollapse || (nFlags & DOC_TRIM_SPACE);
    int nSpaceStart = -1;  // pending whitespace run, written only if more content follows
    for (int i = 0; i < nLen;) {
        MCD_CHAR c = p[i];
        if (bTrim && IsSpace(c)) {
            if (nSpaceStart < 0) nSpaceStart = i;
            ++i;
            continue;
        }
        if (nSpaceStart >= 0) {
            if (!strOut.empty()) {
                if (bCollapse) {
                    strOut += ' ';
                } else {
                    strOut.append(p + nSpaceStart, i - nSpaceStart);
                }
            }
            nSpaceStart = -1;
        }
        if (c == '&') {
            int nSemi = i + 1;
            while (nSemi < nLen && nSemi - i - 1 <= kMaxRefLen && p[nSemi] != ';') ++nSemi;
            int nCode = 0;
            if (nSemi < nLen && p[nSemi] == ';' && nSemi - i - 1 <= kMaxRefLen) {
                nCode = DecodeRef(p + i + 1, nSemi - i - 1);
            }
            if (nCode) {
                MCD_CHAR units[2];
                int nUnits = 0;
                EncodeCharUTF16(nCode, units, nUnits);
                strOut.append(units, nUnits);
                i = nSemi + 1;
                continue;
            }
        }
        strOut += c;
        ++i;
    }
    return strOut;
}
