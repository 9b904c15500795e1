#pragma once

#include <string>
#include <vector>

// Each command group takes the arguments after its own name and returns the exit status:
// 0 success, 1 failure of the operation, 2 a usage error (after printing the usage text).
namespace tarnwick::tool {

using Args = std::vector<std::string>;

int RunPakCommand(const Args& args);
int RunXmlCommand(const Args& args);
int RunImageCommand(const Args& args);
int RunFontCommand(const Args& args);
// Writes the descriptor OUT and its glyph picture (OUT's stem + ".png" beside it).
int RunFontMake(const std::string& recipePath, const std::string& outPath);
int RunSoundCommand(const Args& args);
int RunResourcesCommand(const Args& args);
int RunDemoCommand(const Args& args);
int RunLevelsCommand(const Args& args);

// Keeps a text on one line: backslash, tab, line feed and carriage return are written as
// \\, \t, \n and \r.
std::string EscapeText(const std::string& text);

// Prints the usage text to stderr and returns 2.
int UsageError();
const char* UsageText();

} // namespace tarnwick::tool
