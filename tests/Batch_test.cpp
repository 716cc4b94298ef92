// Batch extraction: output names, the "Already exists" rule, the wizard over
// each listing and over a folder tree, "Save all Bitmaps", and grabwell-cli wizard.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>

#include "batch/core/BatchWriter.h"
#include "platform/FileIo.h"
#include "batch/core/OutputNames.h"
#include "batch/core/Progress.h"
#include "batch/core/SaveAllBitmaps.h"
#include "batch/core/ScriptedPrompts.h"
#include "batch/core/Wizard.h"
#include "listing/Categories.h"
#include "explorer/core/ListRules.h"
#include "listing/Scanners.h"
#include "formats/FileContents.h"
#include "platform/BmpCodec.h"
#include "platform/Display.h"
#include "platform/ReadError.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

const uint32_t kKeyArgb = ArgbFromColor(KeyColor);

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void Put(const std::string& path, const Bytes& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(WriteFile(path, bytes)) << path;
}

// The explorer's rows for a folder in a category, in its start order (by name).
struct Listed {
    std::vector<ListRow> rows;
    int dirCount = 0;
    int fileCount = 0;
};
Listed ListAs(const std::string& folder, const std::string& category) {
    ScanResult scan = RunScanner(folder, *FindCategory(category), {});
    std::stable_sort(scan.rows.begin(), scan.rows.end(),
                     [](const ListRow& a, const ListRow& b) { return ListViewCompare(a, b, SortMode::ByName, 1) < 0; });
    return {std::move(scan.rows), scan.dirCount, scan.fileCount};
}

struct RecordingProgress : BatchProgress {
    std::vector<std::string> events;
    std::vector<int> percents;
    std::vector<std::string> labels;
    void CountingStarted() override { events.push_back("count"); }
    void CountingFinished() override { events.push_back("/count"); }
    void ProcessingStarted() override { events.push_back("process"); }
    void Advance(int percent, const std::string& label) override {
        percents.push_back(percent);
        if (!label.empty()) labels.push_back(label);
    }
    void ProcessingFinished() override { events.push_back("/process"); }
};

WizardResult Wizard(const Listed& listed, const std::string& folder, Listing listing, const WizardOptions& options,
                    ActionFlags& flags, BatchProgress& progress) {
    WizardRequest request;
    request.CurrentDir = folder;
    request.listing = listing;
    request.rows = listed.rows;
    request.ContainerCount = listed.fileCount;
    request.DirCount = listed.dirCount;
    return RunWizard(request, options, flags, progress);
}

bool AllClear(const ActionFlags& f) {
    return !f.ActionAnswered && !f.ActionSkip && !f.ActionOverwrite && !f.ActionAutoRename && !f.ActionAllOthers;
}

// The colour of palette index i in the builder's default ramp, as ARGB.
uint32_t Ramp(int bits, int i) {
    const uint32_t v = uint32_t(i * 255 / ((1 << bits) - 1)) & 0xFF;
    return 0xFF000000u | (v << 16) | ((255 - v) << 8) | uint32_t((i * 37) & 0xFF);
}

Bitmap ReadBmp(const std::string& path) { return DecodeBmp(ReadFile(path)); }

using Check = std::function<void(const std::string& path)>;

Check IcoBytes(const Bytes& expected) {
    return [expected](const std::string& path) { EXPECT_EQ(ReadFile(path), expected) << path; };
}

// An icon or cursor image converted to a bitmap: its size, the pixel format
// of its bit count, key colour where it is transparent, and one opaque pixel.
Check ConvertedBmp(int size, PixelFormat format, int transparentFromX, int x, int y, uint32_t argb) {
    return [=](const std::string& path) {
        const Bitmap b = ReadBmp(path);
        ASSERT_EQ(b.width, size) << path;
        ASSERT_EQ(b.height, size) << path;
        EXPECT_EQ(b.pixelFormat, format) << path;
        EXPECT_EQ(b.Pixel(size - 1, 0), transparentFromX < size ? kKeyArgb : b.Pixel(size - 1, 0)) << path;
        EXPECT_EQ(b.Pixel(0, size - 1), kKeyArgb) << path; // the bottom-left pixel carries the key colour
        EXPECT_EQ(b.Pixel(x, y), argb) << path;
    };
}

