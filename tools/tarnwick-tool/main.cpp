#include "ToolCommands.h"

#include "app/CommandLineHelp.h"

#include <cstdio>

namespace tarnwick::tool {

const char* UsageText() {
    return "usage: tarnwick-tool COMMAND ...\n"
           "\n"
           "  pak build OUT.pak DIR   archive every file below DIR, sorted by name; entry times\n"
           "                          are capped at SOURCE_DATE_EPOCH when it is set\n"
           "  pak list FILE.pak       list the entries: size, a tab, the stored name\n"
           "  pak cat FILE.pak NAME   write an entry's bytes to standard output\n"
           "  xml dump FILE           print one line per markup item\n"
           "  image info FILE         print the size and whether pixels are (partly) transparent\n"
           "  image convert IN OUT    load IN with its alpha file and write it as the PNG file "
           "OUT\n"
           "  font render FONT TEXT OUT.png\n"
           "                          draw TEXT in white on a transparent picture and write it\n"
           "                          as PNG; FONT is a font descriptor file or sys:FACE:SIZE\n"
           "  font make RECIPE OUT.txt\n"
           "                          render the image font a font recipe describes (face file,\n"
           "                          pixel size, characters, outline and shadow layers): the\n"
           "                          descriptor OUT.txt and its glyph picture OUT.png\n"
           "  sound convert IN OUT.wav\n"
           "                          decode a sound as the game does and write it as 16-bit\n"
           "                          PCM WAV; IN is a name without extension (IN.wav, IN.ogg\n"
           "                          or IN.au, the first that decodes) or a full file name\n"
           "  resources check MANIFEST [GROUP ...]\n"
           "                          read a resource manifest and load the groups named (every\n"
           "                          group when none is), file names relative to the working\n"
           "                          folder; prints the number of images, sounds and fonts, or\n"
           "                          the error the program would show (exit status 1)\n"
           "  demo info FILE          print a demo's format version, start tick, product\n"
           "                          version, length in updates, event count and markers\n"
           "                          (one \"marker\", update number, name line each)\n"
           "  demo dump FILE          print one line per recorded event: update number, a tab,\n"
           "                          the event's name, and a tab and its payload as name=value\n"
           "                          fields when it has one\n"
           "  levels check FILE [IMAGE_ROWS SYMBOL_CELLS]\n"
           "                          list each level of a levels file (number, grid, counts,\n"
           "                          deck size), then one line per problem: a missing level,\n"
           "                          reading that stops early, a count below 1, fewer cards\n"
           "                          than cells, a value outside the colour columns (3), the\n"
           "                          tile rows or the symbol cells given (exit status 1)\n"
           "  --help                  print this text\n"
           "  --version               print the version\n"
           "\n"
           "xml dump writes the kind (Start, End, Text, Instruction, Comment), a tab and the\n"
           "value (tag name, text, instruction target, \"!--\"), then for each attribute in\n"
           "the order written a tab and name=value; Instruction and Comment lines end with a\n"
           "tab and the instruction or comment text. Backslash, tab, line feed and carriage\n"
           "return are written as \\\\, \\t, \\n and \\r. After a failure the last line is\n"
           "\"error: MESSAGE (line N)\" and the exit status is 1.\n";
}

std::string EscapeText(const std::string& text) {
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

int UsageError() {
    std::fputs(UsageText(), stderr);
    return 2;
}

} // namespace tarnwick::tool

int main(int argc, char** argv) {
    using namespace tarnwick::tool;
    Args args(argv + 1, argv + argc);
    if (args.empty())
        return UsageError();
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    if (args[0] == "--version") {
        ravix::CommandLineHelp help;
        help.mProgram = "tarnwick-tool";
        help.mPackage = "Tarnwick";
        help.mVersion = TARNWICK_VERSION;
        std::fputs(ravix::FormatVersion(help).c_str(), stdout);
        return 0;
    }
    const std::string group = args[0];
    args.erase(args.begin());
    if (group == "pak")
        return RunPakCommand(args);
    if (group == "xml")
        return RunXmlCommand(args);
    if (group == "image")
        return RunImageCommand(args);
    if (group == "font")
        return RunFontCommand(args);
    if (group == "sound")
        return RunSoundCommand(args);
    if (group == "resources")
        return RunResourcesCommand(args);
    if (group == "demo")
        return RunDemoCommand(args);
    if (group == "levels")
        return RunLevelsCommand(args);
    return UsageError();
}
