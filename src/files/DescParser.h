#pragma once

#include "files/DataElement.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ravix {

struct PakFile;

// Reads a small command language: each command is a name followed by parameters (numbers,
// quoted strings, names of definitions, parenthesised lists). The parser splits a file into
// commands, tokenises each into a list of DataElements and hands it to OnCommand, which a
// derived class supplies together with its vocabulary. Definitions made by that handler can
// stand for parameters; the parameter functions turn parameters into texts and numbers.
class DescParser {
public:
    // Command separation flags.
    static constexpr int SeparateBySemicolon = 1; // ";" outside quotes ends a command
    static constexpr int SeparateByIndent = 2;    // a line not starting with a blank starts one
    // Lists nest at most this deep (the command's own list counts as the first level).
    static constexpr int kMaxListDepth = 64;
    // A resolved parameter holds at most this many elements, definitions expanded.
    static constexpr std::size_t kMaxResolvedElements = 1 << 16;

    DescParser() = default;
    virtual ~DescParser() = default;
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Reads and runs every command of the file; false at the first failing command (with the
    // error set) or when the file cannot be opened (with the error empty).
    [[nodiscard]] bool LoadFile(const std::string& fileName);

    // Stores the text as the error; always false so that handlers can return it.
    virtual bool ReportError(const std::string& text);
    // The definition stored under the upper-case name, or null.
    virtual const DataElement* Dereference(const std::string& name) const;
    // Runs one command; the command name is the first element.
    virtual bool OnCommand(const ListDataElement& params) = 0;

    // True when the text begins with a digit, "-", "+", an apostrophe or a double quote.
    static bool IsImmediate(std::string_view text);
    // A text beginning with a quote loses its enclosing quotes; a doubled quote inside stands
    // for one. Other texts are returned unchanged.
    static std::string Unquote(std::string_view text);
    // Copies the list with quoted texts unquoted and names replaced by their definitions.
    bool Resolve(const ListDataElement& list, ListDataElement& target);
    bool ToText(const DataElement& element, std::string& out);
    bool ToTextList(const DataElement& element, std::vector<std::string>& out);
    bool ToElementList(const DataElement& element, ListDataElement& target);
    bool ToIntList(const DataElement& element, std::vector<int>& out);
    bool ToNumberList(const DataElement& element, std::vector<double>& out);
    // The text with a-z turned into A-Z: names of definitions (and of the derived class's own
    // named things) are compared in upper case.
    static std::string UpperCase(std::string_view text);
    // Integer texts: an optional "-", then decimal digits, or "0x" / "0X" and hexadecimal
    // digits; decimal values must fit an int, hexadecimal ones may use all 32 bits.
    static bool ParseInt(std::string_view text, int& out);
    // Number texts: an optional "-", decimal digits, optionally "." and more decimal digits.
    static bool ParseNumber(std::string_view text, double& out);
    // A single element's text; a list as "(" + its elements joined by ", " + ")".
    static std::string Describe(const DataElement& element);

    const std::string& ErrorText() const { return mError; }
    // The line (from 1) on which the command being handled began; 0 outside LoadFile.
    int CurrentLineNumber() const { return mCurrentLineNumber; }
    const std::string& CurrentCommand() const { return mCurrentCommand; }
    int CommandSeparation() const { return mCommandSeparation; }
    void SetCommandSeparation(int flags) { mCommandSeparation = flags; }

protected:
    // Stores `value` under the upper-case name, replacing an earlier definition.
    void AddDefinition(const std::string& name, std::unique_ptr<DataElement> value);

private:
    bool ReadCommands(PakFile* file);
    bool RunCommand();
    bool Tokenize(const std::string& text, ListDataElement& target);
    bool ResolveInto(const ListDataElement& list, ListDataElement& target, int depth,
                     std::size_t& budget);
    std::unique_ptr<DataElement> CopyDefinition(const DataElement& element, int depth,
                                                std::size_t& budget);
    bool UnableToDereference(const std::string& name);

    int mCommandSeparation = SeparateBySemicolon;
    std::string mError;
    int mCurrentLineNumber = 0;
    std::string mCurrentCommand;
    std::map<std::string, std::unique_ptr<DataElement>> mDefinitions;
};

} // namespace ravix
