#pragma once
// How one window asks for another: a request names the viewer and what it
// shows (a file by its path, or a group, animation or bitmap of a file a
// window has open already), and the program's owner of the viewer windows
// opens it, making the window the first time one is asked for. Windows see
// only the Viewers interface, never each other.
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace gw {

class Document;
struct Bitmap;

enum class Viewer : uint8_t {
    IconWorkdesk,
    CursorWorkdesk,
    BitmapWorkdesk,
    IconManager,
    CursorManager,
    BitmapManager,   // the Bitmap & Glyph Manager
    IconSheet,       // Icon Properties
    CursorSheet,     // Specific Cursor Properties
    BitmapSheet,     // Bitmap Properties
    AboutBox,
};

// What of the file the viewer shows.
enum class Shown : uint8_t {
    File,      // the file at the request's path, as the viewer reads it
    Group,     // icon or cursor group `item` of the file
    Animation, // animated cursor `item` of the file
    Bitmap,    // bitmap `item` of the file
};

// Which window asks. A manager says whether it was opened on a file of its
// own or on a workdesk's item: the property sheets show the two differently.
enum class AskedBy : uint8_t { Explorer, Workdesk, FileManager, WorkdeskManager };

// What Bitmap Properties shows of a Bitmap Workdesk row: its caption, the
// texts of its width, height and pixel-format columns, and its thumbnail.
struct WorkdeskBitmapView {
    std::string caption;
    std::string width;
    std::string height;
    std::string format;
    QImage thumbnail;
};

struct ViewRequest {
    static constexpr size_t kNoFrame = SIZE_MAX;

    Viewer target = Viewer::AboutBox;
    std::string path{};               // Shown::File: the file the viewer opens itself
    std::shared_ptr<Document> file{}; // otherwise: the file the asking window has open
    Shown shown = Shown::File;
    size_t item = 0;                  // the group's, animation's or bitmap's index in the file
    size_t image = 0;                 // sheets: the image of the group or frame
    size_t frame = kNoFrame;          // sheets of an animation: the frame shown (none: no sheet)
    AskedBy askedBy = AskedBy::Explorer;
    std::string name{};               // sheets: the name the images are known by
    std::optional<WorkdeskBitmapView> bitmapRow{}; // the Bitmap Workdesk's row
    std::shared_ptr<const Bitmap> bitmap{};        // Bitmap Properties from the manager: its own copy
};

// The program's viewer windows, as the windows that open one another see
// them. Open returns once the viewer is closed again (it is modal), or at
// once when it has said why it cannot show the file.
class Viewers {
public:
    virtual void Open(const ViewRequest& request) = 0;

protected:
    ~Viewers() = default;
};

} // namespace gw
