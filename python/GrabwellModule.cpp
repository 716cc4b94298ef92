// grabwell._grabwell, the Python module's native part (grabwell/__init__.py
// re-exports it): the document API for Python programs.
//
//   doc = grabwell.open(path)       # a Document; an unreadable file raises OSError
//   doc = grabwell.from_bytes(data, name=None)   # a file already in memory
//   doc.kind, doc.counts, doc.errors, doc.to_dict(decode=False), doc.version
//   doc.icon_groups / cursor_groups # Group: name, id, named, images, to_bytes()
//   doc.bitmaps                     # Bitmap: name, id, size, rgba(), to_bmp(), to_png()
//   doc.animations                  # Animation: frames, rates_ms, sequence, to_bytes()
//   doc.close(), with grabwell.open(path) as doc: ...
//   image.rgba(), image.to_png()    # Image: size, bit_count, hotspot, data
//   grabwell.best_icon(path, size), grabwell.icon_hash(path)
//   grabwell.set_icon / set_cursor / set_version(program, ..., output=)
//                                   # WriteError when refused, OSError when the system fails
//
// Every object holds its document, and holds it open for each call
// (SharedDocument::Hold): once it is closed, every call raises ValueError.
// Reading, decoding, encoding and hashing run without the interpreter lock
// (work holding a document's lock never waits for the interpreter lock, so
// the two cannot deadlock); SharedDocument makes one document safe to share
// between threads.
//
// Arguments that take several Python types, and results that may be None,
// are py::object wrapped in Typed<"type text">, so that help() and the
// signatures show those types rather than "object".
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <charconv>
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
#include "formats/IconLocation.h"
#include "formats/Shortcut.h"
#include "pictures/IconHash.h"
#include "platform/BmpCodec.h"
#include "platform/LanguageName.h"
#include "platform/PngEncode.h"
#include "platform/Text.h"
#include "python/SharedDocument.h"
#include "thumbnailer/Thumbnail.h"

namespace py = pybind11;
using namespace py::literals;

namespace gw::python {

// The text a signature shows for a type, as a template argument.
template <size_t N>
struct TypeText {
    constexpr TypeText(const char (&text)[N]) { std::copy_n(text, N, chars); }
    char chars[N];
};

// Any Python object, shown in signatures as Type; the function checks what
// it is given itself.
template <TypeText Type>
struct Typed {
    py::object value;
};

using PathArg = Typed<"os.PathLike | str | bytes">;
using OptionalPathArg = Typed<"os.PathLike | str | bytes | None">;
using LanguageArg = Typed<"int | str | None">;
using GroupArg = Typed<"int | str | None">;
using OptionalTextArg = Typed<"str | None">;

} // namespace gw::python

namespace pybind11::detail {
template <gw::python::TypeText Type>
struct type_caster<gw::python::Typed<Type>> {
    PYBIND11_TYPE_CASTER(gw::python::Typed<Type>, descr<sizeof(Type.chars) - 1>(Type.chars));
    bool load(handle source, bool) {
        value.value = reinterpret_borrow<object>(source);
        return true;
    }
    static handle cast(const gw::python::Typed<Type>& source, return_value_policy, handle) {
        return source.value.inc_ref();
    }
};
} // namespace pybind11::detail

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
        const std::optional<uint16_t> value = ParseLanguageId(language.cast<std::string>());
        if (!value)
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
        doc = SharedDocument::Open(bytes);
        SharedDocument::Held held = doc->Hold();
        held.Exclusive([&](Document& d) { d.SetLanguage(language); });
        if (!held.Readable()) failure = WhyUnreadable(bytes).value_or(OpenFailure{EIO, std::strerror(EIO)});
    }
    if (failure) RaiseOsError(*failure, path);
    return doc;
}

// A document over a copy of the bytes of data (any object with the buffer
// protocol, contiguous or not); name's extension decides the kind where the
// bytes alone do not.
SharedDoc FromBytes(const py::handle& data, const py::handle& name, std::optional<uint16_t> language) {
    const std::string path = name.is_none() ? std::string() : FsPath(name);
    Py_buffer view;
    if (PyObject_GetBuffer(data.ptr(), &view, PyBUF_FULL_RO) != 0) {
        PyErr_Clear();
        throw py::type_error("data must be a bytes-like object (bytes, bytearray, memoryview), not " +
                             TypeName(data));
    }
    Bytes bytes(size_t(view.len));
    const int copied = view.len ? PyBuffer_ToContiguous(bytes.data(), &view, view.len, 'C') : 0;
    PyBuffer_Release(&view);
    if (copied != 0) throw py::error_already_set();
    SharedDoc doc;
    {
        py::gil_scoped_release nogil;
        doc = SharedDocument::OfBytes(path, std::move(bytes));
        doc->Hold().Exclusive([&](Document& d) { d.SetLanguage(language); });
    }
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

// A record's id: the number that names it in the file; None for a record
// with a name (a resource name, or one made from the file's name).
std::optional<uint16_t> IdOf(const std::string& name, bool named) {
    if (named) return std::nullopt;
    unsigned value = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data(), end, value);
    if (error != std::errc() || stop != end || value > 0xFFFF) return std::nullopt;
    return uint16_t(value);
}
constexpr const char* kNameDoc = "the name as the file gives it; the id's decimal text for a numbered one (\"768\")";
constexpr const char* kIdDoc = "the id (int) of a numbered one; None for a named one";
constexpr const char* kNamedDoc = "the name is a resource name or the file's, not a number";