Check SameBitmap(const Bytes& dib, PixelFormat format) {
    return [dib, format](const std::string& path) {
        const Bitmap written = ReadBmp(path), source = DecodeDib(dib);
        EXPECT_EQ(written.pixelFormat, format) << path;
        EXPECT_EQ(written.width, source.width) << path;
        EXPECT_EQ(written.pixels, source.pixels) << path;
    };
}

// Every output a container of the batch fixtures gives for a listing.
std::map<std::string, Check> ExpectedOutputs(ObjectKind kind, bool asBitmaps, bool resources,
                                             const std::string& prefix) {
    const BatchImages& im = TheBatchImages();
    std::map<std::string, Check> out;
    const uint16_t planes = resources ? 0 : 1;
    if (kind == ObjectKind::Icons && !asBitmaps) {
        out[prefix + "_0_0.ico"] = IcoBytes(ExpectedIco(im.icon4, 16, 16, planes, 4));
        out[prefix + "_0_1.ico"] = IcoBytes(ExpectedIco(im.icon8, 32, 32, planes, 8));
        out[prefix + "_1_0.ico"] = IcoBytes(ExpectedIco(im.icon24, 16, 16, planes, 24));
    } else if (kind == ObjectKind::Icons) {
        out[prefix + "_0_0.bmp"] = ConvertedBmp(16, PixelFormat::Bits4, 8, 1, 2, Ramp(4, 3));
        out[prefix + "_0_1.bmp"] = ConvertedBmp(32, PixelFormat::Bits8, 32, 5, 9, Ramp(8, 14));
        // 24 bits: the device format, here a display of 24 bits.
        const uint32_t pixel32 = 0xFF000000u | (0x102030 + 3 * 0x10 + 2 * 0x1000);
        out[prefix + "_1_0.bmp"] = ConvertedBmp(16, PixelFormat::Bits24, 16, 3, 2, pixel32);
    } else if (kind == ObjectKind::Cursors && !asBitmaps) {
        out[prefix + "_0_0.cur"] = IcoBytes(ExpectedCur(im.cursor1, 32, 32));
    } else if (kind == ObjectKind::Cursors) {
        // A 1-bit cursor becomes a 4-bit bitmap.
        out[prefix + "_0_0.bmp"] = ConvertedBmp(32, PixelFormat::Bits4, 16, 1, 0, 0xFFFFFFFFu);
    } else {
        out[prefix + "_0.bmp"] = SameBitmap(im.bitmap24, PixelFormat::Bits24);
        out[prefix + "_1.bmp"] = SameBitmap(im.bitmap8, PixelFormat::Bits8);
    }
    return out;
}

} // namespace

TEST(BatchNames, OutputNamesStayInsideTheTargetAndFollowTheSourceName) {
    EXPECT_EQ(SafeBaseName("../../x"), ".._.._x");
    EXPECT_EQ(SafeBaseName(".."), "_..");
    EXPECT_EQ(SafeBaseName(""), "_");
    EXPECT_EQ(SafeBaseName(std::string("a\nb\0c", 5)), "a_b_c");
    EXPECT_LE(SafeBaseName(std::string(400, 'n')).size(), 200u);
    // Long names are cut between characters, and no whole character is lost.
    std::string kana;
    for (int i = 0; i < 100; ++i) kana += "\u30A2"; // 3 bytes each
    EXPECT_EQ(SafeBaseName(kana).size(), 198u);
    EXPECT_EQ(SafeBaseName("x" + kana).size(), 199u);
    EXPECT_EQ(SafeBaseName("A\u0085B\u00E9"), "A_B\u00E9"); // a C1 control character goes, letters stay
    EXPECT_EQ(SafeBaseName("caf\xE9"), "caf\xE9");           // a file system's own bytes stay

    EXPECT_EQ(WizardPrefixBase("Shell32.DLL"), "shell32dll");
    EXPECT_EQ(WizardPrefixBase("my.icons.dll"), "mydll");
    EXPECT_EQ(WizardPrefixBase("a.dllx"), "adll");
    EXPECT_EQ(WizardPrefixBase("README"), "readme");
    EXPECT_EQ(LowerBaseName("Logo.Small.BMP"), "logo");
    EXPECT_EQ(OutputName("/out", "a", ".ico"), OutputName("/out/", "a", ".ico"));

    // Sorted file lists: letters without case, a prefix first, then byte order.
    EXPECT_LT(CompareListNames("abc.dll", "ABD.dll"), 0);
    EXPECT_LT(CompareListNames("ab", "abc"), 0);
    EXPECT_LT(CompareListNames("A.dll", "a.dll"), 0);
    EXPECT_EQ(CompareListNames("a.dll", "a.dll"), 0);
}

