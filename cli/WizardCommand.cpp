#include "cli/WizardCommand.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/Progress.h"
#include "batch/core/Wizard.h"
#include "cli/CliCommon.h"
#include "listing/Categories.h"
#include "listing/ListOrder.h"
#include "listing/Scanners.h"

namespace gw::cli {

namespace {

constexpr int kBarWidth = 30;
constexpr size_t kLabelWidth = 40;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// A one-line progress bar on stderr, redrawn at most every kRedrawInterval;
// silent when stderr is not a terminal.
class TerminalProgress : public BatchProgress {
public:
    TerminalProgress() : m_enabled(isatty(STDERR_FILENO) == 1) {}

    void Show(const std::string& phase, int percent, const std::string& label) {
        if (!m_enabled) return;
        // Extracting says how many entries of how many are done.
        const std::string count =
            m_total > 0 ? " " + std::to_string(m_done) + "/" + std::to_string(m_total) : std::string();
        const auto now = std::chrono::steady_clock::now();
        if (percent == m_lastPercent && now - m_lastDraw < kRedrawInterval) return;
        m_lastPercent = percent;
        m_lastDraw = now;
        const int filled = std::clamp(percent, 0, 100) * kBarWidth / 100;
        const std::string shown = label.size() > kLabelWidth ? label.substr(0, kLabelWidth) : label;
        std::fprintf(stderr, "\r\033[K%s [%s%s] %3d%%%s %s", phase.c_str(), std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(kBarWidth - filled), ' ').c_str(), percent, count.c_str(), shown.c_str());
        std::fflush(stderr);
    }
    void Clear() {
        if (!m_enabled) return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        m_lastPercent = -1;
    }

    void CountingStarted() override { Show("Counting folders..", 0, ""); }
    void CountingFinished() override { Clear(); }
    void Counted(int64_t done, int64_t total) override {
        m_done = done;
        m_total = total;
    }
    void Advance(int percent, const std::string& label) override { Show("Extracting", percent, label); }
    void ProcessingFinished() override { Clear(); }

private:
    bool m_enabled;
    int64_t m_done = 0, m_total = 0;
    int m_lastPercent = -1;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

std::string FolderAsTreeGivesIt(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

WizardOptions OptionsFor(const WizardCommandOptions& cli) {
    WizardOptions options;
    options.ExtractionDir = cli.outDir;
    options.RecurseDirs = cli.recurse;
    options.FollowLinks = cli.follow;
    if (cli.bitmaps) {
        options.AsBitmaps = true;
    } else if (cli.animated) {
        options.AsCursors = !cli.asFrames;
        options.AsFrames = cli.asFrames;
    } else if (cli.cursors) {
        options.AsCursors = !cli.asBitmaps;
        options.AsBitmaps = cli.asBitmaps;
    } else {
        options.AsIcons = !cli.asBitmaps;
        options.AsBitmaps = cli.asBitmaps;
    }
    return options;
}

Listing ListingFor(const WizardCommandOptions& cli) {
    Listing listing;
    listing.objects = cli.bitmaps    ? ObjectKind::Bitmaps
                      : cli.cursors  ? ObjectKind::Cursors
                      : cli.animated ? ObjectKind::AnimatedCursors
                                     : ObjectKind::Icons;
    listing.resources = cli.resources;
    return listing;
}

void PrintSummary(const WizardResult& result, double seconds) {
    std::printf("%lld files read, %d files written, %llu bytes written, %d files skipped, %.2f s\n",
                static_cast<long long>(result.filesRead), result.stats.filesWritten,
                static_cast<unsigned long long>(result.stats.bytesWritten), result.stats.filesSkipped, seconds);
}

} // namespace

CLI::App* AddWizardCommand(CLI::App& app, WizardCommandOptions& options) {
    auto* wizard = app.add_subcommand(
        "wizard", "Extract every icon, cursor or bitmap of a folder's listing (and its sub-folders) into one folder");
    auto* icons = wizard->add_flag("--icons", options.icons, "The \"Icon Files\" or \"Icon Resources\" listing");
    auto* cursors =
        wizard->add_flag("--cursors", options.cursors, "The \"Static Cursor Files\" or \"... Resources\" listing");
    auto* bitmaps =
        wizard->add_flag("--bitmaps", options.bitmaps, "The \"Bitmap Files\" or \"Bitmap Resources\" listing");
    auto* animated = wizard->add_flag(
        "--animated", options.animated,
        "The \"Animated Cursor Resources\" listing: executables, libraries and resource files alike");
    icons->excludes(cursors)->excludes(bitmaps)->excludes(animated);
    cursors->excludes(bitmaps)->excludes(animated);
    bitmaps->excludes(animated);
    wizard->add_flag("--resources", options.resources, "List compiled resource files instead of executables");
    wizard->add_flag("--as-bitmaps", options.asBitmaps, "Write icon and cursor images as .bmp files");
    wizard->add_flag("--as-frames", options.asFrames,
                     "Write each frame of an animated cursor as its .cur (or .ico) file, not the whole .ani");
    auto* recurse = wizard->add_flag(
        "--recurse", options.recurse,
        "Also extract from every file in the sub-folders (hidden ones too; links to folders are not entered, "
        "/proc, /sys and /dev never)");
    wizard
        ->add_flag("--follow", options.follow,
                   "With --recurse, also enter links to folders (each folder once, a link's target on its own file "
                   "system only)")
        ->needs(recurse);
    wizard->add_option("FOLDER", options.folder, "The folder to list")->required()->check(CLI::ExistingDirectory);
    wizard->add_option("OUTDIR", options.outDir, "The folder to write into")->required()->check(CLI::ExistingDirectory);
    wizard->callback([icons, cursors, bitmaps, animated] {
        if (!*icons && !*cursors && !*bitmaps && !*animated)
            throw CLI::ValidationError("wizard", "one of --icons, --cursors, --bitmaps, --animated is required");
    });
    return wizard;
}

int RunWizardCommand(const WizardCommandOptions& cli) {
    const auto start = std::chrono::steady_clock::now();
    const Listing listing = ListingFor(cli);
    const Category category = CategoryOf(listing);

    TerminalProgress progress;
    const std::string folder = FolderAsTreeGivesIt(cli.folder);
    // The listed folder exactly as the explorer lists it, in its start order (by name).
    // The rows are what matters here; their pictures are never drawn.
    ScanResult scan = RunScanner(
        folder, category,
        [&](const std::string& name, int percent) {
            progress.Show("Processing..", percent, name);
            return true;
        },
        PictureMode::Skip);
    progress.Clear();
    std::stable_sort(scan.rows.begin(), scan.rows.end(),
                     [](const ListRow& a, const ListRow& b) { return ListViewCompare(a, b, SortMode::ByName, 1) < 0; });

    WizardRequest request;
    request.CurrentDir = folder;
    request.listing = listing;
    request.rows = scan.rows;
    request.ContainerCount = scan.fileCount;
    request.DirCount = scan.dirCount;
    ActionFlags flags;
    const WizardResult result = RunWizard(request, OptionsFor(cli), flags, progress);

    for (const std::string& note : result.notes) std::cerr << "grabwell-cli: " << note << "\n";
    if (!result.ok) std::cerr << "grabwell-cli: " << result.error << "\n";
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    PrintSummary(result, elapsed.count());
    return result.ok ? kExitOk : kExitFailed;
}

} // namespace gw::cli
