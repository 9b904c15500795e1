#include "files/DescParser.h"

#include "base/AsciiText.h"
#include "files/PakInterface.h"

#include <charconv>
#include <cstdint>

namespace ravix {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsQuote(char c) {
    return c == '\'' || c == '"';
}

bool IsTokenSeparator(char c) {
    return c == '\t' || c == '\n' || c == ' ' || c == ',';
}

const std::string& TextOf(const DataElement& element) {
    return static_cast<const SingleDataElement&>(element).mText;
}

const ListDataElement& ListOf(const DataElement& element) {
    return static_cast<const ListDataElement&>(element);
}

// Converts every text into `out`, which is left empty unless all convert.
template <typename Value>
bool ParseAll(const std::vector<std::string>& texts, bool (*parse)(std::string_view, Value&),
              std::vector<Value>& out) {
    for (const std::string& text : texts) {
        Value value{};
        if (!parse(text, value)) {
            out.clear();
            return false;
        }
        out.push_back(value);
    }
    return true;
}

} // namespace

// An optional "-", then decimal digits or "0x" / "0X" and hexadecimal digits. Decimal values
// must fit an int; hexadecimal ones may use all 32 bits (packed colours such as 0xFF00FF00).
bool DescParser::ParseInt(std::string_view text, int& out) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text.remove_prefix(2);
    if (text.empty())
        return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (!(hex ? HexDigitValue(c) >= 0 : IsDigit(c)))
            return false;
        const int digit = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0xFFFFFFFFull)
            return false;
    }
    if (!hex && value > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return false;
    const auto bits = static_cast<std::uint32_t>(negative ? 0 - value : value);
    out = static_cast<int>(bits);
    return true;
}

// An optional "-", decimal digits, optionally "." and more decimal digits.
bool DescParser::ParseNumber(std::string_view text, double& out) {
    std::size_t i = !text.empty() && text.front() == '-' ? 1 : 0;
    const std::size_t integerStart = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    if (i == integerStart)
        return false;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        if (i == fractionStart)
            return false;
    }
    if (i != text.size())
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), out);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::string DescParser::UpperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

bool DescParser::LoadFile(const std::string& fileName) {
    mError.clear();
    mCurrentLineNumber = 0;
    PakFile* file = pak_fopen(fileName.c_str(), "r");
    if (!file)
        return false;
    const bool ok = ReadCommands(file);
    mCurrentCommand.clear();
    mCurrentLineNumber = 0;
    pak_fclose(file);
    return ok;
}

// Splits the file into commands. Blanks at the start of a line are dropped (a blank there
// marks the line as indented), a "#" first on a line makes the line a comment, carriage
// returns vanish, and quotes (with backslash escapes inside them) protect ";" from ending
// the command.
bool DescParser::ReadCommands(PakFile* file) {
    int lineCount = 0;
    bool atLineStart = true;
    bool lineIndented = false;
    bool inComment = false;
    bool singleQuotes = false;
    bool doubleQuotes = false;
    bool escaped = false;
    mCurrentCommand.clear();

    auto startLine = [&] {
        atLineStart = true;
        lineIndented = false;
    };
    auto endCommand = [&] {
        const bool ok = mCurrentCommand.empty() || RunCommand();
        mCurrentCommand.clear();
        startLine();
        singleQuotes = doubleQuotes = escaped = false;
        return ok;
    };

    for (int c = pak_fgetc(file); c >= 0; c = pak_fgetc(file)) {
        if (c == '\r')
            continue;
        if (inComment) {
            if (c == '\n') {
                ++lineCount;
                inComment = false;
                startLine();
            }
            continue;
        }
        if (atLineStart) {
            if (c == ' ' || c == '\t') {
                lineIndented = true;
                continue;
            }
            if (c == '\n') {
                ++lineCount;
                lineIndented = false;
                continue;
            }
            if ((mCommandSeparation & SeparateByIndent) && !lineIndented &&
                !mCurrentCommand.empty() && !endCommand())
                return false;
            atLineStart = false;
            if (c == '#') {
                inComment = true;
                continue;
            }
        }
        const bool quoted = singleQuotes || doubleQuotes;
        if (escaped) {
            escaped = false; // the escaped character neither toggles nor separates
        } else if (c == '\\' && quoted) {
            escaped = true;
        } else if (c == '\'' && !doubleQuotes) {
            singleQuotes = !singleQuotes;
        } else if (c == '"' && !singleQuotes) {
            doubleQuotes = !doubleQuotes;
        } else if (c == ';' && !quoted && (mCommandSeparation & SeparateBySemicolon)) {
            if (!endCommand())
                return false;
            continue;
        }
        if (mCurrentCommand.empty())
            mCurrentLineNumber = lineCount + 1;
        mCurrentCommand += static_cast<char>(c);
        if (c == '\n') {
            ++lineCount;
            startLine();
        }
    }
    return endCommand();
}

