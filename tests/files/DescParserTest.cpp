#include "files/DescParser.h"

#include "files/PakTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ravix;

namespace {

// Records every command; "Define name value" stores a definition (a list resolved, a single
// value as written) and "Fail" reports an error.
class RecordingParser : public DescParser {
public:
    bool OnCommand(const ListDataElement& params) override {
        const auto& elements = params.mElements;
        std::string name;
        ToText(*elements[0], name);
        if (name == "Define") {
            if (elements.size() != 3 || elements[1]->IsList())
                return ReportError("Invalid Define");
            if (!elements[2]->IsList()) {
                AddDefinition(Describe(*elements[1]), elements[2]->Clone());
                return true;
            }
            auto value = std::make_unique<ListDataElement>();
            if (!Resolve(static_cast<const ListDataElement&>(*elements[2]), *value))
                return false;
            AddDefinition(Describe(*elements[1]), std::move(value));
            return true;
        }
        if (name == "Fail")
            return ReportError("Failed Here");
        mLog.push_back(std::to_string(CurrentLineNumber()) + " " + Describe(params));
        mTexts.push_back(CurrentCommand());
        mCommands.push_back(params);
        return true;
    }

    // Loads the text from a file; the log of commands is emptied first.
    bool Load(const std::string& text) {
        mLog.clear();
        mTexts.clear();
        mCommands.clear();
        paktest::TempFolder folder;
        paktest::WriteFile(folder / "test.txt", text);
        return LoadFile(folder / "test.txt");
    }

    // Parameter `index` of the single recorded command.
    const DataElement& Param(std::size_t index) const {
        EXPECT_EQ(mCommands.size(), 1u);
        return *mCommands.at(0).mElements.at(index);
    }

    std::vector<std::string> mLog;   // line + " " + described parameters
    std::vector<std::string> mTexts; // the command text while it ran
    std::vector<ListDataElement> mCommands;
};

using Log = std::vector<std::string>;

} // namespace

TEST(DescParser, SemicolonsSeparateCommands) {
    RecordingParser parser;
    ASSERT_TRUE(parser.Load("A 1; B 2\nC 'x;y' \"p;q\";\r\n\r\n  D\r\n  e,f;;\nE"));
    EXPECT_EQ(parser.mLog,
              (Log{"1 (A, 1)", "1 (B, 2, C, 'x;y', \"p;q\")", "4 (D, e, f)", "6 (E)"}));
    EXPECT_EQ(parser.mTexts[1], "B 2\nC 'x;y' \"p;q\"");
    EXPECT_EQ(parser.mTexts[2], "D\ne,f"); // indentation and carriage returns vanish
    EXPECT_EQ(parser.CurrentLineNumber(), 0);
    EXPECT_EQ(parser.CurrentCommand(), "");
}

TEST(DescParser, IndentSeparatesCommands) {
    RecordingParser parser;
    parser.SetCommandSeparation(DescParser::SeparateByIndent);
    ASSERT_TRUE(parser.Load("A 1\n  2;3\n   \nB\n\tc\nC"));
    EXPECT_EQ(parser.mLog, (Log{"1 (A, 1, 2;3)", "4 (B, c)", "6 (C)"}));

    parser.SetCommandSeparation(DescParser::SeparateByIndent | DescParser::SeparateBySemicolon);
    ASSERT_TRUE(parser.Load("A 1; B\n  2\nC"));
    EXPECT_EQ(parser.mLog, (Log{"1 (A, 1)", "1 (B, 2)", "3 (C)"}));
}

TEST(DescParser, CommentsStartAtTheBeginningOfALine) {
    RecordingParser parser;
    ASSERT_TRUE(parser.Load("# heading; not a command\nA # b;\n  # note\nB;#c\n#"));
    EXPECT_EQ(parser.mLog, (Log{"2 (A, #, b)", "4 (B)"}));
}

TEST(DescParser, QuotesAndEscapes) {
    RecordingParser parser;
    ASSERT_TRUE(parser.Load("SetName 'big font', (1, 2, (3 4));"
                            "A 'it\\'s' \"a\\\"b;\" x\\ y \\(z 'say \"hi\"' ''"));
    EXPECT_EQ(parser.mLog, (Log{"1 (SetName, 'big font', (1, 2, (3, 4)))",
                                "1 (A, 'it's', \"a\"b;\", x y, (z, 'say \"hi\"', '')"}));
    EXPECT_EQ(parser.mTexts[1], "A 'it\\'s' \"a\\\"b;\" x\\ y \\(z 'say \"hi\"' ''");
}