// One image of an icon group, a cursor group or an animation frame.
struct ImageRef {
    SharedDoc doc;
    const IconImage* icon = nullptr;
    const CursorImage* cursor = nullptr;
    bool hotspot = false; // a cursor's image (an animated icon's frames have none)

    // The record's fields may be read while this lives.
    SharedDocument::Held Hold() const { return doc->Hold(); }

    ByteView Data() const { return icon ? icon->Data.view() : cursor->Data.view(); }
    bool Missing() const { return icon ? icon->Missing : cursor->Missing; }
    int Width() const { return icon ? int(DrawnSide(icon->Width)) : int(cursor->Width); }
    // A cursor's entry states the doubled height of its bitmap.
    int Height() const { return icon ? int(DrawnSide(icon->Height)) : int(cursor->Height / 2); }
    uint16_t BitCount() const { return icon ? icon->BitCount : cursor->BitCount; }

    // The decoded picture; DecodeFailure when there is none.
    Handle Decoded(SharedDocument::Held& held) const {
        Handle picture = icon ? held.Picture(*icon) : held.Picture(*cursor);
        if (picture) return picture;
        if (Missing()) throw DecodeFailure{ReadErrorKind::Invalid, 0, "the image is not in the file"};
        throw DecodeFailure{ReadErrorKind::Invalid, held.OffsetOf(Data()),
                            "the image's " + GroupedNumber(Data().size()) + " bytes hold no picture that decodes"};
    }
};

struct GroupRef {
    SharedDoc doc;
    const IconGroup* icon = nullptr;
    const CursorGroup* cursor = nullptr;

    SharedDocument::Held Hold() const { return doc->Hold(); }
    const std::string& Name() const { return icon ? icon->Name : cursor->Name; }
    bool Named() const { return icon ? icon->Named : cursor->Named; }
};

struct BitmapRef {
    SharedDoc doc;
    const BitmapRecord* record = nullptr;

    SharedDocument::Held Hold() const { return doc->Hold(); }

    std::shared_ptr<Bitmap> Decoded(SharedDocument::Held& held) const {
        std::shared_ptr<Bitmap> picture = held.Picture(*record);
        if (picture && picture->HasHandle()) return picture;
        throw DecodeFailure{ReadErrorKind::Invalid, 0,
                            "the bitmap \"" + ValidUtf8(record->Name) + "\" does not decode"};
    }
};

struct AnimationRef {
    SharedDoc doc;
    const AnimatedCursor* record = nullptr;

    SharedDocument::Held Hold() const { return doc->Hold(); }
};

// A getter of a record: get(ref) run while the record's document is held
// open; ValueError once it is closed.
template <class Ref, class Get>
auto Open(Get get) {
    return [get](const Ref& ref) {
        const SharedDocument::Held held = ref.Hold();
        return get(ref);
    };
}

// A record's repr, or what it belonged to once its document is closed.
template <class Ref, class Describe>
auto Repr(const char* type, Describe describe) {
    return [type, describe](const Ref& ref) -> std::string {
        try {
            const SharedDocument::Held held = ref.Hold();
            return "<grabwell." + std::string(type) + " " + describe(ref) + ">";
        } catch (const DocumentClosed&) {
            return "<grabwell." + std::string(type) + " of a closed document>";
        }
    };
}

// The lists info --json shows: groups the file filled, bitmaps whose header decodes.
py::list IconGroups(const SharedDoc& doc) {
    SharedDocument::Held held = doc->Hold();
    const std::vector<IconGroup>* groups;
    {
        py::gil_scoped_release nogil;
        groups = &held.Loaded(RecordKind::Icons).IconGroups;
    }
    py::list out;
    for (const IconGroup& g : *groups)
        if (IsFilled(g)) out.append(GroupRef{doc, &g, nullptr});
    return out;
}

