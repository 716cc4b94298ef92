// grabwell._grabwell, the Python module's native part (grabwell/__init__.py
// re-exports it): the document API for Python programs.
//
//   doc = grabwell.open(path)       # a Document; an unreadable file raises OSError
//   doc.kind, doc.counts, doc.errors, doc.to_dict(decode=False), doc.version
//   doc.icon_groups / cursor_groups # Group: name, named, images, to_bytes()
//   doc.bitmaps                     # Bitmap: name, size, rgba(), to_bmp(), to_png()
//   doc.animations                  # Animation: frames, rates_ms, sequence, to_bytes()
//   image.rgba(), image.to_png()    # Image: size, bit_count, hotspot, data
//   grabwell.best_icon(path, size), grabwell.icon_hash(path)
//   grabwell.set_icon / set_cursor / set_version(program, ..., output=)
//                                   # WriteError when refused, OSError when the system fails
//
// Every object holds its document. Reading, decoding, encoding and hashing
// run without the interpreter lock (a lock held by such work is never taken
// while holding the interpreter lock, so the two cannot deadlock);
// SharedDocument makes one document safe to share between threads.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "batch/core/GroupCommands.h"
#include "batch/core/InfoJson.h"
#include "batch/core/SetIcon.h"
#include "batch/core/VersionJson.h"
#include "formats/AniFile.h"
#include "formats/BmpTypes.h"
#include "formats/CurTypes.h"
#include "formats/Document.h"
#include "formats/IcoTypes.h"
#include "formats/IconFormat.h"
#include "pictures/IconHash.h"
#include "platform/BmpCodec.h"
#include "platform/PngEncode.h"
#include "platform/Text.h"
#include "python/SharedDocument.h"
#include "thumbnailer/Thumbnail.h"

namespace py = pybind11;
using namespace py::literals;

namespace gw::python {
namespace {

using SharedDoc = std::shared_ptr<SharedDocument>;

// grabwell.DecodeError, made once when the module is imported and kept.
PyObject* g_decodeError = nullptr;

// ---- paths and errors ----

// A path as Python names files (str, bytes or os.PathLike), as the file
// system spells it: os.fsencode, so a str made by os.fsdecode gives back the
// bytes it came from.
std::string FsPath(const py::handle& path) {
    const py::bytes raw = py::module_::import("os").attr("fsencode")(path);
    std::string bytes = raw;
    if (bytes.find('\0') != std::string::npos) throw py::value_error("embedded null byte");
    return bytes;
}

// The path as os.fsdecode gives it.
py::str FsText(const std::string& bytes) {
    PyObject* text = PyUnicode_DecodeFSDefaultAndSize(bytes.data(), Py_ssize_t(bytes.size()));
    if (!text) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

// Text the core made: UTF-8, with U+FFFD for bytes that are not (as info --json).
py::str Text(const std::string& text) { return py::str(ValidUtf8(text)); }

// OSError(errno, strerror, filename), which Python turns into the subclass
// for that errno (FileNotFoundError, PermissionError, IsADirectoryError ...);
// errno 0 gives a plain OSError without one.
[[noreturn]] void RaiseOsError(int errorNumber, const std::string& message, const py::handle& filename) {
    const py::handle type(PyExc_OSError);
    const py::object error = errorNumber ? type(errorNumber, Text(message), filename)
                                         : type(py::none(), Text(message), filename);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

[[noreturn]] void RaiseOsError(const OpenFailure& failure, const py::handle& filename) {
    RaiseOsError(failure.error, failure.message, filename);
}

std::string TypeName(const py::handle& value) { return Py_TYPE(value.ptr())->tp_name; }

// An int argument, or anything that stands for one (__index__), but not a
// bool; nullopt for any other type. ValueError when it is beyond [0, max].
std::optional<unsigned long> WholeNumber(const py::handle& value, unsigned long max, const char* what) {
    if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr())) return std::nullopt;
    const py::object number = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long n = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (n == -1 && PyErr_Occurred()) throw py::error_already_set();
    if (overflow || n < 0 || static_cast<unsigned long long>(n) > max)
        throw py::value_error(std::string(what) + " must be from 0 to " + std::to_string(max) + ", not " +
                              py::repr(value).cast<std::string>());
    return static_cast<unsigned long>(n);
}

// A language argument: a LANGID as an int, or a str as the command line
// takes it (decimal "1033" or hexadecimal "0x409"); None: no language.
std::optional<uint16_t> LanguageArgument(const py::handle& language) {
    if (language.is_none()) return std::nullopt;
    if (py::isinstance<py::str>(language)) {
        uint16_t value = 0;
        if (!ParseLanguage(language.cast<std::string>(), value))
            throw py::value_error("language must be a LANGID from 0 to 0xFFFF (1033 or \"0x409\"), not " +
                                  py::repr(language).cast<std::string>());
        return value;
    }
    if (const std::optional<unsigned long> value = WholeNumber(language, 0xFFFF, "language")) return uint16_t(*value);
    throw py::type_error("language must be an int or a str, not " + TypeName(language));
}

// Opens path without the interpreter lock; raises OSError when it cannot be read.
SharedDoc OpenShared(const py::handle& path, std::optional<uint16_t> language = std::nullopt) {
    const std::string bytes = FsPath(path);
    SharedDoc doc;
    std::optional<OpenFailure> failure;
    {
        py::gil_scoped_release nogil;
        doc = std::make_shared<SharedDocument>(bytes);
        doc->Exclusive([&](Document& d) { d.SetLanguage(language); });
        if (!doc->Readable()) failure = WhyUnreadable(bytes).value_or(OpenFailure{EIO, std::strerror(EIO)});
    }
    if (failure) RaiseOsError(*failure, path);
    return doc;
}

// A record's language: the LANGID shown, None when the file tells no
// language (icon, cursor and bitmap files, NE files, 16-bit resource files).
template <class Record>
std::optional<uint16_t> LanguageOf(const Record& record) {
    if (record.Languages.empty()) return std::nullopt;
    return record.Language;
}
constexpr const char* kLanguageDoc =
    "the language (LANGID) whose data is shown; None when the file tells no language";
constexpr const char* kLanguagesDoc = "every language it is held in, ascending; [] when the file tells none";

py::bytes BytesOf(ByteView bytes) { return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size()); }

// ---- records ----

// The colour count info --json gives an image (0 when it has no exact 64-bit value).
uint64_t ColorCount(uint16_t bitCount) {
    if (bitCount == 0) return 256;
    return bitCount < 64 ? uint64_t(1) << bitCount : 0;
}

// One image of an icon group, a cursor group or an animation frame.
struct ImageRef {
    SharedDoc doc;
    const IconImage* icon = nullptr;
    const CursorImage* cursor = nullptr;
    bool hotspot = false; // a cursor's image (an animated icon's frames have none)

