#pragma once
// What the program sets up before its first window: its names and
// arguments, the screen's colour depth and picture sizes, and its PATH
// argument as the file system spells it.
#include <QString>

class QCommandLineParser;

#include <string>

namespace gw {

// The screen's colour depth and the icon sizes the pictures are drawn at: 32
// and 16 device pixels at the normal density, more on a dense screen.
void ApplyScreenToDisplay();

// The argument as the file system spells it: Qt's arguments are text, and a
// path that is not UTF-8 would not survive the way through QString.
std::string ArgumentBytes(int argc, char** argv, const QString& argument);

// The program's names, as the settings file and --version use them.
void NameApplication();
// The program's options and its PATH argument.
void DescribeArguments(QCommandLineParser& parser);
// Answers --help and --version (and exits) before the window system is
// started, so that they work without a display; returns otherwise.
void AnswerHelpOrVersion(int argc, char** argv);

} // namespace gw