TEST(ExistingFileRule, AutoRenameFindsTheFirstFreeNameAndFoldersCountAsTaken) {
    TempDir dir;
    for (const char* name : {"a.ico", "a_.ico", "a__.ico"}) Put(dir.file(name), {1});
    fs::create_directory(dir.file("b_.ico"));
    Put(dir.file("b.ico"), {1});
    ActionFlags flags;
    ScriptedPrompts prompts;
    prompts.existingAnswers = {{ExistingAction::AutoRename, true}};
    BatchWriter writer(dir.path() + "/", flags, &prompts);
    EXPECT_EQ(writer.Write("a", ".ico", Bytes{2}), WriteOutcome::Written);
    EXPECT_EQ(writer.Write("b", ".ico", Bytes{3}), WriteOutcome::Written);
    EXPECT_EQ(writer.Write("a", ".ico", Bytes{4}), WriteOutcome::Written);
    EXPECT_EQ(ReadFile(dir.file("a___.ico")), Bytes{2});
    EXPECT_EQ(ReadFile(dir.file("b__.ico")), Bytes{3});
    EXPECT_EQ(ReadFile(dir.file("a____.ico")), Bytes{4});
    // One question, and it named the file that exists, not the new name.
    EXPECT_EQ(prompts.existingShown, std::vector<std::string>{dir.file("a.ico")});
    EXPECT_EQ(ReadFile(dir.file("a.ico")), Bytes{1});
    writer.End();
    EXPECT_TRUE(AllClear(flags));
}

TEST(ExistingFileRule, TheAnswerHoldsForTheBatchOnlyWhenAllOthersIsYes) {
    TempDir dir;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) Put(dir.file(name), {1});
    ActionFlags flags; // program start: Skip, nothing answered
    ScriptedPrompts prompts;
    prompts.existingAnswers = {{ExistingAction::Overwrite, false}, {ExistingAction::Skip, true},
                               {ExistingAction::Skip, true}};
    {
        BatchWriter writer(dir.path(), flags, &prompts);
        EXPECT_EQ(writer.Write("new", ".bmp", Bytes{9}), WriteOutcome::Written);
        EXPECT_TRUE(prompts.existingShown.empty()) << "no question for a name that is free";
        EXPECT_EQ(writer.Write("a", ".bmp", Bytes{2}), WriteOutcome::Written);
        EXPECT_EQ(writer.Write("b", ".bmp", Bytes{3}), WriteOutcome::Skipped);
        EXPECT_EQ(writer.Write("c", ".bmp", Bytes{4}), WriteOutcome::Skipped); // no question: "All others"
        EXPECT_EQ(writer.Stats().filesSkipped, 2);
    } // the batch ends with the writer
    ASSERT_EQ(prompts.existingShown.size(), 2u);
    EXPECT_EQ(prompts.existingFlags[0].ActionSkip, 1);     // the start value preselects Skip
    EXPECT_EQ(prompts.existingFlags[1].ActionOverwrite, 1); // the last answer preselected
    EXPECT_EQ(prompts.existingFlags[1].ActionAllOthers, 0);
    EXPECT_EQ(ReadFile(dir.file("a.bmp")), Bytes{2});
    EXPECT_EQ(ReadFile(dir.file("c.bmp")), Bytes{1});
    EXPECT_TRUE(AllClear(flags));

    // The next batch asks again, with "All others" back to "No".
    BatchWriter next(dir.path(), flags, &prompts);
    EXPECT_EQ(next.Write("c", ".bmp", Bytes{5}), WriteOutcome::Skipped);
    ASSERT_EQ(prompts.existingShown.size(), 3u);
    EXPECT_TRUE(AllClear(prompts.existingFlags[2]));
}

