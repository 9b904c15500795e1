#include "ToolCommands.h"

#include "resources/XMLParser.h"

#include <cstdio>
#include <string>

namespace tarnwick::tool {

namespace {

using ravix::XMLItem;
using ravix::XMLItemKindName;
using ravix::XMLParser;

// Keeps one item per line: backslash, tab, line feed and carriage return are written as
// \\, \t, \n and \r.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string DumpLine(const XMLItem& item) {
    std::string line = std::string(XMLItemKindName(item.mKind)) + "\t" + Escaped(item.mValue);
    for (const std::string& name : item.mAttributeOrder)
        line += "\t" + Escaped(name) + "=" + Escaped(item.mAttributes.at(name));
    if (item.mKind == XMLItem::Kind::Instruction || item.mKind == XMLItem::Kind::Comment)
        line += "\t" + Escaped(item.mInstruction);
    return line + "\n";
}

int DumpXml(const std::string& path) {
    XMLParser parser;
    parser.SetAllowComments(true);
    if (parser.Open(path)) {
        XMLItem item;
        while (parser.ReadItem(item))
            std::fputs(DumpLine(item).c_str(), stdout);
    }
    if (!parser.HasError())
        return 0;
    std::printf("error: %s (line %d)\n", parser.ErrorText().c_str(), parser.LineNumber());
    return 1;
}

} // namespace

int RunXmlCommand(const Args& args) {
    if (args.size() == 2 && args[0] == "dump")
        return DumpXml(args[1]);
    return UsageError();
}

} // namespace tarnwick::tool
