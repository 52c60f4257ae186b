// The report's files: written side by side, synced on the way, and put in place together only
// once every one is whole; a failure anywhere leaves every target as it was, and nothing beside
// them once the files are let go.
#include "io/reportfiles.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Large enough that the files are synced several times while they are written.
const std::string kBlock = std::string(io::ByteSink::kBlockSize - 3, 'r') + "\r\n";
constexpr int kBlocks = 40;

TEST(StagedFiles, AreAllPutInPlaceWhole) {
    QTemporaryDir dir;
    const io::ReportFiles names = io::reportFilesNamed(dir.filePath(QStringLiteral("weekly")));
    testfiles::write(names.text, "an old report");
    io::StagedFiles files;
    const auto sinks = files.stageReport(names);
    for (int i = 0; i < kBlocks; ++i) {
        sinks.csv << kBlock;
        sinks.text << kBlock;
    }
    ASSERT_EQ(files.commit(), std::nullopt);
    EXPECT_EQ(files.committed(), 2u);
    for (const QString& path : {names.csv, names.text})
        EXPECT_EQ(testfiles::read(path).size(), qsizetype(kBlock.size()) * kBlocks);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

struct FailRow {
    const char* name;
    const char* csvName; // where the first file goes, in the folder
    bool mayReplace;
};

class StagedFileFails : public ::testing::TestWithParam<FailRow> {};

TEST_P(StagedFileFails, AndNoneIsPutInPlace) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QLatin1String(GetParam().csvName));
    const QString text = dir.filePath(QStringLiteral("weekly.txt"));
    testfiles::write(dir.filePath(QStringLiteral(".hidden.csv")), "hidden");
    testfiles::write(text, "an old report");
    {
        io::StagedFiles files;
        io::ByteSink& first = files.stage(csv, GetParam().mayReplace);
        io::ByteSink& second = files.stage(text);
        for (int i = 0; i < kBlocks; ++i) {
            first << kBlock;
            second << kBlock;
        }
        const std::optional<io::FileProblem> problem = files.commit();
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->path, csv);
        EXPECT_EQ(files.committed(), 0u);
    }
    EXPECT_EQ(testfiles::read(text), "an old report");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral(".hidden.csv"), QStringLiteral("weekly.txt")}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StagedFileFails,
    ::testing::Values(FailRow{"InAFolderThatIsNotThere", "gone/weekly.csv", true},
                      FailRow{"WhereSomethingMayNotBeReplaced", ".hidden.csv", false}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
