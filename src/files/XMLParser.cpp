#include "files/XMLParser.h"

#include "files/PakInterface.h"

#include <bit>
#include <cstdint>
#include <cstdio>

namespace ravix {

namespace {

bool IsWhitespace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// Replaces the named entities lt, amp, gt, quot, apos, nbsp (a space) and cr (a line feed) by
// their character; any other name between "&" and ";" becomes a lone "&". An "&" without a
// following ";" stays as it is.
template <typename String>
String DecodeEntities(const String& text) {
    using Char = typename String::value_type;
    static const struct {
        const char* name;
        char replacement;
    } kEntities[] = {{"lt", '<'},    {"amp", '&'},  {"gt", '>'}, {"quot", '"'},
                     {"apos", '\''}, {"nbsp", ' '}, {"cr", '\n'}};
    String result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t semicolon =
            text[i] == Char('&') ? text.find(Char(';'), i + 1) : String::npos;
        if (semicolon == String::npos) {
            result += text[i];
            continue;
        }
        const String name = text.substr(i + 1, semicolon - i - 1);
        Char replacement = Char('&');
        for (const auto& entity : kEntities) {
            if (name ==
                String(entity.name, entity.name + std::char_traits<char>::length(entity.name)))
                replacement = Char(entity.replacement);
        }
        result += replacement;
        i = semicolon;
    }
    return result;
}

// Attribute names and values become 8-bit text as the C locale converts wide text on the
// platform the markup comes from: characters up to 0xFF map to that byte, and a string with
// any wider character cannot be converted and becomes empty. Doing this ourselves keeps the
// result independent of the process locale (glibc's C locale refuses every byte above 0x7F).
std::string ToNarrowText(const std::u16string& text) {
    std::string result;
    result.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0xFF)
            return {};
        result += static_cast<char>(c);
    }
    return result;
}

char LowByte(char16_t c) {
    return static_cast<char>(c & 0xFF);
}

} // namespace

const char* XMLItemKindName(XMLItem::Kind kind) {
    static const char* const kNames[] = {"None", "Start", "End", "Text", "Instruction", "Comment"};
    return kNames[static_cast<int>(kind)];
}

// The state of the item being read; everything but the section starts afresh with each item.
struct XMLParser::ItemState {
    bool mInQuotes = false;
    bool mClosingQuoteSeen = false;
    bool mSpacePending = false;
    bool mInAttributes = false;
    bool mAfterEquals = false;
    std::u16string mPendingName;
    std::u16string mPendingValue;
    std::optional<std::string> mLastAttribute; // key of the attribute committed last
};

XMLParser::~XMLParser() {
    Close();
}

bool XMLParser::Open(const std::string& path) {
    Close();
    mFileName = path;
    mSection.clear();
    mPushback.clear();
    mLineNumber = 1;
    mFailed = false;
    mErrorText.clear();
    mFirstChar = true;
    mByteSwap = false;
    mEncoding = Encoding::EightBit;
    mFile = pak_fopen(path.c_str(), "r");
    if (!mFile) {
        mLineNumber = 0;
        Fail("Unable to open file " + path);
        return false;
    }
    if (!mSkipEncodingDetection)
        DetectEncoding();
    return true;
}

void XMLParser::Close() {
    if (mFile)
        pak_fclose(mFile);
    mFile = nullptr;
}

// FF FE or FE FF choose UTF-16, EF BB BF UTF-8, anything else the 8-bit reader. The mark is
// read as raw bytes and the file is rewound, so the reader sees it as its first character.
void XMLParser::DetectEncoding() {
    pak_fseek(mFile, 0, SEEK_END);
    const long length = pak_ftell(mFile);
    pak_fseek(mFile, 0, SEEK_SET);
    unsigned char mark[3] = {};
    if (length >= 2 && pak_fread(mark, 1, 2, mFile) == 2 &&
        ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF)))
        mEncoding = Encoding::Utf16;
    pak_fseek(mFile, 0, SEEK_SET);
    if (mEncoding == Encoding::EightBit && length >= 3 && pak_fread(mark, 1, 3, mFile) == 3 &&
        mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF)
        mEncoding = Encoding::Utf8;
    pak_fseek(mFile, 0, SEEK_SET);
}

void XMLParser::Fail(std::string text) {
    mFailed = true;
    mErrorText = std::move(text);
}

bool XMLParser::NextChar(char16_t& c) {
    if (!mPushback.empty()) {
        c = mPushback.back();
        mPushback.pop_back();
    } else {
        if (!mFile)
            return false;
        ReadStatus status = ReadStatus::End;
        switch (mEncoding) {
        case Encoding::EightBit:
            status = ReadEightBit(c);
            break;
        case Encoding::Utf8:
            status = ReadUtf8(c);
            break;
        case Encoding::Utf16:
            status = ReadUtf16(c);
            break;
        }
        if (status == ReadStatus::Error)
            Fail("Illegal Character");
        if (status != ReadStatus::Char)
            return false;
    }
    if (c == u'\n')
        ++mLineNumber;
    return true;
}