TEST(ExistingFileRule, FoldersHostileNamesAndFailedWrites) {
    TempDir dir;
    const std::string out = dir.file("out");
    fs::create_directories(out + "/x.ico");
    ActionFlags flags;
    ScriptedPrompts prompts;
    prompts.fallbackAnswer = {ExistingAction::Overwrite, true};
    {
        BatchWriter writer(out, flags, &prompts);
        // A folder where Overwrite would write is passed over with a note.
        EXPECT_EQ(writer.Write("x", ".ico", Bytes{1}), WriteOutcome::Skipped);
        ASSERT_EQ(writer.Notes().size(), 1u);
        EXPECT_NE(writer.Notes()[0].find(out + "/x.ico"), std::string::npos);
        // A name from inside a file cannot leave the target.
        EXPECT_EQ(writer.Write("../../x", ".ico", Bytes{2}), WriteOutcome::Written);
        EXPECT_EQ(ReadFile(out + "/.._.._x.ico"), Bytes{2});
        EXPECT_FALSE(fs::exists(dir.path() + "/../x.ico"));
    }
    // A failed write ends the batch with a message naming the file; the flags are cleared.
    flags.ActionOverwrite = flags.ActionAnswered = 1;
    BatchWriter writer(dir.file("missing"), flags, &prompts);
    EXPECT_EQ(writer.Write("a", ".ico", Bytes{1}), WriteOutcome::Failed);
    EXPECT_NE(writer.Error().find(dir.file("missing") + "/a.ico"), std::string::npos);
    EXPECT_EQ(writer.Write("b", ".ico", Bytes{1}), WriteOutcome::Failed);
    writer.End();
    EXPECT_TRUE(AllClear(flags));
}

TEST(ExistingFileRule, OutputFilesAreWrittenWholeAndReplacedOnlyWhenAsked) {
    TempDir dir;
    const std::string path = dir.file("a.ico");
    EXPECT_EQ(WriteFileAtomic(path, Bytes{1, 2}, false), "");
    EXPECT_NE(WriteFileAtomic(path, Bytes{3}, false).find(path), std::string::npos);
    EXPECT_EQ(ReadFile(path), (Bytes{1, 2}));
    EXPECT_EQ(WriteFileAtomic(path, Bytes{3}, true), "");
    EXPECT_EQ(ReadFile(path), Bytes{3});
    EXPECT_NE(WriteFileAtomic(dir.file("none/b.ico"), Bytes{1}, false).find(dir.file("none/b.ico")), std::string::npos);
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"a.ico"}) << "no temporary file may stay";
}

