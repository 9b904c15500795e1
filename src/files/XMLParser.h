#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ravix {

struct PakFile;

// One item of markup as delivered by XMLParser::ReadItem.
struct XMLItem {
    enum class Kind { None = 0, Start = 1, End = 2, Text = 3, Instruction = 4, Comment = 5 };

    Kind mKind = Kind::None;
    // The parser's path of open tags when the item began: for a start tag the path of its
    // parent, for an end tag the path that still includes the tag being closed.
    std::string mSection;
    // The tag name (Start, End), the text (Text), the target (Instruction) or "!--" (Comment).
    std::string mValue;
    // The text after an instruction's target, or a comment's text.
    std::string mInstruction;
    std::map<std::string, std::string> mAttributes;
    // Attribute names in the order they were written; a name given twice is listed twice.
    std::vector<std::string> mAttributeOrder;
};

// "None", "Start", "End", "Text", "Instruction" or "Comment".
const char* XMLItemKindName(XMLItem::Kind kind);

// A small pull reader for XML-like markup read through the pak file layer. It checks end tags
// against the open tags, turns self-closing tags into a start and an end item, decodes a few
// named entities and stops at the first error with a fixed message and the line number. No
// DTDs, namespaces, CDATA or numeric character references.
class XMLParser {
public:
    XMLParser() = default;
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Opens the file and picks the character reader from its byte-order mark.
    [[nodiscard]] bool Open(const std::string& path);
    // Fills `item` with the next item. False at the end of input or on an error; HasError
    // tells the two apart.
    bool ReadItem(XMLItem& item);

    bool HasError() const { return mFailed; }
    const std::string& ErrorText() const { return mErrorText; }
    const std::string& FileName() const { return mFileName; }
    int LineNumber() const { return mLineNumber; }

    // When comments are not allowed (the default) they are read and dropped.
    void SetAllowComments(bool allow) { mAllowComments = allow; }
    // Keeps the 8-bit reader and does not look for a byte-order mark.
    void SetSkipEncodingDetection(bool skip) { mSkipEncodingDetection = skip; }

private:
    enum class Encoding { EightBit, Utf8, Utf16 };
    enum class ReadStatus { Char, End, Error };
    enum class Step { Continue, Complete, Failed };
    struct ItemState;

    void Close();
    void DetectEncoding();
    void Fail(std::string text);

    bool NextChar(char16_t& c);
    ReadStatus ReadEightBit(char16_t& c);
    ReadStatus ReadUtf8(char16_t& c);
    ReadStatus ReadUtf16(char16_t& c);
    bool ReadUtf16Unit(char16_t& unit);

    Step TakeChar(char16_t c, XMLItem& item, ItemState& state);
    Step TakeCommentChar(char16_t c, XMLItem& item);
    Step TakeInstructionChar(char16_t c, XMLItem& item);
    void TakeOrdinaryChar(char16_t c, XMLItem& item, ItemState& state);
    void CommitAttribute(XMLItem& item, ItemState& state);
    void FinishStartTag(XMLItem& item, ItemState& state);
    Step FinishEndTag(XMLItem& item);

    std::string mFileName;
    std::string mErrorText;
    bool mFailed = false;
    int mLineNumber = 0;
    PakFile* mFile = nullptr;
    bool mAllowComments = false;
    bool mSkipEncodingDetection = false;
    std::u16string mPushback; // read again from the back before the file
    std::string mSection;     // open tags, outermost first, joined by "/"
    Encoding mEncoding = Encoding::EightBit;
    bool mFirstChar = true; // a byte-order mark is dropped only as the first character
    bool mByteSwap = false; // UTF-16 read big-endian
};

} // namespace ravix