bool DescParser::RunCommand() {
    ListDataElement params;
    if (!Tokenize(mCurrentCommand, params))
        return false;
    if (params.mElements.empty())
        return true;
    if (params.mElements.front()->IsList())
        return ReportError("Missing Command");
    return OnCommand(params);
}

// Words are separated by blanks, tabs, line feeds and commas; quotes keep separators in a
// word; a backslash takes the next character literally; parentheses open and close lists.
bool DescParser::Tokenize(const std::string& text, ListDataElement& target) {
    std::vector<ListDataElement*> open{&target};
    std::string word;
    bool singleQuotes = false;
    bool doubleQuotes = false;
    bool escaped = false;
    auto endWord = [&] {
        if (!word.empty())
            open.back()->mElements.push_back(std::make_unique<SingleDataElement>(word));
        word.clear();
    };

    for (char c : text) {
        if (escaped) {
            word += c;
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == '\'' && !doubleQuotes) {
            singleQuotes = !singleQuotes;
            word += c;
        } else if (c == '"' && !singleQuotes) {
            doubleQuotes = !doubleQuotes;
            word += c;
        } else if (singleQuotes || doubleQuotes) {
            word += c;
        } else if (c == ')') {
            endWord();
            if (open.size() == 1)
                return ReportError("Unexpected List End");
            open.pop_back();
        } else if (c == '(') {
            if (!word.empty())
                return ReportError("Unexpected List Start");
            if (open.size() >= static_cast<std::size_t>(kMaxListDepth))
                return ReportError("Lists Nested Too Deeply");
            auto list = std::make_unique<ListDataElement>();
            ListDataElement* inner = list.get();
            open.back()->mElements.push_back(std::move(list));
            open.push_back(inner);
        } else if (IsTokenSeparator(c)) {
            endWord();
        } else {
            word += c;
        }
    }
    endWord();
    if (singleQuotes)
        return ReportError("Unterminated Single Quotes");
    if (doubleQuotes)
        return ReportError("Unterminated Double Quotes");
    if (open.size() > 1)
        return ReportError("Unterminated List");
    return true;
}

bool DescParser::ReportError(const std::string& text) {
    mError = text;
    return false;
}

const DataElement* DescParser::Dereference(const std::string& name) const {
    const auto it = mDefinitions.find(UpperCase(name));
    return it == mDefinitions.end() ? nullptr : it->second.get();
}

void DescParser::AddDefinition(const std::string& name, std::unique_ptr<DataElement> value) {
    mDefinitions[UpperCase(name)] = std::move(value);
}

bool DescParser::IsImmediate(std::string_view text) {
    return !text.empty() &&
           (IsDigit(text[0]) || text[0] == '-' || text[0] == '+' || IsQuote(text[0]));
}

std::string DescParser::Unquote(std::string_view text) {
    if (text.empty() || !IsQuote(text[0]))
        return std::string(text);
    // The opening quote is dropped; after it a doubled quote stands for one and any other
    // quote (the closing one) is dropped.
    const char quote = text[0];
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] != quote)
            result += text[i];
        else if (i + 1 < text.size() && text[i + 1] == quote)
            result += text[i++];
    }
    return result;
}

bool DescParser::Resolve(const ListDataElement& list, ListDataElement& target) {
    // Built aside: the target may be the list itself or hold it.
    ListDataElement resolved;
    std::size_t budget = kMaxResolvedElements;
    const bool ok = ResolveInto(list, resolved, 1, budget);
    target.mElements = ok ? std::move(resolved.mElements) : decltype(target.mElements){};
    return ok;
}

