#pragma once
// The Exec key and the string values of a desktop entry, as the Desktop
// Entry rules write them: quoting, escaping, the check of a command a user
// writes, and the words of a Windows command line.
#include <string>
#include <vector>

namespace gw {

// An argument of a desktop entry's Exec key: quoted with double quotes when
// it holds a character the key reserves (and ", `, $ and \ escaped inside),
// "%" doubled; then escaped as every string value is (\ as \\).
std::string DesktopExecArgument(const std::string& argument);
// The same before the string escape: the argument as a user types it into
// a command line of the Exec key.
std::string DesktopExecQuote(const std::string& argument);

// A string value of a desktop entry: \, newline, tab and carriage return
// escaped; other control characters dropped.
std::string DesktopString(const std::string& text);

// Why a command, as a user writes it for the Exec key (before the string
// escape), is not one the Desktop Entry rules allow: a double quote left
// open, a reserved character (space, ', >, <, ~, |, &, ;, $, *, ?, #, (, ),
// `, \) outside double quotes, an unescaped ", `, $ or \ inside them, a "%"
// that is not a field code (%f %F %u %U %i %c %k, %% for a percent sign),
// a field code inside quotes or beside other text. "" when it is valid.
std::string CheckDesktopExec(const std::string& exec);

// The words of a Windows command line, as Windows programs split theirs:
// spaces separate, double quotes group ("" inside them is one quote), and
// backslashes are literal except before a double quote.
std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine);

// The command's words, each quoted for the Exec key where it needs it
// (DesktopExecQuote), joined by spaces.
std::string ExecCommand(const std::vector<std::string>& words);
// The words of text between spaces and tabs.
std::vector<std::string> SpaceSeparated(const std::string& text);
// A string value as a desktop entry holds it, its escapes undone.
std::string UnescapedDesktopString(const std::string& value);

} // namespace gw