py::list CursorGroups(const SharedDoc& doc) {
    SharedDocument::Held held = doc->Hold();
    const std::vector<CursorGroup>* groups;
    {
        py::gil_scoped_release nogil;
        groups = &held.Loaded(RecordKind::Cursors).CursorGroups;
    }
    py::list out;
    for (const CursorGroup& g : *groups)
        if (IsFilled(g)) out.append(GroupRef{doc, nullptr, &g});
    return out;
}

py::list Bitmaps(const SharedDoc& doc) {
    SharedDocument::Held held = doc->Hold();
    const std::vector<BitmapRecord>* bitmaps;
    {
        py::gil_scoped_release nogil;
        bitmaps = &held.Loaded(RecordKind::Bitmaps).Bitmaps;
    }
    py::list out;
    for (const BitmapRecord& b : *bitmaps)
        if (IsFilled(b)) out.append(BitmapRef{doc, &b});
    return out;
}

py::list Animations(const SharedDoc& doc) {
    SharedDocument::Held held = doc->Hold();
    const std::vector<AnimatedCursor>* animations;
    {
        py::gil_scoped_release nogil;
        animations = &held.Loaded(RecordKind::Animations).Animations;
    }
    py::list out;
    for (const AnimatedCursor& a : *animations) out.append(AnimationRef{doc, &a});
    return out;
}

py::bytes PngOrFail(const Bytes& png) {
    if (png.empty()) throw DecodeFailure{ReadErrorKind::Invalid, 0, "the picture could not be encoded as PNG"};
    return BytesOf(png);
}