TEST(Wizard, WritesEveryImageOfEachListingInBothForms) {
    DisplayDepth depth(24);
    TempDir dir;
    const std::string src = dir.file("src");
    Put(src + "/App.EXE", BuildBatchPe());
    Put(src + "/old16.dll", BuildBatchNe());
    Put(src + "/pics.res", BuildBatchRes32());
    Put(src + "/old.r16", BuildBatchRes16());
    Put(src + "/comp.dcr", BuildBatchRes32());
    Put(src + "/solo.ico", BuildIcoFile({{TheBatchImages().icon4}}));
    Put(src + "/notes.txt", Bytes(100, 'x'));
    Put(src + "/sub/other.dll", BuildBatchPe()); // only a recursive run reads it

    struct Case {
        ObjectKind kind;
        bool resources;
        std::vector<std::string> prefixes;
    };
    const std::vector<Case> cases = {
        {ObjectKind::Icons, false, {"appexe", "old16dll"}},
        {ObjectKind::Cursors, false, {"appexe", "old16dll"}},
        {ObjectKind::Bitmaps, false, {"appexe", "old16dll"}},
        {ObjectKind::Icons, true, {"picsres", "oldr16"}},
        {ObjectKind::Cursors, true, {"picsres", "oldr16"}},
        {ObjectKind::Bitmaps, true, {"compdcr", "picsres", "oldr16"}},
    };
    for (const Case& c : cases) {
        for (bool asBitmaps : {false, true}) {
            if (c.kind == ObjectKind::Bitmaps && !asBitmaps) continue;
            const Listing listing{c.kind, c.resources};
            SCOPED_TRACE(ListingName(listing) + (asBitmaps ? " as bitmaps" : ""));
            const std::string out = dir.file("out-" + std::to_string(int(c.kind)) + std::to_string(c.resources) +
                                             std::to_string(asBitmaps));
            fs::create_directory(out);
            WizardOptions options;
            options.ExtractionDir = out;
            options.AsBitmaps = asBitmaps || c.kind == ObjectKind::Bitmaps;
            options.AsIcons = c.kind == ObjectKind::Icons && !asBitmaps;
            options.AsCursors = c.kind == ObjectKind::Cursors && !asBitmaps;
            ActionFlags flags;
            RecordingProgress progress;
            const WizardResult r =
                Wizard(ListAs(src, ListingName(listing)), src, listing, options, flags, progress);
            ASSERT_TRUE(r.ok) << r.error;
            EXPECT_EQ(r.filesRead, int64_t(c.prefixes.size()));

            std::map<std::string, Check> expected;
            for (const std::string& prefix : c.prefixes)
                expected.merge(ExpectedOutputs(c.kind, asBitmaps, c.resources, prefix));
            std::vector<std::string> names;
            for (const auto& [name, check] : expected) names.push_back(name);
            ASSERT_EQ(NamesIn(out), names);
            for (const auto& [name, check] : expected) check(out + "/" + name);
            EXPECT_EQ(progress.events, (std::vector<std::string>{"process", "/process"}));
            EXPECT_EQ(progress.percents.back(), 100);
            EXPECT_TRUE(AllClear(flags));
        }
    }
}

TEST(Wizard, ListedFolderReplacesOldFilesAndTheTreeWalkRenames) {
    TempDir dir;
    const std::string src = dir.file("src"), out = dir.file("out");
    const Bytes pe = BuildBatchPe();
    for (const char* name : {"shell32.dll", "My.Icons.dll", "My.dll", "a/shell32.dll", "a/icons.ico",
                             "a/deep/shell32.dll", "b/Shell32.DLL", ".hidden/shell32.dll"})
        Put(src + "/" + name, pe);
    fs::create_directory_symlink("..", src + "/a/loop"); // a cycle back to the listed folder
    Put(out + "/shell32dll_0_0.ico", Bytes{7});          // from an earlier run: replaced
    Put(out + "/mydll_0_0.ico", Bytes{7});

    WizardOptions options;
    options.ExtractionDir = out;
    options.AsIcons = true;
    options.RecurseDirs = true;
    ActionFlags flags;
    RecordingProgress progress;
    const Listing listing{ObjectKind::Icons, false};
    const WizardResult r = Wizard(ListAs(src, "Icon Files"), src, listing, options, flags, progress);
    ASSERT_TRUE(r.ok) << r.error;

    const Bytes first = ExpectedIco(TheBatchImages().icon4, 16, 16, 1, 4);
    EXPECT_EQ(ReadFile(out + "/shell32dll_0_0.ico"), first);
    // My.dll comes first and replaces the old file; My.Icons.dll has the same
    // prefix and must not replace what this run just wrote.
    EXPECT_EQ(ReadFile(out + "/mydll_0_0.ico"), first);
    EXPECT_EQ(ReadFile(out + "/mydll_0_0_.ico"), first);
    // Sub-folders, depth first: .hidden (read, as find reads it), a, a/deep,
    // b; each copy one "_" more.
    for (const char* renamed :
         {"shell32dll_0_0_.ico", "shell32dll_0_0__.ico", "shell32dll_0_0___.ico", "shell32dll_0_0____.ico"})
        EXPECT_EQ(ReadFile(out + "/" + renamed), first) << renamed;
    EXPECT_FALSE(fs::exists(out + "/shell32dll_0_0_____.ico")) << "the link cycle was walked";
    EXPECT_EQ(NamesIn(out).size(), 7u * 3u);
    EXPECT_EQ(r.filesRead, 7);

    // 3 listed files + sub-folders .hidden, a, deep, b + their 5 files.
    EXPECT_EQ(r.tree.dirs, 4);
    EXPECT_EQ(r.tree.files, 5);
    EXPECT_TRUE(r.tree.complete);
    EXPECT_EQ(r.ProgressTotal, 12);
    EXPECT_EQ(r.ProcessedCount, 12);
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_EQ(progress.labels,
              (std::vector<std::string>{"My.dll", "My.Icons.dll", "shell32.dll", ".hidden", "shell32.dll", "a",
                                        "icons.ico", "shell32.dll", "deep", "shell32.dll", "b", "Shell32.DLL"}));
    EXPECT_EQ(progress.events, (std::vector<std::string>{"count", "/count", "process", "/process"}));
    EXPECT_TRUE(AllClear(flags));
}