TEST(DescParser, ErrorsStopTheLoad) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"Cmd ('a', b", "Unterminated List"},
        {"Cmd a(1)", "Unexpected List Start"},
        {"Cmd )", "Unexpected List End"},
        {"Cmd (1))", "Unexpected List End"},
        {"(1 2)", "Missing Command"},
        {"Cmd 'a", "Unterminated Single Quotes"},
        {"Cmd \"a' b", "Unterminated Double Quotes"},
        {"Fail", "Failed Here"},
        {"Define x (1, nothing)", "Unable to Dereference \"nothing\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingParser parser;
        EXPECT_FALSE(parser.Load(std::string("First;\n") + c.text + ";\nNever"));
        EXPECT_EQ(parser.ErrorText(), c.error);
        EXPECT_EQ(parser.mLog.front(), "1 (First)");
        EXPECT_NE(parser.mLog.back(), "3 (Never)");
    }
}

TEST(DescParser, ListsNestAtMostTheDepthLimit) {
    RecordingParser parser;
    const int limit = DescParser::kMaxListDepth;
    const std::string deepest = std::string(limit - 1, '(') + "x" + std::string(limit - 1, ')');
    ASSERT_TRUE(parser.Load("Cmd " + deepest));
    const std::string tooDeep = std::string(limit, '(') + "x" + std::string(limit, ')');
    EXPECT_FALSE(parser.Load("Cmd " + tooDeep));
    EXPECT_EQ(parser.ErrorText(), "Lists Nested Too Deeply");
    EXPECT_FALSE(parser.Load("Cmd " + std::string(100000, '(')));
    EXPECT_EQ(parser.ErrorText(), "Lists Nested Too Deeply");

    // Definitions built from definitions are held to the same depth.
    std::string chain = "Define d0 (1);";
    for (int i = 1; i <= limit; ++i)
        chain += "Define d" + std::to_string(i) + " (d" + std::to_string(i - 1) + ");";
    EXPECT_FALSE(parser.Load(chain));
    EXPECT_EQ(parser.ErrorText(), "Lists Nested Too Deeply");
}

TEST(DescParser, DefinitionsCannotGrowWithoutBound) {
    // Each definition holds sixteen copies of the one before: 16^4 elements are too many.
    std::string text = "Define a (1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1);";
    for (const char* name : {"b", "c", "d"}) {
        const std::string previous(1, static_cast<char>(name[0] - 1));
        text += std::string("Define ") + name + " (";
        for (int i = 0; i < 16; ++i)
            text += previous + " ";
        text += ");Cmd " + std::string(name) + ";";
    }
    RecordingParser parser;
    EXPECT_FALSE(parser.Load(text));
    EXPECT_EQ(parser.ErrorText(), "List Too Large");
    EXPECT_EQ(parser.mLog, (Log{"1 (Cmd, b)", "1 (Cmd, c)"}));
}

TEST(DescParser, MissingFileFailsWithoutAnError) {
    RecordingParser parser;
    EXPECT_FALSE(parser.LoadFile("/nonexistent/font.txt"));
    EXPECT_EQ(parser.ErrorText(), "");
}

TEST(DescParser, UnquoteAndIsImmediate) {
    const struct {
        const char* text;
        const char* unquoted;
        bool immediate;
    } cases[] = {
        {"'it''s'", "it's", true}, {"\"ab\"", "ab", true},  {"'a\"b'", "a\"b", true},
        {"name", "name", false},   {"12", "12", true},      {"-1", "-1", true},
        {"+1", "+1", true},        {"x'y'", "x'y'", false}, {"", "", false},
        {"''", "", true},          {"''''", "'", true},     {"'a''''b'", "a''b", true},
        {".5", ".5", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescParser::Unquote(c.text), c.unquoted) << c.text;
        EXPECT_EQ(DescParser::IsImmediate(c.text), c.immediate) << c.text;
    }
}