// Each class is set to show as grabwell.X, where the package exports it, in
// signatures, reprs and help(), before its methods are defined: their
// signatures name it.
void BindRecords(py::module_& m) {
    py::class_<ReadError> readError(m, "ReadError", "What a read found damaged: kind, offset (the byte), message.");
    readError.attr("__module__") = "grabwell";
    readError
        .def_property_readonly("kind", [](const ReadError& e) { return ReadErrorKindName(e.kind); },
                               "\"io\", \"truncated\", \"invalid\", \"unsupported\" or \"over_budget\"")
        .def_readonly("offset", &ReadError::offset, "the byte of the file the damage is at")
        .def_property_readonly("message", [](const ReadError& e) { return Text(e.message); },
                               "what is wrong, as grabwell-cli says it after the kind and the byte")
        .def("describe", [](const ReadError& e) { return Text(e.Describe()); },
             "\"truncated at byte 3,000: ...\", as grabwell-cli says it")
        // An operator: compared with anything else it gives NotImplemented, so == is False, not TypeError.
        .def("__eq__", [](const ReadError& a, const ReadError& b) { return a == b; }, py::is_operator(), "other"_a)
        .def("__repr__", [](const ReadError& e) {
            return "<grabwell.ReadError " + std::string(ReadErrorKindName(e.kind)) + " at " +
                   std::to_string(e.offset) + ": " + ValidUtf8(e.message) + ">";
        });

    py::class_<ImageRef> image(m, "Image", "One image of an icon or cursor group or of an animation frame.");
    image.attr("__module__") = "grabwell";
    image
        .def_property_readonly("width", Open<ImageRef>([](const ImageRef& r) { return r.Width(); }),
                               "the width in pixels the entry states (256 for a stored 0)")
        .def_property_readonly("height", Open<ImageRef>([](const ImageRef& r) { return r.Height(); }),
                               "the height in pixels the picture is drawn at")
        .def_property_readonly("bit_count", Open<ImageRef>([](const ImageRef& r) { return r.BitCount(); }),
                               "bits per pixel the entry states")
        .def_property_readonly("colors", Open<ImageRef>([](const ImageRef& r) { return ColorCount(r.BitCount()); }),
                               "the number of colours the bit count gives, as info --json says it")
        .def_property_readonly("png", Open<ImageRef>([](const ImageRef& r) {
            const ByteView bytes = r.Data();
            // A cursor resource's PNG follows its hot-spot prefix.
            return IsPngData(bytes) ||
                   (!r.icon && bytes.size() > kHotspotPrefix && IsPngData(bytes.subspan(kHotspotPrefix)));
        }), "stored as PNG")
        .def_property_readonly("hotspot", Open<ImageRef>([](const ImageRef& r) -> std::optional<py::tuple> {
            if (!r.hotspot) return std::nullopt;
            return py::make_tuple(r.cursor->HotspotX, r.cursor->HotspotY);
        }), "(x, y) for a cursor image, None for an icon image")
        .def_property_readonly("missing", Open<ImageRef>([](const ImageRef& r) { return r.Missing(); }),
                               "the group names an image that is not in the file")
        .def_property_readonly("data", Open<ImageRef>([](const ImageRef& r) { return BytesOf(r.Data()); }),
                               "the bytes as stored")
        .def("rgba", [](const ImageRef& r) {
            std::string rgba;
            {
                SharedDocument::Held held = r.Hold();
                py::gil_scoped_release nogil;
                const std::vector<uint32_t> argb = IconPixels(*r.Decoded(held));
                if (argb.empty())
                    throw DecodeFailure{ReadErrorKind::Invalid, held.OffsetOf(r.Data()),
                                        "the decoded picture is malformed"};
                rgba = RgbaBytes(argb);
            }
            return py::bytes(rgba);
        }, "width x height x 4 bytes: R, G, B and straight alpha, top row first; DecodeError when it does not decode")
        .def("to_png", [](const ImageRef& r) {
            Bytes png;
            {
                SharedDocument::Held held = r.Hold();
                py::gil_scoped_release nogil;
                png = IconImagePng(*r.Decoded(held));
            }
            return PngOrFail(png);
        }, "the picture as a PNG file; DecodeError when it does not decode")
        .def("__repr__", Repr<ImageRef>("Image", [](const ImageRef& r) {
            return std::to_string(r.Width()) + "x" + std::to_string(r.Height()) + ", " +
                   CountText(r.BitCount(), "bit");
        }));

    py::class_<GroupRef> group(m, "Group", "An icon or cursor group.");
    group.attr("__module__") = "grabwell";
    group
        .def_property_readonly("type", Open<GroupRef>([](const GroupRef& r) { return r.icon ? "icon" : "cursor"; }),
                               "\"icon\" or \"cursor\"")
        .def_property_readonly("name", Open<GroupRef>([](const GroupRef& r) { return Text(r.Name()); }), kNameDoc)
        .def_property_readonly("id", Open<GroupRef>([](const GroupRef& r) { return IdOf(r.Name(), r.Named()); }),
                               kIdDoc)
        .def_property_readonly("named", Open<GroupRef>([](const GroupRef& r) { return r.Named(); }), kNamedDoc)
        .def_property_readonly("language", Open<GroupRef>([](const GroupRef& r) {
            return r.icon ? LanguageOf(*r.icon) : LanguageOf(*r.cursor);
        }), kLanguageDoc)
        .def_property_readonly("languages", Open<GroupRef>([](const GroupRef& r) {
            return r.icon ? r.icon->Languages : r.cursor->Languages;
        }), kLanguagesDoc)
        .def_property_readonly("images", Open<GroupRef>([](const GroupRef& r) {
            py::list out;
            if (r.icon)
                for (const IconImage& im : r.icon->Images) out.append(ImageRef{r.doc, &im, nullptr, false});
            else
                for (const CursorImage& im : r.cursor->Images) out.append(ImageRef{r.doc, nullptr, &im, true});
            return out;
        }), "its images (Image), in the group's order")
        .def("to_bytes", [](const GroupRef& r) {
            Bytes file;
            {
                SharedDocument::Held held = r.Hold();
                py::gil_scoped_release nogil;
                // Copying a group copies its records' pictures: nothing may decode meanwhile.
                file = held.Exclusive([&](Document&) {
                    return r.icon ? GroupSaveFile(*r.icon).bytes : GroupSaveFile(*r.cursor).bytes;
                });
            }
            return BytesOf(file);
        }, "the .ico or .cur file Save writes (the images that are in the file); b'' when none is")
        .def("__repr__", Repr<GroupRef>("Group", [](const GroupRef& r) {
            return std::string(r.icon ? "icon \"" : "cursor \"") + ValidUtf8(r.Name()) + "\"";
        }));

    py::class_<BitmapRef> bitmap(m, "Bitmap", "A bitmap.");
    bitmap.attr("__module__") = "grabwell";
    bitmap
        .def_property_readonly("name", Open<BitmapRef>([](const BitmapRef& r) { return Text(r.record->Name); }),
                               kNameDoc)
        .def_property_readonly("id", Open<BitmapRef>([](const BitmapRef& r) {
            return IdOf(r.record->Name, r.record->Named);
        }), kIdDoc)
        .def_property_readonly("named", Open<BitmapRef>([](const BitmapRef& r) { return r.record->Named; }),
                               kNamedDoc)
        .def_property_readonly("language", Open<BitmapRef>([](const BitmapRef& r) { return LanguageOf(*r.record); }),
                               kLanguageDoc)
        .def_property_readonly("languages", Open<BitmapRef>([](const BitmapRef& r) { return r.record->Languages; }),
                               kLanguagesDoc)
        .def_property_readonly("width", Open<BitmapRef>([](const BitmapRef& r) { return r.record->Width; }),
                               "the width in pixels")
        .def_property_readonly("height", Open<BitmapRef>([](const BitmapRef& r) { return r.record->Height; }),
                               "the height in pixels")
        .def_property_readonly("bit_count", Open<BitmapRef>([](const BitmapRef& r) {
            return PixelFormatBits(r.record->PixelFormat);
        }), "1, 4, 8, 15, 16, 24 or 32; 0 for the device and custom formats")
        .def_property_readonly("pixel_format", Open<BitmapRef>([](const BitmapRef& r) {
            return PixelFormatText(r.record->PixelFormat);
        }), "as info --json says it: \"1\" ... \"32\", \"device\", \"custom\"")
        .def("rgba", [](const BitmapRef& r) {
            std::string rgba;
            {
                SharedDocument::Held held = r.Hold();
                py::gil_scoped_release nogil;
                rgba = RgbaBytes(BitmapPixels(*r.Decoded(held)));
            }
            return py::bytes(rgba);
        }, "width x height x 4 bytes, top row first; opaque unless a 32-bit bitmap carries alpha; DecodeError "
           "when it does not decode")
        .def("to_bmp", [](const BitmapRef& r) {
            Bytes file;
            {
                SharedDocument::Held held = r.Hold();
                py::gil_scoped_release nogil;
                file = EncodeBmp(*r.Decoded(held), r.record->PixelFormat);
            }
            return BytesOf(file);
        }, "the .bmp file Save writes, in the bitmap's own pixel format; DecodeError when it does not decode")
        .def("to_png", [](const BitmapRef& r) {
            Bytes png;
            {
                SharedDocument::Held held = r.Hold();
                py::gil_scoped_release nogil;
                const std::shared_ptr<Bitmap> picture = r.Decoded(held);
                png = EncodePng(picture->width, picture->height, BitmapPixels(*picture));
            }
            return PngOrFail(png);
        }, "the pixels rgba() gives as a PNG file; DecodeError when it does not decode")
        .def("__repr__", Repr<BitmapRef>("Bitmap", [](const BitmapRef& r) {
            return "\"" + ValidUtf8(r.record->Name) + "\" " + std::to_string(r.record->Width) + "x" +
                   std::to_string(r.record->Height);
        }));

    py::class_<AnimationRef> animation(m, "Animation", "An animated cursor or icon.");
    animation.attr("__module__") = "grabwell";
    animation
        .def_property_readonly("type", Open<AnimationRef>([](const AnimationRef& r) {
            return r.record->AnimatedIcon ? "icon" : "cursor";
        }), "\"cursor\", or \"icon\" when its frames are icons")
        .def_property_readonly("name", Open<AnimationRef>([](const AnimationRef& r) { return Text(r.record->Name); }),
                               kNameDoc)
        .def_property_readonly("id", Open<AnimationRef>([](const AnimationRef& r) {
            return IdOf(r.record->Name, r.record->Named);
        }), kIdDoc)
        .def_property_readonly("named", Open<AnimationRef>([](const AnimationRef& r) { return r.record->Named; }),
                               kNamedDoc)
        .def_property_readonly("language",
                               Open<AnimationRef>([](const AnimationRef& r) { return LanguageOf(*r.record); }),
                               kLanguageDoc)
        .def_property_readonly("languages",
                               Open<AnimationRef>([](const AnimationRef& r) { return r.record->Languages; }),
                               kLanguagesDoc)
        .def_property_readonly("frames", Open<AnimationRef>([](const AnimationRef& r) {
            py::list frames;
            for (const AnimationFrame& f : r.record->Frames) {
                py::list images;
                for (const CursorImage& im : f.Images.Images) images.append(ImageRef{r.doc, nullptr, &im, f.IsCursor});
                frames.append(images);
            }
            return frames;
        }), "each frame's images (a list of Image per frame)")
        .def_property_readonly("rates_ms", Open<AnimationRef>([](const AnimationRef& r) {
            std::vector<uint32_t> rates;
            for (const uint32_t jiffies : r.record->StepRates) rates.push_back(JiffiesToMs(jiffies));
            return rates;
        }), "each step's time in milliseconds")
        .def_property_readonly("default_rate_ms", Open<AnimationRef>([](const AnimationRef& r) {
            return JiffiesToMs(r.record->DefaultRate);
        }), "the rate the header states, in milliseconds: each step's time when the file gives no rates")
        .def_property_readonly("sequence",
                               Open<AnimationRef>([](const AnimationRef& r) { return r.record->StepFrames; }),
                               "the frame each step shows")
        .def_property_readonly("title",
                               Open<AnimationRef>([](const AnimationRef& r) { return Text(r.record->Title); }),
                               "the title the file gives; \"\" when none")
        .def_property_readonly("artist",
                               Open<AnimationRef>([](const AnimationRef& r) { return Text(r.record->Artist); }),
                               "the artist the file names; \"\" when none")
        .def("to_bytes", [](const AnimationRef& r) {
            const SharedDocument::Held held = r.Hold();
            return BytesOf(AnimationSaveFile(*r.record).bytes);
        }, "the .ani file Save writes (the animation whole, as stored)")
        .def("__repr__", Repr<AnimationRef>("Animation", [](const AnimationRef& r) {
            return "\"" + ValidUtf8(r.record->Name) + "\", " + CountText(r.record->Frames.size(), "frame");
        }));
}