TEST(Wizard, AFailedWriteEndsTheRunAndKeepsWhatWasWritten) {
    TempDir dir;
    const std::string src = dir.file("src"), out = dir.file("out");
    Put(src + "/app.exe", BuildBatchPe());
    fs::create_directory(out);
    const Listed listed = ListAs(src, "Icon Files");

    // A file-size limit between the first image (318 bytes) and the second
    // (2238 bytes) makes the second write fail, also for root.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limit = old;
    limit.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    WizardOptions options;
    options.ExtractionDir = out;
    options.AsIcons = true;
    ActionFlags flags;
    RecordingProgress progress;
    const WizardResult r = Wizard(listed, src, {ObjectKind::Icons, false}, options, flags, progress);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(out + "/appexe_0_1.ico"), std::string::npos) << r.error;
    EXPECT_EQ(NamesIn(out), std::vector<std::string>{"appexe_0_0.ico"}) << "no temporary file may stay";
    EXPECT_EQ(r.stats.filesWritten, 1);
    EXPECT_EQ(progress.events.back(), "/process");
    EXPECT_TRUE(AllClear(flags));
}

// A stop asked for while a file is extracted ends the run after that file,
// in the listed folder, in the sub-folder walk and while the tree is counted;
// what was written is whole, and the summary says what was done.
TEST(Wizard, AStopEndsTheRunAfterTheFileInHandAndKeepsWhatWasWritten) {
    TempDir dir;
    const std::string src = dir.file("src");
    for (const char* name : {"a.dll", "b.dll", "c.dll", "sub/d.dll", "sub/e.dll"}) Put(src + "/" + name, BuildBatchPe());
    const Listed listed = ListAs(src, "Icon Files");

    // Asks to stop once `after` entries were announced, or at the count's first turn.
    struct StoppingProgress : RecordingProgress {
        size_t after = 0;
        bool whileCounting = false;
        int countTurns = 0;
        void LetMessagesRun() override { ++countTurns; }
        bool StopRequested() override { return whileCounting ? countTurns > 0 : labels.size() >= after; }
    };
    auto run = [&](const std::string& out, StoppingProgress& progress) {
        fs::create_directory(out);
        WizardOptions options;
        options.ExtractionDir = out;
        options.AsIcons = true;
        options.RecurseDirs = true;
        ActionFlags flags;
        const WizardResult r = Wizard(listed, src, {ObjectKind::Icons, false}, options, flags, progress);
        EXPECT_TRUE(AllClear(flags));
        EXPECT_EQ(progress.events, (std::vector<std::string>{"count", "/count", "process", "/process"}));
        return r;
    };
    // Every output of the files named, whole, and nothing else (no temporary file).
    auto expectOutputs = [](const std::string& out, const std::vector<std::string>& prefixes) {
        std::map<std::string, Check> expected;
        for (const std::string& prefix : prefixes) expected.merge(ExpectedOutputs(ObjectKind::Icons, false, false, prefix));
        std::vector<std::string> names;
        for (const auto& [name, check] : expected) names.push_back(name);
        ASSERT_EQ(NamesIn(out), names);
        for (const auto& [name, check] : expected) check(out + "/" + name);
    };

    // Asked while b.dll is announced: b.dll is written whole, c.dll and the tree are not read.
    StoppingProgress listedStop;
    listedStop.after = 2;
    const WizardResult r = run(dir.file("out1"), listedStop);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.stopped);
    expectOutputs(dir.file("out1"), {"adll", "bdll"});
    EXPECT_EQ(listedStop.labels, (std::vector<std::string>{"a.dll", "b.dll"}));
    EXPECT_EQ(r.filesRead, 2);
    EXPECT_EQ(r.stats.filesWritten, 6);
    EXPECT_EQ(r.ProcessedCount, 2);
    EXPECT_EQ(r.ProgressTotal, 6); // 3 listed + sub + its 2 files

    // In the walk: stopped after sub/d.dll.
    StoppingProgress walkStop;
    walkStop.after = 5;
    const WizardResult w = run(dir.file("out2"), walkStop);
    EXPECT_TRUE(w.stopped);
    expectOutputs(dir.file("out2"), {"adll", "bdll", "cdll", "ddll"});
    EXPECT_EQ(w.filesRead, 4);

    // While counting: nothing is extracted.
    StoppingProgress countStop;
    countStop.whileCounting = true;
    const WizardResult c = run(dir.file("out3"), countStop);
    EXPECT_TRUE(c.ok);
    EXPECT_TRUE(c.stopped);
    EXPECT_TRUE(NamesIn(dir.file("out3")).empty());
    EXPECT_TRUE(countStop.labels.empty());
    // The total is what was counted before the stop, and the summary says so.
    EXPECT_FALSE(c.tree.complete);
    EXPECT_LT(c.ProgressTotal, 6);
    const std::string countText = WizardSummaryText(c, 1);
    EXPECT_NE(countText.find("stopped after 0 of " + std::to_string(c.ProgressTotal) + " entries counted so far;"),
              std::string::npos)
        << countText;
    EXPECT_TRUE(r.tree.complete);

    // The summary: how it ended, the counts, the time.
    const std::string text = WizardSummaryText(r, 75.4);
    EXPECT_NE(text.find("stopped after 2 of 6 entries;"), std::string::npos) << text;
    EXPECT_NE(text.find("Files read: 2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Files written: 6 (" + GroupedNumber(r.stats.bytesWritten) + " bytes)\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Skipped: 0\nFailed: 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Elapsed time: 1 min 15 s"), std::string::npos) << text;
    WizardResult failed;
    failed.ok = false;
    failed.filesFailed = 1;
    failed.filesRead = 33225;
    failed.stats.filesSkipped = 3;
    const std::string failedText = WizardSummaryText(failed, 3.44);
    EXPECT_EQ(failedText.rfind("The extraction ended early because of an error.\n", 0), 0u) << failedText;
    EXPECT_NE(failedText.find("Files read: 33,225\n"), std::string::npos) << failedText;
    EXPECT_NE(failedText.find("Skipped: 3\nFailed: 1\nElapsed time: 3.4 s"), std::string::npos) << failedText;
    EXPECT_EQ(WizardSummaryText(WizardResult{}, 0).rfind("The extraction is finished.\n", 0), 0u);
}