XMLParser::ReadStatus XMLParser::ReadEightBit(char16_t& c) {
    const int byte = pak_fgetc(mFile);
    if (byte < 0)
        return ReadStatus::End;
    c = static_cast<char16_t>(byte);
    return ReadStatus::Char;
}

XMLParser::ReadStatus XMLParser::ReadUtf8(char16_t& c) {
    for (;;) {
        const int lead = pak_fgetc(mFile);
        if (lead < 0)
            return ReadStatus::End;
        // The count of leading one bits gives the length: none for a single byte, one for a
        // continuation byte (not allowed here), two to five for the lead of a sequence.
        const int ones = std::countl_one(static_cast<std::uint8_t>(lead));
        if (ones == 1 || ones > 5)
            return ReadStatus::Error;
        const int length = ones == 0 ? 1 : ones;
        std::uint32_t value = lead & (0x7F >> ones);
        int second = 0;
        for (int i = 1; i < length; ++i) {
            const int next = pak_fgetc(mFile);
            if (next < 0 || (next & 0xC0) != 0x80)
                return ReadStatus::Error;
            if (i == 1)
                second = next;
            value = (value << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 2 && (lead & 0x1E) == 0) ||
                              (length == 3 && (lead & 0x0F) == 0 && (second & 0x20) == 0) ||
                              (length == 4 && (lead & 0x07) == 0 && (second & 0x30) == 0) ||
                              (length == 5 && (lead & 0x03) == 0 && (second & 0x38) == 0);
        if (overlong || (value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF)
            return ReadStatus::Error;
        const bool first = mFirstChar;
        mFirstChar = false;
        if (first && value == 0xFEFF)
            continue;
        // The reader works in 16-bit characters: wider values keep their low 16 bits.
        c = static_cast<char16_t>(value & 0xFFFF);
        return ReadStatus::Char;
    }
}

bool XMLParser::ReadUtf16Unit(char16_t& unit) {
    // Raw reads: the character reads of the file layer skip carriage-return bytes, which are
    // half of many UTF-16 characters.
    unsigned char bytes[2];
    if (pak_fread(bytes, 1, 2, mFile) != 2)
        return false;
    unit = mByteSwap ? static_cast<char16_t>((bytes[0] << 8) | bytes[1])
                     : static_cast<char16_t>(bytes[0] | (bytes[1] << 8));
    return true;
}

XMLParser::ReadStatus XMLParser::ReadUtf16(char16_t& c) {
    char16_t unit = 0;
    for (;;) {
        if (!ReadUtf16Unit(unit))
            return ReadStatus::End;
        if (!mFirstChar)
            break;
        mFirstChar = false;
        if (unit == 0xFFFE)
            mByteSwap = true;
        else if (unit != 0xFEFF)
            break;
    }
    if (unit < 0xD800 || unit > 0xDFFF) {
        c = unit;
        return ReadStatus::Char;
    }
    char16_t low = 0;
    if (!ReadUtf16Unit(low) || low < 0xDC00 || low > 0xDFFF)
        return ReadStatus::End;
    // A pair stands for a value above 0xFFFF; like the UTF-8 reader, keep its low 16 bits.
    const std::uint32_t value = 0x10000 + ((unit - 0xD800u) << 10) + (low - 0xDC00u);
    c = static_cast<char16_t>(value & 0xFFFF);
    return ReadStatus::Char;
}

bool XMLParser::ReadItem(XMLItem& item) {
    for (;;) {
        item = XMLItem{};
        item.mSection = mSection;
        ItemState state;
        Step step = Step::Continue;
        while (step == Step::Continue) {
            char16_t c = 0;
            if (!NextChar(c)) {
                if (item.mKind != XMLItem::Kind::None)
                    Fail("Unexpected End of File");
                return false;
            }
            step = TakeChar(c, item, state);
        }
        if (step == Step::Failed)
            return false;
        if (!state.mPendingName.empty())
            CommitAttribute(item, state);
        item.mValue = DecodeEntities(item.mValue);
        if (item.mKind != XMLItem::Kind::Comment || mAllowComments)
            return true;
    }
}

XMLParser::Step XMLParser::TakeChar(char16_t c, XMLItem& item, ItemState& state) {
    using Kind = XMLItem::Kind;
    if (item.mKind == Kind::Comment)
        return TakeCommentChar(c, item);
    if (item.mKind == Kind::Instruction)
        return TakeInstructionChar(c, item);

    const bool inTag = item.mKind == Kind::Start || item.mKind == Kind::End;
    if (c == u'"') {
        state.mInQuotes = !state.mInQuotes;
        if (!state.mInQuotes)
            state.mClosingQuoteSeen = true;
        if (!inTag)
            TakeOrdinaryChar(c, item, state);
        return Step::Continue;
    }
    if (state.mInQuotes) {
        TakeOrdinaryChar(c, item, state);
        return Step::Continue;
    }
    if (c == u'<') {
        if (item.mKind == Kind::Text) {
            mPushback.push_back(c);
            return Step::Complete;
        }
        if (inTag) {
            Fail("Unexpected '<'");
            return Step::Failed;
        }
        item.mKind = Kind::Start;
        return Step::Continue;
    }
    if (c == u'>') {
        if (item.mKind == Kind::Start) {
            FinishStartTag(item, state);
            return Step::Complete;
        }
        if (item.mKind == Kind::End)
            return FinishEndTag(item);
        Fail("Unexpected '>'");
        return Step::Failed;
    }
    if (item.mKind == Kind::Start && item.mValue.empty() && (c == u'/' || c == u'?')) {
        item.mKind = c == u'/' ? Kind::End : Kind::Instruction;
        return Step::Continue;
    }
    if (IsWhitespace(c)) {
        if (!item.mValue.empty())
            state.mSpacePending = true;
        if (item.mKind == Kind::Start && item.mValue == "!--")
            item.mKind = Kind::Comment;
        return Step::Continue;
    }
    if (c <= 32) {
        Fail("Illegal Character");
        return Step::Failed;
    }
    TakeOrdinaryChar(c, item, state);
    return Step::Continue;
}

XMLParser::Step XMLParser::TakeCommentChar(char16_t c, XMLItem& item) {
    std::string& text = item.mInstruction;
    text += LowByte(c);
    const std::size_t n = text.size();
    if (c == u'>' && n >= 3 && text[n - 2] == '-' && text[n - 3] == '-') {
        text.resize(n - 3);
        return Step::Complete;
    }
    return Step::Continue;
}

XMLParser::Step XMLParser::TakeInstructionChar(char16_t c, XMLItem& item) {
    std::string& target =
        !item.mInstruction.empty() || IsWhitespace(c) ? item.mInstruction : item.mValue;
    target += LowByte(c);
    const std::size_t n = target.size();
    if (c == u'>' && n >= 2 && target[n - 2] == '?') {
        target.resize(n - 2);
        return Step::Complete;
    }
    return Step::Continue;
}

void XMLParser::TakeOrdinaryChar(char16_t c, XMLItem& item, ItemState& state) {
    using Kind = XMLItem::Kind;
    if (item.mKind == Kind::None)
        item.mKind = Kind::Text;
    if (item.mKind != Kind::Start) {
        if (state.mSpacePending)
            item.mValue += ' ';
        state.mSpacePending = false;
        item.mValue += LowByte(c);
        return;
    }
    if (state.mSpacePending) {
        if (!state.mInAttributes) {
            state.mInAttributes = true;
            state.mAfterEquals = false;
        } else if ((state.mAfterEquals &&
                    (!state.mPendingValue.empty() || state.mClosingQuoteSeen)) ||
                   (!state.mAfterEquals && c != u'=')) {
            CommitAttribute(item, state);
            state.mAfterEquals = false;
        }
        state.mSpacePending = false;
    }
    if (!state.mInAttributes) {
        item.mValue += LowByte(c);
    } else if (c == u'=') {
        // Also inside quotes, so a value cannot hold "=".
        state.mAfterEquals = true;
        state.mClosingQuoteSeen = false;
    } else {
        (state.mAfterEquals ? state.mPendingValue : state.mPendingName) += c;
    }
}

void XMLParser::CommitAttribute(XMLItem& item, ItemState& state) {
    const std::u16string name = DecodeEntities(state.mPendingName);
    const std::string key = ToNarrowText(name);
    item.mAttributes[key] = ToNarrowText(DecodeEntities(state.mPendingValue));
    if (name != u"/")
        item.mAttributeOrder.push_back(key);
    state.mLastAttribute = key;
    state.mPendingName.clear();
    state.mPendingValue.clear();
}

// A tag is self-closing when a "/" stands after a blank before the ">", right after the last
// attribute's value, or right after the name of a tag without attributes. Its end tag is
// pushed back to be read as the next item.
void XMLParser::FinishStartTag(XMLItem& item, ItemState& state) {
    bool selfClosing = false;
    if (state.mPendingName == u"/") {
        selfClosing = true;
        state.mPendingName.clear();
        state.mPendingValue.clear();
    } else {
        if (!state.mPendingName.empty())
            CommitAttribute(item, state);
        std::string& last =
            state.mLastAttribute ? item.mAttributes[*state.mLastAttribute] : item.mValue;
        if (!last.empty() && last.back() == '/') {
            selfClosing = true;
            last.pop_back();
        }
    }
    if (selfClosing) {
        const std::string endTag = "</" + item.mValue + ">";
        for (auto it = endTag.rbegin(); it != endTag.rend(); ++it)
            mPushback.push_back(static_cast<unsigned char>(*it));
    }
    if (!mSection.empty())
        mSection += '/';
    mSection += item.mValue;
}

XMLParser::Step XMLParser::FinishEndTag(XMLItem& item) {
    if (mSection.empty()) {
        Fail("Unexpected End");
        return Step::Failed;
    }
    const std::size_t slash = mSection.rfind('/');
    const std::size_t innermost = slash == std::string::npos ? 0 : slash + 1;
    const std::string start = mSection.substr(innermost);
    if (start != item.mValue) {
        Fail("End '" + item.mValue + "' Doesn't Match Start '" + start + "'");
        return Step::Failed;
    }
    mSection.erase(slash == std::string::npos ? 0 : slash);
    return Step::Complete;
}

} // namespace ravix