    ByteView Data() const { return icon ? icon->Data.view() : cursor->Data.view(); }
    bool Missing() const { return icon ? icon->Missing : cursor->Missing; }

    // The decoded picture; DecodeFailure when there is none.
    Handle Decoded() const {
        Handle picture = icon ? doc->Picture(*icon) : doc->Picture(*cursor);
        if (picture) return picture;
        if (Missing()) throw DecodeFailure{ReadErrorKind::Invalid, 0, "the image is not in the file"};
        throw DecodeFailure{ReadErrorKind::Invalid, doc->OffsetOf(Data()),
                            "the image's " + GroupedNumber(Data().size()) + " bytes hold no picture that decodes"};
    }
};

struct GroupRef {
    SharedDoc doc;
    const IconGroup* icon = nullptr;
    const CursorGroup* cursor = nullptr;
};

struct BitmapRef {
    SharedDoc doc;
    const BitmapRecord* record = nullptr;

    std::shared_ptr<Bitmap> Decoded() const {
        std::shared_ptr<Bitmap> picture = doc->Picture(*record);
        if (picture && picture->HasHandle()) return picture;
        throw DecodeFailure{ReadErrorKind::Invalid, 0,
                            "the bitmap \"" + ValidUtf8(record->Name) + "\" does not decode"};
    }
};

struct AnimationRef {
    SharedDoc doc;
    const AnimatedCursor* record = nullptr;
};

// The lists info --json shows: groups the file filled, bitmaps whose header decodes.
py::list IconGroups(const SharedDoc& doc) {
    const std::vector<IconGroup>* groups;
    {
        py::gil_scoped_release nogil;
        groups = &doc->Loaded(RecordKind::Icons).IconGroups;
    }
    py::list out;
    for (const IconGroup& g : *groups)
        if (IsFilled(g)) out.append(GroupRef{doc, &g, nullptr});
    return out;
}

py::list CursorGroups(const SharedDoc& doc) {
    const std::vector<CursorGroup>* groups;
    {
        py::gil_scoped_release nogil;
        groups = &doc->Loaded(RecordKind::Cursors).CursorGroups;
    }
    py::list out;
    for (const CursorGroup& g : *groups)
        if (IsFilled(g)) out.append(GroupRef{doc, nullptr, &g});
    return out;
}

py::list Bitmaps(const SharedDoc& doc) {
    const std::vector<BitmapRecord>* bitmaps;
    {
        py::gil_scoped_release nogil;
        bitmaps = &doc->Loaded(RecordKind::Bitmaps).Bitmaps;
    }
    py::list out;
    for (const BitmapRecord& b : *bitmaps)
        if (IsFilled(b)) out.append(BitmapRef{doc, &b});
    return out;
}

py::list Animations(const SharedDoc& doc) {
    const std::vector<AnimatedCursor>* animations;
    {
        py::gil_scoped_release nogil;
        animations = &doc->Loaded(RecordKind::Animations).Animations;
    }
    py::list out;
    for (const AnimatedCursor& a : *animations) out.append(AnimationRef{doc, &a});
    return out;
}

py::bytes PngOrFail(const Bytes& png) {
    if (png.empty()) throw DecodeFailure{ReadErrorKind::Invalid, 0, "the picture could not be encoded as PNG"};
    return BytesOf(png);
}

void BindRecords(py::module_& m) {
    py::class_<ReadError>(m, "ReadError", "What a read found damaged: kind, offset (the byte), message.")
        .def_property_readonly("kind", [](const ReadError& e) { return ReadErrorKindName(e.kind); },
                               "\"io\", \"truncated\", \"invalid\", \"unsupported\" or \"over_budget\"")
        .def_readonly("offset", &ReadError::offset, "the byte of the file the damage is at")
        .def_property_readonly("message", [](const ReadError& e) { return Text(e.message); })
        .def("describe", [](const ReadError& e) { return Text(e.Describe()); },
             "\"truncated at byte 3,000: ...\", as grabwell-cli says it")
        .def("__eq__", [](const ReadError& a, const ReadError& b) { return a == b; })
        .def("__repr__", [](const ReadError& e) {
            return "<grabwell.ReadError " + std::string(ReadErrorKindName(e.kind)) + " at " +
                   std::to_string(e.offset) + ": " + ValidUtf8(e.message) + ">";
        });

    py::class_<ImageRef>(m, "Image", "One image of an icon or cursor group or of an animation frame.")
        .def_property_readonly("width", [](const ImageRef& r) {
            return r.icon ? int(DrawnSide(r.icon->Width)) : int(r.cursor->Width);
        })
        .def_property_readonly("height", [](const ImageRef& r) {
            // A cursor's entry states the doubled height of its bitmap.
            return r.icon ? int(DrawnSide(r.icon->Height)) : int(r.cursor->Height / 2);
        })
        .def_property_readonly("bit_count",
                               [](const ImageRef& r) { return r.icon ? r.icon->BitCount : r.cursor->BitCount; })
        .def_property_readonly("colors", [](const ImageRef& r) {
            return ColorCount(r.icon ? r.icon->BitCount : r.cursor->BitCount);
        })
        .def_property_readonly("png", [](const ImageRef& r) {
            const ByteView bytes = r.Data();
            // A cursor resource's PNG follows its hot-spot prefix.
            return IsPngData(bytes) ||
                   (!r.icon && bytes.size() > kHotspotPrefix && IsPngData(bytes.subspan(kHotspotPrefix)));
        }, "stored as PNG")
        .def_property_readonly("hotspot", [](const ImageRef& r) -> py::object {
            if (!r.hotspot) return py::none();
            return py::make_tuple(r.cursor->HotspotX, r.cursor->HotspotY);
        }, "(x, y) for a cursor image, None for an icon image")
        .def_property_readonly("missing", &ImageRef::Missing, "the group names an image that is not in the file")
        .def_property_readonly("data", [](const ImageRef& r) { return BytesOf(r.Data()); }, "the bytes as stored")
        .def("rgba", [](const ImageRef& r) {
            std::string rgba;
            {
                py::gil_scoped_release nogil;
                const std::vector<uint32_t> argb = IconPixels(*r.Decoded());
                if (argb.empty())
                    throw DecodeFailure{ReadErrorKind::Invalid, r.doc->OffsetOf(r.Data()),
                                        "the decoded picture is malformed"};
                rgba = RgbaBytes(argb);
            }
            return py::bytes(rgba);
        }, "width x height x 4 bytes: R, G, B and straight alpha, top row first; DecodeError when it does not decode")
        .def("to_png", [](const ImageRef& r) {
            Bytes png;
            {
                py::gil_scoped_release nogil;
                png = IconImagePng(*r.Decoded());
            }
            return PngOrFail(png);
        }, "the picture as a PNG file; DecodeError when it does not decode")
        .def("__repr__", [](const ImageRef& r) {
            const int w = r.icon ? int(DrawnSide(r.icon->Width)) : int(r.cursor->Width);
            const int h = r.icon ? int(DrawnSide(r.icon->Height)) : int(r.cursor->Height / 2);
            return "<grabwell.Image " + std::to_string(w) + "x" + std::to_string(h) + ", " +
                   std::to_string(r.icon ? r.icon->BitCount : r.cursor->BitCount) + " bits>";
        });

    py::class_<GroupRef>(m, "Group", "An icon or cursor group.")
        .def_property_readonly("type", [](const GroupRef& r) { return r.icon ? "icon" : "cursor"; })
        .def_property_readonly("name", [](const GroupRef& r) { return Text(r.icon ? r.icon->Name : r.cursor->Name); })
        .def_property_readonly("named", [](const GroupRef& r) { return r.icon ? r.icon->Named : r.cursor->Named; },
                               "the name is a resource name or the file's, not a number")
        .def_property_readonly("language", [](const GroupRef& r) {
            return r.icon ? LanguageOf(*r.icon) : LanguageOf(*r.cursor);
        }, kLanguageDoc)
        .def_property_readonly("languages", [](const GroupRef& r) {
            return r.icon ? r.icon->Languages : r.cursor->Languages;
        }, kLanguagesDoc)
        .def_property_readonly("images", [](const GroupRef& r) {
            py::list out;
            if (r.icon)
                for (const IconImage& im : r.icon->Images) out.append(ImageRef{r.doc, &im, nullptr, false});
            else
                for (const CursorImage& im : r.cursor->Images) out.append(ImageRef{r.doc, nullptr, &im, true});
            return out;
        })
        .def("to_bytes", [](const GroupRef& r) {
            Bytes file;
            {
                py::gil_scoped_release nogil;
                // Copying a group copies its records' pictures: nothing may decode meanwhile.
                file = r.doc->Exclusive([&](Document&) {
                    return r.icon ? GroupSaveFile(*r.icon).bytes : GroupSaveFile(*r.cursor).bytes;
                });
            }
            return BytesOf(file);
        }, "the .ico or .cur file Save writes (the images that are in the file); b'' when none is")
        .def("__repr__", [](const GroupRef& r) {
            return std::string("<grabwell.Group ") + (r.icon ? "icon \"" : "cursor \"") +
                   ValidUtf8(r.icon ? r.icon->Name : r.cursor->Name) + "\">";
        });

    py::class_<BitmapRef>(m, "Bitmap", "A bitmap.")
        .def_property_readonly("name", [](const BitmapRef& r) { return Text(r.record->Name); })
        .def_property_readonly("named", [](const BitmapRef& r) { return r.record->Named; })
        .def_property_readonly("language", [](const BitmapRef& r) { return LanguageOf(*r.record); }, kLanguageDoc)
        .def_property_readonly("languages", [](const BitmapRef& r) { return r.record->Languages; }, kLanguagesDoc)
        .def_property_readonly("width", [](const BitmapRef& r) { return r.record->Width; })
        .def_property_readonly("height", [](const BitmapRef& r) { return r.record->Height; })
        .def_property_readonly("bit_count", [](const BitmapRef& r) { return PixelFormatBits(r.record->PixelFormat); },
                               "1, 4, 8, 15, 16, 24 or 32; 0 for the device and custom formats")
        .def_property_readonly("pixel_format",
                               [](const BitmapRef& r) { return PixelFormatText(r.record->PixelFormat); },
                               "as info --json says it: \"1\" ... \"32\", \"device\", \"custom\"")
        .def("rgba", [](const BitmapRef& r) {
            std::string rgba;
            {
                py::gil_scoped_release nogil;
                rgba = RgbaBytes(BitmapPixels(*r.Decoded()));
            }
            return py::bytes(rgba);
        }, "width x height x 4 bytes, top row first; opaque unless a 32-bit bitmap carries alpha")
        .def("to_bmp", [](const BitmapRef& r) {
            Bytes file;
            {
                py::gil_scoped_release nogil;
                file = EncodeBmp(*r.Decoded(), r.record->PixelFormat);
            }
            return BytesOf(file);
        }, "the .bmp file Save writes, in the bitmap's own pixel format")
        .def("to_png", [](const BitmapRef& r) {
            Bytes png;
            {
                py::gil_scoped_release nogil;
                const std::shared_ptr<Bitmap> bitmap = r.Decoded();
                png = EncodePng(bitmap->width, bitmap->height, BitmapPixels(*bitmap));
            }
            return PngOrFail(png);
        }, "the pixels rgba() gives as a PNG file")
        .def("__repr__", [](const BitmapRef& r) {
            return "<grabwell.Bitmap \"" + ValidUtf8(r.record->Name) + "\" " + std::to_string(r.record->Width) + "x" +
                   std::to_string(r.record->Height) + ">";
        });

    py::class_<AnimationRef>(m, "Animation", "An animated cursor or icon.")
        .def_property_readonly("type", [](const AnimationRef& r) { return r.record->AnimatedIcon ? "icon" : "cursor"; })
        .def_property_readonly("name", [](const AnimationRef& r) { return Text(r.record->Name); })
        .def_property_readonly("named", [](const AnimationRef& r) { return r.record->Named; })
        .def_property_readonly("language", [](const AnimationRef& r) { return LanguageOf(*r.record); }, kLanguageDoc)
        .def_property_readonly("languages", [](const AnimationRef& r) { return r.record->Languages; },
                               kLanguagesDoc)
        .def_property_readonly("frames", [](const AnimationRef& r) {
            py::list frames;
            for (const AnimationFrame& f : r.record->Frames) {
                py::list images;
                for (const CursorImage& im : f.Images.Images) images.append(ImageRef{r.doc, nullptr, &im, f.IsCursor});
                frames.append(images);
            }
            return frames;
        }, "each frame's images")
        .def_property_readonly("rates_ms", [](const AnimationRef& r) {
            std::vector<uint32_t> rates;
            for (const uint32_t jiffies : r.record->StepRates) rates.push_back(JiffiesToMs(jiffies));
            return rates;
        }, "each step's time in milliseconds")
        .def_property_readonly("default_rate_ms",
                               [](const AnimationRef& r) { return JiffiesToMs(r.record->DefaultRate); })
        .def_property_readonly("sequence", [](const AnimationRef& r) { return r.record->StepFrames; },
                               "the frame each step shows")
        .def_property_readonly("title", [](const AnimationRef& r) { return Text(r.record->Title); })
        .def_property_readonly("artist", [](const AnimationRef& r) { return Text(r.record->Artist); })
        .def("to_bytes", [](const AnimationRef& r) { return BytesOf(AnimationSaveFile(*r.record).bytes); },
             "the .ani file Save writes (the animation whole, as stored)")
        .def("__repr__", [](const AnimationRef& r) {
            return "<grabwell.Animation \"" + ValidUtf8(r.record->Name) + "\", " +
                   std::to_string(r.record->Frames.size()) + " frames>";
        });
}

void BindDocument(py::module_& m) {
    py::class_<SharedDocument, SharedDoc>(m, "Document",
        "One file opened once (grabwell.open): its kind and counts, its records read on first access, "
        "and what is damaged.")
        .def_property_readonly("path", [](const SharedDocument& d) { return FsText(d.Path()); },
                               "as os.fsdecode gives it")
        .def_property_readonly("kind", [](const SharedDocument& d) { return FileKindText(d.Kind()); },
                               "\"Icon File\", \"PE File\", \"Non Executable\", ... as info --json says it")
        .def_property_readonly("resources_from", [](SharedDocument& d) -> py::object {
            const std::string from = d.Exclusive([](Document& doc) { return doc.ResourcesFrom(); });
            if (from.empty()) return py::none();
            return FsText(from);
        }, "the resource file (SystemResources/<name>.mun) a language-neutral library's images are read from; "
           "None when they come from the file itself")
        .def_property_readonly("counts", [](const SharedDocument& d) {
            const FileCounts& c = d.Counts();
            return py::dict("icon_groups"_a = c.iconGroups, "cursor_groups"_a = c.cursorGroups, "bitmaps"_a = c.bitmaps,
                            "animations"_a = c.animations);
        }, "from the headers alone")
        .def_property_readonly("icon_groups", &IconGroups)
        .def_property_readonly("cursor_groups", &CursorGroups)
        .def_property_readonly("bitmaps", &Bitmaps)
        .def_property_readonly("animations", &Animations)
        .def_property_readonly("errors", [](SharedDocument& d) {
            py::gil_scoped_release nogil;
            return d.AllErrors();
        }, "every record kind read, then what is damaged and where: a list of ReadError")
        .def_property_readonly("version", [](SharedDocument& d) -> py::object {
            std::optional<std::string> line;
            {
                py::gil_scoped_release nogil;
                line = d.Exclusive([](Document& doc) -> std::optional<std::string> {
                    const std::optional<VersionInfo>& version = doc.Version();
                    if (!version) return std::nullopt;
                    return VersionInfoJsonLine(*version);
                });
            }
            if (!line) return py::none();
            return py::module_::import("json").attr("loads")(py::bytes(*line));
        }, "the version information as to_dict()[\"version\"] gives it (file_version, product_version, "
           "file_flags, file_os, file_type, strings, translations), or None when the file holds none")
        .def("to_dict", [](SharedDocument& d, bool decode, bool hash) {
            std::string line;
            {
                py::gil_scoped_release nogil;
                line = d.Exclusive(
                    [&](Document& doc) { return InfoJsonLine(d.Path(), doc, InfoOptions{decode, hash}); });
            }
            return py::module_::import("json").attr("loads")(py::bytes(line));
        }, "decode"_a = false, "hash"_a = false,
           "the object grabwell-cli info --json prints for the file (decode=True: --decode, hash=True: --hash)")
        .def("__repr__", [](const SharedDocument& d) {
            return "<grabwell.Document " + py::repr(FsText(d.Path())).cast<std::string>() + ", " +
                   FileKindText(d.Kind()) + ">";
        });
}

// grabwell.WriteError, made once when the module is imported and kept.
PyObject* g_writeError = nullptr;

// A change that could not be written: WriteError with the reason, and
// signed = True when the program is signed and strip_signature was not given.
[[noreturn]] void RaiseWriteError(const std::string& message, bool signedProgram) {
    const py::object error = py::handle(g_writeError)(Text(message));
    error.attr("signed") = signedProgram;
    PyErr_SetObject(g_writeError, error.ptr());
    throw py::error_already_set();
}

// The target of a change: output, or the program itself with in_place.
void TargetOf(const py::object& output, bool inPlace, std::string& out) {
    if (inPlace == !output.is_none()) throw py::value_error("give output=PATH or in_place=True (one of them)");
    if (!inPlace) out = FsPath(output);
}

// A group argument: an id as an int, or a str (a number, or "#" and a
// number, is an id; anything else a name).
ResourceKey GroupArgument(const py::handle& group) {
    ResourceKey key;
    if (py::isinstance<py::str>(group)) {
        if (!ParseGroupName(group.cast<std::string>(), key))
            throw py::value_error("group must be a name or an id from 0 to 65535, not " +
                                  py::repr(group).cast<std::string>());
        return key;
    }
    if (const std::optional<unsigned long> id = WholeNumber(group, 0xFFFF, "group"))
        return ResourceKey::Id(uint16_t(*id));
    throw py::type_error("group must be a str or an int, not " + TypeName(group));
}

// A str argument whose text goes into the file: its bytes end at a null
// character, so one inside it would cut the text short.
std::string TextArgument(const py::handle& value, const std::string& what) {
    if (!py::isinstance<py::str>(value))
        throw py::type_error(what + " must be a str, not " + TypeName(value));
    std::string text = value.cast<std::string>();
    if (text.find('\0') != std::string::npos) throw py::value_error(what + ": embedded null character");
    return text;
}

// The strings of set_version: a mapping of str keys to str values, in its order.
std::vector<std::pair<std::string, std::string>> StringsArgument(const py::handle& strings) {
    std::vector<std::pair<std::string, std::string>> out;
    if (strings.is_none()) return out;
    if (!py::isinstance(strings, py::module_::import("collections.abc").attr("Mapping")))
        throw py::type_error("strings must be a dict of str to str, not " + TypeName(strings));
    for (const py::handle name : strings) {
        std::string key = TextArgument(name, "a key of strings");
        if (key.empty()) throw py::value_error("a key of strings is empty");
        const py::object value = strings[name];
        out.emplace_back(std::move(key), TextArgument(value, "strings[" + py::repr(name).cast<std::string>() + "]"));
    }
    return out;
}

// The outcome of a change: the path written, or the error it raised. A
// failure of the system's raises OSError for its errno, so that Python
// picks the subclass; a refusal raises WriteError.
template <class Outcome>
py::object Written(const Outcome& outcome) {
    if (outcome.ok) return FsText(outcome.written);
    if (outcome.systemError != 0) {
        const py::object filename =
            outcome.systemErrorPath.empty() ? py::object(py::none()) : py::object(FsText(outcome.systemErrorPath));
        RaiseOsError(outcome.systemError, std::strerror(outcome.systemError), filename);
    }
    RaiseWriteError(outcome.error, outcome.refusedSigned);
}

py::object SetGroup(GroupKind kind, const py::object& program, const py::object& image, const py::object& output,
                    bool inPlace, const py::object& group, const py::object& language, bool stripSignature,
                    bool addGroup, bool ignoreInstallerCheck) {
    SetGroupRequest request;
    request.kind = kind;
    request.program = FsPath(program);
    request.imageFile = FsPath(image);
    TargetOf(output, inPlace, request.output);
    request.inPlace = inPlace;
    request.stripSignature = stripSignature;
    request.ignoreInstallerCheck = ignoreInstallerCheck;
    if (!group.is_none()) request.target.name = GroupArgument(group);
    request.target.addGroup = addGroup;
    request.target.language = LanguageArgument(language);
    SetGroupOutcome outcome;
    {
        py::gil_scoped_release nogil;
        outcome = SetProgramGroup(request);
    }
    return Written(outcome);
}

void BindWriters(py::module_& m) {
    g_writeError = PyErr_NewExceptionWithDoc(
        "grabwell.WriteError",
        "A change that was refused (a damaged or signed program, a damaged .ico or .cur, a group the program "
        "does not have); nothing was written. signed: the program is signed and strip_signature was not given. "
        "A file or folder the system cannot read or write raises OSError instead.",
        PyExc_ValueError, nullptr);
    if (!g_writeError) throw py::error_already_set();
    m.add_object("WriteError", py::handle(g_writeError));
    m.def(
        "set_icon",
        [](const py::object& program, const py::object& ico, const py::object& output, bool inPlace,
           const py::object& group, const py::object& language, bool stripSignature, bool addGroup,
           bool ignoreInstallerCheck) {
            return SetGroup(GroupKind::Icon, program, ico, output, inPlace, group, language, stripSignature,
                            addGroup, ignoreInstallerCheck);
        },
        "program"_a, "ico"_a, "output"_a = py::none(), "in_place"_a = false, "group"_a = py::none(),
        "language"_a = py::none(), "strip_signature"_a = false, "add_group"_a = false,
        "ignore_installer_check"_a = false,
        "Replaces the program's icon group with the images of the .ico and writes the result to output, or over "
        "the program with in_place=True; returns the path written.\n\n"
        "group: the group's name (str) or id (int, or a str such as \"1\" or \"#1\"); by default the first "
        "group, or a new one, id 1, when the program has none. A group the program does not have is refused "
        "unless add_group=True, which creates it. language: only the group's data in that LANGID (an int, or "
        "a str such as \"1033\" or \"0x409\"); by default every language it has.\n\n"
        "Raises OSError (FileNotFoundError, PermissionError, IsADirectoryError ...) when a file cannot be read "
        "or written, WriteError when the change is refused (damaged or signed program, damaged .ico, unknown "
        "group, an installer that checks a CRC of its own file, unless ignore_installer_check=True), ValueError or TypeError for a bad argument; nothing is written then.");
    m.def(
        "set_cursor",
        [](const py::object& program, const py::object& cur, const py::object& output, bool inPlace,
           const py::object& group, const py::object& language, bool stripSignature, bool addGroup,
           bool ignoreInstallerCheck) {
            return SetGroup(GroupKind::Cursor, program, cur, output, inPlace, group, language, stripSignature,
                            addGroup, ignoreInstallerCheck);
        },
        "program"_a, "cur"_a, "output"_a = py::none(), "in_place"_a = false, "group"_a = py::none(),
        "language"_a = py::none(), "strip_signature"_a = false, "add_group"_a = false,
        "ignore_installer_check"_a = false,
        "The same as set_icon for a cursor group from a .cur file, hot spots kept.");
    m.def(
        "set_version",
        [](const py::object& program, const py::object& output, bool inPlace, const py::object& fileVersion,
           const py::object& productVersion, const py::object& strings, const py::object& language,
           bool stripSignature, bool ignoreInstallerCheck) {
            SetVersionRequest request;
            request.program = FsPath(program);
            TargetOf(output, inPlace, request.output);
            request.inPlace = inPlace;
            request.stripSignature = stripSignature;
            request.ignoreInstallerCheck = ignoreInstallerCheck;
            request.language = LanguageArgument(language);
            if (!fileVersion.is_none()) request.fileVersion = TextArgument(fileVersion, "file_version");
            if (!productVersion.is_none()) request.productVersion = TextArgument(productVersion, "product_version");
            request.strings = StringsArgument(strings);
            if (request.fileVersion.empty() && request.productVersion.empty() && request.strings.empty())
                throw py::value_error("nothing to set: give file_version, product_version or strings");
            SetVersionOutcome outcome;
            {
                py::gil_scoped_release nogil;
                outcome = SetProgramVersion(request);
            }
            return Written(outcome);
        },
        "program"_a, "output"_a = py::none(), "in_place"_a = false, "file_version"_a = py::none(),
        "product_version"_a = py::none(), "strings"_a = py::none(), "language"_a = py::none(),
        "strip_signature"_a = false, "ignore_installer_check"_a = false,
        "Edits the program's version information: file_version and product_version ('a.b.c.d') and strings "
        "({key: value}, both str) in the version resource of language (an int, or a str such as \"1033\" or "
        "\"0x409\"; default: the first), the rest kept; a program without one gets one in US English. Written "
        "to output or in place; returns the path written.\n\n"
        "Raises ValueError when there is nothing to set, OSError (FileNotFoundError, PermissionError ...) when "
        "a file cannot be read or written, WriteError when the change is refused (damaged or signed program, "
        "damaged version information), ValueError or TypeError for a bad argument; nothing is written then.");
}

void BindFunctions(py::module_& m) {
    m.def("open", [](const py::object& path, const py::object& language) {
        return OpenShared(path, LanguageArgument(language));
    }, "path"_a, "language"_a = py::none(),
       "Opens the file at path (str, bytes or os.PathLike) as a Document. A file that cannot be read raises "
       "OSError (FileNotFoundError, PermissionError, IsADirectoryError ...); damage never raises. language "
       "(a LANGID: an int such as 0x0409, or a str such as \"1033\" or \"0x409\"): records held in it are read "
       "in it, as info --language reads them.");

    m.def("best_icon", [](const py::object& path, int size) -> py::object {
        if (size < 1 || size > kMaxThumbnailSize)
            throw py::value_error("size must be 1 .. " + std::to_string(kMaxThumbnailSize));
        const std::string bytes = FsPath(path);
        std::optional<OpenFailure> failure;
        std::optional<Bytes> png;
        {
            py::gil_scoped_release nogil;
            failure = WhyUnreadable(bytes);
            if (!failure) png = ThumbnailPng(bytes, size);
        }
        if (failure) RaiseOsError(*failure, path);
        if (!png) return py::none();
        return BytesOf(*png);
    }, "path"_a, "size"_a = 256,
       "The PNG the thumbnailer draws for the file at that size (at most size x size), or None when the file "
       "has no icon that decodes.");

    m.def("icon_hash", [](const py::object& path) -> py::object {
        const SharedDoc doc = OpenShared(path);
        std::optional<IconHash> hash;
        {
            py::gil_scoped_release nogil;
            hash = doc->Exclusive([](Document& d) { return IconHashOf(d); });
        }
        if (!hash) return py::none();
        return py::dict("raw_md5"_a = hash->rawMd5, "ico_md5"_a = hash->icoMd5, "dhash"_a = hash->dhash);
    }, "path"_a,
       "The fingerprints of the file's icon, {\"raw_md5\", \"ico_md5\", \"dhash\"} (dhash \"\" when it does not "
       "decode), or None when the file has no icon.");
}

} // namespace
} // namespace gw::python

PYBIND11_MODULE(_grabwell, m) {
    using namespace gw::python;
    m.doc() = "Grabwell's document API: icons, cursors, bitmaps and animated cursors in files.";
    m.attr("__version__") = GRABWELL_VERSION;

    g_decodeError = PyErr_NewExceptionWithDoc(
        "grabwell.DecodeError",
        "A picture that does not decode. kind: the damage's kind (ReadError.kind); offset: where its bytes "
        "start in the file (0 when unknown).",
        PyExc_ValueError, nullptr);
    if (!g_decodeError) throw py::error_already_set();
    m.add_object("DecodeError", py::handle(g_decodeError));
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const DecodeFailure& failure) {
            const py::object error = py::handle(g_decodeError)(failure.message);
            error.attr("kind") = gw::ReadErrorKindName(failure.kind);
            error.attr("offset") = failure.offset;
            PyErr_SetObject(g_decodeError, error.ptr());
        }
    });

    BindRecords(m);
    BindDocument(m);
    BindFunctions(m);
    BindWriters(m);
}
