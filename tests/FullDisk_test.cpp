// Batches that run out of room or lose write access half-way: no half-written
// file is left, the files written before stay intact, the error names the
// file, and the existing-file flags are cleared. Needs a small tmpfs, which
// only root can mount; skipped elsewhere.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>

#include "batch/core/BatchWriter.h"
#include "batch/core/ScriptedPrompts.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

// A tmpfs of the given size mounted inside a temporary folder.
class SmallDisk {
public:
    explicit SmallDisk(size_t bytes) {
        m_path = m_dir.file("disk");
        fs::create_directory(m_path);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        m_mounted = mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (m_mounted) umount2(m_path.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    const std::string& Path() const { return m_path; }
    bool MakeReadOnly() {
        return mount("tmpfs", m_path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    TempDir m_dir;
    std::string m_path;
    bool m_mounted = false;
};

Bytes Block(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 7);
    return b;
}

// Nothing but whole outputs in the folder: no temporary files.
void ExpectOnlyWholeFiles(const std::string& folder, const std::vector<std::pair<std::string, Bytes>>& written) {
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        ++entries;
        EXPECT_EQ(e.path().filename().string().rfind(".grabwell", 0), std::string::npos) << e.path();
    }
    EXPECT_EQ(entries, written.size());
    for (const auto& [path, bytes] : written) EXPECT_EQ(ReadFile(path), bytes) << path;
}

} // namespace

TEST(FullDisk, ABatchThatFillsTheDiskStopsCleanly) {
    SmallDisk disk(64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    ActionFlags flags;
    flags.ActionAnswered = 1;
    flags.ActionAutoRename = 1;
    ScriptedPrompts prompts;
    std::vector<std::pair<std::string, Bytes>> written;
    std::string failedName;
    {
        BatchWriter batch(disk.Path(), flags, &prompts);
        for (int i = 0; i < 100 && !batch.Failed(); ++i) {
            const Bytes bytes = Block(10000, uint8_t(i));
            const std::string base = "icon_" + std::to_string(i);
            const auto target = batch.Settle(base, ".ico");
            ASSERT_TRUE(target);
            if (batch.Commit(*target, bytes))
                written.emplace_back(target->path, bytes);
            else
                failedName = target->path;
        }
        ASSERT_TRUE(batch.Failed());
        EXPECT_NE(batch.Error().find(failedName), std::string::npos) << batch.Error();
        batch.End();
    }
    EXPECT_GT(written.size(), 2u);
    EXPECT_EQ(flags.ActionAnswered + flags.ActionSkip + flags.ActionOverwrite + flags.ActionAutoRename +
                  flags.ActionAllOthers,
              0);
    ExpectOnlyWholeFiles(disk.Path(), written);
}

TEST(FullDisk, ATargetThatTurnsReadOnlyStopsCleanly) {
    SmallDisk disk(1024 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    ActionFlags flags;
    ScriptedPrompts prompts;
    std::vector<std::pair<std::string, Bytes>> written;
    {
        BatchWriter batch(disk.Path(), flags, &prompts);
        for (int i = 0; i < 3; ++i) {
            const Bytes bytes = Block(500, uint8_t(i));
            ASSERT_EQ(batch.Write("b" + std::to_string(i), ".bmp", bytes), WriteOutcome::Written);
            written.emplace_back(disk.Path() + "/b" + std::to_string(i) + ".bmp", bytes);
        }
        ASSERT_TRUE(disk.MakeReadOnly());
        EXPECT_EQ(batch.Write("b3", ".bmp", Block(500, 3)), WriteOutcome::Failed);
        EXPECT_NE(batch.Error().find("b3.bmp"), std::string::npos) << batch.Error();
    }
    EXPECT_EQ(flags.ActionSkip, 0); // cleared by the end of the batch, also a failed one
    ExpectOnlyWholeFiles(disk.Path(), written);
}
