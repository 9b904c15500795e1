#include "ToolCommands.h"

#include "files/XMLParser.h"

#include <cstdio>
#include <string>

namespace tarnwick::tool {

namespace {

using ravix::XMLItem;
using ravix::XMLItemKindName;
using ravix::XMLParser;

std::string DumpLine(const XMLItem& item) {
    std::string line = std::string(XMLItemKindName(item.mKind)) + "\t" + EscapeText(item.mValue);
    for (const std::string& name : item.mAttributeOrder)
        line += "\t" + EscapeText(name) + "=" + EscapeText(item.mAttributes.at(name));
    if (item.mKind == XMLItem::Kind::Instruction || item.mKind == XMLItem::Kind::Comment)
        line += "\t" + EscapeText(item.mInstruction);
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