TEST(DescParser, IntAndNumberLists) {
    const struct {
        const char* list;
        bool ok;
        std::vector<int> ints;
    } intCases[] = {
        {"(1, -2, 0x1F)", true, {1, -2, 31}},
        {"(0XfF '7' -0x10)", true, {255, 7, -16}},
        {"(2147483647 -2147483648 0xFFFFFFFF)", true, {2147483647, -2147483647 - 1, -1}},
        {"()", true, {}},
        {"(1, 2.5)", false, {}},
        {"(2147483648)", false, {}},
        {"(0x100000000)", false, {}},
        {"(0x)", false, {}},
        {"(-)", false, {}},
        {"(+1)", false, {}},
        {"(1 (2))", false, {}},
    };
    RecordingParser parser;
    for (const auto& c : intCases) {
        SCOPED_TRACE(c.list);
        ASSERT_TRUE(parser.Load(std::string("Ints ") + c.list));
        std::vector<int> out{99};
        EXPECT_EQ(parser.ToIntList(parser.Param(1), out), c.ok);
        EXPECT_EQ(out, c.ints);
    }
    const struct {
        const char* list;
        bool ok;
        std::vector<double> numbers;
    } numberCases[] = {
        {"(1, -2.5, 0.125, '3')", true, {1, -2.5, 0.125, 3}},
        {"(1.)", false, {}},
        {"(.5)", false, {}},
        {"(1e3)", false, {}},
        {"(0x10)", false, {}},
    };
    for (const auto& c : numberCases) {
        SCOPED_TRACE(c.list);
        ASSERT_TRUE(parser.Load(std::string("Numbers ") + c.list));
        std::vector<double> out{99};
        EXPECT_EQ(parser.ToNumberList(parser.Param(1), out), c.ok);
        EXPECT_EQ(out, c.numbers);
    }
}

TEST(DescParser, DefinitionsStandForParameters) {
    RecordingParser parser;
    ASSERT_TRUE(parser.Load("Define x 0x10; Define big (1, 'two', (3 x)) ; Define name 'hello';"
                            "Cmd BIG name x (name, 'a''b', -4, (Big)) word 'lit'"));
    const DataElement& big = parser.Param(1);
    const DataElement& name = parser.Param(2);
    const DataElement& list = parser.Param(4);
    const DataElement& word = parser.Param(5);
    const DataElement& literal = parser.Param(6);

    ListDataElement resolved;
    ASSERT_TRUE(parser.ToElementList(list, resolved));
    EXPECT_EQ(DescParser::Describe(resolved), "('hello', a'b, -4, ((1, two, (3, 0x10))))");
    ASSERT_TRUE(parser.ToElementList(big, resolved));
    EXPECT_EQ(DescParser::Describe(resolved), "(1, two, (3, 0x10))");
    EXPECT_FALSE(parser.ToElementList(name, resolved));
    EXPECT_FALSE(parser.ToElementList(word, resolved));

    std::string text = "stale";
    EXPECT_TRUE(parser.ToText(name, text));
    EXPECT_EQ(text, "hello");
    EXPECT_TRUE(parser.ToText(word, text));
    EXPECT_EQ(text, "word");
    EXPECT_TRUE(parser.ToText(literal, text));
    EXPECT_EQ(text, "lit");
    EXPECT_FALSE(parser.ToText(big, text));
    EXPECT_FALSE(parser.ToText(list, text));
    EXPECT_EQ(text, "");

    std::vector<std::string> texts;
    EXPECT_FALSE(parser.ToTextList(big, texts)); // holds a list
    ASSERT_TRUE(parser.Load("Define a 'x'; Define words (a, 'b c'); Cmd words ('y' a) a"));
    EXPECT_TRUE(parser.ToTextList(parser.Param(1), texts));
    EXPECT_EQ(texts, (std::vector<std::string>{"'x'", "b c"}));
    EXPECT_TRUE(parser.ToTextList(parser.Param(2), texts));
    EXPECT_EQ(texts, (std::vector<std::string>{"y", "'x'"})); // a definition keeps its quotes
    EXPECT_FALSE(parser.ToTextList(parser.Param(3), texts));  // a single definition

    ASSERT_TRUE(parser.Load("Cmd missing (1 missing)"));
    EXPECT_FALSE(parser.ToTextList(parser.Param(1), texts));
    EXPECT_EQ(parser.ErrorText(), "Unable to Dereference \"missing\"");
    std::vector<int> ints;
    EXPECT_FALSE(parser.ToIntList(parser.Param(2), ints));
    EXPECT_EQ(parser.ErrorText(), "Unable to Dereference \"missing\"");
}

TEST(DescParser, ListCopiesAreDeep) {
    ListDataElement list;
    list.mElements.push_back(std::make_unique<SingleDataElement>("a"));
    list.mElements.push_back(std::make_unique<ListDataElement>(list));
    ListDataElement copy = list;
    static_cast<SingleDataElement&>(*copy.mElements[0]).mText = "b";
    EXPECT_EQ(DescParser::Describe(list), "(a, (a))");
    EXPECT_EQ(DescParser::Describe(copy), "(b, (a))");
    copy = *static_cast<ListDataElement*>(copy.mElements[1].get()); // source inside the target
    EXPECT_EQ(DescParser::Describe(copy), "(a)");
    auto clone = list.Clone();
    EXPECT_TRUE(clone->IsList());
    EXPECT_EQ(DescParser::Describe(*clone), "(a, (a))");
}