TEST(SaveAllBitmaps, CopiesInTheWritersFormAndSettlesExistingFiles) {
    TempDir dir;
    const std::string src = dir.file("src"), out = dir.file("out");
    DibLayout topDown;
    topDown.width = 6;
    topDown.height = 3;
    topDown.bitCount = 24;
    topDown.icon = false;
    topDown.topDown = true; // the writer stores rows bottom-up: a rewrite changes the bytes
    const Bytes original = BuildBmpFile(BuildDib(topDown));
    Put(src + "/b.bmp", original);
    Put(src + "/c.bmp", original);
    Put(src + "/Logo.Small.BMP", BuildBmpFile(TheBatchImages().bitmap8));
    fs::create_directories(src + "/folder");
    fs::create_directory(out);
    const Listed listed = ListAs(src, "Bitmaps");
    SaveAllBitmapsRequest request{src, listed.rows, listed.fileCount, listed.dirCount};
    ActionFlags flags;
    ScriptedPrompts prompts;
    const Bytes rewritten = EncodeBmp(DecodeBmp(original));
    ASSERT_NE(rewritten, original);

    // Into another folder: nothing exists, nothing is asked.
    prompts.folders = {out};
    BatchResult r = RunSaveAllBitmaps(request, flags, prompts);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(prompts.folderTitles, std::vector<std::string>{"Select folder for bitmaps"});
    EXPECT_EQ(NamesIn(out), (std::vector<std::string>{"b.bmp", "c.bmp", "logo.bmp"}));
    EXPECT_EQ(ReadFile(out + "/b.bmp"), rewritten);
    EXPECT_EQ(ReadBmp(out + "/logo.bmp").pixels, DecodeDib(TheBatchImages().bitmap8).pixels);
    EXPECT_TRUE(prompts.existingShown.empty());

    // Into its own folder with Overwrite for all: one question, each file rewritten in place.
    prompts.folders = {src};
    prompts.existingAnswers = {{ExistingAction::Overwrite, true}};
    r = RunSaveAllBitmaps(request, flags, prompts);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(prompts.existingShown, std::vector<std::string>{src + "/b.bmp"});
    EXPECT_EQ(ReadFile(src + "/b.bmp"), rewritten);
    EXPECT_EQ(ReadFile(src + "/c.bmp"), rewritten);
    EXPECT_TRUE(fs::exists(src + "/logo.bmp")); // Logo.Small.BMP has no namesake: written anew
    EXPECT_TRUE(AllClear(flags));

    // Auto Rename, asked each time: name_.bmp beside each file.
    const Listed again = ListAs(src, "Bitmaps");
    request = {src, again.rows, again.fileCount, again.dirCount};
    prompts.folders = {src};
    prompts.existingShown.clear();
    prompts.existingAnswers = {};
    prompts.fallbackAnswer = {ExistingAction::AutoRename, false};
    r = RunSaveAllBitmaps(request, flags, prompts);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(prompts.existingShown.size(), 4u); // b, c, logo (twice: logo.bmp and Logo.Small.BMP)
    for (const char* name : {"b_.bmp", "c_.bmp", "logo_.bmp", "logo__.bmp"})
        EXPECT_TRUE(fs::exists(src + "/" + name)) << name;

    // Cancelled: nothing. An unreadable source ends the command, naming it.
    prompts.folders = {std::nullopt};
    EXPECT_TRUE(RunSaveAllBitmaps(request, flags, prompts).cancelled);
    std::vector<ListRow> gone(1);
    gone[0].caption = "gone.bmp";
    gone[0].kind = FileKind::Bitmap;
    gone[0].count = 1;
    prompts.folders = {out};
    flags.ActionAnswered = 1;
    r = RunSaveAllBitmaps({src, gone, 1, 0}, flags, prompts);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(src + "/gone.bmp"), std::string::npos) << r.error;
    EXPECT_TRUE(AllClear(flags));
}