// `depth` is the nesting level of `target`; `budget` counts the elements still allowed, so
// that definitions built from definitions cannot grow without bound.
bool DescParser::ResolveInto(const ListDataElement& list, ListDataElement& target, int depth,
                             std::size_t& budget) {
    for (const auto& element : list.mElements) {
        if (element->IsList()) {
            if (budget == 0)
                return ReportError("List Too Large");
            --budget;
            if (depth >= kMaxListDepth)
                return ReportError("Lists Nested Too Deeply");
            auto inner = std::make_unique<ListDataElement>();
            if (!ResolveInto(ListOf(*element), *inner, depth + 1, budget))
                return false;
            target.mElements.push_back(std::move(inner));
            continue;
        }
        const std::string& text = TextOf(*element);
        std::unique_ptr<DataElement> resolved;
        if (!text.empty() && IsQuote(text[0])) {
            resolved = std::make_unique<SingleDataElement>(Unquote(text));
        } else if (IsImmediate(text)) {
            resolved = std::make_unique<SingleDataElement>(text);
        } else if (const DataElement* definition = Dereference(text)) {
            resolved = CopyDefinition(*definition, depth, budget);
            if (!resolved)
                return false;
            target.mElements.push_back(std::move(resolved));
            continue;
        } else {
            return UnableToDereference(text);
        }
        if (budget == 0)
            return ReportError("List Too Large");
        --budget;
        target.mElements.push_back(std::move(resolved));
    }
    return true;
}

// A deep copy of `element` for a list at nesting level `depth`, within the element budget.
std::unique_ptr<DataElement> DescParser::CopyDefinition(const DataElement& element, int depth,
                                                        std::size_t& budget) {
    if (budget == 0) {
        ReportError("List Too Large");
        return nullptr;
    }
    --budget;
    if (!element.IsList())
        return element.Clone();
    if (depth >= kMaxListDepth) {
        ReportError("Lists Nested Too Deeply");
        return nullptr;
    }
    auto copy = std::make_unique<ListDataElement>();
    for (const auto& inner : ListOf(element).mElements) {
        auto innerCopy = CopyDefinition(*inner, depth + 1, budget);
        if (!innerCopy)
            return nullptr;
        copy->mElements.push_back(std::move(innerCopy));
    }
    return copy;
}

bool DescParser::UnableToDereference(const std::string& name) {
    return ReportError("Unable to Dereference \"" + name + "\"");
}

bool DescParser::ToText(const DataElement& element, std::string& out) {
    out.clear();
    if (element.IsList())
        return false;
    const std::string& text = TextOf(element);
    const DataElement* definition = Dereference(text);
    if (definition && definition->IsList())
        return false;
    out = Unquote(definition ? TextOf(*definition) : text);
    return true;
}

bool DescParser::ToTextList(const DataElement& element, std::vector<std::string>& out) {
    out.clear();
    ListDataElement resolved;
    const ListDataElement* list = &resolved;
    if (element.IsList()) {
        if (!Resolve(ListOf(element), resolved))
            return false;
    } else {
        const DataElement* definition = Dereference(TextOf(element));
        if (!definition)
            return UnableToDereference(TextOf(element));
        if (!definition->IsList())
            return false;
        list = &ListOf(*definition);
    }
    for (const auto& item : list->mElements) {
        if (item->IsList()) {
            out.clear();
            return false;
        }
        out.push_back(TextOf(*item));
    }
    return true;
}

bool DescParser::ToElementList(const DataElement& element, ListDataElement& target) {
    if (element.IsList())
        return Resolve(ListOf(element), target);
    const DataElement* definition = Dereference(TextOf(element));
    if (!definition || !definition->IsList())
        return false;
    std::size_t budget = kMaxResolvedElements;
    auto copy = CopyDefinition(*definition, 0, budget);
    if (!copy)
        return false;
    target.mElements = std::move(static_cast<ListDataElement&>(*copy).mElements);
    return true;
}

bool DescParser::ToIntList(const DataElement& element, std::vector<int>& out) {
    out.clear();
    std::vector<std::string> texts;
    return ToTextList(element, texts) && ParseAll(texts, &DescParser::ParseInt, out);
}

bool DescParser::ToNumberList(const DataElement& element, std::vector<double>& out) {
    out.clear();
    std::vector<std::string> texts;
    return ToTextList(element, texts) && ParseAll(texts, &DescParser::ParseNumber, out);
}

std::string DescParser::Describe(const DataElement& element) {
    if (!element.IsList())
        return TextOf(element);
    std::string text = "(";
    const auto& elements = ListOf(element).mElements;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += Describe(*elements[i]);
    }
    return text + ")";
}

} // namespace ravix
