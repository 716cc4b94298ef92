#pragma once
// What the program remembers between runs, in one settings file under the
// user's configuration folder ($XDG_CONFIG_HOME/grabwell/Grabwell.conf): the
// windows' sizes and places and the last folder used for each kind of save.
// A settings file that cannot be read gives the defaults; nothing here ever
// stops the program.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QVariant>

class QWidget;

namespace gw {

// A remembered value, or fallback when there is none or it is not of the
// expected type.
QVariant Remembered(const QString& key, const QVariant& fallback = {});
void Remember(const QString& key, const QVariant& value);

// Where a window keeps its places: under its role ("IconWorkdesk",
// "CursorManager/animated"). Earlier versions kept them under the window's
// objectName ("Form2"); such a value is read once, when the role has none
// yet, and moved to the role's key.
struct PlacesKey {
    QString role;
    QString former;
};

// A window's remembered value `name` ("view"), or fallback.
QVariant RememberedPlace(const PlacesKey& key, const QString& name, const QVariant& fallback = {});
void RememberPlace(const PlacesKey& key, const QString& name, const QVariant& value);

// A window's size as the user left it ("<role>/size"), never larger than
// the screen's available area; without one, the window's own size made to
// fit the screen.
void RestoreWindowSize(QWidget& window, const PlacesKey& key);
void RememberWindowSize(const QWidget& window, const PlacesKey& key);
// Keeps a window's size within the available area of its screen.
void FitWindowToScreen(QWidget& window);

// The size a main window first opens at, before any size was remembered: its
// designed size grown in proportion to take about 60% of the screen's
// available width (or 70% of its height, whichever is reached first), never
// smaller than designed unless the screen is, and never larger than the
// available area.
QSize FirstStartSize(QSize designed, QSize available);

// The folder a save dialog of a kind ("ico", "cur", "bmp", a folder
// browser's title) starts in: the last one used for that kind when it still
// exists, else fallback when it can be written to, else the user's Pictures
// folder, else home.
QString StartFolder(const QString& kind, const QString& fallback);
void RememberFolder(const QString& kind, const QString& folder);

} // namespace gw