void BindDocument(py::module_& m) {
    py::class_<SharedDocument, SharedDoc> document(m, "Document",
        "One file opened once (grabwell.open, grabwell.from_bytes): its kind and counts, its records read on "
        "first access, and what is damaged.\n\n"
        "close() lets the file go, as does leaving a with block over it; after that every use of the document "
        "or of its groups, images, bitmaps and animations raises ValueError (what they returned already, such "
        "as bytes, stays). A call in progress in another thread finishes first.");
    document.attr("__module__") = "grabwell";
    document
        .def_property_readonly("path", [](const SharedDocument& d) -> std::optional<py::str> {
            if (d.Path().empty()) return std::nullopt;
            return FsText(d.Path());
        }, "the path as os.fsdecode gives it, or the name given to from_bytes; None for bytes without a name")
        .def_property_readonly("closed", &SharedDocument::Closed, "close() was called")
        .def_property_readonly("kind", [](SharedDocument& d) { return FileKindText(d.Hold().Kind()); },
                               "\"Icon File\", \"PE File\", \"Non Executable\", ... as info --json says it")
        .def_property_readonly("resources_from", [](SharedDocument& d) -> std::optional<py::str> {
            std::string from;
            {
                SharedDocument::Held held = d.Hold();
                py::gil_scoped_release nogil;
                from = held.Exclusive([](Document& doc) { return doc.ResourcesFrom(); });
            }
            if (from.empty()) return std::nullopt;
            return FsText(from);
        }, "the resource file (SystemResources/<name>.mun) a language-neutral library's images are read from; "
           "None when they come from the file itself")
        .def_property_readonly("counts", [](SharedDocument& d) {
            const FileCounts c = d.Hold().Counts();
            return py::dict("icon_groups"_a = c.iconGroups, "cursor_groups"_a = c.cursorGroups, "bitmaps"_a = c.bitmaps,
                            "animations"_a = c.animations);
        }, "{\"icon_groups\", \"cursor_groups\", \"bitmaps\", \"animations\"}: how many of each, from the headers "
           "alone")
        .def_property_readonly("icon_groups", &IconGroups,
                               "the icon groups (Group) that hold images, read on first use")
        .def_property_readonly("cursor_groups", &CursorGroups,
                               "the cursor groups (Group) that hold images, read on first use")
        .def_property_readonly("bitmaps", &Bitmaps, "the bitmaps (Bitmap) whose header decodes, read on first use")
        .def_property_readonly("animations", &Animations,
                               "the animated cursors and icons (Animation), read on first use")
        .def_property_readonly("errors", [](SharedDocument& d) {
            SharedDocument::Held held = d.Hold();
            py::gil_scoped_release nogil;
            return held.AllErrors();
        }, "every record kind read, then what is damaged and where: a list of ReadError")
        .def_property_readonly("version", [](SharedDocument& d) -> py::object {
            std::optional<std::string> line;
            {
                SharedDocument::Held held = d.Hold();
                py::gil_scoped_release nogil;
                line = held.Exclusive([](Document& doc) -> std::optional<std::string> {
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
                SharedDocument::Held held = d.Hold();
                py::gil_scoped_release nogil;
                line = held.Exclusive(
                    [&](Document& doc) { return InfoJsonLine(d.Path(), doc, InfoOptions{decode, hash}); });
            }
            return Typed<"dict[str, typing.Any]">{py::module_::import("json").attr("loads")(py::bytes(line))};
        }, "decode"_a = false, "hash"_a = false,
           "The object grabwell-cli info --json prints for the file (decode=True: --decode, hash=True: --hash); "
           "its \"path\" is \"\" for bytes without a name.")
        .def("close", &SharedDocument::Close,
             "Lets the file go; every later use of the document or its records raises ValueError. Closing a "
             "closed document does nothing.")
        .def("__enter__", [](const SharedDoc& d) {
            d->Hold(); // a closed document cannot be entered, as a closed file cannot
            return d;
        }, "Returns the document; ValueError when it is closed.")
        .def("__exit__", [](SharedDocument& d, const Typed<"type[BaseException] | None">&,
                            const Typed<"BaseException | None">&, const Typed<"types.TracebackType | None">&) {
            d.Close();
        }, "exc_type"_a, "exc_value"_a, "traceback"_a, "Closes the document; an exception goes on.")
        .def("__repr__", [](SharedDocument& d) {
            const std::string name = d.Path().empty() ? "(bytes)" : py::repr(FsText(d.Path())).cast<std::string>();
            try {
                return "<grabwell.Document " + name + ", " + FileKindText(d.Hold().Kind()) + ">";
            } catch (const DocumentClosed&) {
                return "<grabwell.Document " + name + ", closed>";
            }
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
py::str Written(const Outcome& outcome) {
    if (outcome.ok) return FsText(outcome.written);
    if (outcome.systemError != 0) {
        const py::object filename =
            outcome.systemErrorPath.empty() ? py::object(py::none()) : py::object(FsText(outcome.systemErrorPath));
        RaiseOsError(outcome.systemError, std::strerror(outcome.systemError), filename);
    }
    RaiseWriteError(outcome.error, outcome.refusedSigned);
}

py::str SetGroup(GroupKind kind, const py::object& program, const py::object& image, const py::object& output,
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
        [](const PathArg& program, const PathArg& ico, const OptionalPathArg& output, bool inPlace,
           const GroupArg& group, const LanguageArg& language, bool stripSignature, bool addGroup,
           bool ignoreInstallerCheck) {
            return SetGroup(GroupKind::Icon, program.value, ico.value, output.value, inPlace, group.value,
                            language.value, stripSignature, addGroup, ignoreInstallerCheck);
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
        [](const PathArg& program, const PathArg& cur, const OptionalPathArg& output, bool inPlace,
           const GroupArg& group, const LanguageArg& language, bool stripSignature, bool addGroup,
           bool ignoreInstallerCheck) {
            return SetGroup(GroupKind::Cursor, program.value, cur.value, output.value, inPlace, group.value,
                            language.value, stripSignature, addGroup, ignoreInstallerCheck);
        },
        "program"_a, "cur"_a, "output"_a = py::none(), "in_place"_a = false, "group"_a = py::none(),
        "language"_a = py::none(), "strip_signature"_a = false, "add_group"_a = false,
        "ignore_installer_check"_a = false,
        "The same as set_icon for a cursor group from a .cur file, hot spots kept.");
    m.def(
        "set_version",
        [](const PathArg& program, const OptionalPathArg& output, bool inPlace, const OptionalTextArg& fileVersion,
           const OptionalTextArg& productVersion, const Typed<"collections.abc.Mapping[str, str] | None">& strings,
           const LanguageArg& language, bool stripSignature, bool ignoreInstallerCheck) {
            SetVersionRequest request;
            request.program = FsPath(program.value);
            TargetOf(output.value, inPlace, request.output);
            request.inPlace = inPlace;
            request.stripSignature = stripSignature;
            request.ignoreInstallerCheck = ignoreInstallerCheck;
            request.language = LanguageArgument(language.value);
            if (!fileVersion.value.is_none()) request.fileVersion = TextArgument(fileVersion.value, "file_version");
            if (!productVersion.value.is_none())
                request.productVersion = TextArgument(productVersion.value, "product_version");
            request.strings = StringsArgument(strings.value);
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
    m.def("open", [](const PathArg& path, const LanguageArg& language) {
        return OpenShared(path.value, LanguageArgument(language.value));
    }, "path"_a, "language"_a = py::none(),
       "Opens the file at path (str, bytes or os.PathLike) as a Document. A file that cannot be read raises "
       "OSError (FileNotFoundError, PermissionError, IsADirectoryError ...); damage never raises. language "
       "(a LANGID: an int such as 0x0409, or a str such as \"1033\" or \"0x409\"): records held in it are read "
       "in it, as info --language reads them. The Document is a context manager: a with block closes it.");

    m.def("from_bytes", [](const Typed<"bytes | bytearray | memoryview">& data, const OptionalPathArg& name,
                           const LanguageArg& language) {
        return FromBytes(data.value, name.value, LanguageArgument(language.value));
    }, "data"_a, "name"_a = py::none(), "language"_a = py::none(),
       "A Document over a file already in memory: data is any bytes-like object (bytes, bytearray, memoryview "
       "...), copied. name (str, bytes or os.PathLike) is the file's name, taken as open takes a path: only "
       "executables and libraries are known by their bytes alone; an icon file needs a name ending in .ico, a "
       "cursor .cur, a bitmap .bmp, an animated cursor .ani and a resource file .res, .r32, .r16 or .dcr. It is "
       "also Document.path and names an icon or cursor file's group. language: as for open. Damage never "
       "raises.");

    m.def("best_icon", [](const PathArg& path, int size) {
        if (size < 1 || size > kMaxThumbnailSize)
            throw py::value_error("size must be 1 .. " + std::to_string(kMaxThumbnailSize));
        const std::string bytes = FsPath(path.value);
        std::optional<OpenFailure> failure;
        std::optional<Bytes> png;
        {
            py::gil_scoped_release nogil;
            failure = WhyUnreadable(bytes);
            if (!failure) png = ThumbnailPng(bytes, size);
        }
        if (failure) RaiseOsError(*failure, path.value);
        return Typed<"bytes | None">{png ? py::object(BytesOf(*png)) : py::object(py::none())};
    }, "path"_a, "size"_a = 256,
       "The PNG the thumbnailer draws for the file at that size (at most size x size), or None when the file "
       "has no icon that decodes.");

    m.def("read_shortcut", [](const PathArg& path) {
        const std::string bytes = FsPath(path.value);
        std::optional<OpenFailure> failure;
        std::string line;
        bool shortcut = false;
        {
            py::gil_scoped_release nogil;
            failure = WhyUnreadable(bytes);
            if (!failure) {
                const Shortcut read = ReadShortcut(bytes);
                shortcut = !(read.error && read.error->kind == ReadErrorKind::Invalid && read.error->offset == 0 &&
                             read.link.linkFlags == 0 && read.link.targetPath.empty());
                line = DumpJsonLine(ShortcutJsonObject(read));
            }
        }
        if (failure) RaiseOsError(*failure, path.value);
        if (!shortcut) throw py::value_error(ValidUtf8(bytes) + " is not a Windows shortcut (.lnk)");
        return Typed<"dict[str, typing.Any]">{py::module_::import("json").attr("loads")(py::bytes(line))};
    }, "path"_a,
       "What a Windows shortcut (.lnk) starts and the icon it shows, as grabwell-cli info --json says it: "
       "target, arguments, working_folder, description, icon_location {file, index, from_target}, each path "
       "as stored (..._windows) and as a Linux path in the Wine prefix the shortcut lies in (None when it "
       "cannot be told), wine_prefix, and errors for damage. OSError when the file cannot be read, ValueError "
       "when it is no shortcut.");

    m.def("icon_location", [](const Typed<"str">& location, const OptionalPathArg& winePrefix) {
        const std::optional<IconLocation> parsed = ParseIconLocation(TextArgument(location.value, "location"));
        if (!parsed) throw py::value_error("not an icon location (FILE,INDEX): " + py::repr(location.value).cast<std::string>());
        const std::string prefix = winePrefix.value.is_none() ? DefaultWinePrefix() : FsPath(winePrefix.value);
        const std::string file = IconFileOnLinux(prefix, parsed->path);
        if (file.empty())
            throw py::value_error("\"" + parsed->path + "\" is a Windows path and " +
                                  (prefix.empty() ? std::string("no Wine prefix is known (give wine_prefix)")
                                                  : "the Wine prefix " + prefix + " does not map its drive"));
        const SharedDoc doc = OpenShared(py::str(file));
        SharedDocument::Held held = doc->Hold();
        const IconGroup* group = nullptr;
        {
            py::gil_scoped_release nogil;
            group = PickIconGroup(held.Loaded(RecordKind::Icons), parsed->index);
        }
        if (!group) return Typed<"Group | None">{py::none()};
        return Typed<"Group | None">{py::cast(GroupRef{doc, group, nullptr})};
    }, "location"_a, "wine_prefix"_a = py::none(),
       "The icon group a Windows icon location names, \"FILE,INDEX\" as shortcuts and the registry write it: "
       "an INDEX of 0 or more counts the file's icon groups in order, a negative INDEX is the group whose id "
       "is -INDEX. FILE may be a Windows path (\"%SystemRoot%/system32/shell32.dll,-3\"), found in wine_prefix "
       "(default: $WINEPREFIX, else ~/.wine). None when the file holds no such group; OSError when it cannot "
       "be read; ValueError for a location that is not one.");

    m.def("icon_hash", [](const PathArg& path) {
        const SharedDoc doc = OpenShared(path.value);
        std::optional<IconHash> hash;
        {
            SharedDocument::Held held = doc->Hold();
            py::gil_scoped_release nogil;
            hash = held.Exclusive([](Document& d) { return IconHashOf(d); });
        }
        if (!hash) return Typed<"dict[str, str] | None">{py::none()};
        return Typed<"dict[str, str] | None">{
            py::dict("raw_md5"_a = hash->rawMd5, "ico_md5"_a = hash->icoMd5, "dhash"_a = hash->dhash)};
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
        } catch (const DocumentClosed&) {
            PyErr_SetString(PyExc_ValueError, "the document is closed");
        }
    });

    BindRecords(m);
    BindDocument(m);
    BindFunctions(m);
    BindWriters(m);
}
