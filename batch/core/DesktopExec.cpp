// How a desktop entry's Exec key and string values are written, checked
// and read back, and how a Windows command line splits into words.
#include "batch/core/DesktopExec.h"

#include <algorithm>

namespace gw {

// The command's words, each quoted for the Exec key where it needs it.
std::string ExecCommand(const std::vector<std::string>& words) {
    std::string command;
    for (const std::string& word : words) command += (command.empty() ? "" : " ") + DesktopExecQuote(word);
    return command;
}

std::vector<std::string> SpaceSeparated(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
        const size_t end = std::min(text.find_first_of(" \t", at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// A string value as a desktop entry holds it, its escapes undone.
std::string UnescapedDesktopString(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        default: out += value[i];
        }
    }
    return out;
}

std::string DesktopString(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
        }
    }
    return out;
}

std::string DesktopExecQuote(const std::string& argument) {
    static const std::string kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    for (char c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    return needsQuotes ? "\"" + quoted + "\"" : quoted;
}

std::string DesktopExecArgument(const std::string& argument) { return DesktopString(DesktopExecQuote(argument)); }

std::string CheckDesktopExec(const std::string& exec) {
    static const std::string kReserved = "\t\n'\\><~|&;$*?#()`";
    static const std::string kFieldCodes = "fFuUick%";
    bool quoted = false;
    bool wordHasText = false, wordHasFieldCode = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\') {
                if (i + 1 == exec.size() || std::string("\"`$\\").find(exec[i + 1]) == std::string::npos)
                    return "a \\ inside double quotes must escape \", `, $ or \\ (at character " +
                           std::to_string(i + 1) + ")";
                ++i;
            } else if (c == '`' || c == '$') {
                return std::string("a ") + c + " inside double quotes must be escaped as \\" + c;
            } else if (c == '%') {
                if (i + 1 < exec.size() && exec[i + 1] == '%') {
                    ++i;
                } else {
                    return "a field code (%" + std::string(1, i + 1 < exec.size() ? exec[i + 1] : ' ') +
                           ") cannot stand inside double quotes; write %% for a percent sign";
                }
            }
            wordHasText = true;
            continue;
        }
        if (c == ' ') {
            wordHasText = wordHasFieldCode = false;
            continue;
        }
        if (c == '"') {
            quoted = true;
            if (wordHasFieldCode) return "a field code must be an argument of its own";
            wordHasText = true;
            continue;
        }
        if (kReserved.find(c) != std::string::npos)
            return std::string("the character ") + (c == '\t' ? "tab" : c == '\n' ? "newline" : std::string(1, c)) +
                   " must stand inside double quotes";
        if (c == '%') {
            const char code = i + 1 < exec.size() ? exec[i + 1] : '\0';
            if (kFieldCodes.find(code) == std::string::npos || code == '\0')
                return "%" + std::string(code ? std::string(1, code) : "") +
                       " is not a field code (%f %F %u %U %i %c %k); write %% for a percent sign";
            ++i;
            if (code == '%') {
                wordHasText = true;
                continue;
            }
            if (wordHasText || wordHasFieldCode) return "a field code must be an argument of its own";
            wordHasFieldCode = true;
            continue;
        }
        if (wordHasFieldCode) return "a field code must be an argument of its own";
        wordHasText = true;
    }
    if (quoted) return "a double quote is not closed";
    if (exec.find_first_not_of(" \t\r\n") == std::string::npos) return "the command is empty";
    return {};
}

std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '\\') {
            size_t slashes = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') ++slashes, ++i;
            if (i < commandLine.size() && commandLine[i] == '"') {
                word.append(slashes / 2, '\\');
                if (slashes % 2) word += '"';
                else --i; // the quote opens or closes
            } else {
                word.append(slashes, '\\');
                --i;
            }
            inWord = true;
        } else if (c == '"') {
            if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                word += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

} // namespace gw