TEST(WizardCli, ExtractsTheListingAndPrintsASummary) {
    TempDir dir;
    const std::string src = dir.file("src"), out = dir.file("out");
    Put(src + "/app.exe", BuildBatchPe());
    Put(src + "/deeper/pics.res", BuildBatchRes32());
    fs::create_directory(out);
    auto run = [](const std::string& args, std::string& output) {
        const std::string cmd = std::string(GRABWELL_CLI) + " " + args + " 2>/dev/null";
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) return -1;
        std::array<char, 4096> buf{};
        size_t n;
        output.clear();
        while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) output.append(buf.data(), n);
        const int st = pclose(p);
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    };
    std::string output;
    EXPECT_EQ(run("wizard --cursors --as-bitmaps " + src + " " + out, output), 0);
    EXPECT_EQ(output.rfind("1 files read, 1 files written, ", 0), 0u) << output;
    EXPECT_EQ(NamesIn(out), std::vector<std::string>{"appexe_0_0.bmp"});

    EXPECT_EQ(run("wizard --icons --resources --recurse " + src + "/ " + out, output), 0);
    EXPECT_EQ(output.rfind("1 files read, 3 files written, ", 0), 0u) << output;
    EXPECT_TRUE(fs::exists(out + "/picsres_1_0.ico"));

    EXPECT_NE(run("wizard " + src + " " + out, output), 0) << "a listing must be chosen";
    EXPECT_NE(run("wizard --icons --bitmaps " + src + " " + out, output), 0);
}
